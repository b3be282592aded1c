// The detail list stays paired with the visible tree items through scans,
// expanding, collapsing, deleting and sorting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"
#include "support/folder_chain_test.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

std::string g_diagnostics;

// Larger folders first, so a sort visibly reorders the alphabetical listing.
int CALLBACK BySizeDescending(LPARAM first, LPARAM second, LPARAM) {
  auto* a = reinterpret_cast<FolderNode*>(first);
  auto* b = reinterpret_cast<FolderNode*>(second);
  int64_t sa = a->ownBytes + a->subtreeBytes, sb = b->ownBytes + b->subtreeBytes;
  return sa > sb ? -1 : sa < sb ? 1 : 0;
}

DWORD WINAPI AskForAncestorRepaint(void* node) {
  RepaintNode(static_cast<FolderNode*>(node), REPAINT_ANCESTORS);
  return 0;
}

class DetailListTest : public FolderChainTest {
 protected:
  DetailListTest() : FolderChainTest(true) {}
  void SetUp() override {
    temp.MakeFolder("a");
    temp.MakeFolder("a\\a1");
    temp.MakeFolder("a\\a1\\x");
    temp.MakeFile("a\\a1\\x\\f.bin", 10);
    temp.MakeFolder("a\\a2");
    temp.MakeFolder("b");
    temp.MakeFile("b\\big.bin", 90000);
    temp.MakeFolder("b\\b1");
    temp.MakeFolder("c");
    FolderChainTest::SetUp();
    // The temporary folder stands directly under the drive here; expanding
    // an unscanned drive would list the drive's real folders instead.
    drive->scanState = SCAN_DONE;
    Expand(top);
    Expand(drive);
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    Expand(folder);
    g_diagnostics.clear();
    SetDiagnosticObserver([](int, const char* text) { g_diagnostics += text; });
  }
  void TearDown() override {
    SetDiagnosticObserver(nullptr);
    SortCompareHook = nullptr;
    CurrentFolder = nullptr;
  }

  void Expand(FolderNode* node, UINT action = TVE_EXPAND) {
    SendMessageA(panes.tree(), TVM_EXPAND, action, reinterpret_cast<LPARAM>(node->mainItem));
    SyncListAfterExpand(panes.tree(), node->mainItem, action);
  }
  FolderNode* Named(FolderNode* parent, const char* name) { return panes.Child(parent, name); }

  // The visible items in tree order.
  std::vector<HTREEITEM> Visible() const {
    std::vector<HTREEITEM> items;
    Collect(TopItem(panes.tree()), &items);
    return items;
  }
  void Collect(HTREEITEM item, std::vector<HTREEITEM>* items) const {
    for (; item; item = NextSiblingItem(panes.tree(), item)) {
      items->push_back(item);
      if (SendMessageA(panes.tree(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
          TVIS_EXPANDED)
        Collect(FirstChildItem(panes.tree(), item), items);
    }
  }
  // Entry i holds the i-th visible item, and nothing else is listed.
  void ExpectPaired(const char* when) const {
    std::vector<HTREEITEM> items = Visible();
    LRESULT count = SendMessageA(panes.list(), LB_GETCOUNT, 0, 0);
    ASSERT_EQ(LRESULT(items.size()), count) << when;
    for (size_t i = 0; i < items.size(); ++i)
      EXPECT_EQ(LRESULT(items[i]), SendMessageA(panes.list(), LB_GETITEMDATA, i, 0)) << when << ", entry " << i;
  }

};

TEST_F(DetailListTest, EntriesFollowExpandAndCollapseAtEveryDepth) {
  ExpectPaired("after the scan");
  EXPECT_EQ(6u, Visible().size()) << "top, drive, folder, a, b, c";
  FolderNode* a = Named(folder, "a");
  Expand(a);
  FolderNode* a1 = Named(a, "a1");
  ASSERT_NE(nullptr, a1);
  Expand(a1);
  ExpectPaired("a and a1 expanded");
  EXPECT_EQ(1, a1->inMainList);

  Expand(a, TVE_COLLAPSE);
  ExpectPaired("a collapsed");
  EXPECT_EQ(0, a1->inMainList);
  Expand(a);  // a1 comes back expanded, with its own child listed
  ExpectPaired("a expanded again");
  EXPECT_EQ(9u, Visible().size());
  EXPECT_EQ(std::string::npos, g_diagnostics.find("Cannot find")) << g_diagnostics;

  VerifyPairing();
  EXPECT_EQ("", g_diagnostics);
  SendMessageA(panes.list(), LB_SETITEMDATA, 3, SendMessageA(panes.list(), LB_GETITEMDATA, 4, 0));
  VerifyPairing();
  EXPECT_NE(std::string::npos, g_diagnostics.find("has incorrect lb entry")) << g_diagnostics;
}

TEST_F(DetailListTest, FolderDeletedOnDiskLeavesWithItsVisibleDescendants) {
  FolderNode* b = Named(folder, "b");
  Expand(b);
  ExpectPaired("b expanded");
  temp.Remove("b");
  ASSERT_EQ(1, ScanOneLevel(folder));
  ExpectPaired("after the rescan");
  EXPECT_EQ(5u, Visible().size());
}

TEST_F(DetailListTest, SortingRewritesEntriesAndIsRefusedDuringAScan) {
  Expand(Named(folder, "a"));
  auto firstChild = [&] {
    return panes.ItemText(NodeFromItem(panes.tree(), FirstChildItem(panes.tree(), folder->mainItem)));
  };
  const std::string before = firstChild();
  ASSERT_NE("b", before);
  SortCompareHook = BySizeDescending;
  folder->scanState = SCAN_RUNNING;
  ResortBranch(panes.tree(), folder->mainItem);
  EXPECT_EQ(before, firstChild()) << "a folder being scanned keeps its order";
  folder->scanState = SCAN_DONE;

  ResortBranch(panes.tree(), folder->mainItem);
  EXPECT_EQ("b", firstChild());
  ExpectPaired("after sorting with an expanded child");
}

// A worker's repaints of ancestors are gathered and come a little later; the
// rows they invalidate must still be exactly those of the ancestors.
TEST_F(DetailListTest, AncestorRowsAskedForByAWorkerAreInvalidatedUpToTheDrive) {
  FolderNode* a = Named(folder, "a");
  Expand(a);
  FolderNode* a1 = Named(a, "a1");
  ASSERT_NE(nullptr, a1);
  Expand(a1);
  FolderNode* x = Named(a1, "x");
  ASSERT_NE(nullptr, x);
  ShowWindow(panes.window(), SW_SHOW);
  UpdateWindow(panes.list());
  ValidateRect(panes.list(), nullptr);

  HANDLE worker = CreateThread(nullptr, 0, AskForAncestorRepaint, x, 0, nullptr);
  ASSERT_NE(nullptr, worker);
  WaitForSingleObject(worker, INFINITE);  // the worker only posts
  CloseHandle(worker);

  HRGN invalid = CreateRectRgn(0, 0, 0, 0);
  auto rowInvalid = [&](FolderNode* node) {
    RECT row;
    if (!ItemRect(panes.tree(), node->mainItem, false, &row)) return false;
    GetUpdateRgn(panes.list(), invalid, FALSE);
    return PtInRegion(invalid, 1, (row.top + row.bottom) / 2) != FALSE;
  };
  // Everything but the paints, so the invalid rows stay invalid to be seen.
  const DWORD limit = GetTickCount() + 30000;
  while (!rowInvalid(drive) && GetTickCount() < limit) {
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

TEST_F(DetailListTest, ClicksInARowSelectTheTreeItemAtThatHeight) {
  std::vector<HTREEITEM> items = Visible();
  RECT row;
  ASSERT_TRUE(ItemRect(panes.tree(), items[4], false, &row));
  const LPARAM point = MAKELPARAM(20, (row.top + row.bottom) / 2);
  for (UINT ignored : {WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_KEYDOWN}) SendMessageA(panes.list(), ignored, 0, point);
  EXPECT_EQ(nullptr, TreeNext(panes.tree(), nullptr, TVGN_CARET)) << "only a left click selects";
  SendMessageA(panes.list(), WM_LBUTTONUP, 0, point);
  EXPECT_EQ(items[4], TreeNext(panes.tree(), nullptr, TVGN_CARET));
}

TEST_F(DetailListTest, PathsAndIdentifierListsFindTheirItems) {
  const std::string path = temp.Path("a\\a1");
  HTREEITEM found = SelectByPath(panes.tree(), path.c_str(), nullptr, true, true);
  ASSERT_NE(nullptr, found);
  FolderNode* a1 = Named(Named(folder, "a"), "a1");
  EXPECT_EQ(a1->mainItem, found);
  EXPECT_EQ(a1, CurrentFolder);
  EXPECT_EQ(found, TreeNext(panes.tree(), nullptr, TVGN_CARET));
  ExpectPaired("after selecting by path");
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
