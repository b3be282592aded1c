// Scans of real folders into a real tree view: totals in both measures,
// completeness, dates and the removal of what vanished.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "model/node_removal.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "model/worker_record.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"
#include "support/folder_chain_test.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

constexpr int64_t CLUSTER = 4096;  // 8 sectors of 512 bytes

class ScanTest : public FolderChainTest {
 protected:
  // a: 0 bytes, b: one whole cluster, c: a cluster and a bit; sub holds d and
  // an empty folder.
  void MakeSample() {
    temp.MakeFile("a.bin", 0);
    temp.MakeFile("b.bin", 4096);
    temp.MakeFile("c.bin", 5000);
    temp.MakeFolder("sub");
    temp.MakeFile("sub\\d.bin", 5000);
    temp.MakeFolder("sub\\empty");
  }
};

constexpr uint8_t FINAL = FILES_COUNTED | SUBTREE_COMPLETE;

// Sums the own values below |node| by walking its items, to check the
// propagated subtree values against.
void SumDescendants(HWND tree, FolderNode* node, int64_t* bytes, int64_t* allocated) {
  for (HTREEITEM item = FirstChildItem(tree, node->mainItem); item; item = NextSiblingItem(tree, item)) {
    FolderNode* child = NodeFromItem(tree, item);
    *bytes += child->ownBytes;
    *allocated += child->ownAllocated;
    SumDescendants(tree, child, bytes, allocated);
  }
}

void ExpectSubtreeInvariant(HWND tree, FolderNode* node) {
  int64_t bytes = 0, allocated = 0;
  SumDescendants(tree, node, &bytes, &allocated);
  EXPECT_EQ(bytes, node->subtreeBytes);
  EXPECT_EQ(allocated, node->subtreeAllocated);
  for (HTREEITEM item = FirstChildItem(tree, node->mainItem); item; item = NextSiblingItem(tree, item))
    ExpectSubtreeInvariant(tree, NodeFromItem(tree, item));
}

TEST_F(ScanTest, FullScanCountsEveryFileInBothMeasuresOnTheRealClusterSize) {
  ScopedDriveQueries system(nullptr);
  const int64_t cluster = ClusterSize(folder);
  ASSERT_GT(cluster, 0);
  auto rounded = [&](uint32_t size) { return int64_t(RoundToClusters(size, uint32_t(cluster))); };
  MakeSample();
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));

  EXPECT_EQ(3, folder->fileCount);
  EXPECT_EQ(0 + 4096 + 5000, folder->ownBytes);
  EXPECT_EQ(cluster + rounded(0) + rounded(4096) + rounded(5000), folder->ownAllocated);
  EXPECT_EQ(1, folder->subfolderCount);

  FolderNode* sub = panes.Child(folder, "sub");
  ASSERT_NE(nullptr, sub);
  FolderNode* empty = panes.Child(sub, "empty");
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(1, sub->fileCount);
  EXPECT_EQ(5000, sub->ownBytes);
  EXPECT_EQ(cluster + rounded(5000), sub->ownAllocated);
  EXPECT_EQ(1, sub->subfolderCount);
  EXPECT_EQ(0, empty->fileCount);
  EXPECT_EQ(0, empty->ownBytes);
  EXPECT_EQ(cluster, empty->ownAllocated);
  EXPECT_EQ(0, empty->subfolderCount);

  EXPECT_EQ(5000, folder->subtreeBytes);
  EXPECT_EQ(2 * cluster + rounded(5000), folder->subtreeAllocated);
  ExpectSubtreeInvariant(panes.tree(), drive);
  EXPECT_EQ(0, top->subtreeBytes) << "propagation stops at the drive root";

  for (FolderNode* node : {folder, sub, empty}) {
    EXPECT_EQ(FINAL, node->flags & FINAL) << panes.ItemText(node);
    EXPECT_EQ(SCAN_DONE, node->scanState) << panes.ItemText(node);
    EXPECT_EQ(node->subfolderCount, node->subFoldersCalculated) << panes.ItemText(node);
    EXPECT_EQ(drive, node->root);
  }
  EXPECT_FALSE(panes.ItemHasButton(empty));
  EXPECT_TRUE(panes.ItemHasButton(sub));

  Settings.SizeMode = 0;
  EXPECT_EQ(folder->ownBytes + folder->subtreeBytes, NodeSizes(folder).total);
  Settings.SizeMode = 1;
  EXPECT_EQ(folder->ownAllocated + folder->subtreeAllocated, NodeSizes(folder).total);
}

TEST_F(ScanTest, FilesOver4GiBContributeTheirLowPartOnly) {
  temp.MakeFile("huge.bin", (1ull << 32) + 5000);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(1, folder->fileCount);
  EXPECT_EQ(5000, folder->ownBytes);
  EXPECT_EQ(CLUSTER + 8192, folder->ownAllocated);
}

TEST_F(ScanTest, TheWinePrefixDriveIsAFixedDiskWithPowerOfTwoClusters) {
  ScopedDriveQueries system(nullptr);
  uint32_t cluster = ClusterSize(folder);
  EXPECT_EQ(0u, cluster & (cluster - 1)) << cluster;
  EXPECT_NE(0, drive->flags & DRIVE_INFO_VALID);
  EXPECT_EQ(UINT(DRIVE_FIXED), drive->driveType);
  EXPECT_GT(drive->totalBytes, drive->freeBytes);
}

TEST_F(ScanTest, FolderDatesRiseToTheLatestFileInside) {
  temp.MakeFolder("sub");
  temp.MakeFile("sub\\new.bin", 10);
  temp.MakeFile("sub\\old.bin", 10);
  SYSTEMTIME future = {2031, 3, 0, 14, 12, 0, 0, 0};
  SYSTEMTIME past = {1999, 1, 0, 1, 0, 0, 0, 0};
  FILETIME late, early;
  SystemTimeToFileTime(&future, &late);
  SystemTimeToFileTime(&past, &early);
  for (auto [name, time] : {std::pair<const char*, FILETIME>{"sub\\new.bin", late}, {"sub\\old.bin", early}}) {
    HANDLE file = CreateFileA(temp.Path(name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFileTime(file, nullptr, &time, &time);
    CloseHandle(file);
  }
  WIN32_FILE_ATTRIBUTE_DATA own;
  ASSERT_TRUE(GetFileAttributesExA(temp.Path("sub").c_str(), GetFileExInfoStandard, &own));

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* sub = panes.Child(folder, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(0, CompareFileTime(&own.ftCreationTime, &sub->created));
  EXPECT_EQ(0, CompareFileTime(&late, &sub->lastWrite));
  EXPECT_EQ(0, CompareFileTime(&late, &sub->lastAccess));
}

TEST_F(ScanTest, RescanOfUnchangedFilesLeavesEveryTotalAsItWas) {
  MakeSample();
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  const int64_t driveBytes = drive->subtreeBytes, driveAllocated = drive->subtreeAllocated;
  const int64_t bytes = folder->subtreeBytes, allocated = folder->subtreeAllocated;
  FolderNode* sub = panes.Child(folder, "sub");

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(driveBytes, drive->subtreeBytes);
  EXPECT_EQ(driveAllocated, drive->subtreeAllocated);
  EXPECT_EQ(bytes, folder->subtreeBytes);
  EXPECT_EQ(allocated, folder->subtreeAllocated);
  // The known children were reused, not duplicated, and completions counted once.
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(sub, panes.Child(folder, "sub"));
  EXPECT_EQ(1, panes.ChildCount(folder));
  EXPECT_EQ(1, folder->subfolderCount);
  EXPECT_EQ(1, folder->subFoldersCalculated);
  EXPECT_EQ(FINAL, folder->flags & FINAL);
  EXPECT_EQ(FINAL, sub->flags & FINAL);
}

TEST_F(ScanTest, GrownFileReachesEveryAncestorAsADelta) {
  MakeSample();
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  const int64_t driveAllocated = drive->subtreeAllocated;
  FolderNode* sub = panes.Child(folder, "sub");
  temp.MakeFile("sub\\d.bin", 9000);  // 5000 -> 9000 bytes, 2 -> 3 clusters

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(9000, sub->ownBytes);
  EXPECT_EQ(9000, folder->subtreeBytes);
  EXPECT_EQ(driveAllocated + CLUSTER, drive->subtreeAllocated);
}

TEST_F(ScanTest, SubfolderDeletedOnDiskLeavesTheTreeAndItsTotalsLeaveTheAncestors) {
  MakeSample();
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* sub = panes.Child(folder, "sub");
  FolderNode* empty = panes.Child(sub, "empty");
  const int64_t driveBytes = drive->subtreeBytes;
  const int64_t driveAllocated = drive->subtreeAllocated;

  temp.Remove("sub");
  ASSERT_EQ(1, ScanOneLevel(folder));

  EXPECT_EQ(0, panes.ChildCount(folder));
  EXPECT_FALSE(panes.ItemHasButton(folder));
  EXPECT_EQ(0, folder->subfolderCount);
  EXPECT_EQ(0, folder->subtreeBytes);
  EXPECT_EQ(0, folder->subtreeAllocated);
  EXPECT_EQ(driveBytes - 5000, drive->subtreeBytes);
  EXPECT_EQ(driveAllocated - (CLUSTER + 8192) - CLUSTER, drive->subtreeAllocated);
  EXPECT_FALSE(IsFolderNode(sub));
  EXPECT_FALSE(IsFolderNode(empty));
}

TEST_F(ScanTest, NewSubfolderIsScannedWhileKnownOnesAreLeftAloneWithoutDescending) {
  MakeSample();
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* sub = panes.Child(folder, "sub");
  temp.MakeFile("sub\\later.bin", 100);  // not seen: sub is not descended into
  temp.MakeFolder("fresh");
  temp.MakeFile("fresh\\f.bin", 300);

  ASSERT_EQ(1, ScanSubtree(folder, false, nullptr));
  FolderNode* fresh = panes.Child(folder, "fresh");
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ(300, fresh->ownBytes);
  EXPECT_EQ(1, sub->fileCount);
  EXPECT_EQ(5000 + 300, folder->subtreeBytes);
  EXPECT_EQ(2, folder->subfolderCount);
}

TEST_F(ScanTest, CompletionIsCountedOnceAndTakenBackWithTheFolder) {
  MakeSample();
  temp.MakeFolder("later");
  WorkerRecord stop = {};
  stop.stopRequested = 1;
  ScanSubtree(folder, true, &stop);  // lists the folder only
  FolderNode* sub = panes.Child(folder, "sub");
  FolderNode* later = panes.Child(folder, "later");
  ASSERT_TRUE(sub && later);
  ASSERT_EQ(1, ScanSubtree(sub, true, nullptr));
  // Repeated reports from a finished folder must not stand in for "later".
  ASSERT_EQ(1, ScanOneLevel(sub));
  ASSERT_EQ(1, ScanOneLevel(panes.Child(sub, "empty")));
  EXPECT_EQ(0, folder->flags & SUBTREE_COMPLETE) << "later is not scanned yet";
  ASSERT_EQ(1, ScanSubtree(later, true, nullptr));
  EXPECT_EQ(FINAL, folder->flags & FINAL);

  // A finished subfolder deleted on disk takes its report with it, so the
  // next descending scan finishes the folder and the drive again.
  temp.Remove("sub");
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(FINAL, folder->flags & FINAL);
  EXPECT_EQ(1, folder->subFoldersCalculated);
  EXPECT_NE(0, drive->flags & SUBTREE_COMPLETE);
  EXPECT_EQ(SCAN_DONE, drive->scanState);
}

TEST_F(ScanTest, AncestorsOfARepeatedDescendingScanAreDoneWhenItEnds) {
  MakeSample();
  temp.MakeFolder("never");
  FolderNode* sub = nullptr;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(1, ScanOneLevel(folder));
    sub = panes.Child(folder, "sub");
    ASSERT_EQ(1, ScanSubtree(sub, true, nullptr));
  }
  // "never" is not scanned, so no completion reaches the folder or the drive.
  ASSERT_EQ(0, drive->flags & SUBTREE_COMPLETE);
  EXPECT_EQ(SCAN_DONE, folder->scanState);
  EXPECT_NE(SCAN_RUNNING, drive->scanState);
  EXPECT_EQ(FINAL, sub->flags & FINAL);
}

TEST_F(ScanTest, StopRequestLeavesQueuedFoldersUnscannedAndTheStartDone) {
  MakeSample();
  WorkerRecord worker = {};
  worker.stopRequested = 1;
  ScanSubtree(folder, true, &worker);

  EXPECT_EQ(SCAN_DONE, folder->scanState);
  EXPECT_NE(0, folder->flags & FILES_COUNTED);
  FolderNode* sub = panes.Child(folder, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(SCAN_NONE, sub->scanState);
  EXPECT_EQ(0, sub->flags & FILES_COUNTED);
  EXPECT_EQ(0, folder->flags & SUBTREE_COMPLETE);
}

TEST_F(ScanTest, FolderThatCannotBeListedIsRemoved) {
  MakeSample();
  ASSERT_EQ(1, ScanOneLevel(folder));
  FolderNode* sub = panes.Child(folder, "sub");
  ASSERT_NE(nullptr, sub);
  // Root ignores access rights under Wine, so make the folder unlistable by
  // replacing it with a file of the same name.
  temp.Remove("sub");
  temp.MakeFile("sub", 10);

  EXPECT_EQ(0, ScanSubtree(sub, true, nullptr));
  EXPECT_FALSE(IsFolderNode(sub));
  EXPECT_EQ(0, folder->subfolderCount);
  EXPECT_EQ(0, panes.ChildCount(folder));
}

TEST_F(ScanTest, DriveWithoutGeometryStartsNoEnumeration) {
  temp.MakeFile("a.bin", 10);
  geometry.fail = true;
  std::string seen;
  static std::string* sink = nullptr;
  sink = &seen;
  SetDiagnosticObserver([](int, const char* text) { *sink += text; });
  EXPECT_EQ(0, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(0, ScanOneLevel(folder));
  SetDiagnosticObserver(nullptr);
  EXPECT_EQ(SCAN_NONE, folder->scanState);
  EXPECT_EQ(0, folder->fileCount);
  EXPECT_EQ(0, drive->flags & DRIVE_INFO_VALID);
  EXPECT_NE(std::string::npos, seen.find("Cannot get info for the drive."));
}

TEST_F(ScanTest, SubfolderWhosePathWouldPassTheLimitIsSkipped) {
  // Nest until the next level's "name\*.*" no longer fits in MAX_PATH.
  std::string relative = "long";
  temp.MakeFolder(relative);
  while (temp.Path(relative).size() + 1 + 40 < MAX_PATH) {
    relative += "\\" + std::string(40, 'x');
    temp.MakeFolder(relative);
  }
  const std::string deep = relative;
  relative += "\\" + std::string(MAX_PATH - temp.Path(deep).size(), 'y');
  temp.MakeFolder(relative);  // only reachable through a \\?\ path
  temp.MakeFile(deep + "\\f.bin", 77);

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* node = panes.Child(folder, "long");
  while (node && node->subfolderCount > 0) node = panes.Child(node, std::string(40, 'x'));
  ASSERT_NE(nullptr, node);
  EXPECT_EQ(1, node->fileCount);
  EXPECT_EQ(77, node->ownBytes);
  EXPECT_EQ(0, node->subfolderCount);
  EXPECT_EQ(FINAL, node->flags & FINAL);
  EXPECT_EQ(77, folder->subtreeBytes);
}

TEST_F(ScanTest, FolderNameOutsideTheCodePageIsReachedByItsShortName) {
  // Thai is in neither code page 936 nor 950 (nor 1252); its ANSI form "??"
  // would be a wildcard path matching any two-letter folder.
  const std::wstring thai = Widen(temp.Path()) + L"\x0E01\x0E02";
  ASSERT_TRUE(CreateDirectoryW(thai.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((thai + L"\\inner").c_str(), nullptr));
  temp.MakeFolder("ab");
  temp.MakeFile("ab\\x.bin", 30);
  temp.MakeFile("plain.bin", 5000);

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(1, folder->fileCount);
  EXPECT_EQ(5000, folder->ownBytes);
  EXPECT_EQ(2, folder->subfolderCount);
  ASSERT_EQ(2, panes.ChildCount(folder));
  EXPECT_EQ(30, folder->subtreeBytes) << "ab is counted once, never as the Thai folder too";
  EXPECT_EQ(FINAL, folder->flags & FINAL) << "the Thai folder and its own subfolder were scanned";
}

// The icon indexes the tree shows for |node|.
std::pair<int, int> ItemImages(HWND tree, FolderNode* node) {
  TVITEMA item = {};
  item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = node->mainItem;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return {item.iImage, item.iSelectedImage};
}

// What the shell answers for |node|'s own list.
std::pair<int, int> ShellImages(FolderNode* node) {
  TVITEMA icons = {};
  ItemIcons(node->absoluteIdList, &icons);
  return {icons.iImage, icons.iSelectedImage};
}

TEST_F(ScanTest, SubfoldersCarryTheListsAndAttributesTheDesktopGivesForTheirPaths) {
  MakeSample();
  const std::string chinese = Narrow(L"\u6570\u636E");
  if (!chinese.empty()) temp.MakeFolder(chinese);
  // Hidden and read-only folders answer other attributes.
  temp.MakeFolder("secret");
  SetFileAttributesA(temp.Path("secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  temp.MakeFolder("locked");
  SetFileAttributesA(temp.Path("locked").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* sub = panes.Child(folder, "sub");
  ASSERT_NE(nullptr, sub);
  FolderNode* empty = panes.Child(sub, "empty");
  ASSERT_NE(nullptr, empty);
  std::vector<std::pair<FolderNode*, std::string>> checked = {{sub, "sub"}, {empty, "sub\\empty"}};
  for (const char* name : {"secret", "locked"}) {
    FolderNode* node = panes.Child(folder, name);
    EXPECT_NE(nullptr, node) << name;
    if (node) checked.push_back({node, name});
  }
  FolderNode* named = chinese.empty() ? nullptr : panes.Child(folder, chinese);
  if (named) checked.push_back({named, chinese});
  EXPECT_TRUE(chinese.empty() || named) << "the Chinese folder is in the tree";
  for (const auto& [node, relative] : checked) {
    ULONG attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_HASPROPSHEET |
                       SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;
    LPITEMIDLIST parsed = IdListFromPath((temp.Path(relative) + "\\").c_str(), nullptr, &attributes);
    ASSERT_NE(nullptr, parsed) << relative;
    EXPECT_TRUE(IdListBytesEqual(parsed, node->absoluteIdList)) << relative;
    EXPECT_EQ(attributes, node->shellAttributes) << relative;
    UINT prefix = 0;
    EXPECT_TRUE(EndsWithItem(node->absoluteIdList, node->relativeIdList, &prefix)) << relative;
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetPathFromIDListA(node->absoluteIdList, path));
    EXPECT_EQ(temp.Path(relative), path);
    FreeIdList(parsed);
  }
}

TEST_F(ScanTest, EveryFolderShowsTheIconTheShellGivesIt) {
  temp.MakeFolder("plain");
  temp.MakeFolder("other");
  // The shell reads a folder's own icon from its desktop.ini only when the
  // folder is marked read-only or system.
  temp.MakeFolder("marked");
  const std::string settings = temp.Path("marked\\desktop.ini");
  const std::string icon = "C:\\windows\\system32\\shell32.dll";
  ASSERT_TRUE(WritePrivateProfileStringA(".ShellClassInfo", "IconFile", icon.c_str(), settings.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA(".ShellClassInfo", "IconIndex", "12", settings.c_str()));
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, settings.c_str());
  ASSERT_TRUE(SetFileAttributesA(temp.Path("marked").c_str(), FILE_ATTRIBUTE_READONLY));
  // One with the file but without the mark, and one marked without the file.
  temp.MakeFolder("unmarked");
  ASSERT_TRUE(CopyFileA(settings.c_str(), temp.Path("unmarked\\desktop.ini").c_str(), FALSE));
  temp.MakeFolder("bare");
  ASSERT_TRUE(SetFileAttributesA(temp.Path("bare").c_str(), FILE_ATTRIBUTE_SYSTEM));

  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  for (const char* name : {"plain", "other", "marked", "unmarked", "bare"}) {
    FolderNode* node = panes.Child(folder, name);
    ASSERT_NE(nullptr, node) << name;
    EXPECT_EQ(ShellImages(node), ItemImages(panes.tree(), node)) << name;
  }
  EXPECT_NE(ItemImages(panes.tree(), panes.Child(folder, "plain")),
            ItemImages(panes.tree(), panes.Child(folder, "marked")))
      << "the marked folder has its own icon";
  SetFileAttributesA(temp.Path("marked").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesA(temp.Path("bare").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
