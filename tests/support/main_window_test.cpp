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

FolderNode* ChildNamed(FolderNode* parent, const std::string& name) {
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = FirstChildItem(tree, parent->mainItem); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node) && TreeItemText(tree, item) == name) return node;
  }
  return nullptr;
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
  MonitorDriverMissing = autoAddFixedDrives = StartFolderGiven = false;
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
  while (PeekMessageA(&quit, nullptr, 0, 0, PM_REMOVE)) {
  }
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
  return ChildOf(parent ? parent : start, relative);
}

void MainWindowTest::Select(FolderNode* node) {
  SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node->mainItem));
  ASSERT_EQ(node, CurrentFolder);
}

void MainWindowTest::OpenDrives() {
  window = CreateMainWindow();
  ASSERT_NE(nullptr, window);
  BuildRootList();
  top = NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree));
}

void FolderChainTest::SetUp() {
  ASSERT_NO_FATAL_FAILURE(OpenDrives());
  drive = DriveRoot(temp.Path()[0]);
  ASSERT_NE(nullptr, drive);
  folder = AddFolder(drive, temp.Path());
  Select(drive);
}

DriveRootNode* DriveRoot(char letter) {
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsDriveRoot(node) && node->kind == NODE_DRIVE_ROOT && '@' + AsDriveRoot(node)->driveNumber == (letter & ~0x20))
      return AsDriveRoot(node);
  }
  return nullptr;
}

FolderNode* AddFolder(FolderNode* parent, const std::string& path) {
  FolderNode* node = CreateFolderNode();
  node->root = parent->root;
  node->absoluteIdList = IdListFromPath(path.c_str(), nullptr, nullptr);
  node->relativeIdList = node->absoluteIdList;
  const std::string name = PathComponents(path).back();
  node->mainItem = InsertFolderItem(Panes.mainTree, parent->mainItem, name.c_str(), 0, 0, node);
  parent->subfolderCount += 1;
  SetHasChildren(Panes.mainTree, parent->mainItem, 1);
  return node;
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::string> texts;
  for (HTREEITEM item = FirstChildItem(tree, parent); item; item = NextSiblingItem(tree, item))
    texts.push_back(TreeItemText(tree, item));
  return texts;
}

std::string TreeItemText(HWND tree, HTREEITEM handle) {
  char text[SHELL_TEXT_MAX];
  ItemText(tree, handle, text, sizeof text);
  return text;
}

FolderNode* ChildOf(FolderNode* parent, const std::string& relative) {
  FolderNode* node = parent;
  for (const std::string& name : PathComponents(relative)) node = node ? ChildNamed(node, name) : nullptr;
  return node;
}

bool HasButton(FolderNode* node) {
  TVITEMA item = {};
  item.mask = TVIF_HANDLE | TVIF_CHILDREN;
  item.hItem = node->mainItem;
  SendMessageA(Panes.mainTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return item.cChildren != 0;
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
