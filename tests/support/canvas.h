// A 32-bit bitmap in a memory DC, read pixel by pixel, and what the program
// reports as it paints: each text the row painter draws and each diagnostic.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class Canvas {
 public:
  Canvas(int width, int height);  // white
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  RECT all() const { return {0, 0, width_, height_}; }
  void Fill(COLORREF colour = RGB(255, 255, 255));
  // |window|'s client area from |from| on, at the canvas's top left.
  void CopyFrom(HWND window, POINT from);
  COLORREF Pixel(int x, int y) const;
  // Pixels of |area| that are (or, with |equal| false, are not) |colour|.
  int Count(const RECT& area, COLORREF colour, bool equal = true) const;

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  DWORD* pixels_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

struct DrawnText {
  std::string text;
  int x, y;
  UINT align;  // TA_LEFT, TA_CENTER or TA_RIGHT
  COLORREF colour;
};

// Records the drawn texts and the diagnostics while it lives.
class Recorder {
 public:
  Recorder();
  ~Recorder();
  std::vector<DrawnText>& drawn() const;
  std::string& diagnostics() const;
  bool Has(const std::string& part) const { return diagnostics().find(part) != std::string::npos; }
};
