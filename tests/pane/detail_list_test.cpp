// The real main window's detail list stays paired with the visible tree items.
#include <thread>

#include "pane/detail_list.h"
#include "pane/sorting.h"
#include "support/main_window_test.h"

namespace {

// Names from Z to A: c, never first by total, comes first.
int CALLBACK ByNameDescending(LPARAM first, LPARAM second, LPARAM) {
  return -lstrcmpA(TreeItemText(Panes.mainTree, reinterpret_cast<FolderNode*>(first)->mainItem).c_str(),
                   TreeItemText(Panes.mainTree, reinterpret_cast<FolderNode*>(second)->mainItem).c_str());
}

class DetailList : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make({"a", "a\\a1", "a\\a1\\x", "a\\a1\\x\\f.bin:10", "a\\a2", "b", "b\\b1", "b\\big.bin:90000", "c"});
    Open();
    shown = ExpectListPaired("opened").size();
  }
  void TearDown() override { InstallSorting(); }

  static void Expand(FolderNode* node, UINT action = TVE_EXPAND) {
    SendMessageA(Panes.mainTree, TVM_EXPAND, action, reinterpret_cast<LPARAM>(node->mainItem));
    SyncListAfterExpand(Panes.mainTree, node->mainItem, action);
  }
  // The list is paired with the tree, where |more| items are visible than after the window opened.
  void ExpectPaired(const char* when, size_t more) const {
    EXPECT_EQ(shown + more, ExpectListPaired(when).size()) << when;
  }

  size_t shown = 0;  // the chain down to the start folder and its three children
};

TEST_F(DetailList, EntriesFollowTheTreeAClickSelectsTheFolderAtItsHeightAndAWorkersAncestorRowsAreInvalidated) {
  FolderNode *a = Child("a"), *a1 = Child("a\\a1");
  Expand(a);
  Expand(a1);
  ExpectPaired("a and a1 expanded", 3);
  EXPECT_EQ(1, a1->inMainList);
  Expand(a, TVE_COLLAPSE);
  ExpectPaired("a collapsed", 0);
  EXPECT_EQ(0, a1->inMainList);
  Expand(a);
  ExpectPaired("a expanded again: a1 comes back expanded, with its own child listed", 3);
  Expand(Child("b"));
  ExpectPaired("b expanded", 4);
  temp.Remove("b");
  ASSERT_EQ(1, ScanOneLevel(start));
  ExpectPaired("b deleted on disk and the folder read again: b1 goes with it", 2);

  Command(IDM_VERIFY_DETAIL_ROWS);
  EXPECT_EQ("", recorded.diagnostics());
  const LRESULT third = SendMessageA(Panes.mainList, LB_GETITEMDATA, 3, 0);
  SendMessageA(Panes.mainList, LB_SETITEMDATA, 3, SendMessageA(Panes.mainList, LB_GETITEMDATA, 4, 0));
  Command(IDM_VERIFY_DETAIL_ROWS);
  EXPECT_TRUE(recorded.Has("has incorrect lb entry")) << recorded.diagnostics();
  SendMessageA(Panes.mainList, LB_SETITEMDATA, 3, third);

  temp.Make({"b", "b\\big.bin:90000"});
  ASSERT_EQ(1, ScanOneLevel(start));
  SortCompareHook = ByNameDescending;
  start->scanState = SCAN_RUNNING;
  ResortBranch(Panes.mainTree, start->mainItem);
  EXPECT_NE("c", ChildTexts(Panes.mainTree, start->mainItem)[0]) << "a folder being scanned keeps its order";
  start->scanState = SCAN_DONE;
  ResortBranch(Panes.mainTree, start->mainItem);
  EXPECT_EQ("c", ChildTexts(Panes.mainTree, start->mainItem)[0]);
  ExpectPaired("after sorting with an expanded child", 3);

  // A left click in a row selects the folder at that height; paths find their items.
  FolderNode* c = Child("c");
  RECT row;
  ASSERT_TRUE(ItemRect(Panes.mainTree, c->mainItem, false, &row));
  const LPARAM point = MAKELPARAM(20, (row.top + row.bottom) / 2);
  for (UINT ignored : {WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_KEYDOWN}) SendMessageA(Panes.mainList, ignored, 0, point);
  EXPECT_EQ(start, CurrentFolder) << "only a left click selects";
  SendMessageA(Panes.mainList, WM_LBUTTONUP, 0, point);
  EXPECT_EQ(c, CurrentFolder);

  HTREEITEM found = SelectByPath(Panes.mainTree, temp.Path("a\\a1").c_str(), nullptr, true, true);
  EXPECT_EQ(a1->mainItem, found);
  EXPECT_EQ(a1, CurrentFolder);
  ExpectPaired("after selecting by path", 3);
  EXPECT_EQ(nullptr, SelectByPath(Panes.mainTree, temp.Path("a\\a").c_str(), nullptr, false, false))
      << "a prefix of a name is not a folder";
  Expand(a, TVE_COLLAPSE);
  LPITEMIDLIST list = IdListFromPath(temp.Path("a\\a1\\x").c_str(), nullptr, nullptr);
  FolderNode* x = FindNodeByIdList(Panes.mainTree, top->mainItem, list);
  FreeIdList(list);
  ASSERT_NE(nullptr, x) << "collapsed branches are searched too";
  EXPECT_EQ("x", TreeItemText(Panes.mainTree, x->mainItem));

  // A worker's repaints of ancestors are gathered and come a little later; the
  // rows they invalidate must still be exactly those of the ancestors.
  Expand(a);
  Expand(a1);
  UpdateWindow(Panes.mainList);
  ValidateRect(Panes.mainList, nullptr);
  std::thread([x] { RepaintNode(x, REPAINT_ANCESTORS); }).join();  // the worker only posts

  HRGN invalid = CreateRectRgn(0, 0, 0, 0);
  auto rowInvalid = [&](FolderNode* node) {
    RECT row;
    GetUpdateRgn(Panes.mainList, invalid, FALSE);
    return ItemRect(Panes.mainTree, node->mainItem, false, &row) && PtInRegion(invalid, 1, (row.top + row.bottom) / 2);
  };
  // Everything but the paints, so the invalid rows stay invalid to be seen.
  for (const DWORD limit = GetTickCount() + 30000; !rowInvalid(start->root) && GetTickCount() < limit;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, WM_PAINT - 1, PM_REMOVE) ||
           PeekMessageA(&msg, nullptr, WM_PAINT + 1, 0xFFFF, PM_REMOVE))
      DispatchMessageA(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE | QS_TIMER | QS_SENDMESSAGE);
  }
  for (FolderNode* node = ParentNode(Panes.mainTree, x->mainItem); node != top;
       node = ParentNode(Panes.mainTree, node->mainItem))
    EXPECT_TRUE(rowInvalid(node)) << TreeItemText(Panes.mainTree, node->mainItem);
  EXPECT_FALSE(rowInvalid(x)) << "the folder's own row was not asked for";
  EXPECT_FALSE(rowInvalid(top)) << "the ancestors end at the drive";
  DeleteObject(invalid);
}

}  // namespace
