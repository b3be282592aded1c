// Sibling order by the sort column, name ties, and header clicks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/scanner.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "settings/settings_record.h"
#include "support/folder_chain_test.h"
#include "support/scratch_registry.h"

namespace {

std::string Sign(int value) { return value < 0 ? "-" : value > 0 ? "+" : "0"; }
std::string Compared(FolderNode* a, FolderNode* b, const ColumnInfo* column) {
  return Sign(CompareNodes(reinterpret_cast<LPARAM>(a), reinterpret_cast<LPARAM>(b), reinterpret_cast<LPARAM>(column)));
}

using SortComparison = FolderChainTest;

TEST_F(SortComparison, NamesKeepTheDesktopsOrderSizesBeyond4GiBAndTiesGoByName) {
  std::vector<std::string> names = {"alpha", "beta",   "Alpha2", "a10", "a9", "_under",
                                    "Zeta",  "zeta-b", "b c",    "b-c", "10", Narrow(L"\u6570\u636E")};
  for (const std::string& name : names) temp.MakeFolder(name);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  ColumnInfo byName = {}, total = {}, capacity = {};
  byName.id = COLUMN_NAME;
  byName.ascending = 1;
  IShellFolder* desktop = nullptr;
  ASSERT_EQ(S_OK, SHGetDesktopFolder(&desktop));
  for (const std::string& first : names) {
    for (const std::string& second : names) {
      FolderNode* a = panes.Child(folder, first);
      FolderNode* b = panes.Child(folder, second);
      ASSERT_TRUE(a && b) << first << ", " << second;
      HRESULT shell = desktop->CompareIDs(0, a->absoluteIdList, b->absoluteIdList);
      EXPECT_EQ(Sign(static_cast<short>(HRESULT_CODE(shell))), Compared(a, b, &byName)) << first << " / " << second;
    }
  }
  FolderNode* a = panes.Child(folder, "alpha");
  FolderNode* b = panes.Child(folder, "beta");
  // A folder and a child of another: the desktop compares the whole lists.
  HRESULT shell = desktop->CompareIDs(0, folder->absoluteIdList, a->absoluteIdList);
  EXPECT_EQ(Sign(static_cast<short>(HRESULT_CODE(shell))), Compared(folder, a, &byName));
  desktop->Release();

  Settings.SizeMode = 0;
  total.id = COLUMN_TOTAL;
  capacity.id = COLUMN_CAPACITY;
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
  Settings.SizeMode = 1;
}

class SortingTest : public FolderChainTest {
 protected:
  SortingTest() : FolderChainTest(true) {}
  void SetUp() override {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    temp.Make({"big", "big\\f.bin:90000", "mid", "mid\\f.bin:20000", "eq-b", "eq-a"});
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

TEST_F(SortingTest, TotalFirstThenHeaderClicksReverseAndChooseButNeverTheCapacity) {
  ResortBranch(panes.tree(), TopItem(panes.tree()));
  EXPECT_EQ("big mid eq-a eq-b ", Order()) << "by total, largest first, ties by name";
  Click(COLUMN_TOTAL);
  EXPECT_EQ("eq-a eq-b mid big ", Order()) << "the second click reverses";
  Click(COLUMN_NAME);
  EXPECT_EQ("big eq-a eq-b mid ", Order());
  EXPECT_EQ(COLUMN_NAME, SortColumn()->id);

  for (int i = 0; i < DetailColumnCount(); ++i)
    if (DetailColumn(i)->id == COLUMN_CAPACITY) DetailColumn(i)->flags &= ~COLUMN_HIDDEN;
  RebuildHeader();
  Click(COLUMN_CAPACITY);
  EXPECT_EQ("big eq-a eq-b mid ", Order());
  EXPECT_EQ(COLUMN_NAME, SortColumn()->id);

  SYSTEMTIME newest = {2030, 1, 0, 1, 0, 0, 0, 0};
  SystemTimeToFileTime(&newest, &panes.Child(folder, "mid")->lastWrite);
  Click(COLUMN_MODIFIED);
  EXPECT_EQ(0u, Order().find("mid ")) << "newest first: " << Order();
}

TEST_F(SortingTest, CollapsedBranchesKeepTheirOrderUntilExpanded) {
  FolderNode* big = panes.Child(folder, "big");
  temp.Make({"big\\z-large", "big\\z-large\\f.bin:50000", "big\\a-small"});
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
