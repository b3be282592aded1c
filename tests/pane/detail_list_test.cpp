// The real main window's detail list: paired with the visible tree items, sibling order by the sort column, name
// ties, and header clicks.
#include <algorithm>
#include <thread>

#include "pane/detail_list.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "support/column_header.h"
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

std::string Sign(int value) { return value < 0 ? "-" : value > 0 ? "+" : "0"; }
std::string Compared(FolderNode* a, FolderNode* b, const ColumnInfo* column) {
  return Sign(CompareNodes(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(column)));
}

class Sorting : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make({"big", "big\\f.bin:90000", "big\\z", "mid", "mid\\f.bin:20000", "eq-b", "eq-a"});
    Open();
  }
  std::string Order(FolderNode* parent = nullptr) const {
    std::string names;
    for (const std::string& name : ChildTexts(Panes.mainTree, (parent ? parent : start)->mainItem)) names += name + " ";
    return names;
  }
  // A click on the header item of column |id|, as the header reports it.
  void Click(uint32_t id) {
    const std::vector<uint32_t> shown = ShownColumns();  // 0 for an item without a column: the name
    const auto at =
        std::find_if(shown.begin(), shown.end(), [id](uint32_t i) { return i == id || (!i && id == COLUMN_NAME); });
    ASSERT_NE(shown.end(), at) << "column " << id << " is not shown";
    NMHEADERA click = {{ColumnHeader(), 0, static_cast<UINT>(HDN_ITEMCLICKA)}, int(at - shown.begin()), 0, nullptr};
    SendMessageA(GetParent(ColumnHeader()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));  // to the pane host
  }
};

TEST_F(Sorting,
       TotalFirstHeaderClicksReverseAndChooseCollapsedBranchesWaitSizesPast4GiBCompareAndLongListsTakeTheShellsOrder) {
  EXPECT_EQ("big mid eq-a eq-b ", Order()) << "by total, largest first, ties by name";
  Click(COLUMN_TOTAL);
  EXPECT_EQ("eq-a eq-b mid big ", Order()) << "the second click reverses";
  Click(COLUMN_NAME);
  EXPECT_EQ("big eq-a eq-b mid ", Order());
  ColumnById(COLUMN_CAPACITY)->flags &= ~COLUMN_HIDDEN;
  RebuildHeader();
  Click(COLUMN_CAPACITY);
  EXPECT_EQ("big eq-a eq-b mid ", Order());
  EXPECT_EQ(COLUMN_NAME, SortColumn()->id);

  SYSTEMTIME newest = {2030, 1, 0, 1, 0, 0, 0, 0};
  SystemTimeToFileTime(&newest, &Child("mid")->lastWrite);
  Click(COLUMN_MODIFIED);
  EXPECT_EQ(0u, Order().find("mid ")) << "newest first: " << Order();

  FolderNode* big = Child("big");
  temp.Make({"big\\z-large", "big\\z-large\\f.bin:50000", "big\\a-small"});
  temp.Remove("big\\z");
  Click(COLUMN_TOTAL);
  ASSERT_EQ(1, ScanSubtree(big, true, nullptr));  // the scan sorts big's children by total
  EXPECT_EQ("z-large", TreeItemText(Panes.mainTree, FirstChildItem(Panes.mainTree, big->mainItem)));
  Click(COLUMN_NAME);
  EXPECT_EQ("z-large", TreeItemText(Panes.mainTree, FirstChildItem(Panes.mainTree, big->mainItem)))
      << "big is collapsed: its children wait";
  PrepareNodeForExpansion(Panes.mainTree, big->mainItem);
  EXPECT_EQ("a-small", TreeItemText(Panes.mainTree, FirstChildItem(Panes.mainTree, big->mainItem)))
      << "expanding sorts them by the new column";

  // Sizes beyond 4 GiB, ties by name, and folders of other parents.
  FolderNode *a = Child("eq-a"), *b = Child("eq-b");
  ColumnInfo total = {}, capacity = {}, byName = {};
  total.id = COLUMN_TOTAL;
  capacity.id = COLUMN_CAPACITY;
  byName.id = COLUMN_NAME;
  byName.ascending = 1;
  Settings.SizeMode = 0;
  a->subtreeBytes = 5ll << 30;
  std::string signs;  // a against b and b against a, descending then ascending
  for (int64_t bBytes : {3ll << 30, 5ll << 30}) {
    b->subtreeBytes = bBytes;
    for (uint8_t ascending : {0, 1}) {
      total.ascending = ascending;
      signs += Compared(a, b, &total) + Compared(b, a, &total) + " ";
    }
  }
  EXPECT_EQ("-+ +- -+ -+ ", signs) << "the larger first when descending; equal sizes by name, ascending either way";
  EXPECT_EQ("-", Compared(a, b, &capacity)) << "folders have no capacity: by name";
  EXPECT_EQ("0", Compared(a, b, nullptr)) << "no column, no order";
  // Folders of other parents, as found folders are listed: the desktop's order.
  IShellFolder* desktop = nullptr;
  ASSERT_EQ(S_OK, SHGetDesktopFolder(&desktop));
  std::string shell, ours;
  for (auto [x, y] : {std::pair(a, Child("big\\z-large")), std::pair(Child("big\\z-large"), a),
                      std::pair(start, Child("big\\a-small"))}) {
    shell += Sign(static_cast<short>(HRESULT_CODE(desktop->CompareIDs(0, x->absoluteIdList, y->absoluteIdList))));
    ours += Compared(x, y, &byName);
  }
  desktop->Release();
  EXPECT_EQ("+--", shell) << "by the first names that differ; a folder before what it holds";
  EXPECT_EQ(shell, ours);

  // Twenty folders in three sizes, so that sorting by total leaves ties to the names.
  ColumnById(COLUMN_TOTAL)->ascending = 0;
  Click(COLUMN_TOTAL);
  temp.MakeFolder("many");
  for (int i = 0; i < 20; ++i) {
    const std::string name = std::string(i % 2 ? "many\\D" : "many\\d") + char('0' + i / 10) + char('0' + i % 10);
    temp.MakeFolder(name);
    temp.MakeFile(name + "\\f.bin", 5000 * (i % 3 + 1));
  }
  ASSERT_EQ(1, ScanSubtree(start, true, nullptr));
  FolderNode* many = Child("many");
  TreeView_Expand(Panes.mainTree, many->mainItem, TVE_EXPAND);
  EXPECT_EQ("d02 D05 d08 D11 d14 D17 D01 d04 D07 d10 D13 d16 D19 d00 D03 d06 D09 d12 D15 d18 ", Order(many));
  Click(COLUMN_NAME);
  EXPECT_EQ("d00 D01 d02 D03 d04 D05 d06 D07 d08 D09 d10 D11 d12 D13 d14 D15 d16 D17 d18 D19 ", Order(many));
  Click(COLUMN_NAME);
  EXPECT_EQ("D19 d18 D17 d16 D15 d14 D13 d12 D11 d10 D09 d08 D07 d06 D05 d04 D03 d02 D01 d00 ", Order(many));
  // An item whose text no longer says its name: the shell still decides.
  char text[] = "zz";
  TVITEMA item = {};
  item.mask = TVIF_HANDLE | TVIF_TEXT;
  item.hItem = Child("many\\d00")->mainItem;
  item.pszText = text;
  TreeView_SetItem(Panes.mainTree, &item);
  Click(COLUMN_NAME);
  EXPECT_EQ("zz D01 d02 D03 d04 D05 d06 D07 d08 D09 d10 D11 d12 D13 d14 D15 d16 D17 d18 D19 ", Order(many));
}

}  // namespace
