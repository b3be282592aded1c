#include "support/main_window_test.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/root_list.h"
#include "model/worker_table.h"
#include "settings/settings_store.h"
#include "support/scratch_registry.h"

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
  top = NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree));
  ASSERT_TRUE(IsFolderNode(start));
  SendMessageA(Panes.mainTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(start->mainItem));
}

void MainWindowTest::OpenScannedTree() {
  Settings.SizeMode = 0;
  temp.Make({"A", "Temp", "Temp\\t.bin:10240", "x.tmp", "x.tmp\\x.bin:20480", "big", "big\\b.bin:3145728", "big\\inner",
             "big\\inner\\i.bin:204800", "D1", "D1\\D1a", "D1\\D1b"});
  ASSERT_NO_FATAL_FAILURE(Open());
  Command(IDM_EXPAND_ALL);
}

bool MainWindowTest::Close() {
  if (window && IsWindow(window)) DestroyWindow(window);
  window = nullptr;
  start = top = nullptr;
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

FolderNode* MainWindowTest::Child(const std::string& relative, FolderNode* parent) const {
  FolderNode* node = parent ? parent : start;
  // Split at the separators only: a name's trail byte may be 0x5C.
  const char* name = relative.c_str();
  for (const char* p = name; node; p = CharNextA(p)) {
    if (*p && *p != '\\') continue;
    node = ChildNamed(Panes.mainTree, node, std::string(name, p));
    if (!*p) break;
    name = p + 1;
  }
  return node;
}

void MainWindowTest::Select(FolderNode* node) {
  SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node->mainItem));
  ASSERT_EQ(node, CurrentFolder);
}

HWND PageWith(HWND dialog, int id) {
  HWND tabs = GetDlgItem(dialog, IDC_CRITERIA_TABS);
  for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
    if (GetDlgItem(page, id)) return page;
  return nullptr;
}

std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

std::vector<HTREEITEM> ExpectListPaired(const std::string& step) {
  std::vector<HTREEITEM> visible;
  for (HTREEITEM item = TopItem(Panes.mainTree); item; item = TreeNext(Panes.mainTree, item, TVGN_NEXTVISIBLE))
    visible.push_back(item);
  EXPECT_EQ(LRESULT(visible.size()), SendMessageA(Panes.mainList, LB_GETCOUNT, 0, 0)) << step;
  for (size_t i = 0; i < visible.size(); ++i)
    EXPECT_EQ(LRESULT(visible[i]), SendMessageA(Panes.mainList, LB_GETITEMDATA, i, 0)) << step << ", entry " << i;
  return visible;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Choose(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
