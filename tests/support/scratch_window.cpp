#include "support/scratch_window.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scratch_registry.h"
#include "support/test_panes.h"

namespace {

constexpr DWORD MAIN_WINDOW_STYLE = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

}  // namespace

void ScratchWindowTest::SetUp() {
  ClearSettingsKey();
  ApplyDefaultSettings(&Settings);
  std::string path = temp.Path();
  path.pop_back();
  lstrcpynA(startPath, path.c_str(), MAX_PATH);
  StartFolderGiven = true;
  ShuttingDown = false;
  WNDCLASSA known = {};
  ASSERT_TRUE(RegisterMainWindowClass() || GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &known));
}

void ScratchWindowTest::TearDown() {
  if (IsWindow(window)) DestroyWindow(window);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  ShuttingDown = false;
  StartFolderGiven = false;
  startPath[0] = 0;
}

void ScratchWindowTest::OpenAndScan() {
  window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Brisklane Pelvanor", MAIN_WINDOW_STYLE, 0, 0, 900, 600, nullptr,
                           nullptr, AppInstance, nullptr);
  ASSERT_NE(nullptr, window);
  BuildRootList();
  SelectInitialFolder();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  ASSERT_TRUE(IsFolderNode(CurrentFolder));
  scratch = CurrentFolder;
  SendMessageA(Panes.mainTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(CurrentFolder->mainItem));
}

FolderNode* ScratchWindowTest::Node(const std::string& relative) const {
  FolderNode* node = scratch;
  size_t start = 0;
  while (node && start < relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    node = ChildNamed(Panes.mainTree, node, relative.substr(start, end - start));
    start = end + 1;
  }
  return node;
}

void ScratchWindowTest::Command(UINT id) const { SendMessageA(window, WM_COMMAND, id, 0); }
