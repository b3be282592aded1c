// The folder pane's columns in the real main window: the first run's set, saved values, drags and scrolling.
#include <algorithm>

#include "reports/report_source.h"
#include "settings/settings_store.h"
#include "support/column_header.h"
#include "support/main_window_test.h"

namespace {

constexpr int STEP = 4;            // pixels per step of the scroll bar's arrows
constexpr int ENOUGH_STEPS = 500;  // more than any width here needs
const std::vector<uint32_t> FIRST_RUN = {COLUMN_NAME, COLUMN_TOTAL, COLUMN_OWN_FILES, COLUMN_MODIFIED};

class Columns : public MainWindowTest {
 protected:
  // Only the top folder shown: the names fit their column with room to spare.
  void SetUp() override {
    Open();
    Command(IDM_COLLAPSE_ALL);
  }
  static int FullWidth(const ColumnInfo* column) {
    return std::max({column->contentWidth, column->titleWidth, column->width});
  }
  static bool NamesCut() { return NameWidth() > NameColumnWidth(); }
};

TEST_F(Columns, FirstRunSetPointsNameColumnsDividersNeverGoBelowTheTextWidthAndASortIndexBeyondMeansTheName) {
  EXPECT_EQ(FIRST_RUN, ShownColumns());
  const std::wstring TITLES[] = {L"文件夹", L"全部", L"文件夹中文件", L"被更改"};
  for (int i = 0; i < HeaderCount(); ++i) EXPECT_EQ(Narrow(TITLES[i]), HeaderItemTitle(ColumnHeader(), i)) << i;
  ASSERT_NE(nullptr, SortColumn());
  EXPECT_EQ(std::make_tuple(COLUMN_TOTAL, 0, 1),
            std::make_tuple(SortColumn()->id, int(SortColumn()->ascending), SortColumnIndex()))
      << "sorted by the total, descending";
  ColumnInfo* total = ColumnById(COLUMN_TOTAL);
  const int inUnits = total->minimumWidth;
  Command(IDM_EXACT_BYTES);
  EXPECT_GT(total->minimumWidth, inUnits) << "exact bytes take more room";
  Command(IDM_EXACT_BYTES);
  EXPECT_EQ(inUnits, total->minimumWidth);

  // Which column a point of the screen is over.
  ColumnById(COLUMN_OWN_FILES)->flags |= COLUMN_HIDDEN;
  RebuildHeader();
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_MODIFIED}), ShownColumns());
  auto middleOf = [](int index, int below = 0) {
    const RECT rect = HeaderItemRect(index);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 + below};
    ClientToScreen(ColumnHeader(), &point);
    return ColumnAtScreenPoint(point);
  };
  EXPECT_EQ((std::vector<int>{0, 1, 7, -1}),
            (std::vector<int>{middleOf(0), middleOf(1), middleOf(2), middleOf(0, 100)}))
      << "the modified column is seventh in the table; below the header is none";

  DragDivider(1, 5);
  EXPECT_EQ(total->minimumWidth, HeaderItemWidth(1)) << "snaps back to the width of its digits";
  EXPECT_EQ(total->minimumWidth, total->width);
  DragDivider(0, 30);
  EXPECT_EQ(NAME_COLUMN_MIN_WIDTH, NameColumnWidth()) << "names are never narrower than 100";
  DragDivider(0, 180);
  EXPECT_EQ(180, NameColumnWidth());
  RECT list;
  GetWindowRect(Panes.mainList, &list);
  MapWindowPoints(nullptr, Panes.mainTree, reinterpret_cast<POINT*>(&list), 1);
  EXPECT_EQ(180, list.left) << "the detail list starts where the names end";

  ASSERT_FALSE(IsWindowVisible(ColumnScrollBar()));
  RECT client;
  GetClientRect(ColumnHeader(), &client);
  DragDivider(1, client.right);
  EXPECT_EQ(client.right, total->width);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(ColumnScrollBar())) << "the panes are laid out again, with the scroll bar";

  const struct {
    uint8_t stored;
    uint32_t sorted;                                      // the column sorted by at the next start
  } CASES[] = {{11, COLUMN_NAME}, {9, COLUMN_CAPACITY}};  // 9: the last one there is
  for (const auto& c : CASES) {
    Close();
    Settings.sortColumn = c.stored;
    Open();
    ASSERT_NE(nullptr, SortColumn());
    EXPECT_EQ(c.sorted, SortColumn()->id) << int(c.stored);
  }
  SetSortColumn(ColumnById(COLUMN_MODIFIED));
  SaveSettings(true);
  SettingsRecord record = {};
  ASSERT_TRUE(ReadBinary(SETTINGS_RECORD_VALUE, &record, sizeof record));
  EXPECT_EQ(7, record.sortColumn);
}

TEST_F(Columns, ColumnValuesSurviveARestartEvenWithoutSaveOnExitAndTheSortColumnFollowsItsColumn) {
  saveOnExit = 0;
  ColumnById(COLUMN_OWN_FILES)->flags |= COLUMN_HIDDEN;
  ColumnById(COLUMN_FOLDER_COUNT)->flags &= ~COLUMN_HIDDEN;
  MoveDetailColumn(6, 0);  // modified first
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_MODIFIED, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), ShownColumns());
  DragDivider(2, 250);
  ColumnById(COLUMN_TOTAL)->ascending = 1;
  ScrollColumns(SB_PAGERIGHT);  // the names shrink to fit
  ScrollColumns(SB_PAGERIGHT);  // the modified column makes room
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), ShownColumns());
  DragDivider(0, 150);

  Close();  // the settings in memory stay as they were, as after the closing
  Open();
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), ShownColumns());
  EXPECT_EQ(std::make_pair(COLUMN_MODIFIED, COLUMN_TOTAL), std::make_pair(DetailColumn(0)->id, DetailColumn(1)->id))
      << "order";
  EXPECT_EQ(COLUMN_SCROLLED_OFF, ColumnById(COLUMN_MODIFIED)->flags & (COLUMN_SCROLLED_OFF | COLUMN_HIDDEN));
  EXPECT_EQ(COLUMN_HIDDEN, ColumnById(COLUMN_OWN_FILES)->flags & (COLUMN_SCROLLED_OFF | COLUMN_HIDDEN));
  EXPECT_EQ(0u, ColumnById(COLUMN_FOLDER_COUNT)->flags & (COLUMN_SCROLLED_OFF | COLUMN_HIDDEN));
  EXPECT_EQ(std::make_tuple(250, 250, 150),
            std::make_tuple(ColumnById(COLUMN_TOTAL)->width, HeaderItemWidth(1), NameColumnWidth()));
  ASSERT_NE(nullptr, SortColumn());
  EXPECT_EQ(std::make_pair(COLUMN_TOTAL, 1), std::make_pair(SortColumn()->id, int(SortColumn()->ascending)))
      << "the sort column follows its column to its new place";

  // The stored form: masked flags, width, bar scale, position, direction.
  StoredColumn stored = {};
  ASSERT_TRUE(ReadBinary("14", &stored, sizeof stored));
  EXPECT_EQ(0x0c5au & COLUMN_STORED_FLAGS, stored.flags);
  EXPECT_EQ(std::make_tuple(250, 1, 2, 1),
            std::make_tuple(stored.width, int(stored.barScale), int(stored.position), int(stored.ascending)));
  ASSERT_TRUE(ReadBinary("18", &stored, sizeof stored));
  EXPECT_EQ(std::make_pair(150, 0), std::make_pair(stored.width, int(stored.position)));
}

TEST_F(Columns, ScrollingShrinksNamesThenTheFirstDetailColumnAndGivesThemBack) {
  ColumnInfo* total = ColumnById(COLUMN_TOTAL);
  const int totalWidth = HeaderItemWidth(1);
  ASSERT_FALSE(NamesCut()) << "the names fit at first";
  for (int i = 0; i < ENOUGH_STEPS && !NamesCut(); ++i) {
    ScrollColumns(SB_LINERIGHT);
    ASSERT_EQ(totalWidth, HeaderItemWidth(1)) << "only the names shrink while they fit";
  }
  ASSERT_TRUE(NamesCut());
  const int cutNames = NameColumnWidth();
  ScrollColumns(SB_LINERIGHT);
  EXPECT_EQ(totalWidth - STEP, HeaderItemWidth(1)) << "then the first detail column shrinks";
  EXPECT_EQ(cutNames, NameColumnWidth());
  for (int i = 0; i < ENOUGH_STEPS && HeaderItemColumn(1) == total; ++i) ScrollColumns(SB_LINERIGHT);
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_OWN_FILES, COLUMN_MODIFIED}), ShownColumns()) << "and goes";
  EXPECT_TRUE(AnyColumnScrolledOff());
  EXPECT_EQ(cutNames, NameColumnWidth());

  for (int i = 0; i < ENOUGH_STEPS && NamesCut(); ++i) {
    ScrollColumns(SB_LINELEFT);
    ASSERT_EQ(3, HeaderCount()) << "the names widen first";
  }
  ScrollColumns(SB_LINELEFT);
  EXPECT_EQ(FIRST_RUN, ShownColumns()) << "then the total comes back";
  EXPECT_EQ(STEP, HeaderItemWidth(1));
  for (int i = 0; i < ENOUGH_STEPS && HeaderItemWidth(1) < FullWidth(total); ++i) ScrollColumns(SB_LINELEFT);
  EXPECT_EQ(FullWidth(total), HeaderItemWidth(1));
  EXPECT_FALSE(AnyColumnScrolledOff());

  // Pages and the thumb, from names with room to spare.
  const int full = FullWidth(total);
  ResizeNameColumn(NAME_COLUMN_DEFAULT_WIDTH);
  ScrollColumns(SB_PAGERIGHT);
  EXPECT_EQ(NameWidth(), NameColumnWidth()) << "a page right first cuts the names' spare room";
  ScrollColumns(SB_PAGERIGHT);
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_OWN_FILES, COLUMN_MODIFIED}), ShownColumns());
  ScrollColumns(SB_PAGELEFT);
  EXPECT_EQ(FIRST_RUN, ShownColumns());
  EXPECT_EQ(full, HeaderItemWidth(1));

  const int target = GetScrollPos(ColumnScrollBar(), SB_CTL) + 30;
  ScrollColumns(SB_THUMBPOSITION, static_cast<WORD>(target));
  EXPECT_GE(GetScrollPos(ColumnScrollBar(), SB_CTL), target);
  EXPECT_LT(HeaderItemWidth(1), full);
  ScrollColumns(SB_THUMBPOSITION, 0);
  EXPECT_LT(GetScrollPos(ColumnScrollBar(), SB_CTL), target);
  EXPECT_EQ(full, HeaderItemWidth(1)) << "the thumb at home gives every column back";
  EXPECT_FALSE(NamesCut());
}

}  // namespace
