// Sibling order by the sort column, name ties, and header clicks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"
#include "support/folder_chain_test.h"
#include "support/scratch_registry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

TEST(SortComparison, SizesBeyond4GiBAndNameTiesInBothDirections) {
  TempFolder temp;
  temp.MakeFolder("alpha");
  temp.MakeFolder("beta");
  FolderNode* a = CreateFolderNode();
  FolderNode* b = CreateFolderNode();
  a->absoluteIdList = IdListFromPath(temp.Path("alpha").c_str(), nullptr, nullptr);
  b->absoluteIdList = IdListFromPath(temp.Path("beta").c_str(), nullptr, nullptr);
  Settings.SizeMode = 0;
  ColumnInfo total = {};
  total.id = COLUMN_TOTAL;
  total.ascending = 0;
  a->subtreeBytes = 5ll << 30;  // 5 GiB
  b->subtreeBytes = 3ll << 30;
  auto compare = [&](FolderNode* x, FolderNode* y) {
    return CompareNodes(reinterpret_cast<LPARAM>(x), reinterpret_cast<LPARAM>(y), reinterpret_cast<LPARAM>(&total));
  };
  EXPECT_LT(compare(a, b), 0) << "descending: the larger first";
  total.ascending = 1;
  EXPECT_GT(compare(a, b), 0);

  b->subtreeBytes = a->subtreeBytes;
  for (uint8_t ascending : {0, 1}) {
    total.ascending = ascending;
    EXPECT_LT(compare(a, b), 0) << "equal sizes go by name, ascending either way";
    EXPECT_GT(compare(b, a), 0);
  }
  ColumnInfo capacity = {};
  capacity.id = COLUMN_CAPACITY;
  EXPECT_LT(CompareNodes(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(&capacity)),
            0);
  EXPECT_EQ(0, CompareNodes(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), 0)) << "no column, no order";
  FreeNodeRecord(a);
  FreeNodeRecord(b);
  Settings.SizeMode = 1;
}

class NameOrderTest : public FolderChainTest {};

int SignOf(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

TEST_F(NameOrderTest, SiblingsComparedByNameKeepTheDesktopsOrder) {
  std::vector<std::string> names = {"alpha", "Alpha2", "a10", "a9", "_under", "Zeta", "zeta-b", "b c", "b-c", "10"};
  const std::string chinese = Narrow(L"\u6570\u636E");
  if (!chinese.empty()) names.push_back(chinese);
  for (const std::string& name : names) temp.MakeFolder(name);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  std::vector<FolderNode*> children;
  for (const std::string& name : names) {
    children.push_back(panes.Child(folder, name));
    ASSERT_NE(nullptr, children.back()) << name;
  }
  ColumnInfo byName = {};
  byName.id = COLUMN_NAME;
  byName.ascending = 1;
  IShellFolder* desktop = nullptr;
  ASSERT_EQ(S_OK, SHGetDesktopFolder(&desktop));
  for (FolderNode* a : children) {
    for (FolderNode* b : children) {
      HRESULT shell = desktop->CompareIDs(0, a->absoluteIdList, b->absoluteIdList);
      ASSERT_TRUE(SUCCEEDED(shell));
      const int ours =
          CompareNodes(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(&byName));
      EXPECT_EQ(SignOf(static_cast<short>(HRESULT_CODE(shell))), SignOf(ours))
          << panes.ItemText(a) << " against " << panes.ItemText(b);
    }
  }
  desktop->Release();
}

class SortingTest : public FolderChainTest {
 protected:
  SortingTest() : FolderChainTest(true) {}
  void SetUp() override {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    temp.MakeFolder("big");
    temp.MakeFile("big\\f.bin", 90000);
    temp.MakeFolder("mid");
    temp.MakeFile("mid\\f.bin", 20000);
    temp.MakeFolder("eq-b");
    temp.MakeFolder("eq-a");
    FolderChainTest::SetUp();
    drive->scanState = SCAN_DONE;
    for (FolderNode* node : {top, static_cast<FolderNode*>(drive)})
      SendMessageA(panes.tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->mainItem));
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    SendMessageA(panes.tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(folder->mainItem));
    bar = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 100, 16, panes.window(), nullptr, nullptr,
                          nullptr);
    ASSERT_TRUE(CreateColumns(panes.window(), panes.tree(), bar, ListFont()));
    InstallSorting();
  }
  void TearDown() override {
    DestroyColumns();
    DestroyWindow(bar);
    SortCompareHook = nullptr;
  }

  std::string Order() const {
    std::string names;
    for (HTREEITEM item = FirstChildItem(panes.tree(), folder->mainItem); item;
         item = NextSiblingItem(panes.tree(), item))
      names += panes.ItemText(NodeFromItem(panes.tree(), item)) + " ";
    return names;
  }
  void Click(uint32_t id) {
    NMHEADERA click = {};
    click.hdr.hwndFrom = ColumnHeader();
    click.hdr.code = HDN_ITEMCLICKA;
    click.iItem = -1;
    for (int i = 0; i < Header_GetItemCount(ColumnHeader()); ++i) {
      HDITEMA item = {};
      item.mask = HDI_LPARAM;
      Header_GetItem(ColumnHeader(), i, &item);
      auto* column = reinterpret_cast<ColumnInfo*>(item.lParam);
      if ((column && column->id == id) || (!column && i == 0 && id == COLUMN_NAME)) click.iItem = i;
    }
    ASSERT_GE(click.iItem, 0) << "column " << id << " is not shown";
    EXPECT_TRUE(OnSortHeaderClick(&click));
  }

  HWND bar = nullptr;
};

TEST_F(SortingTest, TotalFirstThenHeaderClicksReverseAndChoose) {
  ResortBranch(panes.tree(), TopItem(panes.tree()));
  EXPECT_EQ("big mid eq-a eq-b ", Order()) << "by total, largest first, ties by name";
  Click(COLUMN_TOTAL);
  EXPECT_EQ("eq-a eq-b mid big ", Order()) << "the second click reverses";
  Click(COLUMN_NAME);
  EXPECT_EQ("big eq-a eq-b mid ", Order());
  EXPECT_EQ(COLUMN_NAME, SortColumn()->id);

  // Newest first on the modified column.
  SYSTEMTIME newest = {2030, 1, 0, 1, 0, 0, 0, 0};
  FILETIME stamp;
  SystemTimeToFileTime(&newest, &stamp);
  panes.Child(folder, "mid")->lastWrite = stamp;
  Click(COLUMN_MODIFIED);
  EXPECT_EQ(0u, Order().find("mid ")) << Order();
}

TEST_F(SortingTest, CapacityHeaderNeverSorts) {
  for (int i = 0; i < DetailColumnCount(); ++i)
    if (DetailColumn(i)->id == COLUMN_CAPACITY) DetailColumn(i)->flags &= ~COLUMN_HIDDEN;
  RebuildHeader();
  ResortBranch(panes.tree(), TopItem(panes.tree()));
  const std::string before = Order();
  ColumnInfo* sort = SortColumn();
  Click(COLUMN_CAPACITY);
  EXPECT_EQ(before, Order());
  EXPECT_EQ(sort, SortColumn());
}

TEST_F(SortingTest, CollapsedBranchesKeepTheirOrderUntilExpanded) {
  FolderNode* big = panes.Child(folder, "big");
  temp.MakeFolder("big\\z-large");
  temp.MakeFile("big\\z-large\\f.bin", 50000);
  temp.MakeFolder("big\\a-small");
  ASSERT_EQ(1, ScanSubtree(big, true, nullptr));  // the scan sorts big's children by total
  auto firstChildOfBig = [&] {
    return panes.ItemText(NodeFromItem(panes.tree(), FirstChildItem(panes.tree(), big->mainItem)));
  };
  EXPECT_EQ("z-large", firstChildOfBig());
  Click(COLUMN_NAME);
  EXPECT_EQ("z-large", firstChildOfBig()) << "big is collapsed: its children wait";
  PrepareNodeForExpansion(panes.tree(), big->mainItem);
  EXPECT_EQ("a-small", firstChildOfBig()) << "expanding sorts them by the new column";
}

}  // namespace
