// Finding and tagging folders on a scanned tree: MatchFolder at the edges of each test, the real Find dialog, and
// the Tag dialog's pages driven through their controls with rows drawn in the tag colour.
#include <cstring>
#include <functional>
#include <set>

#include "app/text_case.h"
#include "criteria/criteria_pages.h"
#include "criteria/criteria_settings.h"
#include "criteria/find_search.h"
#include "criteria/matching.h"
#include "criteria/tag_dialog.h"
#include "pane/row_painter.h"
#include "settings/history_list.h"
#include "support/main_window_test.h"

namespace {

struct Criteria {
  CriteriaSettings settings;
  CriteriaPrepared prepared;
  int64_t cutoffAfterTime;  // the date cutoff, in ticks after the folder's chosen time
};

Criteria Size(uint8_t relation, double low, double high = 0, uint32_t measure = COLUMN_TOTAL) {
  Criteria c = {};
  c.settings.sizeFlags = CRITERIA_TEST_ON;
  c.settings.sizeRelation = relation;
  c.settings.sizeLow = low;
  c.settings.sizeHigh = high;
  c.prepared.sizeMeasure = measure;
  return c;
}

Criteria Name(const char* pattern) {
  Criteria c = {};
  c.settings.nameTestOn = 1;
  lstrcpynA(c.prepared.namePattern, pattern, MAX_PATH);
  return c;
}

Criteria Date(uint8_t flags, int64_t cutoffAfterTime) {
  Criteria c = {};
  c.settings.dateFlags = flags;
  c.cutoffAfterTime = cutoffAfterTime;
  return c;
}

class FindTest : public MainWindowTest {
 protected:
  void SetUp() override {
    OpenScannedTree();
    Settings.FindAdvancedShown = 1;
    Settings.findCriteria.sizeFlags = 0;
    Settings.findCriteria.searchScope = SCOPE_CURRENT_FOLDER;
  }

  // From the normal view with the scanned folder current, the user presses
  // F3, lets |setup| set the controls and presses Find now; message boxes get
  // |driveAnswer|.  Exit closes the dialog once the search has ended with it
  // open, or, with |exitWhileSearching|, as soon as the search runs.
  void Find(const std::function<void(HWND)>& setup, int driveAnswer = IDNO, bool exitWhileSearching = false) {
    Command(IDM_VIEW_NORMAL);
    ASSERT_EQ(start, CurrentFolder);
    walked = ChildTexts(Panes.mainTree, start->mainItem);
    bool pressed = false;
    DialogAnswerer answerer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_CRITERIA_TABS)) return driveAnswer;
      if (!pressed) {
        setup(dialog);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        pressed = true;
        return 0;
      }
      status = Text(dialog, IDC_FIND_STATUS);
      const bool searching = !IsWindowEnabled(GetDlgItem(dialog, IDOK));
      if (searching && !(exitWhileSearching && status == ResourceString(IDS_SEARCHING))) return 0;
      workersAtExit = WorkerCount();
      return IDCANCEL;
    });
    Command(IDM_FIND_FOLDERS);
    questions.clear();
    for (const SeenDialog& seen : answerer.seen())
      if (!seen.text.empty()) questions.push_back(seen.text);
  }

  static void Pattern(HWND dialog, const char* pattern) {
    HWND page = PageWith(dialog, IDC_NAME_PATTERN);
    Click(page, IDC_NAME_MATCH);
    SetDlgItemTextA(page, IDC_NAME_PATTERN, pattern);
  }

  // Temp and x.tmp as the user sees them found: the one walked later first.
  std::vector<std::string> NewestFirst(bool fullPaths) const {
    std::vector<std::string> names;
    for (const std::string& name : walked)
      if (name == "Temp" || name == "x.tmp") names.insert(names.begin(), name);
    for (std::string& name : names) {
      if (!fullPaths) continue;
      name = temp.Path(name);
      WordCapitals(&name[0]);
    }
    return names;
  }

  std::vector<std::string> walked;  // the scanned folder's children in walking order
  std::string status;
  int workersAtExit = -1;
  std::vector<std::string> questions;
};

LRESULT ResultCount() { return SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0); }
std::vector<std::string> ListedResults() { return ChildTexts(Panes.findTree, TopItem(Panes.findTree)); }

TEST_F(FindTest, MatchFolderAtTheEdgesOfTheSizeNameAndDateTests) {
  constexpr uint8_t ON = CRITERIA_TEST_ON;
  const struct {
    const char* what;
    const char* folder;  // below the scanned folder; "<top>" and "<drive>" name those nodes
    Criteria criteria;
    uint8_t flagsCleared;  // as while a scan is still counting the folder
    bool matches;
  } cases[] = {
      {"between includes its low end", "Temp", Size(SIZE_BETWEEN, 10240, 20480), 0, true},
      {"between includes its high end", "x.tmp", Size(SIZE_BETWEEN, 10240, 20480), 0, true},
      {"between excludes what lies above", "big", Size(SIZE_BETWEEN, 10240, 20480), 0, false},
      {"equal is exact to the byte", "Temp", Size(SIZE_EQUAL, 10240), 0, true},
      {"equal misses by one byte", "Temp", Size(SIZE_EQUAL, 10239), 0, false},
      {"less than", "A", Size(SIZE_LESS, 1), 0, true},
      {"less than is strict", "Temp", Size(SIZE_LESS, 10240), 0, false},
      {"greater than is strict", "Temp", Size(SIZE_GREATER, 10240), 0, false},
      {"a total still being counted fails", "big", Size(SIZE_GREATER, 1 << 20), SUBTREE_COMPLETE, false},
      {"files in folder are known once counted", "big", Size(SIZE_GREATER, 1 << 20, 0, COLUMN_OWN_FILES),
       SUBTREE_COMPLETE, true},
      {"no measure skips the size test", "A", Size(SIZE_GREATER, 1 << 20, 0, NO_SIZE_MEASURE), 0, true},
      {"an unknown relation passes", "A", Size(7, 1 << 20), 0, true},
      {"*.TMP; TEMP matches Temp", "Temp", Name("*.TMP; TEMP"), 0, true},
      {"*.TMP; TEMP matches x.tmp", "x.tmp", Name("*.TMP; TEMP"), 0, true},
      {"*.TMP; TEMP does not match A", "A", Name("*.TMP; TEMP"), 0, false},
      {";; has no element and matches nothing", "Temp", Name(";;"), 0, false},
      {"? needs a character", "A", Name("A?"), 0, false},
      {"? takes any one", "D1\\D1a", Name("D?A"), 0, true},
      {"* may match nothing", "A", Name("A*"), 0, true},
      {"the whole name must match", "Temp", Name("TEM"), 0, false},
      {"an empty pattern skips the name test", "A", Name(""), 0, true},
      {"a time at the cutoff passes", "A", Date(ON, 0), 0, true},
      {"a time at the cutoff passes negated", "A", Date(ON | DATE_NEGATED, 0), 0, true},
      {"a time before the cutoff fails", "A", Date(ON, 1), 0, false},
      {"a time before the cutoff passes negated", "A", Date(ON | DATE_NEGATED, 1), 0, true},
      {"the creation time when chosen", "A", Date(ON | DATE_CREATED, 0), 0, true},
      {"the top node never matches", "<top>", {}, 0, false},
      {"a drive root matches with every test off", "<drive>", {}, 0, true},
  };
  for (const auto& c : cases) {
    const std::string folder = c.folder;
    FolderNode* node = folder == "<top>" ? top : folder == "<drive>" ? start->root : Child(folder);
    ASSERT_TRUE(IsFolderNode(node)) << c.what;
    Criteria criteria = c.criteria;
    const FILETIME chosen =
        (criteria.settings.dateFlags & DATE_KIND_MASK) == DATE_CREATED ? node->created : node->lastWrite;
    const uint64_t cutoff = ((uint64_t(chosen.dwHighDateTime) << 32) | chosen.dwLowDateTime) + criteria.cutoffAfterTime;
    criteria.prepared.dateCutoff = {static_cast<DWORD>(cutoff), static_cast<DWORD>(cutoff >> 32)};
    const uint8_t flags = node->flags;
    node->flags &= static_cast<uint8_t>(~c.flagsCleared);
    EXPECT_EQ(c.matches, MatchFolder(criteria.settings, criteria.prepared, node)) << c.what;
    node->flags = flags;
  }
}

TEST_F(FindTest, DisplaysShowWhatMatchesNothingFoundKeepsTheDialogAndExitEndsASearch) {
  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_TREE);
    Pattern(dialog, "*.tmp; temp");
  });
  EXPECT_TRUE(questions.empty()) << "no question about a drive whose known folders are all counted";
  EXPECT_TRUE(FindResultsMode) << "the results are shown";
  // Each folder from the drive down to the scanned folder once, below its parent.
  LRESULT chain = 0;
  for (FolderNode* node = start; node != top; node = ParentNode(Panes.mainTree, node->mainItem), ++chain) {
    ASSERT_NE(nullptr, node->findItem);
    FolderNode* parent = ParentNode(Panes.mainTree, node->mainItem);
    EXPECT_EQ(parent == top ? TopItem(Panes.findTree) : parent->findItem, ParentItem(Panes.findTree, node->findItem));
  }
  EXPECT_EQ(1 + chain + 2, ResultCount());
  EXPECT_EQ(NewestFirst(false), ChildTexts(Panes.findTree, start->findItem)) << "the later find stands first";

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_AS_LIST);
    Pattern(dialog, "*.tmp; temp");
  });
  EXPECT_EQ(NewestFirst(true), ListedResults()) << "full paths in word capitals, newest first";

  Find([](HWND dialog) {
    Click(dialog, IDC_FIND_MERGE);
    Pattern(dialog, "temp;d1*");
  });
  EXPECT_EQ(5u, ListedResults().size()) << "D1, D1a and D1b join; Temp is not listed twice";

  FolderNode* gone = Child("Temp");
  temp.Remove("Temp");
  ScanOneLevel(start);  // as a rescan after the change on disk does
  EXPECT_FALSE(IsFolderNode(gone));
  EXPECT_EQ(4u, ListedResults().size()) << "the deleted folder leaves the results";

  Find([](HWND dialog) { Pattern(dialog, "nothing*here"); });
  EXPECT_EQ(ResourceString(IDS_NOTHING_FOUND), status);
  EXPECT_EQ(1, ResultCount()) << "only the top item";
  EXPECT_TRUE(FindResultsMode);

  Command(IDM_VIEW_NORMAL);
  EXPECT_FALSE(FindResultsMode);

  start->root->flags &= ~SUBTREE_COMPLETE;  // as while a scan of the drive is unfinished
  Find([](HWND dialog) { Pattern(dialog, "*"); }, IDCANCEL);
  start->root->flags |= SUBTREE_COMPLETE;
  ASSERT_EQ(1u, questions.size());
  EXPECT_NE(std::string::npos, questions[0].find(TreeItemText(Panes.mainTree, start->root->mainItem))) << questions[0];
  EXPECT_EQ(1, ResultCount()) << "Cancel searches nothing";

  WorkerRecord scan = {};  // a scan of the drive still counting the folder: the search waits there
  AsDriveRoot(start->root)->activeScan = &scan;
  start->flags &= ~SUBTREE_COMPLETE;
  Find([](HWND) {}, IDNO, true);
  EXPECT_EQ(1, workersAtExit) << "the dialog closed while the search was waiting";
  EXPECT_EQ(0, WorkerCount()) << "and the search then ended";
  EXPECT_EQ(nullptr, FindSearchWorker);
  AsDriveRoot(start->root)->activeScan = nullptr;
  start->flags |= SUBTREE_COMPLETE;
}

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
