// The folder pane's columns over a real tree and header: the first run's
// set, the values kept between runs, divider drags and the horizontal
// scroll bar's trade of width between the names and the detail columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "support/scratch_registry.h"
#include "support/test_panes.h"

namespace {

::testing::Environment* const scratchCurrentUser = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

constexpr char PANE_CLASS[] = "PelvanorColumnsTestPane";
constexpr int SCROLL_BAR_ID = 1030;
constexpr int STEP = 4;
constexpr int ENOUGH_STEPS = 500;  // more than any width here needs
int g_relayouts = 0;

// The pane as the main window builds it: the header's notifications and the
// scroll bar's messages are handed to the columns in one call each.
LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_NOTIFY && HandleColumnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result;
  if (message == WM_HSCROLL && HandleColumnHScroll(wParam, lParam)) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakePane(HWND host) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA cls = {};
    cls.lpfnWndProc = PaneProc;
    cls.hInstance = AppInstance;
    cls.lpszClassName = PANE_CLASS;
    registered = RegisterClassA(&cls) != 0;
  }
  return CreateWindowExA(0, PANE_CLASS, "", WS_CHILD | WS_VISIBLE, 0, 400, 1000, 50, host, nullptr, AppInstance,
                         nullptr);
}

HFONT ListFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

class Columns : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    saveOnExit = 1;
    g_relayouts = 0;
    RelayoutPanesHook = [] { ++g_relayouts; };
    for (const char* name : {"Program Files", "Users", "Windows"})
      InsertFolderItem(panes_.tree(), TVI_ROOT, name, 0, 0, nullptr);
    pane_ = MakePane(panes_.window());
    bar_ = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0, 30, 300, 16, pane_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(SCROLL_BAR_ID)), AppInstance, nullptr);
    Start();
  }
  void TearDown() override {
    DestroyColumns();
    DestroyWindow(pane_);
    RelayoutPanesHook = nullptr;
  }

  void Start() {
    ASSERT_TRUE(CreateColumns(pane_, panes_.tree(), bar_, ListFont()));
    ResetNameWidthCache();
  }
  // What closing and starting the program again does to the columns.
  void Restart() {
    SaveAllColumnSettings();
    DestroyColumns();
    Start();
  }

  std::vector<uint32_t> Shown() const {
    std::vector<uint32_t> ids;
    for (int i = 0; i < HeaderCount(); ++i) ids.push_back(ItemColumn(i) ? ItemColumn(i)->id : 0);
    return ids;
  }
  static int HeaderCount() { return static_cast<int>(SendMessageA(ColumnHeader(), HDM_GETITEMCOUNT, 0, 0)); }
  static HDITEMA Item(int index, UINT mask) {
    HDITEMA item = {};
    item.mask = mask;
    SendMessageA(ColumnHeader(), HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return item;
  }
  static ColumnInfo* ItemColumn(int index) { return reinterpret_cast<ColumnInfo*>(Item(index, HDI_LPARAM).lParam); }
  static int ItemWidth(int index) { return Item(index, HDI_WIDTH).cxy; }
  static std::string ItemText(int index) {
    char text[128] = "";
    HDITEMA item = {};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(ColumnHeader(), HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
  }
  static ColumnInfo* ById(uint32_t id) {
    for (int i = 0; i < DetailColumnCount(); ++i)
      if (DetailColumn(i)->id == id) return DetailColumn(i);
    return nullptr;
  }
  static int FullWidth(const ColumnInfo* column) {
    return std::max({column->contentWidth, column->titleWidth, column->width});
  }

  // Presses on the item's right divider and lets go where the item would be
  // |width| wide, as the user does with the mouse.
  static void DragDivider(int index, int width) {
    RECT rect = {};
    SendMessageA(ColumnHeader(), HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    int y = (rect.top + rect.bottom) / 2;
    int grip = rect.right - 2;
    int drop = rect.left + width - 2;
    SendMessageA(ColumnHeader(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip, y));
    SendMessageA(ColumnHeader(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop, y));
    SendMessageA(ColumnHeader(), WM_LBUTTONUP, 0, MAKELPARAM(drop, y));
  }
  void Scroll(WORD code, WORD position = 0) {
    SendMessageA(pane_, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar_));
  }
  bool NamesCut() { return NameWidth() > NameColumnWidth(); }
  int ListLeft() {
    RECT rect;
    GetWindowRect(panes_.list(), &rect);
    MapWindowPoints(nullptr, GetParent(panes_.list()), reinterpret_cast<POINT*>(&rect), 2);
    return rect.left;
  }

  TestPanes panes_;
  HWND pane_ = nullptr;
  HWND bar_ = nullptr;
};

const std::vector<uint32_t> FIRST_RUN = {COLUMN_NAME, COLUMN_TOTAL, COLUMN_OWN_FILES, COLUMN_MODIFIED};

TEST_F(Columns, FirstRunShowsFolderTotalFilesAndModifiedSortedByTotalDescending) {
  EXPECT_EQ(FIRST_RUN, Shown());
  for (int i = 0; i < HeaderCount(); ++i) {
    EXPECT_EQ(ResourceString(Shown()[i]), ItemText(i)) << "title of header item " << i;
    EXPECT_FALSE(ItemText(i).empty()) << "header item " << i << " has no title";
  }
  ASSERT_NE(nullptr, SortColumn());
  EXPECT_EQ(COLUMN_TOTAL, SortColumn()->id);
  EXPECT_EQ(0, SortColumn()->ascending) << "the total sorts descending";
  EXPECT_EQ(1, SortColumnIndex());
  EXPECT_EQ(NAME_COLUMN_DEFAULT_WIDTH, NameColumnWidth());
  EXPECT_EQ(ById(COLUMN_TOTAL)->minimumWidth + 100, ById(COLUMN_TOTAL)->contentWidth) << "the bar's room";
}

TEST_F(Columns, ColumnPointsNameTheColumnPosition) {
  ById(COLUMN_OWN_FILES)->flags |= COLUMN_HIDDEN;
  RebuildHeader();
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_MODIFIED}), Shown());
  auto middleOf = [](int index) {
    RECT rect = {};
    SendMessageA(ColumnHeader(), HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(ColumnHeader(), &point);
    return point;
  };
  EXPECT_EQ(0, ColumnAtScreenPoint(middleOf(0)));
  EXPECT_EQ(1, ColumnAtScreenPoint(middleOf(1)));
  EXPECT_EQ(7, ColumnAtScreenPoint(middleOf(2))) << "the modified column is seventh in the table";
  POINT below = middleOf(0);
  below.y += 100;
  EXPECT_EQ(-1, ColumnAtScreenPoint(below));
}

TEST_F(Columns, ColumnSettingsSurviveARestartEvenWithoutSaveOnExit) {
  saveOnExit = 0;
  ById(COLUMN_OWN_FILES)->flags |= COLUMN_HIDDEN;
  ById(COLUMN_FOLDER_COUNT)->flags &= ~COLUMN_HIDDEN;
  MoveDetailColumn(6, 0);  // modified first
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_MODIFIED, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), Shown());
  DragDivider(2, 250);
  ById(COLUMN_TOTAL)->ascending = 1;
  Scroll(SB_PAGERIGHT);  // the names shrink to fit
  Scroll(SB_PAGERIGHT);  // the modified column makes room
  ASSERT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), Shown());
  DragDivider(0, 150);
  SaveSettings(false);

  Restart();
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_TOTAL, COLUMN_FOLDER_COUNT}), Shown());
  EXPECT_EQ(COLUMN_MODIFIED, DetailColumn(0)->id) << "order";
  EXPECT_EQ(COLUMN_TOTAL, DetailColumn(1)->id) << "order";
  EXPECT_TRUE(ById(COLUMN_MODIFIED)->flags & COLUMN_SCROLLED_OFF);
  EXPECT_TRUE(ById(COLUMN_OWN_FILES)->flags & COLUMN_HIDDEN);
  EXPECT_FALSE(ById(COLUMN_FOLDER_COUNT)->flags & COLUMN_HIDDEN);
  EXPECT_EQ(250, ById(COLUMN_TOTAL)->width);
  EXPECT_EQ(250, ItemWidth(1));
  EXPECT_EQ(150, NameColumnWidth());
  ASSERT_NE(nullptr, SortColumn());
  EXPECT_EQ(COLUMN_TOTAL, SortColumn()->id) << "the sort column follows its column to its new place";
  EXPECT_EQ(1, SortColumn()->ascending);

  // The stored form: masked flags, width, bar scale, position, direction.
  StoredColumn stored = {};
  ASSERT_TRUE(ReadBinary("14", &stored, sizeof stored));
  EXPECT_EQ(0x0c5au & COLUMN_STORED_FLAGS, stored.flags);
  EXPECT_EQ(250, stored.width);
  EXPECT_EQ(1, stored.barScale);
  EXPECT_EQ(2, stored.position);
  EXPECT_EQ(1, stored.ascending);
  ASSERT_TRUE(ReadBinary("18", &stored, sizeof stored));
  EXPECT_EQ(150, stored.width);
  EXPECT_EQ(0, stored.position);
}

TEST_F(Columns, ColumnSortIndexBeyondTheColumnsFallsBackToTheName) {
  DestroyColumns();
  Settings.sortColumn = 11;
  Start();
  EXPECT_EQ(NameColumn(), SortColumn());
  EXPECT_EQ(0, SortColumnIndex());

  DestroyColumns();
  Settings.sortColumn = 9;  // the last one there is
  Start();
  ASSERT_NE(nullptr, SortColumn());
  EXPECT_EQ(COLUMN_CAPACITY, SortColumn()->id);

  // The settings record takes the sort column's index when it is saved.
  SetSortColumn(ById(COLUMN_MODIFIED));
  SaveSettings(true);
  SettingsRecord stored = {};
  ASSERT_TRUE(ReadBinary(SETTINGS_RECORD_VALUE, &stored, sizeof stored));
  EXPECT_EQ(7, stored.sortColumn);
}

TEST_F(Columns, ColumnDividerDragsNeverGoBelowTheTextWidth) {
  ColumnInfo* total = ById(COLUMN_TOTAL);
  DragDivider(1, 5);
  EXPECT_EQ(total->minimumWidth, ItemWidth(1)) << "snaps back to the width of its digits";
  EXPECT_EQ(total->minimumWidth, total->width);
  DragDivider(1, 300);
  EXPECT_EQ(300, ItemWidth(1));
  EXPECT_EQ(300, total->width);

  DragDivider(0, 30);
  EXPECT_EQ(NAME_COLUMN_MIN_WIDTH, NameColumnWidth()) << "names are never narrower than 100";
  DragDivider(0, 180);
  EXPECT_EQ(180, NameColumnWidth());
  EXPECT_EQ(180, ListLeft());
  EXPECT_EQ(4, g_relayouts) << "every drag re-lays the panes";
}

TEST_F(Columns, ColumnLineScrollingShrinksNamesThenTheFirstDetailColumn) {
  const int names = NameWidth();
  ColumnInfo* total = ById(COLUMN_TOTAL);
  const int totalWidth = ItemWidth(1);
  ASSERT_LT(names, NameColumnWidth()) << "the names fit at first";

  for (int i = 0; i < ENOUGH_STEPS && !NamesCut(); ++i) {
    Scroll(SB_LINERIGHT);
    ASSERT_EQ(totalWidth, ItemWidth(1)) << "only the names shrink while they fit";
  }
  ASSERT_TRUE(NamesCut());
  const int cutNames = NameColumnWidth();
  Scroll(SB_LINERIGHT);
  EXPECT_EQ(totalWidth - STEP, ItemWidth(1)) << "then the first detail column shrinks";
  EXPECT_EQ(cutNames, NameColumnWidth());
  for (int i = 0; i < ENOUGH_STEPS && ItemColumn(1) == total; ++i) Scroll(SB_LINERIGHT);
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_OWN_FILES, COLUMN_MODIFIED}), Shown()) << "and goes";
  EXPECT_TRUE(AnyColumnScrolledOff());
  EXPECT_EQ(cutNames, NameColumnWidth());

  for (int i = 0; i < ENOUGH_STEPS && NamesCut(); ++i) {
    Scroll(SB_LINELEFT);
    ASSERT_EQ(3, HeaderCount()) << "the names widen first";
  }
  Scroll(SB_LINELEFT);
  EXPECT_EQ(FIRST_RUN, Shown()) << "then the total comes back";
  EXPECT_EQ(STEP, ItemWidth(1));
  for (int i = 0; i < ENOUGH_STEPS && ItemWidth(1) < FullWidth(total); ++i) Scroll(SB_LINELEFT);
  EXPECT_EQ(FullWidth(total), ItemWidth(1));
  EXPECT_FALSE(AnyColumnScrolledOff());
}

TEST_F(Columns, ColumnPageAndThumbScrolling) {
  Scroll(SB_PAGERIGHT);
  EXPECT_EQ(NameWidth(), NameColumnWidth()) << "a page right first cuts the names' spare room";
  Scroll(SB_PAGERIGHT);
  EXPECT_EQ((std::vector<uint32_t>{COLUMN_NAME, COLUMN_OWN_FILES, COLUMN_MODIFIED}), Shown());
  Scroll(SB_PAGELEFT);
  EXPECT_EQ(FIRST_RUN, Shown());
  EXPECT_EQ(FullWidth(ById(COLUMN_TOTAL)), ItemWidth(1));

  const int target = GetScrollPos(bar_, SB_CTL) + 30;
  Scroll(SB_THUMBPOSITION, static_cast<WORD>(target));
  EXPECT_GE(GetScrollPos(bar_, SB_CTL), target);
  EXPECT_LT(ItemWidth(1), FullWidth(ById(COLUMN_TOTAL)));
  Scroll(SB_THUMBPOSITION, 0);
  EXPECT_LT(GetScrollPos(bar_, SB_CTL), target);
  EXPECT_EQ(FullWidth(ById(COLUMN_TOTAL)), ItemWidth(1)) << "the thumb at home gives every column back";
  EXPECT_FALSE(NamesCut());
}

TEST_F(Columns, ColumnSizeCommands) {
  ColumnInfo* total = ById(COLUMN_TOTAL);
  const int inUnits = total->minimumWidth;
  ToggleExactSizes();
  EXPECT_EQ(0, Settings.ShowSizesInUnits);
  EXPECT_GT(total->minimumWidth, inUnits) << "exact bytes take more room";
  ToggleExactSizes();
  EXPECT_EQ(1, Settings.ShowSizesInUnits);
  EXPECT_EQ(inUnits, total->minimumWidth);

  SetSizeMode(0);
  EXPECT_EQ(0, Settings.SizeMode);
  SetSizeMode(1);
  EXPECT_EQ(1, Settings.SizeMode);
}

}  // namespace
