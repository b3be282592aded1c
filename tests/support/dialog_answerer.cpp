#include "support/dialog_answerer.h"

#include <algorithm>

namespace {

constexpr char DIALOG_CLASS[] = "#32770";
constexpr char POPUP_MENU_CLASS[] = "#32768";
constexpr UINT POLL_MS = 20;
constexpr int MESSAGE_BOX_TEXT_ID = 0xFFFF;

// Thread timers carry no object: each poller is found by its timer.
std::vector<WindowPoller*> g_pollers;

}  // namespace

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

WindowPoller::WindowPoller(const char* className, std::function<bool(HWND)> handle)
    : className_(className), handle_(std::move(handle)) {
  timer_ = SetTimer(nullptr, 0, POLL_MS, OnTimer);
  g_pollers.push_back(this);
}

WindowPoller::~WindowPoller() {
  KillTimer(nullptr, timer_);
  g_pollers.erase(std::remove(g_pollers.begin(), g_pollers.end(), this), g_pollers.end());
}

// Thread timers run inside every modal loop of the thread, a menu's too.
void CALLBACK WindowPoller::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  for (WindowPoller* poller : g_pollers)
    if (poller->timer_ == timer) EnumThreadWindows(GetCurrentThreadId(), OnWindow, reinterpret_cast<LPARAM>(poller));
}

BOOL CALLBACK WindowPoller::OnWindow(HWND window, LPARAM parameter) {
  auto* self = reinterpret_cast<WindowPoller*>(parameter);
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  if (self->className_ != className || !IsWindowVisible(window)) return TRUE;
  if (std::find(self->handled_.begin(), self->handled_.end(), window) != self->handled_.end()) return TRUE;
  if (self->handle_(window)) self->handled_.push_back(window);
  return TRUE;
}

DialogAnswerer::DialogAnswerer(std::function<int(HWND)> answer)
    : answer_(std::move(answer)), poller_(DIALOG_CLASS, [this](HWND dialog) { return Answer(dialog); }) {}

DialogAnswerer::DialogAnswerer(int command) : DialogAnswerer([command](HWND) { return command; }) {}

bool DialogAnswerer::Answer(HWND dialog) {
  int command = answer_(dialog);
  if (command == 0) return false;
  HWND textControl = GetDlgItem(dialog, MESSAGE_BOX_TEXT_ID);
  seen_.push_back({WindowText(dialog), textControl ? WindowText(textControl) : std::string()});
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, command)));
  return true;
}

MenuPicker::MenuPicker(int entry, std::function<void(HMENU menu)> read)
    : poller_(POPUP_MENU_CLASS, [entry, read](HWND menu) {
        if (read) read(reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0)));
        // The menu's loop reads these keys from the thread's queue.
        if (entry < 0) {
          PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
          return true;
        }
        for (int i = 0; i <= entry; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        return true;
      }) {}

bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpMessages();
  }
  return true;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
