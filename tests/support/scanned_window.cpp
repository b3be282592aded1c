#include "support/scanned_window.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scratch_registry.h"
#include "support/test_panes.h"

namespace {
constexpr DWORD MAIN_WINDOW_STYLE = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
}

void ScannedWindowTest::SetUp() {
  ClearSettingsKey();
  ApplyDefaultSettings(&Settings);
  Settings.SizeMode = 0;
  for (const char* folder : {"A", "Temp", "x.tmp", "big", "big\\inner", "D1", "D1\\D1a", "D1\\D1b"})
    temp.MakeFolder(folder);
  temp.MakeFile("Temp\\t.bin", 10240);
  temp.MakeFile("x.tmp\\x.bin", 20480);
  temp.MakeFile("big\\b.bin", 3 << 20);
  temp.MakeFile("big\\inner\\i.bin", 200 << 10);
  std::string path = temp.Path();
  path.pop_back();
  lstrcpynA(startPath, path.c_str(), MAX_PATH);
  StartFolderGiven = true;
  ShuttingDown = false;
  WNDCLASSA cls;
  ASSERT_TRUE(RegisterMainWindowClass() || GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &cls));
  window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Brisklane Pelvanor", MAIN_WINDOW_STYLE, 0, 0, 900, 600, nullptr,
                           nullptr, AppInstance, nullptr);
  ASSERT_NE(nullptr, window);
  BuildRootList();
  SelectInitialFolder();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  top = NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree));
  root = CurrentFolder;
  ASSERT_TRUE(IsFolderNode(root));
  Command(IDM_EXPAND_ALL);
}

void ScannedWindowTest::TearDown() {
  if (IsWindow(window)) DestroyWindow(window);
  PumpMessages();
  MSG quit;
  PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  ShuttingDown = false;
  StartFolderGiven = false;
  startPath[0] = 0;
}

FolderNode* ScannedWindowTest::Node(const std::string& relative) const {
  FolderNode* node = root;
  size_t start = 0;
  while (node && start < relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    node = ChildNamed(Panes.mainTree, node, relative.substr(start, end - start));
    start = end + 1;
  }
  return node;
}

void ScannedWindowTest::Command(UINT id) const {
  SendMessageA(window, WM_COMMAND, id, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
}

HWND PageWith(HWND dialog, int id) {
  HWND tabs = GetDlgItem(dialog, IDC_CRITERIA_TABS);
  for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
    if (GetDlgItem(page, id)) return page;
  return nullptr;
}

std::string Text(HWND dialog, int id) {
  char text[MAX_PATH] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::string> texts;
  for (HTREEITEM item = FirstChildItem(tree, parent); item; item = NextSiblingItem(tree, item))
    texts.push_back(TreeItemText(tree, item));
  return texts;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Choose(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, CB_SETCURSEL, index, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}
