// The real main window on a scanned temporary tree, its first geometry, and
// closing it while a scan runs.
#include <gtest/gtest.h>

#include <string>

#include "app/diagnostics.h"
#include "app/initial_geometry.h"
#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "support/dialog_answerer.h"
#include "support/main_window_run.h"
#include "support/node_lock_holder.h"
#include "support/scratch_registry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

::testing::Environment* const g_registry = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

TEST(InitialGeometry, FirstRunAndSavedRectangles) {
  const int32_t none[4] = {0, 0, 0, 0};
  WindowGeometry g = InitialGeometry(none, {700, 600, 700, 600});
  EXPECT_EQ(590, g.width) << "80 % of 700 is raised to 590";
  EXPECT_EQ(450, g.height);
  EXPECT_EQ(0, g.x);
  EXPECT_EQ(432, InitialGeometry(none, {540, 600, 540, 600}).width) << "a narrow screen keeps 80 %";

  const int32_t tall[4] = {10, 20, 1000, 2000};
  g = InitialGeometry(tall, {1000, 800, 1024, 768});
  EXPECT_EQ(600, g.height) << "taller than maximised: 75 %";
  EXPECT_EQ(990, g.width) << "a width within the maximised width stays";

  const int32_t lost[4] = {1000, 740, 1400, 1100};
  g = InitialGeometry(lost, {1280, 1000, 1024, 768});
  EXPECT_EQ(CW_USEDEFAULT, g.x);
  EXPECT_EQ(CW_USEDEFAULT, g.y);
  const int32_t oneWay[4] = {1000, 100, 1400, 500};
  g = InitialGeometry(oneWay, {1280, 1000, 1024, 768});
  EXPECT_EQ(1000, g.x) << "off-screen in one direction stays where it was";
  EXPECT_EQ(100, g.y);
}

std::string g_diagnostics;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    g_diagnostics.clear();
    SetDiagnosticObserver([](int, const char* text) { g_diagnostics += text; });
    temp.MakeFolder("a");
    temp.MakeFolder("a\\deep");
    temp.MakeFile("a\\deep\\f.bin", 4000);
    temp.MakeFolder("b");
    temp.MakeFile("b\\g.bin", 100);
    std::string path = temp.Path();
    path.pop_back();
    lstrcpynA(startPath, path.c_str(), MAX_PATH);
    StartFolderGiven = true;
    ShuttingDown = false;
    ASSERT_TRUE(RegisterMainWindowClass() || GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &cls));
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    SetDiagnosticObserver(nullptr);
    ShuttingDown = false;
    StartFolderGiven = false;
    startPath[0] = 0;
  }

  void Open() {
    window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Brisklane Pelvanor", 0x10CF0000, 0, 0, 900, 600, nullptr,
                             nullptr, AppInstance, nullptr);
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, Panes.mainTree);
  }

  // Visible tree items in order, and the list's entries.
  void ExpectRowsPaired() {
    HWND tree = Panes.mainTree;
    int visible = 0;
    for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) {
      EXPECT_EQ(LRESULT(item), SendMessageA(Panes.mainList, LB_GETITEMDATA, visible, 0)) << "entry " << visible;
      ++visible;
    }
    EXPECT_EQ(visible, SendMessageA(Panes.mainList, LB_GETCOUNT, 0, 0));
  }

  WNDCLASSA cls = {};
  TempFolder temp;
  HWND window = nullptr;
};

TEST_F(MainWindowTest, StartPathIsScannedAndShownWithOneRowPerVisibleFolder) {
  Open();
  BuildRootList();
  SelectInitialFolder();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  ASSERT_TRUE(IsFolderNode(CurrentFolder));
  EXPECT_EQ(4100, CurrentFolder->subtreeBytes) << "the start folder is current and scanned";
  ExpectRowsPaired();

  SendMessageA(window, WM_COMMAND, IDM_EXPAND_ALL, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  ExpectRowsPaired();
  char title[600];
  GetWindowTextA(window, title, sizeof title);
  EXPECT_EQ(0u, std::string(title).find("Brisklane Pelvanor -> ")) << title;
  HTREEITEM first = FirstChildItem(Panes.mainTree, CurrentFolder->mainItem);
  EXPECT_EQ("a", TreeItemText(Panes.mainTree, first)) << "the largest folder comes first";
  SendMessageA(window, WM_COMMAND, IDM_COLLAPSE_BRANCH, 0);
  ExpectRowsPaired();
  SendMessageA(window, WM_COMMAND, IDM_VERIFY_DETAIL_ROWS, 0);
  EXPECT_EQ("", g_diagnostics);

  // F5 re-reads the current folder: a folder made meanwhile appears, counted.
  temp.MakeFolder("c");
  temp.MakeFile("c\\h.bin", 700);
  FolderNode* current = CurrentFolder;
  SendMessageA(window, WM_COMMAND, IDM_REFRESH, 0);
  EXPECT_EQ(current, CurrentFolder);
  EXPECT_EQ(3, current->subfolderCount);
  ExpectRowsPaired();

  // Shown columns with no stored settings: folder, total, files in folder, modified.
  ASSERT_EQ(4, Header_GetItemCount(ColumnHeader()));

  DestroyWindow(window);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, quit.wParam);
  BYTE stored[12];
  EXPECT_TRUE(ReadBinary("14", stored, sizeof stored)) << "column layouts are saved at every exit";
}

RECT ScreenRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(MainWindowTest, HiddenPanesStayHiddenAfterARestart) {
  saveOnExit = 1;
  Open();
  HWND host = GetParent(Panes.mainTree);
  const RECT before = ScreenRect(host);
  for (UINT command : {IDM_SHOW_TOOLBAR, IDM_SHOW_STATUS_BAR, IDM_SHOW_TABS})
    SendMessageA(window, WM_COMMAND, command, 0);
  PumpMessages();  // the toggles post their layout
  const RECT after = ScreenRect(host);
  EXPECT_LT(after.top, before.top) << "the panes move up into the toolbar's and tabs' room";
  EXPECT_GT(after.bottom, before.bottom) << "and down into the status bar's";
  EXPECT_EQ(0, Settings.ShowToolbar);

  DestroyWindow(window);
  ApplyDefaultSettings(&Settings);
  LoadSettings();
  EXPECT_EQ(0, Settings.ShowToolbar);
  EXPECT_EQ(0, Settings.ShowStatusBar);
  EXPECT_EQ(0, Settings.ShowTabs);
  EXPECT_EQ(1, Settings.ShowFilePane);
  ShuttingDown = false;
  Open();
  HWND toolbar = GetDlgItem(window, IDC_TOOLBAR);
  ASSERT_NE(nullptr, toolbar);
  EXPECT_FALSE(IsWindowVisible(toolbar));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_STATUS_BAR)));
}

TEST(MainWindowLabels, EditingOpensOnlyOnRenamableFoldersAndClosesWhenTheTreeScrolls) {
  TempFolder temp;
  std::string path = temp.Path();
  path.pop_back();
  MainWindowRun run(path);
  ASSERT_NE(nullptr, run.Open());
  ASSERT_TRUE(IsFolderNode(CurrentFolder));
  HWND tree = Panes.mainTree;
  auto edit = [tree](FolderNode* node) {
    return SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node->mainItem)) != 0;
  };
  EXPECT_FALSE(edit(CurrentFolder->root)) << "a drive is not renamed here";
  EXPECT_TRUE(edit(CurrentFolder)) << "a folder of the drive is";
  SendMessageA(tree, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(0, SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)) << "the editor goes with a scroll";
}

NodeLockHolder* g_holder = nullptr;
void CALLBACK ReleaseOnStop(HWND, UINT, UINT_PTR timer, DWORD) {
  // Runs inside the shutdown's message pump: the scan may go on once the
  // window has begun to close.
  if (g_holder && ShuttingDown) {
    KillTimer(nullptr, timer);
    g_holder->Release();
    g_holder = nullptr;
  }
}

TEST_F(MainWindowTest, ClosingDuringAScanStopsItWithinOneFolder) {
  Open();
  BuildRootList();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  SelectInitialFolder();
  FolderNode* start = CurrentFolder;
  ASSERT_TRUE(IsFolderNode(start));
  FolderNode* a = nullptr;
  for (HTREEITEM item = FirstChildItem(Panes.mainTree, start->mainItem); item;
       item = NextSiblingItem(Panes.mainTree, item)) {
    FolderNode* node = NodeFromItem(Panes.mainTree, item);
    if (node->subfolderCount > 0) a = node;
  }
  ASSERT_NE(nullptr, a);

  NodeLockHolder busy(a);  // the rescan waits in this folder
  g_holder = &busy;
  SendMessageA(window, WM_COMMAND, IDM_RESCAN_FOLDER, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 1; }));
  UINT_PTR timer = SetTimer(nullptr, 0, 20, ReleaseOnStop);
  SendMessageA(window, WM_CLOSE, 0, 0);
  KillTimer(nullptr, timer);

  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(0, WorkerCount());
  EXPECT_EQ(std::string::npos, g_diagnostics.find("did not terminate")) << g_diagnostics;
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, quit.wParam);
}

}  // namespace
