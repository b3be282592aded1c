// Sibling order by the sort column, name ties, and header clicks.
#include "pane/detail_list.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "support/column_header.h"
#include "support/main_window_test.h"

namespace {

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
    NMHEADERA click = {{ColumnHeader(), 0, static_cast<UINT>(HDN_ITEMCLICKA)}, -1, 0, nullptr};
    for (int i = 0; i < Header_GetItemCount(ColumnHeader()); ++i) {
      HDITEMA item = {};
      item.mask = HDI_LPARAM;
      Header_GetItem(ColumnHeader(), i, &item);
      auto* column = reinterpret_cast<ColumnInfo*>(item.lParam);
      if ((column && column->id == id) || (!column && id == COLUMN_NAME)) click.iItem = i;
    }
    ASSERT_GE(click.iItem, 0) << "column " << id << " is not shown";
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
