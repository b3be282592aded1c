// Where the main window opens, from the rectangle saved at the last exit.
#pragma once
#include <windows.h>

#include <cstdint>

struct WindowGeometry {
  int x, y, width, height;  // x and y may be CW_USEDEFAULT
};

struct ScreenMetrics {
  int maximizedWidth, maximizedHeight;  // SM_CXMAXIMIZED, SM_CYMAXIMIZED
  int screenWidth, screenHeight;        // SM_CXSCREEN, SM_CYSCREEN
};

WindowGeometry InitialGeometry(const int32_t savedRect[4], const ScreenMetrics& metrics);
ScreenMetrics CurrentScreenMetrics();
