#include "app/initial_geometry.h"

namespace {

constexpr int MIN_FIRST_WIDTH = 590;      // narrower than this the columns do not fit
constexpr int NARROW_SCREEN_LIMIT = 549;  // screens this narrow keep the plain 80 %

int Scaled(int value, double factor) { return static_cast<int>(value * factor); }

}  // namespace

WindowGeometry InitialGeometry(const int32_t savedRect[4], const ScreenMetrics& metrics) {
  const int left = savedRect[0], top = savedRect[1], right = savedRect[2], bottom = savedRect[3];
  WindowGeometry geometry = {left, top, right - left, bottom - top};
  if (geometry.height <= 0 || geometry.height > metrics.maximizedHeight)
    geometry.height = Scaled(metrics.maximizedHeight, 0.75);
  if (geometry.width <= 0 || geometry.width > metrics.maximizedWidth) {
    geometry.width = Scaled(metrics.maximizedWidth, 0.8);
    if (geometry.width < MIN_FIRST_WIDTH && metrics.maximizedWidth > NARROW_SCREEN_LIMIT)
      geometry.width = MIN_FIRST_WIDTH;
  }
  // Only a corner lost in both directions goes back to the system's choice.
  if (top > Scaled(metrics.screenHeight, 0.95) && left > Scaled(metrics.screenWidth, 0.95)) {
    geometry.x = CW_USEDEFAULT;
    geometry.y = CW_USEDEFAULT;
  }
  return geometry;
}

ScreenMetrics CurrentScreenMetrics() {
  return {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED), GetSystemMetrics(SM_CXSCREEN),
          GetSystemMetrics(SM_CYSCREEN)};
}
