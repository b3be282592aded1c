#include "support/main_window_test.h"

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/root_list.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "support/dialog_answerer.h"
#include "support/scratch_registry.h"
#include "support/test_panes.h"

namespace {

::testing::Environment* const g_registry = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

void DropQueuedMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; });
}

void MainWindowTest::FirstRunSettings() {
  ClearSettingsKey();
  ApplyDefaultSettings(&Settings);
  WNDCLASSA registered;
  if (!GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &registered)) RegisterMainWindowClass();
}

std::string RectText(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right) + "," +
         std::to_string(rect.bottom);
}

RECT PlaceIn(HWND window, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

MainWindowTest::~MainWindowTest() {
  Close();
  MonitorDriverMissing = false;
  StartFolderGiven = false;
  startPath[0] = 0;
}

void MainWindowTest::Open(const std::string& relative) {
  relative_ = relative;
  std::string path = temp.Path(relative);
  if (relative.empty()) path.pop_back();  // the folder's own trailing backslash
  lstrcpynA(startPath, path.c_str(), MAX_PATH);
  StartFolderGiven = true;
  ShuttingDown = false;
  window = CreateMainWindow();
  ASSERT_NE(nullptr, window);
  BuildRootList();
  SelectInitialFolder();
  // Watchers are workers too: with them the scan's end is waited for instead.
  ASSERT_TRUE(PumpUntil([] {
    if (!MonitorDriverMissing) return WorkerCount() == 0;
    return IsFolderNode(CurrentFolder) && (CurrentFolder->flags & SUBTREE_COMPLETE) && IsWatched(CurrentFolder);
  }));
  start = CurrentFolder;
  ASSERT_TRUE(IsFolderNode(start));
}

bool MainWindowTest::Close() {
  if (window && IsWindow(window)) DestroyWindow(window);
  window = nullptr;
  start = nullptr;
  EXPECT_EQ(0, WorkerCount()) << "the workers stop with the window";
  MSG quit;
  const bool quits = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 0;
  // No later test should see what the closing posted.
  DropQueuedMessages();
  ShuttingDown = false;
  return quits;
}

void MainWindowTest::Restart() {
  Close();
  ApplyDefaultSettings(&Settings);
  LoadSettings();
  Open(relative_);
}

void MainWindowTest::Command(UINT id) {
  SendMessageA(window, WM_COMMAND, id, 0);
  if (MonitorDriverMissing) return;
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
}

FolderNode* MainWindowTest::Child(const std::string& name, FolderNode* parent) const {
  return ChildNamed(Panes.mainTree, parent ? parent : start, name);
}

void MainWindowTest::Select(FolderNode* node) {
  SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node->mainItem));
  ASSERT_EQ(node, CurrentFolder);
}
