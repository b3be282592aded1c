// The real main window on scanned scratch folders: where it first opens, what
// it shows, rows level with their folders however the tree moves, bars that
// stay hidden, label editing, and closing it while a scan runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/initial_geometry.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
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
#include "support/main_window_test.h"
#include "support/node_lock_holder.h"
#include "support/test_panes.h"

namespace {

TEST(InitialGeometry, FirstRunAndSavedRectangles) {
  const struct {
    int32_t saved[4];
    ScreenMetrics screen;
    WindowGeometry expected;
    const char* what;
  } CASES[] = {
      {{0, 0, 0, 0}, {700, 600, 700, 600}, {0, 0, 590, 450}, "first run: 80 % of 700 is raised to 590"},
      {{0, 0, 0, 0}, {540, 600, 540, 600}, {0, 0, 432, 450}, "a narrow screen keeps 80 %"},
      {{10, 20, 1000, 2000}, {1000, 800, 1024, 768}, {10, 20, 990, 600}, "taller than maximised: 75 %"},
      {{1000, 740, 1400, 1100}, {1280, 1000, 1024, 768}, {CW_USEDEFAULT, CW_USEDEFAULT, 400, 360}, "lost corner"},
      {{1000, 100, 1400, 500}, {1280, 1000, 1024, 768}, {1000, 100, 400, 400}, "off-screen one way stays"},
  };
  for (const auto& c : CASES) {
    const WindowGeometry g = InitialGeometry(c.saved, c.screen);
    const WindowGeometry& e = c.expected;
    EXPECT_EQ(std::tie(e.x, e.y, e.width, e.height), std::tie(g.x, g.y, g.width, g.height)) << c.what;
  }
}

// A session on a start folder: what the window shows, label editing, the
// status line while the folder's row repaints, F5 and the closing.
TEST_F(MainWindowTest, ASessionOnTheCommandLineFolder) {
  temp.MakeFolder("a");
  temp.MakeFolder("a\\deep");
  temp.MakeFile("a\\deep\\f.bin", 4000);
  temp.MakeFolder("b");
  temp.MakeFile("b\\g.bin", 100);
  Open();
  HWND tree = Panes.mainTree;
  EXPECT_EQ(4100, start->subtreeBytes) << "the start folder is current and scanned";
  char text[600];
  GetWindowTextA(window, text, sizeof text);
  EXPECT_EQ(0u, std::string(text).find("Brisklane Pelvanor -> ")) << text;
  Select(NodeFromItem(tree, TopItem(tree)));
  GetWindowTextA(window, text, sizeof text);
  EXPECT_EQ("Brisklane Pelvanor -> " + TreeItemText(tree, TopItem(tree)), text) << "the computer by its name";
  Select(start);
  EXPECT_EQ(4, Header_GetItemCount(ColumnHeader())) << "folder, total, files in folder, modified";
  Command(IDM_EXPAND_ALL);
  EXPECT_EQ("a", TreeItemText(tree, FirstChildItem(tree, start->mainItem))) << "the largest folder comes first";
  Command(IDM_COLLAPSE_BRANCH);
  Command(IDM_VERIFY_DETAIL_ROWS);
  EXPECT_EQ("", recorded.diagnostics());

  auto edit = [tree](FolderNode* node) {
    return SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node->mainItem)) != 0;
  };
  EXPECT_FALSE(edit(start->root)) << "a drive is not renamed here";
  EXPECT_TRUE(edit(start)) << "a folder of the drive is";
  SendMessageA(tree, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(0, SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)) << "the editor goes with a scroll";

  // While a scan finds more, the current folder's row repaints with its
  // growing total, and the status line says the same.
  SetFocus(tree);
  PumpMessages();
  start->ownBytes += 5 << 20;
  start->ownAllocated += 5 << 20;
  InvalidateNodeRow(start);
  UpdateWindow(Panes.mainList);
  char total[NUMBER_TEXT_MAX];
  FormatSize(double(NodeSizes(start).total), total, sizeof total);
  SendMessageA(GetDlgItem(window, IDC_STATUS_BAR), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_NE(std::string::npos, std::string(text).find(total)) << text << " should show " << total;

  // F5 re-reads the current folder: a folder made meanwhile appears, counted.
  temp.MakeFolder("c");
  temp.MakeFile("c\\h.bin", 700);
  FolderNode* current = CurrentFolder;
  Command(IDM_REFRESH);
  EXPECT_EQ(current, CurrentFolder);
  EXPECT_EQ(3, current->subfolderCount);
  EXPECT_EQ(4800, current->subtreeBytes);

  EXPECT_TRUE(Close()) << "the program ends with exit code 0";
  BYTE stored[12];
  EXPECT_TRUE(ReadBinary("14", stored, sizeof stored)) << "column layouts are saved at every exit";
}

// The list below its last entry shows only the window colour: no numbers
// linger there without a folder beside them.
bool BlankBelowEntries(HWND list) {
  RECT client, last = {};
  GetClientRect(list, &client);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageA(list, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
  if (client.right <= 0 || client.bottom <= last.bottom) return true;
  Canvas below(client.right, client.bottom - last.bottom);
  below.CopyFrom(list, {0, last.bottom});
  return below.Count(below.all(), GetSysColor(COLOR_WINDOW), false) == 0;
}

// What the user sees of the folder pane: one entry per visible folder, and
// every row on screen level with its folder and as high.
void ExpectRowsLevel(const std::string& step) {
  HWND tree = Panes.mainTree, list = Panes.mainList;
  RECT client;
  GetClientRect(tree, &client);
  std::vector<HTREEITEM> visible;
  for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) visible.push_back(item);
  ASSERT_EQ(LRESULT(visible.size()), SendMessageA(list, LB_GETCOUNT, 0, 0)) << step;
  int onScreen = 0;
  for (size_t i = 0; i < visible.size(); ++i) {
    ASSERT_EQ(LRESULT(visible[i]), SendMessageA(list, LB_GETITEMDATA, i, 0)) << step << ", entry " << i;
    RECT item, row;
    if (!ItemRect(tree, visible[i], false, &item) || item.bottom <= 0 || item.top >= client.bottom) continue;
    ASSERT_NE(LB_ERR, SendMessageA(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row))) << step;
    MapWindowPoints(list, tree, reinterpret_cast<POINT*>(&row), 2);
    EXPECT_EQ(std::make_pair(item.top, LONG(SendMessageA(tree, TVM_GETITEMHEIGHT, 0, 0))),
              std::make_pair(row.top, row.bottom - row.top))
        << step << ", entry " << i;
    ++onScreen;
  }
  ASSERT_GT(onScreen, 5) << step;
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
    temp.MakeFolder(top);
    for (int middle = 0; middle < 6; ++middle) {
      const std::string branch = std::string(top) + "\\" + top + std::to_string(middle);
      temp.MakeFolder(branch);
      for (int leaf = 0; leaf < 8; ++leaf) temp.MakeFolder(branch + "\\" + std::to_string(leaf));
    }
  }
  Open();
  HWND tree = Panes.mainTree;
  auto send = [&](UINT message, WPARAM wParam, LPARAM lParam = 0) { SendMessageA(tree, message, wParam, lParam); };
  // An item well below the rows on screen.
  auto farBelow = [&] {
    HTREEITEM item = TreeNext(tree, nullptr, TVGN_FIRSTVISIBLE);
    for (int i = 0; i < 60 && item; ++i) item = TreeNext(tree, item, TVGN_NEXTVISIBLE);
    return reinterpret_cast<LPARAM>(item);
  };
  FolderNode* p = Child("p");
  ASSERT_NE(nullptr, p);
  const WPARAM wheelDown = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
  const struct {
    const char* step;
    std::function<void()> act;
    bool selectionShown;  // the step brings the selected folder into view
  } STEPS[] = {
      {"scanned", [] {}, true},
      {"expand all", [&] { Command(IDM_EXPAND_ALL); }, true},
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
      {"off-screen selection", [&] { send(TVM_SELECTITEM, TVGN_CARET, farBelow()); }, true},
      {"ensure visible", [&] { send(TVM_ENSUREVISIBLE, 0, farBelow()); }, false},
      {"folder made on disk",
       [&] {
         temp.MakeFolder("p\\new");
         RescanTimer(window, WM_TIMER, reinterpret_cast<UINT_PTR>(p), 0);  // as the watcher's timer would
         EXPECT_NE(nullptr, Child("new", p));
       },
       false},
      {"collapse all",
       [&] {
         Select(start);
         Command(IDM_COLLAPSE_ALL);
       },
       true},
      {"expand one level", [&] { Command(IDM_EXPAND_ONE_LEVEL); }, true},
      {"refresh", [&] { Command(IDM_REFRESH); }, true},
  };
  for (const auto& step : STEPS) {
    step.act();
    PumpMessages();
    ExpectRowsLevel(step.step);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(!step.selectionShown || SelectionOnScreen(tree)) << step.step << ": the selection is in view";
  }
}

RECT ScreenRect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}

TEST_F(MainWindowTest, HiddenBarsGiveThePanesTheirRoomAndStayHiddenAfterARestart) {
  saveOnExit = 1;
  Open();
  HWND host = GetParent(Panes.mainTree);
  const RECT before = ScreenRect(host);
  for (UINT command : {IDM_SHOW_TOOLBAR, IDM_SHOW_STATUS_BAR, IDM_SHOW_TABS}) Command(command);
  PumpMessages();  // the toggles post their layout
  const RECT after = ScreenRect(host);
  EXPECT_LT(after.top, before.top) << "the panes move up into the toolbar's and tabs' room";
  EXPECT_GT(after.bottom, before.bottom) << "and down into the status bar's";

  Restart();
  EXPECT_EQ(std::make_tuple(0, 0, 0, 1),
            std::make_tuple(Settings.ShowToolbar, Settings.ShowStatusBar, Settings.ShowTabs, Settings.ShowFilePane));
  for (int bar : {IDC_TOOLBAR, IDC_STATUS_BAR}) {
    ASSERT_NE(nullptr, GetDlgItem(window, bar)) << bar;
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, bar))) << bar;
  }
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
  temp.MakeFolder("a");
  temp.MakeFolder("a\\deep");
  Open();
  NodeLockHolder busy(Child("a"));  // the rescan waits in this folder
  g_holder = &busy;
  SendMessageA(window, WM_COMMAND, IDM_RESCAN_FOLDER, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 1; }));
  UINT_PTR timer = SetTimer(nullptr, 0, 20, ReleaseOnStop);
  SendMessageA(window, WM_CLOSE, 0, 0);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(std::string::npos, recorded.diagnostics().find("did not terminate")) << recorded.diagnostics();
  EXPECT_TRUE(Close()) << "the program ends with exit code 0";
}

}  // namespace
