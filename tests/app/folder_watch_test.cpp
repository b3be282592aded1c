// Change notifications in the real main window on real folders: with no
// monitor driver, the selected folder and its parent follow the disk alone.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/startup.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/root_list.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scratch_registry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

::testing::Environment* const g_registry = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

// Lets the program run for |ms| (for checking that nothing more happens).
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; });
}

class FolderWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a", "b", "c"}) {
      temp.MakeFolder(name);
      temp.MakeFile(std::string(name) + "\\f.bin", 1000);
    }
    temp.MakeFolder("a\\deep");
    Open("");
    ASSERT_EQ(3, start->subfolderCount);
  }

  // Starts the main window on |relative| in the scratch folder, as the
  // command line would, and waits for its scan and its watch.
  void Open(const std::string& relative) {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    std::string path = temp.Path(relative);
    if (relative.empty()) path.pop_back();  // the folder's own trailing backslash
    lstrcpynA(startPath, path.c_str(), MAX_PATH);
    StartFolderGiven = true;
    ShuttingDown = false;
    MonitorDriverMissing = true;
    WNDCLASSA known = {};
    ASSERT_TRUE(RegisterMainWindowClass() || GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &known));
    window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Brisklane Pelvanor", 0x10CF0000, 0, 0, 900, 600, nullptr, nullptr,
                             AppInstance, nullptr);
    ASSERT_NE(nullptr, window);
    BuildRootList();
    SelectInitialFolder();
    // Watchers are workers too: wait for the start folder's scan instead.
    ASSERT_TRUE(PumpUntil([] { return IsFolderNode(CurrentFolder) && (CurrentFolder->flags & SUBTREE_COMPLETE); }));
    start = CurrentFolder;
    ASSERT_TRUE(PumpUntil([&] { return IsWatched(start); }));
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(0, WorkerCount()) << "the watchers stop with the window";
    MonitorDriverMissing = false;
    ShuttingDown = false;
    StartFolderGiven = false;
    startPath[0] = 0;
  }

  FolderNode* Child(const std::string& name, FolderNode* parent = nullptr) {
    return ChildNamed(Panes.mainTree, parent ? parent : start, name);
  }
  void Select(FolderNode* node) {
    SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node->mainItem));
    ASSERT_EQ(node, CurrentFolder);
  }

  TempFolder temp;
  HWND window = nullptr;
  FolderNode* start = nullptr;
};

TEST_F(FolderWatchTest, FilesMadeGrownAndDeletedInTheSelectionAndItsParentReachTheTotals) {
  FolderNode* a = Child("a");
  ASSERT_NE(nullptr, a);
  Select(a);
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
}

TEST_F(FolderWatchTest, TenQuickChangesCauseOneRescan) {
  PumpFor(1500);  // whatever the start-up itself set off has settled
  const LONG before = WatchRescanCount();
  for (int i = 0; i < 10; ++i) temp.MakeFile("burst" + std::to_string(i) + ".bin", 100 * (i + 1));
  ASSERT_TRUE(PumpUntil([&] { return WatchRescanCount() > before; }));
  EXPECT_EQ(10, start->fileCount) << "one rescan after the last change sees them all";
  PumpFor(2500);
  EXPECT_EQ(before + 1, WatchRescanCount());
}

TEST_F(FolderWatchTest, ThreeSelectionsInTurnKeepTheLastTwoWatched) {
  FolderNode* a = Child("a");
  FolderNode* b = Child("b");
  FolderNode* c = Child("c");
  ASSERT_TRUE(a && b && c);
  Select(a);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(a); }));
  Select(b);
  // The watcher told to stop here had the parent too, which b's watcher now
  // holds: ending, it must not take the parent out of the watched folders.
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 2; }));
  EXPECT_TRUE(IsWatched(start)) << "a watcher that ends does not take the parent from the newest";
  Select(c);
  EXPECT_FALSE(IsWatched(a));
  EXPECT_TRUE(IsWatched(b));
  EXPECT_TRUE(IsWatched(c));
  EXPECT_TRUE(IsWatched(start)) << "the parent of the selection";
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 2; })) << "older watchers end";
  EXPECT_TRUE(IsWatched(start));

  temp.MakeFile("a\\unwatched.bin", 10);
  temp.MakeFile("b\\watched.bin", 10);
  EXPECT_TRUE(PumpUntil([&] { return b->fileCount == 2; }));
  EXPECT_EQ(1, a->fileCount) << "a is no longer watched";
}

TEST_F(FolderWatchTest, SelectedFolderDeletedOnDiskLeavesTheTree) {
  FolderNode* a = Child("a");
  ASSERT_NE(nullptr, a);
  Select(a);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(a); }));
  RemoveRecursively(Widen(temp.Path("a")));
  EXPECT_TRUE(PumpUntil([&] { return !IsFolderNode(a); }));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(temp.Path("a").c_str())) << "the watch let it go";
  EXPECT_EQ(2, start->subfolderCount);
  EXPECT_EQ(nullptr, Child("a"));
}

TEST_F(FolderWatchTest, SelectingAFolderThatHasGoneRemovesItAtOnce) {
  FolderNode* b = Child("b");
  ASSERT_NE(nullptr, b);
  RemoveRecursively(Widen(temp.Path("b")));
  SendMessageA(Panes.mainTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(b->mainItem));
  EXPECT_FALSE(IsFolderNode(b));
  EXPECT_EQ(nullptr, Child("b"));
}

TEST_F(FolderWatchTest, RefreshRenewsTheWatchesOfTheCurrentFolder) {
  FolderNode* a = Child("a");
  Select(a);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(a); }));
  WorkerRecord* before = CurrentWatcher;
  SendMessageA(window, WM_COMMAND, IDM_REFRESH, 0);
  EXPECT_NE(before, CurrentWatcher);
  EXPECT_TRUE(IsWatched(a) && IsWatched(start));
  temp.MakeFile("a\\after-refresh.bin", 10);
  EXPECT_TRUE(PumpUntil([&] { return a->fileCount == 2; }));
}

TEST_F(FolderWatchTest, AWatchWhoseFoldersLeftTheTreeEndsWhenAsked) {
  // b's watcher takes the start folder as b's parent, and is still running
  // (as the previous one) once the folder above the start is selected.
  for (FolderNode* node : {Child("a"), Child("b"), ParentNode(Panes.mainTree, start->mainItem)}) {
    Select(node);
    ASSERT_TRUE(PumpUntil([&] { return IsWatched(node); }));
  }
  // The branch leaves the tree while its folders stay on disk and change.
  SendMessageA(Panes.mainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(start->mainItem));
  temp.MakeFile("in-parent.bin", 1);
  PumpFor(200);
  RenewWatches(CurrentFolder);
  EXPECT_TRUE(PumpUntil([] { return WorkerCount() <= 1; }, 10000)) << "only the new watcher is left";
}

// Run under both Chinese code pages (ctest registers this file's CodePage
// tests once more under Traditional Chinese).
class CodePageNamesTest : public FolderWatchTest {
 protected:
  void SetUp() override {}
};

TEST_F(CodePageNamesTest, NamesWithBackslashTrailBytesOrOutsideTheCodePageKeepEveryFolderAndTotal) {
  // The second byte of 淺 is 0x5C in code page 936, that of 功 in 950: each
  // code page meets a name ending in one and a name holding one inside.
  const std::string ends936 = Narrow(L"\u529F\u6DFA");       // 功淺
  const std::string ends950 = Narrow(L"\u6DFA\u529F");       // 淺功
  const std::string inside = Narrow(L"\u84CB\u7C60\u5B50");  // 蓋籠子
  ASSERT_FALSE(ends936.empty() || ends950.empty() || inside.empty());
  // Thai is in neither code page: the folder is reached by its short name.
  const std::wstring thai = L"\x0E01\x0E02";
  const std::string startRelative = ends936 + "\\" + ends950;
  const std::string below = startRelative + "\\";
  temp.MakeFolder(ends936);
  temp.MakeFolder(startRelative);
  temp.MakeFile(below + "own.bin", 3);
  temp.MakeFolder(below + inside);
  temp.MakeFile(below + inside + "\\f.bin", 1000);
  temp.MakeFolder(below + inside + "\\" + ends950);
  temp.MakeFile(below + inside + "\\" + ends950 + "\\f.bin", 20000);
  temp.MakeFolder(below + inside + "\\" + ends936);
  temp.MakeFile(below + inside + "\\" + ends936 + "\\f.bin", 300000);
  temp.MakeFolder(below + ends936);
  temp.MakeFile(below + ends936 + "\\f.bin", 7);
  ASSERT_TRUE(CreateDirectoryW((Widen(temp.Path(below)) + thai).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((Widen(temp.Path(below)) + thai + L"\\ab").c_str(), nullptr));
  HANDLE file = CreateFileW((Widen(temp.Path(below)) + thai + L"\\ab\\f.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "0123456789", 10, &written, nullptr);
  CloseHandle(file);

  Open(startRelative);
  ASSERT_EQ(ends950, TreeItemText(Panes.mainTree, start->mainItem)) << "the start path is shown to its last name";
  EXPECT_EQ(ends936, TreeItemText(Panes.mainTree, ParentItem(Panes.mainTree, start->mainItem)));

  FolderNode* middle = Child(inside);
  ASSERT_NE(nullptr, middle);
  FolderNode* deep950 = Child(ends950, middle);
  FolderNode* deep936 = Child(ends936, middle);
  FolderNode* near936 = Child(ends936);
  ASSERT_TRUE(deep950 && deep936 && near936);
  EXPECT_EQ(3, start->subfolderCount) << "the Thai folder is one of them";
  EXPECT_EQ(3, start->ownBytes);
  EXPECT_EQ(1000 + 20000 + 300000 + 7 + 10, start->subtreeBytes);
  EXPECT_EQ(1000, middle->ownBytes);
  EXPECT_EQ(20000, deep950->ownBytes);
  EXPECT_EQ(300000, deep936->ownBytes);
  EXPECT_EQ(7, near936->ownBytes);
  for (FolderNode* node : {start, middle, deep950, deep936, near936})
    EXPECT_EQ(FILES_COUNTED | SUBTREE_COMPLETE, node->flags & (FILES_COUNTED | SUBTREE_COMPLETE))
        << TreeItemText(Panes.mainTree, node->mainItem);

  Select(deep950);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(deep950) && IsWatched(middle); }));
  temp.MakeFile(below + inside + "\\" + ends950 + "\\g.bin", 5);
  EXPECT_TRUE(PumpUntil([&] { return deep950->ownBytes == 20005; }));
  EXPECT_TRUE(PumpUntil([&] { return start->subtreeBytes == 321022; }));

  // The Thai folder is the child not named by any of ours.
  FolderNode* unnamed = nullptr;
  for (HTREEITEM item = FirstChildItem(Panes.mainTree, start->mainItem); item;
       item = NextSiblingItem(Panes.mainTree, item))
    if (FolderNode* child = NodeFromItem(Panes.mainTree, item); child != middle && child != near936) unnamed = child;
  ASSERT_NE(nullptr, unnamed);
  Select(unnamed);
  ASSERT_TRUE(PumpUntil([&] { return IsWatched(unnamed); })) << "watched, not taken for gone";
  ASSERT_EQ(1, ScanOneLevel(unnamed));
  EXPECT_EQ(10, unnamed->subtreeBytes) << "its rescan goes through the short name too";
}

}  // namespace
