// Entry point.  Until the main window exists this shows a placeholder window
// with the program's title, so scripts/run.sh has something to start.
#include <windows.h>

#include "app/process_state.h"
#include "model/node_removal.h"

namespace {

LRESULT CALLBACK PlaceholderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RecordMainThread();
  AppInstance = instance;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = PlaceholderProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszClassName = "Pelvanor";
  if (!RegisterClassA(&cls)) return 0;
  if (!CreateWindowExA(0, "Pelvanor", "Brisklane Pelvanor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                       CW_USEDEFAULT, 800, 560, nullptr, nullptr, instance, nullptr))
    return 0;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ReleaseRetiredNodes();
  return static_cast<int>(msg.wParam);
}
