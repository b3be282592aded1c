// The real main window: where it opens, what it shows, rows level with their folders, and closing it.
#include <functional>
#include <tuple>

#include "app/initial_geometry.h"
#include "model/folder_watcher.h"
#include "model/volume.h"
#include "pane/formatting.h"
#include "support/main_window_test.h"
#include "support/node_lock_holder.h"

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
// status line while the folder's row repaints, F5 and the closing during a scan.
TEST_F(MainWindowTest, ASessionOnTheCommandLineFolder) {
  temp.Make({"a", "a\\deep", "a\\deep\\f.bin:4000", "b", "b\\g.bin:100"});
  Open();
  HWND tree = Panes.mainTree;
  EXPECT_EQ(4100, start->subtreeBytes) << "the start folder is current and scanned";
  EXPECT_EQ(0u, WindowText(window).find("Brisklane Pelvanor -> ")) << WindowText(window);

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
  char text[600];
  SendMessageA(GetDlgItem(window, IDC_STATUS_BAR), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_NE(std::string::npos, std::string(text).find(total)) << text << " should show " << total;

  // F5 re-reads the current folder: a folder made meanwhile appears, counted.
  temp.Make({"c", "c\\h.bin:700"});
  FolderNode* current = CurrentFolder;
  Command(IDM_REFRESH);
  EXPECT_EQ(current, CurrentFolder);
  EXPECT_EQ(3, current->subfolderCount);
  EXPECT_EQ(4800, current->subtreeBytes);

  Select(NodeFromItem(tree, TopItem(tree)));
  EXPECT_EQ("Brisklane Pelvanor -> " + TreeItemText(tree, TopItem(tree)), WindowText(window))
      << "the computer by its name";

  // Closing during a scan stops it within one folder.
  NodeLockHolder busy(Child("a"));  // the rescan waits in this folder
  Select(start);
  SendMessageA(window, WM_COMMAND, IDM_RESCAN_FOLDER, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 1; }));
  busy.ReleaseWhen([] { return ShuttingDown; });  // inside the shutdown's pump: the window has begun to close
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(recorded.Has("did not terminate")) << recorded.diagnostics();
  EXPECT_TRUE(Close()) << "the program ends with exit code 0";
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
  const std::vector<HTREEITEM> visible = ExpectListPaired(step);
  int onScreen = 0;
  for (size_t i = 0; i < visible.size(); ++i) {
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
  for (const char* name : {"p", "q", "r", "s", "t", "u"}) {
    temp.MakeFolder(name);
    for (int middle = 0; middle < 6; ++middle) {
      const std::string branch = std::string(name) + "\\" + name + std::to_string(middle);
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
      {"wheel up", [&] { send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA)); }, false},
      {"taller rows", [&] { send(TVM_SETITEMHEIGHT, 20); }, false},
      {"thumb position", [&] { send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 170)); }, false},
      {"line down", [&] { send(WM_VSCROLL, SB_LINEDOWN); }, false},
      {"page down", [&] { send(WM_VSCROLL, SB_PAGEDOWN); }, false},
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
    if (HasFailure()) return;
    EXPECT_TRUE(!step.selectionShown || SelectionOnScreen(tree)) << step.step << ": the selection is in view";
  }
}

}  // namespace
