// The real main window on a scanned temporary tree, its first geometry, and
// closing it while a scan runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/initial_geometry.h"
#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "model/worker_table.h"
#include "pane/columns.h"
#include "pane/formatting.h"
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

  SendMessageA(window, WM_COMMAND, IDM_EXPAND_ALL, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  char title[600];
  GetWindowTextA(window, title, sizeof title);
  EXPECT_EQ(0u, std::string(title).find("Brisklane Pelvanor -> ")) << title;
  HTREEITEM first = FirstChildItem(Panes.mainTree, CurrentFolder->mainItem);
  EXPECT_EQ("a", TreeItemText(Panes.mainTree, first)) << "the largest folder comes first";
  SendMessageA(window, WM_COMMAND, IDM_COLLAPSE_BRANCH, 0);
  SendMessageA(window, WM_COMMAND, IDM_VERIFY_DETAIL_ROWS, 0);
  EXPECT_EQ("", g_diagnostics);

  // F5 re-reads the current folder: a folder made meanwhile appears, counted.
  temp.MakeFolder("c");
  temp.MakeFile("c\\h.bin", 700);
  FolderNode* current = CurrentFolder;
  SendMessageA(window, WM_COMMAND, IDM_REFRESH, 0);
  EXPECT_EQ(current, CurrentFolder);
  EXPECT_EQ(3, current->subfolderCount);

  // Shown columns with no stored settings: folder, total, files in folder, modified.
  ASSERT_EQ(4, Header_GetItemCount(ColumnHeader()));

  DestroyWindow(window);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, quit.wParam);
  BYTE stored[12];
  EXPECT_TRUE(ReadBinary("14", stored, sizeof stored)) << "column layouts are saved at every exit";
}

// The list's client area below its last entry shows only the window colour:
// no numbers linger there without a folder beside them.
bool BlankBelowEntries(HWND list) {
  RECT client, last = {};
  GetClientRect(list, &client);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageA(list, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
  const int width = client.right;
  const int height = client.bottom - last.bottom;
  if (width <= 0 || height <= 0) return true;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  DWORD* pixels = nullptr;
  HDC screen = GetDC(list);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, last.bottom, SRCCOPY);
  const COLORREF colour = GetSysColor(COLOR_WINDOW);
  const DWORD window = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  const bool blank =
      pixels && std::all_of(pixels, pixels + width * height, [&](DWORD pixel) { return (pixel & 0xFFFFFF) == window; });
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(list, screen);
  return blank;
}

// What the user sees of the folder pane: one entry per visible folder, the
// list's top entry at the tree's first visible item, rows as high as the
// tree's, and every row on screen level with its folder.
void ExpectRowsLevel(const std::string& step) {
  HWND tree = Panes.mainTree;
  HWND list = Panes.mainList;
  std::vector<HTREEITEM> visible;
  for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) visible.push_back(item);
  ASSERT_EQ(LRESULT(visible.size()), SendMessageA(list, LB_GETCOUNT, 0, 0)) << step;
  ASSERT_EQ(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0), SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)) << step;
  for (size_t i = 0; i < visible.size(); ++i)
    ASSERT_EQ(LRESULT(visible[i]), SendMessageA(list, LB_GETITEMDATA, i, 0)) << step << ", entry " << i;
  const auto first = std::find(visible.begin(), visible.end(), TreeNext(tree, nullptr, TVGN_FIRSTVISIBLE));
  ASSERT_NE(visible.end(), first) << step;
  const LRESULT top = first - visible.begin();
  ASSERT_EQ(top, SendMessageA(list, LB_GETTOPINDEX, 0, 0)) << step;
  const LRESULT shown = SendMessageA(tree, TVM_GETVISIBLECOUNT, 0, 0);
  ASSERT_GT(shown, 5) << step;
  for (LRESULT i = top; i < std::min(top + shown, LRESULT(visible.size())); ++i) {
    RECT item, row;
    ASSERT_TRUE(ItemRect(tree, visible[i], false, &item)) << step;
    ASSERT_NE(LB_ERR, SendMessageA(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row))) << step;
    MapWindowPoints(list, tree, reinterpret_cast<POINT*>(&row), 2);
    EXPECT_EQ(item.top, row.top) << step << ", row " << i - top << " on screen";
  }
  UpdateWindow(list);
  EXPECT_TRUE(BlankBelowEntries(list)) << step;
}

bool SelectionOnScreen(HWND tree) {
  RECT item, client;
  GetClientRect(tree, &client);
  return ItemRect(tree, TreeNext(tree, nullptr, TVGN_CARET), false, &item) && item.top >= 0 &&
         item.bottom <= client.bottom;
}

// Every way the tree can move, on a tree too tall for the window.
TEST_F(MainWindowTest, RowsStayLevelWithTheirFoldersHoweverTheTreeMoves) {
  for (const char* top : {"p", "q", "r", "s", "t", "u"}) {
    for (int middle = 0; middle < 6; ++middle) {
      const std::string branch = std::string(top) + "\\" + top + std::to_string(middle);
      temp.MakeFolder(top);
      temp.MakeFolder(branch);
      for (int leaf = 0; leaf < 8; ++leaf) temp.MakeFolder(branch + "\\" + std::to_string(leaf));
    }
  }
  Open();
  BuildRootList();
  SelectInitialFolder();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  FolderNode* start = CurrentFolder;
  ASSERT_TRUE(IsFolderNode(start));
  HWND tree = Panes.mainTree;
  auto send = [&](UINT message, WPARAM wParam, LPARAM lParam = 0) { SendMessageA(tree, message, wParam, lParam); };
  auto command = [&](UINT id) {
    SendMessageA(window, WM_COMMAND, id, 0);
    ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  };
  // An item well below the rows on screen.
  auto farBelow = [&] {
    HTREEITEM item = TreeNext(tree, nullptr, TVGN_FIRSTVISIBLE);
    for (int i = 0; i < 60 && item; ++i) item = TreeNext(tree, item, TVGN_NEXTVISIBLE);
    return item;
  };
  FolderNode* p = ChildNamed(tree, start, "p");
  ASSERT_NE(nullptr, p);
  const WPARAM wheelDown = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
  const struct {
    const char* step;
    std::function<void()> act;
    bool selectionShown;  // the step brings the selected folder into view
  } steps[] = {
      {"scanned", [] {}, true},
      {"expand all", [&] { command(IDM_EXPAND_ALL); }, true},
      {"wheel down", [&] { send(WM_MOUSEWHEEL, wheelDown); }, false},
      {"wheel down again", [&] { send(WM_MOUSEWHEEL, wheelDown); }, false},
      {"wheel up", [&] { send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)); }, false},
      {"taller rows", [&] { send(TVM_SETITEMHEIGHT, 20); }, false},
      {"thumb track", [&] { send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 150)); }, false},
      {"thumb position", [&] { send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 170)); }, false},
      {"line down", [&] { send(WM_VSCROLL, SB_LINEDOWN); }, false},
      {"line up", [&] { send(WM_VSCROLL, SB_LINEUP); }, false},
      {"page down", [&] { send(WM_VSCROLL, SB_PAGEDOWN); }, false},
      {"page up", [&] { send(WM_VSCROLL, SB_PAGEUP); }, false},
      {"page down key", [&] { send(WM_KEYDOWN, VK_NEXT); }, true},
      {"end key", [&] { send(WM_KEYDOWN, VK_END); }, true},
      {"home key", [&] { send(WM_KEYDOWN, VK_HOME); }, true},
      {"off-screen selection", [&] { send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(farBelow())); }, true},
      {"ensure visible", [&] { send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(farBelow())); }, false},
      {"folder made on disk",
       [&] {
         temp.MakeFolder("p\\new");
         RescanTimer(window, WM_TIMER, reinterpret_cast<UINT_PTR>(p), 0);  // as the watcher's timer would
         EXPECT_NE(nullptr, ChildNamed(tree, p, "new"));
       },
       false},
      {"collapse all",
       [&] {
         send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(start->mainItem));
         command(IDM_COLLAPSE_ALL);
       },
       true},
      {"expand one level", [&] { command(IDM_EXPAND_ONE_LEVEL); }, true},
      {"refresh", [&] { command(IDM_REFRESH); }, true},
  };
  for (const auto& step : steps) {
    step.act();
    PumpMessages();
    ExpectRowsLevel(step.step);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(!step.selectionShown || SelectionOnScreen(tree)) << step.step << ": the selection is in view";
  }
}

// While a scan runs the current folder's row repaints with its growing
// total, and the status line says the same.
TEST_F(MainWindowTest, StatusLineFollowsTheCurrentFolderAsItsRowRepaints) {
  Open();
  BuildRootList();
  SelectInitialFolder();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  FolderNode* folder = CurrentFolder;
  ASSERT_TRUE(IsFolderNode(folder));
  SetFocus(Panes.mainTree);
  PumpMessages();
  folder->ownBytes += 5 << 20;  // as a scan finds more
  folder->ownAllocated += 5 << 20;
  InvalidateNodeRow(folder);
  UpdateWindow(Panes.mainList);
  char total[NUMBER_TEXT_MAX];
  FormatSize(double(NodeSizes(folder).total), total, sizeof total);
  char text[512] = "";
  SendMessageA(GetDlgItem(window, IDC_STATUS_BAR), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_NE(std::string::npos, std::string(text).find(total)) << text << " should show " << total;
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
