// The detail list stays paired with the visible tree items through scans,
// expanding, collapsing, deleting and sorting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"
#include "support/canvas.h"
#include "support/folder_chain_test.h"

namespace {

// Larger folders first, so a sort visibly reorders the alphabetical listing.
int CALLBACK BySizeDescending(LPARAM first, LPARAM second, LPARAM) {
  auto size = [](LPARAM node) {
    return reinterpret_cast<FolderNode*>(node)->ownBytes + reinterpret_cast<FolderNode*>(node)->subtreeBytes;
  };
  return size(first) > size(second) ? -1 : size(first) < size(second) ? 1 : 0;
}

class DetailListTest : public FolderChainTest {
 protected:
  DetailListTest() : FolderChainTest(true) {}
  void SetUp() override {
    for (const char* name : {"a", "a\\a1", "a\\a1\\x", "a\\a2", "b", "b\\b1", "c"}) temp.MakeFolder(name);
    temp.MakeFile("a\\a1\\x\\f.bin", 10);
    temp.MakeFile("b\\big.bin", 90000);
    FolderChainTest::SetUp();
    // The temporary folder stands directly under the drive here; expanding
    // an unscanned drive would list the drive's real folders instead.
    drive->scanState = SCAN_DONE;
    Expand(top);
    Expand(drive);
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    Expand(folder);
  }
  void TearDown() override {
    SortCompareHook = nullptr;
    CurrentFolder = nullptr;
  }

  void Expand(FolderNode* node, UINT action = TVE_EXPAND) {
    SendMessageA(panes.tree(), TVM_EXPAND, action, reinterpret_cast<LPARAM>(node->mainItem));
    SyncListAfterExpand(panes.tree(), node->mainItem, action);
  }
  FolderNode* Named(FolderNode* parent, const char* name) { return panes.Child(parent, name); }
  // The items whose ancestors are all expanded, in tree order.
  std::vector<HTREEITEM> Visible() const {
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = TopItem(panes.tree()); item; item = TreeNext(panes.tree(), item, TVGN_NEXTVISIBLE))
      items.push_back(item);
    return items;
  }
  // Entry i holds the i-th visible item, and nothing else is listed.
  void ExpectPaired(const char* when, size_t visible) const {
    const std::vector<HTREEITEM> items = Visible();
    EXPECT_EQ(visible, items.size()) << when;
    ASSERT_EQ(LRESULT(items.size()), SendMessageA(panes.list(), LB_GETCOUNT, 0, 0)) << when;
    for (size_t i = 0; i < items.size(); ++i)
      EXPECT_EQ(LRESULT(items[i]), SendMessageA(panes.list(), LB_GETITEMDATA, i, 0)) << when << ", entry " << i;
  }

  Recorder recorded;
};

TEST_F(DetailListTest, EntriesFollowExpandCollapseAndDeletionAtEveryDepth) {
  ExpectPaired("after the scan: top, drive, folder, a, b, c", 6);
  FolderNode* a = Named(folder, "a");
  Expand(a);
  FolderNode* a1 = Named(a, "a1");
  ASSERT_NE(nullptr, a1);
  Expand(a1);
  ExpectPaired("a and a1 expanded", 9);
  EXPECT_EQ(1, a1->inMainList);
  Expand(a, TVE_COLLAPSE);
  ExpectPaired("a collapsed", 6);
  EXPECT_EQ(0, a1->inMainList);
  Expand(a);
  ExpectPaired("a expanded again: a1 comes back expanded, with its own child listed", 9);

  Expand(Named(folder, "b"));
  ExpectPaired("b expanded", 10);
  temp.Remove("b");
  ASSERT_EQ(1, ScanOneLevel(folder));
  ExpectPaired("b deleted on disk and the folder read again: b1 goes with it", 8);

  VerifyPairing();
  EXPECT_EQ("", recorded.diagnostics());
  SendMessageA(panes.list(), LB_SETITEMDATA, 3, SendMessageA(panes.list(), LB_GETITEMDATA, 4, 0));
  VerifyPairing();
  EXPECT_NE(std::string::npos, recorded.diagnostics().find("has incorrect lb entry")) << recorded.diagnostics();
}

TEST_F(DetailListTest, SortingRewritesEntriesAndIsRefusedDuringAScan) {
  Expand(Named(folder, "a"));
  auto firstChild = [&] { return TreeItemText(panes.tree(), FirstChildItem(panes.tree(), folder->mainItem)); };
  const std::string before = firstChild();
  ASSERT_NE("b", before);
  SortCompareHook = BySizeDescending;
  folder->scanState = SCAN_RUNNING;
  ResortBranch(panes.tree(), folder->mainItem);
  EXPECT_EQ(before, firstChild()) << "a folder being scanned keeps its order";
  folder->scanState = SCAN_DONE;
  ResortBranch(panes.tree(), folder->mainItem);
  EXPECT_EQ("b", firstChild());
  ExpectPaired("after sorting with an expanded child", 8);
}

DWORD WINAPI AskForAncestorRepaint(void* node) {
  RepaintNode(static_cast<FolderNode*>(node), REPAINT_ANCESTORS);
  return 0;
}

// A worker's repaints of ancestors are gathered and come a little later; the
// rows they invalidate must still be exactly those of the ancestors.
TEST_F(DetailListTest, AncestorRowsAskedForByAWorkerAreInvalidatedUpToTheDrive) {
  FolderNode* a = Named(folder, "a");
  Expand(a);
  FolderNode* a1 = Named(a, "a1");
  Expand(a1);
  FolderNode* x = Named(a1, "x");
  ASSERT_NE(nullptr, x);
  UpdateWindow(panes.list());
  ValidateRect(panes.list(), nullptr);
  HANDLE worker = CreateThread(nullptr, 0, AskForAncestorRepaint, x, 0, nullptr);
  WaitForSingleObject(worker, INFINITE);  // the worker only posts
  CloseHandle(worker);

  HRGN invalid = CreateRectRgn(0, 0, 0, 0);
  auto rowInvalid = [&](FolderNode* node) {
    RECT row;
    GetUpdateRgn(panes.list(), invalid, FALSE);
    return ItemRect(panes.tree(), node->mainItem, false, &row) && PtInRegion(invalid, 1, (row.top + row.bottom) / 2);
  };
  // Everything but the paints, so the invalid rows stay invalid to be seen.
  for (const DWORD limit = GetTickCount() + 30000; !rowInvalid(drive) && GetTickCount() < limit;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, WM_PAINT - 1, PM_REMOVE) ||
           PeekMessageA(&msg, nullptr, WM_PAINT + 1, 0xFFFF, PM_REMOVE))
      DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE | QS_TIMER | QS_SENDMESSAGE);
  }
  for (FolderNode* ancestor : {a1, a, folder, static_cast<FolderNode*>(drive)})
    EXPECT_TRUE(rowInvalid(ancestor)) << panes.ItemText(ancestor);
  EXPECT_FALSE(rowInvalid(x)) << "the folder's own row was not asked for";
  EXPECT_FALSE(rowInvalid(top)) << "the ancestors end at the drive";
  DeleteObject(invalid);
}

TEST_F(DetailListTest, ALeftClickInARowSelectsTheTreeItemAtThatHeight) {
  const HTREEITEM item = Visible()[4];
  RECT row;
  ASSERT_TRUE(ItemRect(panes.tree(), item, false, &row));
  const LPARAM point = MAKELPARAM(20, (row.top + row.bottom) / 2);
  for (UINT ignored : {WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_KEYDOWN}) SendMessageA(panes.list(), ignored, 0, point);
  EXPECT_EQ(nullptr, TreeNext(panes.tree(), nullptr, TVGN_CARET)) << "only a left click selects";
  SendMessageA(panes.list(), WM_LBUTTONUP, 0, point);
  EXPECT_EQ(item, TreeNext(panes.tree(), nullptr, TVGN_CARET));
}

TEST_F(DetailListTest, PathsAndIdentifierListsFindTheirItems) {
  HTREEITEM found = SelectByPath(panes.tree(), temp.Path("a\\a1").c_str(), nullptr, true, true);
  FolderNode* a1 = Named(Named(folder, "a"), "a1");
  ASSERT_NE(nullptr, a1);
  EXPECT_EQ(a1->mainItem, found);
  EXPECT_EQ(a1, CurrentFolder);
  EXPECT_EQ(found, TreeNext(panes.tree(), nullptr, TVGN_CARET));
  ExpectPaired("after selecting by path", 9);
  EXPECT_EQ(nullptr, SelectByPath(panes.tree(), temp.Path("a\\a").c_str(), nullptr, false, false))
      << "a prefix of a name is not a folder";

  Expand(Named(folder, "a"), TVE_COLLAPSE);
  LPITEMIDLIST list = IdListFromPath(temp.Path("a\\a1\\x").c_str(), nullptr, nullptr);
  FolderNode* x = FindNodeByIdList(panes.tree(), top->mainItem, list);
  FreeIdList(list);
  ASSERT_NE(nullptr, x) << "collapsed branches are searched too";
  EXPECT_EQ("x", panes.ItemText(x));
}

}  // namespace
