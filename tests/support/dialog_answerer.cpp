#include "support/dialog_answerer.h"

#include <algorithm>

namespace {

DialogAnswerer* g_active = nullptr;
constexpr UINT POLL_MS = 20;
constexpr int MESSAGE_BOX_TEXT_ID = 0xFFFF;

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

DialogAnswerer::DialogAnswerer(std::function<int(HWND)> answer) : answer_(std::move(answer)) {
  g_active = this;
  timer_ = SetTimer(nullptr, 0, POLL_MS, OnTimer);
}

DialogAnswerer::DialogAnswerer(int command) : DialogAnswerer([command](HWND) { return command; }) {}

DialogAnswerer::~DialogAnswerer() {
  KillTimer(nullptr, timer_);
  g_active = nullptr;
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_active) EnumThreadWindows(GetCurrentThreadId(), OnWindow, reinterpret_cast<LPARAM>(g_active));
}

BOOL CALLBACK DialogAnswerer::OnWindow(HWND window, LPARAM parameter) {
  auto* self = reinterpret_cast<DialogAnswerer*>(parameter);
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (std::find(self->handled_.begin(), self->handled_.end(), window) != self->handled_.end()) return TRUE;
  int command = self->answer_(window);
  if (command == 0) return TRUE;
  HWND textControl = GetDlgItem(window, MESSAGE_BOX_TEXT_ID);
  self->seen_.push_back({WindowText(window), textControl ? WindowText(textControl) : std::string()});
  self->handled_.push_back(window);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, command)));
  return TRUE;
}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}
