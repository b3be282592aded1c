// The real main window: where it opens, its title and commands, what it shows, rows level with folders, closing;
// and, without a monitor driver, the selected folder and its parent following the disk through change notifications.
#include <functional>
#include <tuple>

#include "app/command_states.h"
#include "app/folder_selection.h"
#include "app/initial_geometry.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/scan_control.h"
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

TEST(WindowTitle, PathInWordCapitals) {
  const std::string tooLong = "c:\\" + std::string(300, 'a');
  const struct {
    std::string path, title;
  } CASES[] = {
      {"d:\\data\\2nd-try", "Brisklane Pelvanor -> D:\\Data\\2nd-Try"},
      {"c:\\PROGRAM FILES\\my-app", "Brisklane Pelvanor -> C:\\Program Files\\My-App"},
      {tooLong, "Brisklane Pelvanor -> " + tooLong.substr(0, MAX_PATH)},  // past 260: as it is, cut
  };
  for (const auto& c : CASES) {
    char title[600];
    FormatWindowTitle(c.path.c_str(), title, sizeof title);
    EXPECT_EQ(c.title, title) << c.path;
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

const UINT COMMANDS[] = {IDM_MOVE_TO,   IDM_COPY_TO,       IDM_RECYCLE,   IDM_DELETE,         IDM_RENAME,
                         IDM_CUT,       IDM_COPY,          IDM_PASTE,     IDM_CREATE_FOLDER,  IDM_DISK_INFORMATION,
                         IDM_SCAN_DISK, IDM_RESCAN_FOLDER, IDM_STOP_SCAN, IDM_STOP_DRIVE_SCAN};

// One character per command of COMMANDS: '+' enabled, '-' greyed.
std::string States(FolderNode* node, HMENU menu) {
  UpdateCommandStates(node, menu, nullptr);
  std::string states;
  for (UINT id : COMMANDS) states += GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED) ? '-' : '+';
  return states;
}

TEST_F(MainWindowTest, CommandStatesOfTheTopNodeADriveRootAFolderAndAScanningDrive) {
  Open();
  DriveRootNode* drive = AsDriveRoot(start->root);
  HMENU menu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(nullptr, menu);
  // The menu bar has no items for these two; added here they must follow the scan.
  for (UINT id : {IDM_RESCAN_FOLDER, IDM_STOP_DRIVE_SCAN}) AppendMenuA(menu, MF_STRING, id, "scan");

  EXPECT_EQ("--------------", States(top, menu)) << "the top node";
  EXPECT_EQ("-------+++++--", States(drive, menu)) << "a drive root: paste, new folder, disk and scans";
  EXPECT_EQ("++++++++++++--", States(start, menu)) << "a folder";
  {
    NodeLockHolder busy(start);
    StartWorker(FolderScanWorker, start);
    ASSERT_TRUE(PumpUntil([&] { return drive->activeScan != nullptr; }));
    EXPECT_EQ("++++++++++--++", States(start, menu)) << "while the drive is scanned only the stops";
  }
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ("++++++++++++--", States(start, menu)) << "after the scan";

  Settings.SizeMode = 0;
  Settings.ShowSizesInUnits = 0;
  UpdateMenuChecks(menu, nullptr);
  for (UINT id : {IDM_SIZE_REPORTED, IDM_SIZE_ON_DISK, IDM_EXACT_BYTES})
    EXPECT_EQ(id != IDM_SIZE_ON_DISK, (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0) << id;
  DestroyMenu(menu);
}

class FolderWatch : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make({"a", "a\\f.bin:1000", "a\\deep", "b", "b\\f.bin:1000", "c", "c\\f.bin:1000"});
    MonitorDriverMissing = true;
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_EQ(3, start->subfolderCount);
  }
  // Selects |node| and waits until it is watched.
  void SelectWatched(FolderNode* node) {
    ASSERT_NE(nullptr, node);
    Select(node);
    ASSERT_TRUE(PumpUntil([&] { return IsWatched(node); }));
  }
};

TEST_F(FolderWatch, FilesMadeGrownAndDeletedInTheSelectionAndItsParentReachTheTotalsAlsoAfterARefresh) {
  FolderNode* a = Child("a");
  SelectWatched(a);
  const int64_t startTotal = start->subtreeBytes + start->ownBytes;

  temp.MakeFile("a\\new.bin", 3000);
  EXPECT_TRUE(PumpUntil([&] { return a->fileCount == 2 && a->ownBytes == 4000; }));
  temp.MakeFile("a\\new.bin", 9000);
  EXPECT_TRUE(PumpUntil([&] { return a->ownBytes == 10000; }));
  EXPECT_TRUE(PumpUntil([&] { return start->subtreeBytes + start->ownBytes == startTotal + 9000; }));
  temp.Remove("a\\new.bin");
  EXPECT_TRUE(PumpUntil([&] { return a->fileCount == 1 && a->ownBytes == 1000; }));

  temp.MakeFile("in-parent.bin", 500);  // the parent is watched with the selection
  EXPECT_TRUE(PumpUntil([&] { return start->fileCount == 1 && start->ownBytes == 500; }));

  // The old watcher's thread, held open: its record may be freed and the
  // new one allocated at the same address.
  HANDLE oldThread = nullptr;
  ASSERT_TRUE(CurrentWatcher && DuplicateHandle(GetCurrentProcess(), CurrentWatcher->thread, GetCurrentProcess(),
                                                &oldThread, SYNCHRONIZE, FALSE, 0));
  Command(IDM_REFRESH);
  EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(oldThread, 0) == WAIT_OBJECT_0; }))
      << "F5 renews the watches: the old watcher ends";
  CloseHandle(oldThread);
  EXPECT_TRUE(IsWatched(a) && IsWatched(start));
  temp.MakeFile("a\\after-refresh.bin", 10);
  EXPECT_TRUE(PumpUntil([&] { return a->fileCount == 2; }));
}

TEST_F(FolderWatch, ThreeSelectionsInTurnKeepTheLastTwoWatchedAndFoldersGoneFromDiskLeaveTheTree) {
  FolderNode *a = Child("a"), *b = Child("b"), *c = Child("c");
  SelectWatched(a);
  Select(b);
  // The watcher told to stop here had the parent too, which b's watcher now
  // holds: ending, it must not take the parent out of the watched folders.
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 2; }));
  EXPECT_TRUE(IsWatched(start)) << "a watcher that ends does not take the parent from the newest";
  Select(c);
  EXPECT_FALSE(IsWatched(a));
  EXPECT_TRUE(IsWatched(b) && IsWatched(c) && IsWatched(start)) << "the last two and the parent";
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 2; })) << "older watchers end";
  EXPECT_TRUE(IsWatched(start));

  temp.MakeFile("a\\unwatched.bin", 10);
  temp.MakeFile("b\\watched.bin", 10);
  EXPECT_TRUE(PumpUntil([&] { return b->fileCount == 2; }));
  EXPECT_EQ(1, a->fileCount) << "a is no longer watched";

  // Gone from disk: an unwatched folder leaves once selected, a watched one by itself.
  RemoveRecursively(Widen(temp.Path("a")));
  SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a->mainItem));
  EXPECT_FALSE(IsFolderNode(a)) << "a folder selected after it has gone leaves at once";
  EXPECT_EQ(nullptr, Child("a"));
  SelectWatched(c);
  RemoveRecursively(Widen(temp.Path("c")));
  EXPECT_TRUE(PumpUntil([&] { return !IsFolderNode(c); }));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temp.Path("c").c_str())) << "the watch let it go";
  EXPECT_EQ(1, start->subfolderCount);
  EXPECT_EQ(nullptr, Child("c"));
}

TEST_F(FolderWatch, AWatchWhoseFoldersLeftTheTreeEndsWhenAsked) {
  // b's watcher takes the start folder as b's parent, and is still running
  // (as the previous one) once the folder above the start is selected.
  for (FolderNode* node : {Child("a"), Child("b"), ParentNode(Panes.mainTree, start->mainItem)}) SelectWatched(node);
  // The branch leaves the tree while its folders stay on disk and change.
  SendMessageA(Panes.mainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(start->mainItem));
  temp.MakeFile("in-parent.bin", 1);
  PumpFor(200);
  RenewWatches(CurrentFolder);
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() <= 1; }, 10000)) << "only the new watcher is left";
}

// ctest runs the CodePage tests once more under Traditional Chinese.
class CodePageNames : public MainWindowTest {};

TEST_F(CodePageNames, NamesWithBackslashTrailBytesOrOutsideTheCodePageKeepEveryFolderAndTotal) {
  // The second byte of 淺 is 0x5C in code page 936, that of 功 in 950: each
  // code page meets a name ending in one and a name holding one inside.
  const std::string ends936 = Narrow(L"\u529F\u6DFA");       // 功淺
  const std::string ends950 = Narrow(L"\u6DFA\u529F");       // 淺功
  const std::string inside = Narrow(L"\u84CB\u7C60\u5B50");  // 蓋籠子
  ASSERT_FALSE(ends936.empty() || ends950.empty() || inside.empty());
  const std::string startRelative = ends936 + "\\" + ends950;
  const std::string below = startRelative + "\\", inMiddle = below + inside + "\\";
  temp.Make({ends936, startRelative, below + "own.bin:3", below + inside, inMiddle + "f.bin:1000", inMiddle + ends950,
             inMiddle + ends950 + "\\f.bin:20000", inMiddle + ends936, inMiddle + ends936 + "\\f.bin:300000",
             below + ends936, below + ends936 + "\\f.bin:7"});
  // Thai is in neither code page: the folder is reached by its short name.
  const std::wstring thai = Widen(temp.Path(below)) + L"\x0E01\x0E02";
  ASSERT_TRUE(CreateDirectoryW(thai.c_str(), nullptr) && CreateDirectoryW((thai + L"\\ab").c_str(), nullptr));
  HANDLE file = CreateFileW((thai + L"\\ab\\f.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, &written, nullptr));
  CloseHandle(file);

  MonitorDriverMissing = true;
  Open(startRelative);
  HWND tree = Panes.mainTree;
  ASSERT_EQ(ends950, TreeItemText(tree, start->mainItem)) << "the start path is shown to its last name";
  EXPECT_EQ(ends936, TreeItemText(tree, ParentItem(tree, start->mainItem)));
  FolderNode* middle = Child(inside);
  ASSERT_NE(nullptr, middle);
  FolderNode *deep950 = Child(ends950, middle), *deep936 = Child(ends936, middle), *near936 = Child(ends936);
  ASSERT_TRUE(deep950 && deep936 && near936);
  EXPECT_EQ(3, start->subfolderCount) << "the Thai folder is one of them";
  EXPECT_EQ(3, start->ownBytes);
  EXPECT_EQ(1000 + 20000 + 300000 + 7 + 10, start->subtreeBytes);
  EXPECT_EQ(std::make_tuple(1000, 20000, 300000, 7),
            std::make_tuple(middle->ownBytes, deep950->ownBytes, deep936->ownBytes, near936->ownBytes));
  for (FolderNode* node : {start, middle, deep950, deep936, near936})
    EXPECT_EQ(FILES_COUNTED | SUBTREE_COMPLETE, node->flags & (FILES_COUNTED | SUBTREE_COMPLETE))
        << TreeItemText(tree, node->mainItem);

  Select(deep950);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(deep950) && IsWatched(middle); }));
  temp.MakeFile(inMiddle + ends950 + "\\g.bin", 5);
  EXPECT_TRUE(PumpUntil([&] { return deep950->ownBytes == 20005; }));
  EXPECT_TRUE(PumpUntil([&] { return start->subtreeBytes == 321022; }));

  // The Thai folder is the child not named by any of ours.
  FolderNode* unnamed = nullptr;
  for (HTREEITEM item = FirstChildItem(tree, start->mainItem); item; item = NextSiblingItem(tree, item))
    if (FolderNode* child = NodeFromItem(tree, item); child != middle && child != near936) unnamed = child;
  ASSERT_NE(nullptr, unnamed);
  Select(unnamed);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(unnamed); })) << "watched, not taken for gone";
  ASSERT_EQ(1, ScanOneLevel(unnamed));
  EXPECT_EQ(10, unnamed->subtreeBytes) << "its rescan goes through the short name too";
}

}  // namespace
