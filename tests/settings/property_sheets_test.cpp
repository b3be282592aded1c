// The folder-details and options sheets on the real main window, worked through their controls: the order page, a
// column page, the drives and colours, Cancel and a restart.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

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

POINT LabelCentre(HWND tree, HTREEITEM item) {
  RECT label = {};
  ItemRect(tree, item, true, &label);
  return {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
}

// A click on the check mark, left of the label.
void ClickCheck(HWND sheet, int index) {
  RECT label = {};
  ItemRect(PageControl(sheet, IDC_ORDER_TREE), OrderItem(sheet, index), true, &label);
  MouseDrag(PageControl(sheet, IDC_ORDER_TREE), {{label.left - 8, (label.top + label.bottom) / 2}});
}

void DragItem(HWND sheet, int from, int to) {
  HWND tree = PageControl(sheet, IDC_ORDER_TREE);
  const POINT start = LabelCentre(tree, OrderItem(sheet, from)), end = LabelCentre(tree, OrderItem(sheet, to));
  MouseDrag(tree, {start, {start.x + 12, start.y + 3}, {(start.x + end.x) / 2, (start.y + end.y) / 2}, end});
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

constexpr uint32_t BIT_C = 1u << 3, BIT_D = 1u << 4;
constexpr int DRIVES_PAGE = 1, COLOURS_PAGE = 2;
constexpr COLORREF GREEN = RGB(0, 128, 0);

class OptionsSheet : public MainWindowTest {};

// The four group boxes (0 unchecked, 1 checked, 2 mixed) and the selected-drives text.
std::string DrivesShown(HWND sheet) {
  std::string shown;
  for (int box : {IDC_DRIVES_ALL_REMOVABLE, IDC_DRIVES_ALL_FIXED, IDC_DRIVES_ALL_NETWORK, IDC_DRIVES_ALL_OTHER})
    shown += std::to_string(IsDlgButtonChecked(CurrentPage(sheet), box));
  return shown + " " + WindowText(PageControl(sheet, IDC_DRIVES_SELECTED));
}

// The item of the drive whose name holds |letter|.
HTREEITEM DriveItem(HWND tree, char letter) {
  for (HTREEITEM item = TopItem(tree); item; item = NextSiblingItem(tree, item))
    if (TreeItemText(tree, item).find(std::string(1, letter) + ":") != std::string::npos) return item;
  return nullptr;
}

// A click on the drive's label.
void ClickDrive(HWND sheet, char letter) {
  HWND tree = PageControl(sheet, IDC_DRIVES_TREE);
  MouseDrag(tree, {LabelCentre(tree, DriveItem(tree, letter))});
}

// The icons the drive's item shows, and the shell's small icon of |root|.
std::string DriveIcons(HWND sheet, char letter) {
  TVITEMA item = {};
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = DriveItem(PageControl(sheet, IDC_DRIVES_TREE), letter);
  SendMessageA(PageControl(sheet, IDC_DRIVES_TREE), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return std::to_string(item.iImage) + "," + std::to_string(item.iSelectedImage);
}
std::string ShellIcons(const char* root) {
  SHFILEINFOA closed = {}, open = {};
  SHGetFileInfoA(root, 0, &closed, sizeof closed, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  SHGetFileInfoA(root, 0, &open, sizeof open, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
  return std::to_string(closed.iIcon) + "," + std::to_string(open.iIcon);
}

std::string ListedDrives() {
  std::string letters;
  for (HTREEITEM item = FirstChildItem(Panes.mainTree, TopItem(Panes.mainTree)); item;
       item = NextSiblingItem(Panes.mainTree, item)) {
    FolderNode* node = NodeFromItem(Panes.mainTree, item);
    if (IsDriveRoot(node)) letters += char('@' + AsDriveRoot(node)->driveNumber);
  }
  return letters;
}

TEST_F(OptionsSheet, ChosenColourPaintsTheBarsCancelKeepsTheRecordAndTheDrivesPageChoosesTheStartUpDrives) {
  temp.Make({"big.bin:900000"});
  Settings.scanDrives = BIT_C;
  Open();
  const SettingsRecord before = Settings;
  auto chooseColours = [](HWND sheet) {
    ClickButton(sheet, IDC_COLOURS_BAR);
    ClickButton(sheet, IDC_COLOURS_TAGGED);
  };
  {
    SheetScript script({TurnTo(COLOURS_PAGE), chooseColours}, IDCANCEL, GREEN);
    Command(IDM_OPTIONS);
    ASSERT_TRUE(script.finished());
  }
  EXPECT_EQ(0, std::memcmp(&before, &Settings, sizeof Settings)) << "Cancel leaves every byte";
  SheetScript colours({TurnTo(COLOURS_PAGE), chooseColours}, IDOK, GREEN);
  Command(IDM_OPTIONS);
  ASSERT_TRUE(colours.finished());
  EXPECT_EQ(GREEN, Settings.barColour);
  EXPECT_EQ(GREEN, Settings.taggedColour);
  EXPECT_EQ(before.overflowColour, Settings.overflowColour);
  EXPECT_EQ(0u, Settings.barCustomColours[0]) << "the dialog's own custom colours are kept as it left them";

  // Bars of the parent folder's size: the drive's would be too short to fill.
  DetailColumn(0)->flags &= ~COLUMN_BAR_OF_DRIVE;
  RECT client;
  GetClientRect(Panes.mainList, &client);
  Canvas rows(client.right, client.bottom);
  SendMessageA(Panes.mainList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(rows.dc()), PRF_CLIENT);
  GdiFlush();
  EXPECT_GT(rows.Count(rows.all(), GREEN), 0) << "the bars are drawn in the new colour";
  EXPECT_EQ(0, rows.Count(rows.all(), before.barColour));

  std::string first, allFixed, withoutC, icons;
  SheetScript drives({TurnTo(DRIVES_PAGE),
                      [&](HWND sheet) {
                        first = DrivesShown(sheet);
                        icons = DriveIcons(sheet, 'C');
                        ClickButton(sheet, IDC_DRIVES_ALL_FIXED);
                        allFixed = DrivesShown(sheet);
                        ClickDrive(sheet, 'C');
                      },
                      [&](HWND sheet) {
                        withoutC = DrivesShown(sheet);
                        ClickButton(sheet, IDC_DRIVES_HIDE_OTHERS);
                      },
                      TurnTo(COLOURS_PAGE)},
                     IDOK);
  StartFolderGiven = false;  // so the rebuild lists every drive it does not hide
  Command(IDM_OPTIONS);
  ASSERT_TRUE(drives.finished());
  const std::string dots(22, '.');
  EXPECT_EQ("0200 ..C." + dots, first) << "C: of the fixed disks C: and D:";
  EXPECT_EQ(ShellIcons("C:\\"), icons) << "each drive shows its own icon";
  EXPECT_EQ("0100 ..CD" + dots, allFixed) << "a mixed box selects its whole group";
  EXPECT_EQ("0200 ...D" + dots, withoutC);
  EXPECT_EQ(BIT_D, Settings.scanDrives) << "kept although the colours page came after";
  EXPECT_EQ(2u, Settings.allFixed);
  EXPECT_EQ(1, Settings.showOnlyScanDrives);
  EXPECT_EQ("D", ListedDrives());
}

}  // namespace
