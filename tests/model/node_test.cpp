// Node records, their validity checks, locks and lists, and what deleting a
// tree item does to the record and to its ancestors.
#include <gtest/gtest.h>

#include <cstring>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/node_list.h"
#include "model/node_removal.h"
#include "model/propagation.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "shell/shell_items.h"
#include "support/folder_chain_test.h"
#include "support/node_lock_holder.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

bool Retired(FolderNode* node) {
  for (NodeListEntry* entry = RetiredNodes.head; entry; entry = entry->next)
    if (entry->value == node) return true;
  return false;
}

TEST(FolderNodeRecord, NewRecordsStartZeroedWithTheirKind) {
  FolderNode* folder = CreateFolderNode();
  DriveRootNode* drive = CreateDriveRootNode();
  FolderNode* top = CreateTopNode();
  EXPECT_EQ(NODE_MAGIC, folder->magic);
  EXPECT_EQ(NODE_FOLDER, folder->kind);
  EXPECT_EQ(NODE_DRIVE_ROOT, drive->kind);
  EXPECT_EQ(drive, drive->root);
  EXPECT_EQ(nullptr, folder->root);
  EXPECT_NE(nullptr, folder->lock);
  EXPECT_EQ(nullptr, top->lock);
  EXPECT_EQ(0, folder->ownBytes + folder->subtreeAllocated + folder->fileCount);
  EXPECT_EQ(0u, drive->totalClusters);
  EXPECT_EQ(0.0, drive->freeBytes);
  EXPECT_TRUE(IsFolderNode(folder));
  EXPECT_TRUE(IsDriveRoot(drive));
  // The top node has no lock: locking it succeeds at once.
  EXPECT_EQ(0u, LockNode(top));
  UnlockNode(top);
  FreeNodeRecord(folder);
  FreeNodeRecord(drive);
  FreeNodeRecord(top);
}

TEST(FolderNodeRecord, InvalidPointersFailTheChecksWithoutFaulting) {
  EXPECT_FALSE(IsFolderNode(nullptr));
  EXPECT_FALSE(IsFolderNode(reinterpret_cast<FolderNode*>(0x10)));
  // A record whose end runs into an unmapped page.
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  auto* page = static_cast<BYTE*>(VirtualAlloc(nullptr, info.dwPageSize * 2, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(nullptr, page);
  VirtualAlloc(page, info.dwPageSize, MEM_COMMIT, PAGE_READWRITE);
  auto* edge = reinterpret_cast<FolderNode*>(page + info.dwPageSize - sizeof(FolderNode) / 2);
  uint32_t magic = NODE_MAGIC;
  std::memcpy(edge, &magic, sizeof magic);
  EXPECT_FALSE(IsFolderNode(edge));
  // A full short record is readable, but a drive root needs the long one.
  auto* shortRecord = reinterpret_cast<FolderNode*>(page + info.dwPageSize - sizeof(FolderNode));
  std::memcpy(shortRecord, &magic, sizeof magic);
  EXPECT_TRUE(IsFolderNode(shortRecord));
  EXPECT_FALSE(IsDriveRoot(shortRecord));
  VirtualFree(page, 0, MEM_RELEASE);

  // Every operation given a bad pointer does nothing.
  auto* garbage = reinterpret_cast<FolderNode*>(0x10);
  EXPECT_EQ(0u, LockNode(garbage));
  UnlockNode(garbage);
  PropagateDelta(garbage, 5, 5);
  ResetCompleteness(garbage);
  EXPECT_EQ(0, EnumerateFolder(garbage, 4096, nullptr, true));
  EXPECT_EQ(0, ScanSubtree(garbage, true, nullptr));
  EXPECT_EQ(0, ScanOneLevel(nullptr));
  EXPECT_EQ(0u, ClusterSize(garbage));
  EXPECT_FALSE(RefreshDriveInfo(garbage));
}

struct LockSharing {
  FolderNode* node;
  HWND target;
  HANDLE locked;
};

DWORD WINAPI HoldLockAndSend(void* parameter) {
  auto* shared = static_cast<LockSharing*>(parameter);
  LockNode(shared->node);
  SetEvent(shared->locked);
  SendMessageA(shared->target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("sent under the lock"));
  UnlockNode(shared->node);
  return 0;
}

TEST(FolderNodeRecord, LockHeldByAWorkerIsWaitedForWhileMessagesAreServed) {
  FolderNode* node = CreateFolderNode();
  HWND target = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  LockSharing shared = {node, target, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  // The worker holds the lock while it sends to a window of this thread, as
  // a scan does with the tree; only a pumping wait lets it finish.
  HANDLE thread = CreateThread(nullptr, 0, HoldLockAndSend, &shared, 0, nullptr);
  WaitForSingleObject(shared.locked, INFINITE);
  EXPECT_EQ(WAIT_OBJECT_0, LockNode(node));
  UnlockNode(node);
  char text[32] = "";
  GetWindowTextA(target, text, sizeof text);
  EXPECT_STREQ("sent under the lock", text);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(shared.locked);
  DestroyWindow(target);
  FreeNodeRecord(node);
}

TEST(NodeListOperations, QueueOrderRemovalAndLookupByIdentifierList) {
  LocalNodeList list;
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(nullptr, list.PopFront());
  FolderNode* nodes[3] = {CreateFolderNode(), CreateFolderNode(), CreateFolderNode()};
  nodes[0]->absoluteIdList = IdListFromPath("C:\\windows\\", nullptr, nullptr);
  nodes[1]->absoluteIdList = IdListFromPath("C:\\windows\\system32\\", nullptr, nullptr);
  nodes[2]->absoluteIdList = IdListFromPath("C:\\windows\\system32\\", nullptr, nullptr);
  ASSERT_NE(nullptr, nodes[1]->absoluteIdList);
  for (FolderNode* node : nodes) list.Append(node);
  EXPECT_EQ(nodes[0], list.PeekFront());

  EXPECT_EQ(nullptr, list.TakeByIdList(nullptr));
  LPITEMIDLIST probe = IdListFromPath("C:\\windows\\system32", nullptr, nullptr);
  EXPECT_EQ(nodes[1], list.FindByIdList(probe));
  EXPECT_EQ(nodes[1], list.TakeByIdList(probe));
  EXPECT_EQ(nodes[2], list.TakeByIdList(probe)) << "the first remaining match";
  EXPECT_EQ(nullptr, list.TakeByIdList(probe));
  FreeIdList(probe);

  list.Append(nodes[1]);
  EXPECT_TRUE(list.Remove(nodes[0]));
  EXPECT_FALSE(list.Remove(nodes[0]));
  EXPECT_EQ(nodes[1], list.PopFront());
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(nullptr, list.tail);
  list.Append(nodes[2]);
  EXPECT_EQ(nodes[2], list.PopFront());
  for (FolderNode* node : nodes) FreeNodeRecord(node);
}

class NodeRemovalTest : public FolderChainTest {
 protected:
  void SetUp() override {
    temp.MakeFolder("a");
    temp.MakeFile("a\\f.bin", 1000);
    temp.MakeFolder("a\\b");
    temp.MakeFile("a\\b\\g.bin", 3000);
    temp.MakeFolder("c");
    temp.MakeFile("c\\h.bin", 20);
    FolderChainTest::SetUp();
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    a = panes.Child(folder, "a");
    b = panes.Child(a, "b");
    ASSERT_NE(nullptr, b);
  }

  FolderNode* a = nullptr;
  FolderNode* b = nullptr;
};

TEST_F(NodeRemovalTest, DeletingABranchSubtractsEachDescendantOnce) {
  const int64_t driveBytes = drive->subtreeBytes;
  const int64_t driveAllocated = drive->subtreeAllocated;
  const int64_t branchAllocated = a->ownAllocated + a->subtreeAllocated;
  EXPECT_EQ(4000, a->ownBytes + a->subtreeBytes);

  SendMessageA(panes.tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a->mainItem));

  EXPECT_EQ(driveBytes - 4000, drive->subtreeBytes);
  EXPECT_EQ(driveAllocated - branchAllocated, drive->subtreeAllocated);
  EXPECT_EQ(20, folder->subtreeBytes);
  EXPECT_EQ(1, folder->subfolderCount);
  for (FolderNode* gone : {a, b}) {
    EXPECT_FALSE(IsFolderNode(gone));
    EXPECT_EQ(DELETED_MARK, gone->shellAttributes);
    EXPECT_EQ(nullptr, gone->mainItem);
    EXPECT_TRUE(Retired(gone));
  }
}

TEST_F(NodeRemovalTest, ASecondDeleteNotificationChangesNothing) {
  NMTREEVIEWA notification = {};
  notification.hdr.hwndFrom = panes.tree();
  notification.hdr.code = TVN_DELETEITEMA;
  notification.itemOld.mask = TVIF_HANDLE | TVIF_PARAM;
  notification.itemOld.hItem = b->mainItem;
  notification.itemOld.lParam = reinterpret_cast<LPARAM>(b);
  const int64_t driveBytes = drive->subtreeBytes;

  OnMainTreeDeleteItem(&notification);
  EXPECT_EQ(driveBytes - 3000, drive->subtreeBytes);
  EXPECT_EQ(0, a->subfolderCount);
  OnMainTreeDeleteItem(&notification);
  // The tree item still exists and still carries the retired record.
  SendMessageA(panes.tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(notification.itemOld.hItem));
  EXPECT_EQ(driveBytes - 3000, drive->subtreeBytes);
  EXPECT_EQ(0, a->subfolderCount);
  EXPECT_EQ(0, a->subtreeBytes);

  // Without TVIF_PARAM the notification names no record at all.
  notification.itemOld.mask = TVIF_HANDLE;
  notification.itemOld.lParam = reinterpret_cast<LPARAM>(a);
  OnMainTreeDeleteItem(&notification);
  EXPECT_TRUE(IsFolderNode(a));
}

TEST_F(NodeRemovalTest, DeletingAChildOfAParentWithoutChildrenReportsTheUnderflow) {
  a->subfolderCount = 0;  // an inconsistent count must be reported, not trusted
  static std::string seen;
  seen.clear();
  SetDiagnosticObserver([](int, const char* text) { seen += text; });
  SendMessageA(panes.tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b->mainItem));
  SetDiagnosticObserver(nullptr);
  EXPECT_EQ(-1, a->subfolderCount);
  EXPECT_NE(std::string::npos, seen.find("Number of subfolders fell below 0"));
}

TEST_F(NodeRemovalTest, FindResultItemGoesWithTheMainItem) {
  b->findItem = InsertFolderItem(panes.findTree(), TVI_ROOT, "b", 0, 0, b);
  b->inFindList = 1;
  ASSERT_NE(nullptr, TopItem(panes.findTree()));
  SendMessageA(panes.tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(b->mainItem));
  EXPECT_EQ(nullptr, TopItem(panes.findTree()));
  EXPECT_EQ(0, b->inFindList);
}

TEST_F(NodeRemovalTest, ShutdownRetiresWithoutTouchingAncestors) {
  const int64_t driveBytes = drive->subtreeBytes;
  ShuttingDown = true;
  SendMessageA(panes.tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(a->mainItem));
  ShuttingDown = false;
  EXPECT_EQ(driveBytes, drive->subtreeBytes);
  EXPECT_FALSE(IsFolderNode(a));
  EXPECT_TRUE(Retired(a));
  ReleaseRetiredNodes();
  EXPECT_TRUE(RetiredNodes.IsEmpty());
}

TEST_F(NodeRemovalTest, RescanOfAKnownBranchReportsCompletionUpwardOnce) {
  ResetCompleteness(b);
  EXPECT_EQ(SCAN_NONE, b->scanState);
  EXPECT_EQ(SCAN_RUNNING, a->scanState);
  EXPECT_EQ(SCAN_RUNNING, folder->scanState);
  EXPECT_EQ(0, a->flags & SUBTREE_COMPLETE);
  EXPECT_EQ(0, a->subFoldersCalculated);
  EXPECT_EQ(1, folder->subFoldersCalculated) << "only c's report is left";
  EXPECT_NE(0, b->flags & SUBTREE_COMPLETE) << "the reset folder keeps its own mark";

  ASSERT_EQ(1, ScanSubtree(b, true, nullptr));
  EXPECT_EQ(SCAN_DONE, a->scanState);
  EXPECT_EQ(1, a->subFoldersCalculated);
  EXPECT_EQ(2, folder->subFoldersCalculated);
  EXPECT_NE(0, folder->flags & SUBTREE_COMPLETE);
}

}  // namespace

namespace {

// A worker's insertion under an item whose deletion waits for a lock: the
// deletion pumps messages, so the insertion is carried out in the middle of it.
struct LateInsertion {
  HWND tree;
  HTREEITEM parent;
  HTREEITEM result;
  HANDLE done;
};

DWORD WINAPI InsertLate(void* param) {
  auto* late = static_cast<LateInsertion*>(param);
  late->result = InsertFolderItem(late->tree, late->parent, "late", 0, 0, nullptr);
  SetEvent(late->done);
  return 0;
}

NodeLockHolder* g_heldDuringDeletion = nullptr;
LateInsertion* g_lateInsertion = nullptr;

void CALLBACK ReleaseOnceInserted(HWND, UINT, UINT_PTR timer, DWORD) {
  if (!g_heldDuringDeletion || WaitForSingleObject(g_lateInsertion->done, 0) != WAIT_OBJECT_0) return;
  KillTimer(nullptr, timer);
  g_heldDuringDeletion->Release();
}

class PairedRemovalTest : public FolderChainTest {
 protected:
  PairedRemovalTest() : FolderChainTest(true) {}
};

TEST_F(PairedRemovalTest, NothingIsInsertedUnderABranchBeingDeleted) {
  temp.MakeFolder("a");
  temp.MakeFolder("a\\b");
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  FolderNode* a = panes.Child(folder, "a");
  ASSERT_NE(nullptr, a);

  LateInsertion late = {panes.tree(), a->mainItem, nullptr, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  NodeLockHolder busy(a);  // b's removal waits for a while the worker's insertion comes in
  g_heldDuringDeletion = &busy;
  g_lateInsertion = &late;
  HANDLE worker = CreateThread(nullptr, 0, InsertLate, &late, 0, nullptr);
  UINT_PTR timer = SetTimer(nullptr, 0, 20, ReleaseOnceInserted);
  DeleteNodeItem(panes.tree(), a);
  KillTimer(nullptr, timer);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
  CloseHandle(late.done);
  g_heldDuringDeletion = nullptr;

  EXPECT_EQ(nullptr, late.result) << "the item would outlive its parent";
  EXPECT_EQ(0, panes.ChildCount(folder));
  EXPECT_EQ(nullptr, NextSiblingItem(panes.tree(), TopItem(panes.tree()))) << "nothing at the top but the drives";
}

}  // namespace
