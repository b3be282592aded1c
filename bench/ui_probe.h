// Measures how long the user-interface thread keeps a caller waiting: every
// 10 ms a thread of its own times one SendMessage of WM_NULL to the window.
#pragma once
#include <windows.h>

#include <vector>

struct LatencySummary {
  size_t samples;
  double p50Ms, p99Ms, maxMs;
};

class UiProbe {
 public:
  explicit UiProbe(HWND window) : window_(window) {}
  ~UiProbe() { Stop(); }
  UiProbe(const UiProbe&) = delete;
  UiProbe& operator=(const UiProbe&) = delete;

  bool Start();
  // Ends the probe thread and summarises what it measured.
  LatencySummary Stop();

 private:
  static DWORD WINAPI Run(void* self);

  HWND window_;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  std::vector<double> latenciesMs_;
};
