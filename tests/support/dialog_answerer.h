// Answers the message boxes and modal dialogs the code under test opens on
// this thread, so no test waits for a user.  It polls from a thread timer,
// which runs inside every modal loop of the thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
  std::string caption;
  std::string text;  // a message box's text; empty for other dialogs
};

// Offers each visible top-level window of this thread with the class
// |className| to |handle| until it returns true for it.
class WindowPoller {
 public:
  WindowPoller(const char* className, std::function<bool(HWND window)> handle);
  ~WindowPoller();
  WindowPoller(const WindowPoller&) = delete;
  WindowPoller& operator=(const WindowPoller&) = delete;

  int handled() const { return static_cast<int>(handled_.size()); }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
  static BOOL CALLBACK OnWindow(HWND window, LPARAM self);

  std::string className_;
  std::function<bool(HWND)> handle_;
  std::vector<HWND> handled_;
  UINT_PTR timer_ = 0;
};

class DialogAnswerer {
 public:
  // |answer| gets each new dialog and returns the command that closes it
  // (IDOK, IDYES, IDCANCEL ...), or 0 to leave it open for now.
  explicit DialogAnswerer(std::function<int(HWND dialog)> answer);
  // Closes every dialog with |command|.
  explicit DialogAnswerer(int command);
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  const std::vector<SeenDialog>& seen() const { return seen_; }

 private:
  bool Answer(HWND dialog);

  std::function<int(HWND)> answer_;
  std::vector<SeenDialog> seen_;
  WindowPoller poller_;
};

// Chooses an entry of every popup menu this thread opens, with the keys a
// user presses: down to |entry| (counting from 0, separators skipped), then
// Enter; with |entry| -1, Escape.  |read| sees each menu first.
class MenuPicker {
 public:
  explicit MenuPicker(int entry, std::function<void(HMENU menu)> read = nullptr);

  int picked() const { return poller_.handled(); }

 private:
  WindowPoller poller_;
};

std::string WindowText(HWND window);

// Pumps this thread's messages until |done| holds or |limitMs| passed;
// returns |done|'s last answer.  The limit only keeps a broken test from
// hanging; it is never what makes a test pass.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = 120000);
// Lets the tree's messages from worker threads through while a test waits.
void PumpMessages();
