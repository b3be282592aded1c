// Node records, their checks, locks and lists, and what deleting a tree item does to them and their ancestors.
#include <atomic>
#include <cstring>
#include <thread>

#include "model/node_list.h"
#include "model/node_removal.h"
#include "model/propagation.h"
#include "support/main_window_test.h"
#include "support/node_lock_holder.h"

namespace {

bool Retired(FolderNode* node) {
  for (NodeListEntry* entry = RetiredNodes.head; entry; entry = entry->next)
    if (entry->value == node) return true;
  return false;
}

TEST(FolderNodeRecord, InvalidPointersFailTheChecksWithoutFaulting) {
  auto* garbage = reinterpret_cast<FolderNode*>(0x10);
  EXPECT_FALSE(IsFolderNode(nullptr) || IsFolderNode(garbage));
  // A record whose end runs into an unmapped page.
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  auto* page = static_cast<BYTE*>(VirtualAlloc(nullptr, info.dwPageSize * 2, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(nullptr, page);
  VirtualAlloc(page, info.dwPageSize, MEM_COMMIT, PAGE_READWRITE);
  const uint32_t magic = NODE_MAGIC;
  auto* edge = reinterpret_cast<FolderNode*>(page + info.dwPageSize - sizeof(FolderNode) / 2);
  std::memcpy(edge, &magic, sizeof magic);
  EXPECT_FALSE(IsFolderNode(edge));
  // A full short record is readable, but a drive root needs the long one.
  auto* shortRecord = reinterpret_cast<FolderNode*>(page + info.dwPageSize - sizeof(FolderNode));
  std::memcpy(shortRecord, &magic, sizeof magic);
  EXPECT_TRUE(IsFolderNode(shortRecord));
  EXPECT_FALSE(IsDriveRoot(shortRecord));
  VirtualFree(page, 0, MEM_RELEASE);

  // Every operation given a bad pointer does nothing.
  UnlockNode(garbage);
  PropagateDelta(garbage, 5, 5);
  ResetCompleteness(garbage);
  EXPECT_EQ(0u, LockNode(garbage) + ClusterSize(garbage) + RefreshDriveInfo(garbage));
  EXPECT_EQ(0, EnumerateFolder(garbage, 4096, nullptr, true) + ScanSubtree(garbage, true, nullptr) + ScanOneLevel(0));
}

TEST(NodeListOperations, QueueOrderAndLookupByIdentifierList) {
  LocalNodeList list;
  FolderNode* nodes[3] = {CreateFolderNode(), CreateFolderNode(), CreateFolderNode()};
  for (int i = 0; i < 3; ++i) {
    nodes[i]->absoluteIdList = IdListFromPath(i ? "C:\\windows\\system32\\" : "C:\\windows\\", nullptr, nullptr);
    list.Append(nodes[i]);
  }
  LPITEMIDLIST probe = IdListFromPath("C:\\windows\\system32", nullptr, nullptr);
  EXPECT_EQ(nodes[1], list.FindByIdList(probe));
  EXPECT_EQ(nodes[1], list.TakeByIdList(probe));
  EXPECT_EQ(nodes[2], list.TakeByIdList(probe)) << "the first remaining match";
  EXPECT_EQ(nullptr, list.TakeByIdList(probe));
  FreeIdList(probe);
  list.Append(nodes[1]);
  EXPECT_EQ(nodes[0], list.PopFront());
  EXPECT_EQ(nodes[1], list.PopFront());
  EXPECT_TRUE(list.IsEmpty() && !list.tail && !list.PopFront());
  list.Append(nodes[2]);
  EXPECT_EQ(nodes[2], list.PopFront()) << "an emptied list takes new entries";
  for (FolderNode* node : nodes) FreeNodeRecord(node);
}

// The folder holds a (1000 bytes) with b (3000) inside, and c (20).
class NodeRemovalTest : public FolderChainTest {
 protected:
  void SetUp() override {
    FolderChainTest::SetUp();
    temp.Make({"a", "a\\f.bin:1000", "a\\b", "a\\b\\g.bin:3000", "c", "c\\h.bin:20"});
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    a = ChildOf(folder, "a");
    b = ChildOf(a, "b");
    ASSERT_NE(nullptr, b);
    driveBytes = drive->subtreeBytes;
  }
  void Delete(FolderNode* node) {
    SendMessageA(Panes.mainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->mainItem));
  }

  FolderNode* a = nullptr;
  FolderNode* b = nullptr;
  int64_t driveBytes = 0;
};

TEST_F(NodeRemovalTest, ARescanReportsCompletionUpwardOnceAndDeletingTheBranchSubtractsEachDescendantOnce) {
  ResetCompleteness(b);
  EXPECT_EQ("unscanned complete, 0 of 0 reported", Progress(b)) << "the reset folder keeps its own mark";
  EXPECT_EQ("running counted, 0 of 1 reported", Progress(a));
  EXPECT_EQ("running counted, 1 of 2 reported", Progress(folder)) << "only c's report is left";
  ASSERT_EQ(1, ScanSubtree(b, true, nullptr));
  EXPECT_EQ("done counted complete, 1 of 1 reported", Progress(a));
  EXPECT_EQ("done counted complete, 2 of 2 reported", Progress(folder));

  const int64_t driveAllocated = drive->subtreeAllocated;
  const int64_t branchAllocated = a->ownAllocated + a->subtreeAllocated;
  b->findItem = InsertFolderItem(Panes.findTree, top->findItem, "b", 0, 0, b);
  b->inFindList = 1;
  Delete(a);
  EXPECT_EQ(driveBytes - 4000, drive->subtreeBytes);
  EXPECT_EQ(driveAllocated - branchAllocated, drive->subtreeAllocated);
  EXPECT_EQ(SizesText(0, 0, 4096, 20, 2 * 4096), Sizes(folder));
  EXPECT_EQ(1, folder->subfolderCount);
  for (FolderNode* gone : {a, b}) {
    EXPECT_FALSE(IsFolderNode(gone));
    EXPECT_EQ(DELETED_MARK, gone->shellAttributes);
    EXPECT_EQ(nullptr, gone->mainItem);
    EXPECT_TRUE(Retired(gone));
  }
  EXPECT_EQ(nullptr, FirstChildItem(Panes.findTree, top->findItem));
  EXPECT_EQ(0, b->inFindList);
}

TEST_F(NodeRemovalTest, ASecondNotificationAnUnderflowAndTheShutdownLeaveTheTotalsRight) {
  NMTREEVIEWA second = {};
  second.hdr.hwndFrom = Panes.mainTree;
  second.hdr.code = TVN_DELETEITEMA;
  second.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
  second.itemOld.hItem = b->mainItem;
  second.itemOld.lParam = reinterpret_cast<LPARAM>(b);
  {
    NodeLockHolder busy(b);  // the first removal waits for b, serving messages
    busy.ReleaseWhen([] { return true; }, [&] { OnMainTreeDeleteItem(&second); });
    Delete(b);
  }
  EXPECT_EQ(driveBytes - 3000, drive->subtreeBytes);
  EXPECT_EQ(SizesText(1, 1000, 2 * 4096, 0, 0), Sizes(a));
  EXPECT_EQ(0, a->subfolderCount);

  // Without TVIF_PARAM the notification names no record at all.
  second.itemOld.mask = TVIF_HANDLE;
  second.itemOld.lParam = reinterpret_cast<LPARAM>(a);
  OnMainTreeDeleteItem(&second);
  EXPECT_TRUE(IsFolderNode(a));

  folder->subfolderCount = 0;  // an inconsistent count must be reported, not trusted
  Delete(ChildOf(folder, "c"));
  EXPECT_EQ(-1, folder->subfolderCount);
  EXPECT_TRUE(recorded.Has("Number of subfolders fell below 0"));
  ShuttingDown = true;
  Delete(a);
  ShuttingDown = false;
  EXPECT_EQ(driveBytes - 3020, drive->subtreeBytes) << "the shutdown retires without touching the ancestors";
  EXPECT_FALSE(IsFolderNode(a));
  EXPECT_TRUE(Retired(a));
  ReleaseRetiredNodes();
  EXPECT_TRUE(RetiredNodes.IsEmpty());
}

using PairedRemoval = MainWindowTest;  // the real window's tree, with its detail list

TEST_F(PairedRemoval, NothingIsInsertedUnderABranchBeingDeleted) {
  temp.Make({"a", "a\\b", "c"});
  Open();
  FolderNode* a = Child("a");
  // A worker's insertion under the item comes in while its deletion waits for
  // a lock, serving messages.
  HTREEITEM late = nullptr;
  std::atomic<bool> inserted{false};
  {
    NodeLockHolder busy(a);
    busy.ReleaseWhen([&] { return inserted.load(); });
    std::thread worker([&] {
      late = InsertFolderItem(Panes.mainTree, a->mainItem, "late", 0, 0, nullptr);
      inserted = true;
    });
    DeleteNodeItem(Panes.mainTree, a);
    worker.join();
  }
  EXPECT_EQ(nullptr, late) << "the item would outlive its parent";
  EXPECT_EQ(std::vector<std::string>{"c"}, ChildTexts(Panes.mainTree, start->mainItem));

  // A subfolder a scan found under c waits in the worker's queue while c goes.
  FolderNode* c = Child("c");
  FolderNode* orphan = CreateFolderNode();
  std::thread([&] { InsertSubfolderItem(Panes.mainTree, c, {"orphan", 0, 0, orphan}); }).join();
  DeleteNodeItem(Panes.mainTree, c);
  FlushTreeUpdates();
  EXPECT_TRUE(Retired(orphan) && !IsFolderNode(orphan) && !orphan->mainItem);
  EXPECT_EQ(std::vector<std::string>{}, ChildTexts(Panes.mainTree, start->mainItem));
  EXPECT_EQ(nullptr, NextSiblingItem(Panes.mainTree, TopItem(Panes.mainTree))) << "nothing at the top but the drives";
}

}  // namespace
