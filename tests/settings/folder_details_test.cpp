// The folder-details sheet on the real main window: order page, a column page, Cancel and a restart.
#include "support/column_header.h"
#include "support/main_window_test.h"
#include "support/sheet_script.h"

namespace {

class FolderDetails : public MainWindowTest {};

std::vector<uint32_t> TableIds() {
  std::vector<uint32_t> ids;
  for (int i = 0; ColumnInfo* column = DetailColumn(i); ++i) ids.push_back(column->id);
  return ids;
}

HTREEITEM OrderItem(HWND sheet, int index) {
  HWND tree = PageControl(sheet, IDC_ORDER_TREE);
  HTREEITEM item = TopItem(tree);
  for (int i = 0; i < index && item; ++i) item = NextSiblingItem(tree, item);
  return item;
}

POINT LabelCentre(HWND sheet, int index) {
  RECT label = {};
  ItemRect(PageControl(sheet, IDC_ORDER_TREE), OrderItem(sheet, index), true, &label);
  return {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
}

// A click on the check mark, left of the label.
void ClickCheck(HWND sheet, int index) {
  RECT label = {};
  ItemRect(PageControl(sheet, IDC_ORDER_TREE), OrderItem(sheet, index), true, &label);
  MouseDrag(PageControl(sheet, IDC_ORDER_TREE), {{label.left - 8, (label.top + label.bottom) / 2}});
}

void DragItem(HWND sheet, int from, int to) {
  const POINT start = LabelCentre(sheet, from), end = LabelCentre(sheet, to);
  MouseDrag(PageControl(sheet, IDC_ORDER_TREE),
            {start, {start.x + 12, start.y + 3}, {(start.x + end.x) / 2, (start.y + end.y) / 2}, end});
}

void TypeWidth(HWND sheet, const char* width) { SetWindowTextA(PageControl(sheet, IDC_COLUMN_WIDTH), width); }

using Ids = std::vector<uint32_t>;

TEST_F(FolderDetails, OrderPageHidesAndMovesColumnsAtOnceCancelPutsThemBackAndAColumnPageOpensOnItsColumn) {
  Open();
  const Ids table = TableIds(), shown = ShownColumns();
  ASSERT_EQ((Ids{14, 15, 16, 24, 23, 51, 52, 65, 17}), table);
  Ids shownUnchecked, firstOntoFourth, fourthOntoFirst;
  SheetScript order({[](HWND sheet) { ClickCheck(sheet, 0); },
                     [&](HWND sheet) {
                       shownUnchecked = ShownColumns();
                       DragItem(sheet, 0, 3);
                     },
                     [&](HWND sheet) {
                       firstOntoFourth = TableIds();
                       DragItem(sheet, 3, 0);
                     },
                     [&](HWND) { fourthOntoFirst = TableIds(); }},
                    IDCANCEL);
  Command(IDM_FOLDER_DETAILS);
  ASSERT_TRUE(order.finished());
  EXPECT_EQ((Ids{18, 15, 52}), shownUnchecked) << "an unchecked column leaves the header at once";
  EXPECT_EQ((Ids{15, 16, 24, 14, 23, 51, 52, 65, 17}), firstOntoFourth) << "after the fourth";
  EXPECT_EQ(table, fourthOntoFirst) << "before the first";
  EXPECT_EQ(table, TableIds()) << "Cancel restores the order";
  EXPECT_EQ(shown, ShownColumns()) << "and shows the column again";

  const int width = ColumnById(COLUMN_OWN_FILES)->width;
  std::string hideText;
  int page = -1, afterFifty = 0, afterTyping = 0;
  SheetScript script(
      {[&](HWND sheet) {
         page = static_cast<int>(SendMessageA(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0));
         hideText = WindowText(PageControl(sheet, IDC_COLUMN_HIDE));
         TypeWidth(sheet, "50");
         afterFifty = ColumnById(COLUMN_OWN_FILES)->width;
         TypeWidth(sheet, "160");
         afterTyping = HeaderItemWidth(2);
       },
       TurnTo(0), [](HWND sheet) { DragItem(sheet, 1, 0); }, [](HWND sheet) { ClickCheck(sheet, 6); }},
      IDOK);
  Command(IDM_FOLDER_DETAILS_PAGE_FIRST + 2);
  ASSERT_TRUE(script.finished());
  EXPECT_EQ(2, page) << "the page of the second column";
  EXPECT_NE(std::string::npos, hideText.find(ResourceString(IDS_COLUMN_OWN_FILES))) << hideText;
  EXPECT_EQ(width, afterFifty) << "a width of 50 changes nothing";
  EXPECT_EQ(160, afterTyping) << "any other width shows at once";

  Restart();
  EXPECT_EQ((Ids{15, 14, 16, 24, 23, 51, 52, 65, 17}), TableIds());
  EXPECT_EQ((Ids{18, 15, 14}), ShownColumns()) << "the modified column stays hidden";
  EXPECT_EQ(160, ColumnById(COLUMN_OWN_FILES)->width);
}

}  // namespace
