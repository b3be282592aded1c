#include "support/main_window_run.h"

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/root_list.h"
#include "model/worker_table.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scratch_registry.h"

namespace {

void DropQueuedMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace

MainWindowRun::MainWindowRun(const std::string& folder) {
  ClearSettingsKey();
  ApplyDefaultSettings(&Settings);
  lstrcpynA(startPath, folder.c_str(), MAX_PATH);
  StartFolderGiven = true;
  ShuttingDown = false;
  WNDCLASSA registered;
  if (!GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &registered)) RegisterMainWindowClass();
}

MainWindowRun::~MainWindowRun() {
  Close();
  StartFolderGiven = false;
  startPath[0] = 0;
}

HWND MainWindowRun::Open() {
  ShuttingDown = false;
  window_ = CreateMainWindow();
  if (!window_) return nullptr;
  BuildRootList();
  SelectInitialFolder();
  PumpUntil([] { return WorkerCount() == 0; });
  return window_;
}

void MainWindowRun::Close() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  // The closing posts the quit message; no later test should see it.
  DropQueuedMessages();
  ShuttingDown = false;
}
