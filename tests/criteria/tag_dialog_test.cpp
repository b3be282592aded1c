// The Tag dialog's pages driven through their controls, and rows drawn in the tag colour.
#include <cstring>
#include <functional>
#include <set>

#include "criteria/criteria_pages.h"
#include "criteria/criteria_settings.h"
#include "criteria/tag_dialog.h"
#include "pane/row_painter.h"
#include "settings/history_list.h"
#include "support/main_window_test.h"

namespace {

constexpr COLORREF TAG_COLOUR = RGB(0, 128, 0);
constexpr double TWO_TERABYTES = 2.0 * 1024 * 1024 * 1024 * 1024;

class TagDialogTest : public MainWindowTest {
 protected:
  void SetUp() override {
    OpenScannedTree();
    TaggingActive = false;
    Settings.taggedColour = TAG_COLOUR;
  }

  // Opens the dialog with Ctrl+T's command; |answer| sets the pages and
  // returns the button that closes it.
  void Tag(const std::function<int(HWND)>& answer) {
    DialogAnswerer answerer(answer);
    Command(IDM_TAG_FOLDERS);
    ASSERT_EQ(1u, answerer.seen().size());
  }
};

LRESULT Selection(HWND page, int id) { return SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0); }

// What the shown list paints now: every row, or only those already invalidated.
std::vector<DrawnText> PaintRows(std::vector<DrawnText>& drawn, bool all = true) {
  drawn.clear();
  if (all) InvalidateRect(ActiveList(), nullptr, TRUE);
  UpdateWindow(ActiveList());
  return drawn;
}

// The colours |node|'s row was drawn in.
std::set<COLORREF> RowColours(const std::vector<DrawnText>& drawn, FolderNode* node) {
  const LRESULT entry =
      SendMessageA(ActiveList(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(node->mainItem));
  RECT row = {};
  SendMessageA(ActiveList(), LB_GETITEMRECT, entry, reinterpret_cast<LPARAM>(&row));
  std::set<COLORREF> colours;
  for (const DrawnText& text : drawn)
    if (text.y == row.top + 1) colours.insert(text.colour);
  return colours;
}

TEST_F(TagDialogTest, PagesStoreWhatIsTypedCancelKeepsTheCriteriaAndMatchingRowsTurnToTheTagColour) {
  Settings.tagCriteria.sizeFlags = CRITERIA_TEST_ON | 9;  // a measure beyond the list
  Settings.tagCriteria.sizeLow = TWO_TERABYTES;
  const CriteriaSettings stored = Settings.tagCriteria;
  Tag([](HWND dialog) {
    HWND size = PageWith(dialog, IDC_SIZE_LOW);
    EXPECT_EQ(CB_ERR, Selection(size, IDC_SIZE_MEASURE)) << "no measure is chosen";
    EXPECT_EQ("2", Text(size, IDC_SIZE_LOW)) << "2 TB shows as 2";
    EXPECT_EQ(CB_ERR, Selection(size, IDC_SIZE_LOW_UNIT)) << "with no unit";
    Click(size, IDC_CRITERIA_IGNORE);
    Click(PageWith(dialog, IDC_NAME_PATTERN), IDC_NAME_MATCH);
    return IDCANCEL;
  });
  EXPECT_EQ(0, memcmp(&stored, &Settings.tagCriteria, sizeof stored));
  EXPECT_FALSE(TaggingActive);

  Tag([](HWND) { return IDOK; });
  EXPECT_EQ(0.0, Settings.tagCriteria.sizeLow) << "a value without unit counts as nothing";
  EXPECT_EQ(NO_SIZE_MEASURE, WorkingPrepared.sizeMeasure);
  EXPECT_TRUE(TaggingActive);

  Tag([](HWND dialog) {
    HWND size = PageWith(dialog, IDC_SIZE_LOW);
    Choose(size, IDC_SIZE_MEASURE, 1);
    Choose(size, IDC_SIZE_RELATION, SIZE_BETWEEN);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(size, IDC_SIZE_HIGH))) << "between shows the second value";
    SetDlgItemTextA(size, IDC_SIZE_LOW, "20");
    Choose(size, IDC_SIZE_LOW_UNIT, 2);
    SetDlgItemTextA(size, IDC_SIZE_HIGH, "10");
    Choose(size, IDC_SIZE_HIGH_UNIT, 1);
    HWND name = PageWith(dialog, IDC_NAME_PATTERN);
    Click(name, IDC_NAME_MATCH);
    SetDlgItemTextA(name, IDC_NAME_PATTERN, "*.tmp; temp");
    HWND date = PageWith(dialog, IDC_DATE_COUNT);
    Click(date, IDC_DATE_NOT_WITHIN);
    Click(date, IDC_DATE_CREATED);
    SetDlgItemTextA(date, IDC_DATE_COUNT, "3");
    Choose(date, IDC_DATE_UNIT, 2);
    return IDOK;
  });
  const CriteriaSettings& tag = Settings.tagCriteria;
  EXPECT_EQ(10.0 * 1024, tag.sizeLow) << "the smaller value comes first";
  EXPECT_EQ(20.0 * 1024 * 1024, tag.sizeHigh);
  EXPECT_EQ(SIZE_BETWEEN, tag.sizeRelation);
  EXPECT_EQ(CRITERIA_TEST_ON | 1, tag.sizeFlags);
  EXPECT_EQ(COLUMN_OWN_FILES, WorkingPrepared.sizeMeasure);
  EXPECT_EQ(1, tag.nameTestOn);
  EXPECT_STREQ("*.TMP; TEMP", WorkingPrepared.namePattern);
  HistoryList names;
  LoadHistory(&names, NAME_FILTER_HISTORY);
  ASSERT_TRUE(names.slots[0]);
  EXPECT_STREQ("*.tmp; temp", names.slots[0].get()) << "the pattern is remembered as typed";
  EXPECT_EQ(CRITERIA_TEST_ON | DATE_NEGATED | DATE_CREATED, tag.dateFlags);
  EXPECT_EQ(3, tag.dateCount);
  EXPECT_EQ(2, tag.dateUnit);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](FILETIME t) { return (int64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const int64_t threeDays = 3LL * 1440 * 600000000;
  EXPECT_NEAR(double(ticks(now) - threeDays), double(ticks(WorkingPrepared.dateCutoff)), 600000000.0)
      << "three days before the confirmation";

  Settings.tagCriteria.sizeFlags = Settings.tagCriteria.nameTestOn = Settings.tagCriteria.dateFlags = 0;
  Tag([](HWND) { return IDOK; });
  std::vector<DrawnText> drawn = PaintRows(recorded.drawn());
  std::set<int> rows;
  for (const DrawnText& text : drawn) {
    rows.insert(text.y);
    EXPECT_EQ(TAG_COLOUR, text.colour) << "every text of the row at y = " << text.y;
  }
  const LRESULT entries = SendMessageA(ActiveList(), LB_GETCOUNT, 0, 0);
  EXPECT_EQ(size_t(entries - 1), rows.size()) << "every row but the computer's is drawn, all in the tag colour";

  Settings.tagCriteria.sizeFlags = CRITERIA_TEST_ON;  // the total
  Settings.tagCriteria.sizeRelation = SIZE_GREATER;
  Settings.tagCriteria.sizeLow = 1 << 20;
  Tag([](HWND) { return IDOK; });
  FolderNode* big = Child("big");
  big->flags &= ~SUBTREE_COMPLETE;  // as while its subfolders are being counted
  drawn = PaintRows(recorded.drawn());
  const std::set<COLORREF> counting = RowColours(drawn, big);
  EXPECT_EQ(0u, counting.count(TAG_COLOUR)) << "a total still being counted is not tagged";
  EXPECT_EQ(1u, counting.count(GetSysColor(COLOR_GRAYTEXT)));
  EXPECT_EQ(0u, RowColours(drawn, Child("Temp")).count(TAG_COLOUR)) << "10 KB is not over 1 MB";
  big->flags |= SUBTREE_COMPLETE;
  InvalidateNodeRow(big);
  drawn = PaintRows(recorded.drawn(), false);
  EXPECT_EQ(std::set<COLORREF>{TAG_COLOUR}, RowColours(drawn, big)) << "tagged once its total is final";

  Command(IDM_CLEAR_ALL_TAGS);
  drawn = PaintRows(recorded.drawn());
  EXPECT_EQ(0u, RowColours(drawn, big).count(TAG_COLOUR));
}

}  // namespace
