// The options sheet on the real main window, worked through its controls: drives and colours.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "support/main_window_test.h"
#include "support/sheet_script.h"

namespace {

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
  RECT label;
  ItemRect(tree, DriveItem(tree, letter), true, &label);
  MouseDrag(tree, {{(label.left + label.right) / 2, (label.top + label.bottom) / 2}});
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
