// Without a monitor driver, the selected folder and its parent follow the disk through change notifications.
#include <tuple>

#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "support/main_window_test.h"

namespace {

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
