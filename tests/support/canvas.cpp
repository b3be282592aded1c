#include "support/canvas.h"

#include "app/diagnostics.h"
#include "pane/row_painter.h"

namespace {
std::vector<DrawnText> g_drawn;
std::string g_diagnostics;
}  // namespace

Canvas::Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down rows
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
  old_ = SelectObject(dc_, bitmap_);
  Fill();
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void Canvas::Fill(COLORREF colour) {
  const RECT area = all();
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc_, &area, brush);
  DeleteObject(brush);
  GdiFlush();
}

void Canvas::CopyFrom(HWND window, POINT from) {
  HDC screen = GetDC(window);
  BitBlt(dc_, 0, 0, width_, height_, screen, from.x, from.y, SRCCOPY);
  ReleaseDC(window, screen);
  GdiFlush();
}

COLORREF Canvas::Pixel(int x, int y) const {
  const DWORD p = pixels_[y * width_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Canvas::Count(const RECT& area, COLORREF colour, bool equal) const {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += (Pixel(x, y) == colour) == equal;
  return count;
}

Recorder::Recorder() {
  g_drawn.clear();
  g_diagnostics.clear();
  SetRowTextObserver([](const char* text, int x, int y, UINT align, COLORREF colour) {
    g_drawn.push_back({text, x, y, align & (TA_LEFT | TA_CENTER | TA_RIGHT), colour});
  });
  SetDiagnosticObserver([](int, const char* text) { g_diagnostics += text; });
}

Recorder::~Recorder() {
  SetRowTextObserver(nullptr);
  SetDiagnosticObserver(nullptr);
}

std::vector<DrawnText>& Recorder::drawn() const { return g_drawn; }
std::string& Recorder::diagnostics() const { return g_diagnostics; }
