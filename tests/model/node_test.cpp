// Node records, their checks, locks and lists, what deleting a tree item does to them and their ancestors, and
// driver reports, laid out byte for byte as the driver fills them, applied to a scanned tree.
#include <array>
#include <atomic>
#include <cstring>
#include <thread>

#include "model/monitor_driver.h"
#include "model/monitor_reports.h"
#include "model/node_list.h"
#include "model/node_removal.h"
#include "model/propagation.h"
#include "shell/ansi_paths.h"
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

// kind, sizeBefore, sizeAfter at 0/4/8, path at 12 (300 bytes), newPath at 312.
std::vector<BYTE> Record(uint32_t kind, uint32_t before, uint32_t after, const std::string& path,
                         const std::string& newPath = "") {
  std::vector<BYTE> bytes(312 + newPath.size() + 1, 0);
  const uint32_t head[3] = {kind, before, after};
  std::memcpy(bytes.data(), head, sizeof head);
  std::memcpy(bytes.data() + 12, path.c_str(), path.size() + 1);
  std::memcpy(bytes.data() + 312, newPath.c_str(), newPath.size() + 1);
  return bytes;
}

void Deliver(const std::vector<BYTE>& record) {
  MonitorReportCallback(reinterpret_cast<DriverReport*>(const_cast<BYTE*>(record.data())));
}

constexpr uint32_t UNKNOWN = 0xFFFFFFFF;

class MonitorReportTest : public FolderChainTest {
 protected:
  void SetUp() override {
    FolderChainTest::SetUp();
    temp.Make({"sub", "sub\\d.bin:5000", "other"});
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    sub = ChildOf(folder, "sub");
    other = ChildOf(folder, "other");
    ASSERT_TRUE(sub && other);
    last = State();
  }
  std::array<int64_t, 10> State() const {
    return {sub->fileCount,           sub->ownBytes,          other->fileCount,     other->ownBytes,
            sub->ownAllocated,        other->ownAllocated,    folder->subtreeBytes, drive->subtreeBytes,
            folder->subtreeAllocated, drive->subtreeAllocated};
  }
  // Each folder, and every ancestor by their sum, moved by these amounts since the last check.
  void ExpectChange(const char* what, int64_t subFiles, int64_t subBytes, int64_t subAllocated, int64_t otherFiles = 0,
                    int64_t otherBytes = 0, int64_t otherAllocated = 0) {
    const int64_t bytes = subBytes + otherBytes, allocated = subAllocated + otherAllocated;
    const int64_t deltas[10] = {subFiles,       subBytes, otherFiles, otherBytes, subAllocated,
                                otherAllocated, bytes,    bytes,      allocated,  allocated};
    std::array<int64_t, 10> expected = last;
    for (size_t i = 0; i < expected.size(); ++i) expected[i] += deltas[i];
    last = State();
    EXPECT_EQ(expected, last) << what;
  }

  FolderNode* sub = nullptr;
  FolderNode* other = nullptr;
  std::array<int64_t, 10> last = {};
};

TEST_F(MonitorReportTest, MovedFoldersPatternsAndKindsOneAndTwoRescanAndFileReportsChangeEveryAncestor) {
  temp.MakeFolder("sub\\inner");
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  MoveFileA(temp.Path("sub\\inner").c_str(), temp.Path("other\\inner").c_str());
  Deliver(Record(REPORT_RENAMED, UNKNOWN, 0, temp.Path("sub\\inner"), temp.Path("other\\inner")));
  EXPECT_EQ(nullptr, ChildOf(sub, "inner"));
  EXPECT_NE(nullptr, ChildOf(other, "inner")) << "a moved folder rescans both folders";

  temp.MakeFile("sub\\late.tmp", 100);  // on disk, not yet reported
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, temp.Path("sub\\*.tmp")));
  EXPECT_EQ(SizesText(2, 5100, 4 * 4096, 0, 0), Sizes(sub)) << "the rescan finds what the pattern could not name";
  temp.Remove("sub\\late.tmp");
  Deliver(Record(REPORT_RESCAN_TOO, 0, 0, temp.Path("sub\\late.tmp")));
  EXPECT_EQ(1, sub->fileCount);
  temp.MakeFile("other\\y.bin", 10);
  Deliver(Record(REPORT_RESCAN, 0, 0, temp.Path("other\\y.bin")));
  EXPECT_EQ(1, other->fileCount);

  last = State();
  const std::string d = temp.Path("sub\\d.bin"), created = temp.Path("sub\\new.bin"), moved = temp.Path("other\\d.bin");
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, created));
  ExpectChange("created", 1, 10000, 12288);
  Deliver(Record(REPORT_WRITTEN, 5000, 4200, d));
  ExpectChange("resized within its two clusters", 0, -800, 0);
  Deliver(Record(REPORT_WRITTEN, 4200, 1000, d));
  ExpectChange("resized to one cluster", 0, -3200, -4096);
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, created));
  ExpectChange("deleted without a size", 0, 0, 0);
  Deliver(Record(REPORT_DELETED, 10000, 0, created));
  ExpectChange("deleted", -1, -10000, -12288);

  MoveFileA(d.c_str(), moved.c_str());
  Deliver(Record(REPORT_RENAMED, 1000, 0, d, moved));
  ExpectChange("moved to the other folder", -1, -1000, -4096, 1, 1000, 4096);
  MoveFileA(moved.c_str(), temp.Path("other\\e.bin").c_str());
  Deliver(Record(REPORT_RENAMED, 1000, 0, moved, temp.Path("OTHER\\e.bin")));
  ExpectChange("renamed in place", 0, 0, 0);
  Deliver(Record(REPORT_RENAMED, 1000, 0, temp.Path("other\\e.bin"), temp.Path("sub\\missing.bin")));
  ExpectChange("renamed to a path that has gone again", 0, 0, 0);

  TempFolder elsewhere;
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, elsewhere.Path("new.bin")));
  Deliver(Record(9, UNKNOWN, 10000, created));
  MonitorReportCallback(nullptr);
  // A path that fills the whole field without a terminator is cut, not overrun.
  std::vector<BYTE> full = Record(REPORT_WRITTEN, UNKNOWN, 10, "");
  std::memset(full.data() + 12, 'x', 300);
  Deliver(full);
  ExpectChange("outside the tree, of an unknown kind, none, or overlong", 0, 0, 0);
}

TEST(StripLastComponent, KeepsTheFolderOrTheDriveRootInTheCodePage) {
  const std::string name = NameEndingInBackslashByte();
  ASSERT_FALSE(name.empty());
  const std::pair<std::string, std::string> CASES[] = {{"C:\\", "C:\\"},
                                                       {"C:", "C:"},
                                                       {"C:\\a.txt", "C:\\"},
                                                       {"C:\\dir\\sub\\", "C:\\dir\\sub"},
                                                       {"C:\\dir\\" + name, "C:\\dir"},
                                                       {"C:\\dir\\" + name + "\\a.txt", "C:\\dir\\" + name}};
  for (const auto& [path, stripped] : CASES) {
    char buffer[MAX_PATH];
    lstrcpynA(buffer, path.c_str(), sizeof buffer);
    StripLastComponent(buffer);
    EXPECT_EQ(stripped, buffer) << path;
  }
}

TEST(MonitorDriver, AbsentDriverLeavesNoFileBehindAndNotificationsTakeOver) {
  char device[MAX_PATH + 16];
  ASSERT_TRUE(MonitorDeviceName(device, sizeof device));
  const std::string name = device, file = name.substr(4);
  ASSERT_EQ(0u, name.find("\\\\.\\"));
  ASSERT_EQ(name.size() - 12, name.rfind("\\KALVERT.VXD"));
  // Here the device name is an ordinary path: the open alone would succeed.
  HANDLE plain = CreateFileA(device, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, plain) << GetLastError();
  if (plain != INVALID_HANDLE_VALUE) CloseHandle(plain);
  EXPECT_FALSE(StartMonitorDriver()) << "no driver takes the registration here";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << "the open's file is gone again";
  EXPECT_FALSE(StartMonitorDriver());
  StopMonitorDriver();
}

}  // namespace
