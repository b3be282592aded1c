// One run of the real program's main window on a folder, as a start with that
// folder on the command line gives it, from first-run settings on.
#pragma once
#include <windows.h>

#include <string>

class MainWindowRun {
 public:
  // First-run settings, and |folder| as the command line's folder.
  explicit MainWindowRun(const std::string& folder);
  // Closes the window if it is still open.
  ~MainWindowRun();
  MainWindowRun(const MainWindowRun&) = delete;
  MainWindowRun& operator=(const MainWindowRun&) = delete;

  // Creates the main window as the program does, from the settings saved by
  // the last Close, and waits until its folder is scanned and selected.
  HWND Open();
  // Closes it as the user does, which saves its settings.
  void Close();
  HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
};
