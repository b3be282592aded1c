// The popup menu over a column of the folder pane, and the disk information it opens.
#include <map>

#include "app/disk_info_dialog.h"
#include "app/pane_popup.h"
#include "app/window_layout.h"
#include "pane/status_text.h"
#include "support/main_window_test.h"

namespace {

// Far longer than a command takes to arrive; it only ends a failing test.
constexpr DWORD DIALOG_LIMIT_MS = 10000;

POINT Centre(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A right click at |client| in |window|, the button let go where it went
// down, and the popup's first entry chosen; the dialogs it opens are answered.
void RightClickDiskInformation(HWND window, POINT client, const DialogAnswerer& answer) {
  MenuPicker first(0);
  POINT screen = client;
  ClientToScreen(window, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
  EXPECT_EQ(1, first.picked()) << "the popup opened";
  EXPECT_TRUE(PumpUntil([&] { return !answer.seen().empty(); }, DIALOG_LIMIT_MS)) << "no dialog";
}

class DiskInformation : public MainWindowTest {
 protected:
  FixedGeometry geometry;  // 8 sectors of 512 bytes, 4,000 clusters, 1,000 free
  ScopedDriveQueries installed{&geometry};
};

std::string PartText(int part) {
  char text[512] = "";
  SendMessageA(MainStatusBar(), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(DiskInformation, PopupEntriesNameTheColumnAndTheStatusBarAndTheDialogShowTheDrivesNumbers) {
  HMENU menu = BuildPanePopup(3);
  ASSERT_NE(nullptr, menu);
  const UINT entries[] = {IDM_DISK_INFORMATION, 0, IDM_FOLDER_DETAILS_PAGE_FIRST + 3, 0, IDM_FIND_FOLDERS,
                          IDM_TAG_FOLDERS};
  ASSERT_EQ(6, GetMenuItemCount(menu));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(entries[i], GetMenuItemID(menu, i)) << "entry " << i;
  char text[128] = "";
  GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(Narrow(L"文件夹详细资料(&D)..."), text);
  DestroyMenu(menu);

  temp.MakeFile("f.bin", 5000);
  Open();
  SetFocus(Panes.mainTree);
  RefreshStatusTexts(MainStatusBar(), start);
  EXPECT_NE(std::string::npos, PartText(0).find("3.91MB")) << PartText(0);
  EXPECT_NE(std::string::npos, PartText(0).find("15.6MB")) << PartText(0);
  EXPECT_EQ(TreeItemText(Panes.mainTree, start->mainItem) + " (12.0KB)", PartText(1))
      << "one cluster for the folder, two for the file";
  EXPECT_EQ(ResourceString(IDS_STATUS_VIEW) + ResourceString(IDS_STATUS_VIEW_NORMAL), PartText(2));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_TREE), PartText(4));
  RefreshStatusTexts(MainStatusBar(), top);
  EXPECT_EQ(" ", PartText(1)) << "the computer has no size of its own";
  // Without the focus on the tree, the folder parts keep what they showed.
  SetFocus(MainStatusBar());
  FilePaneActive = true;
  RefreshStatusTexts(MainStatusBar(), start);
  FilePaneActive = false;
  EXPECT_EQ(" ", PartText(1));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_FILE_PANE), PartText(4));

  RECT tree;
  GetClientRect(Panes.mainTree, &tree);
  const struct {
    const char* where;
    HWND window;
    POINT client;
  } CLICKS[] = {
      {"a detail row", Panes.mainList, {10, 5}},
      {"the names' blank space below the last folder", Panes.mainTree, {30, tree.bottom - 10}},
  };
  const std::map<int, std::string> expected = {
      {IDC_DISK_CLUSTER_SIZE, "4,096 (4.00KB)"},  {IDC_DISK_CLUSTERS, "4,000"},
      {IDC_DISK_CAPACITY, "16,384,000 (15.6MB)"}, {IDC_DISK_FREE, "4,096,000 (3.91MB)"},
      {IDC_DISK_USED, "12,288,000 (11.7MB)"},     {IDC_DISK_TYPE, Narrow(L"本地磁盘")},
      {IDC_DISK_BYTES_PER_SECTOR, "512"},         {IDC_DISK_SECTORS_PER_CLUSTER, "8"},
  };
  for (const auto& click : CLICKS) {
    POINT dialogCentre = {};
    std::map<int, std::string> shown;
    DialogAnswerer answer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_DISK_TYPE)) return IDCANCEL;
      dialogCentre = Centre(dialog);
      for (const auto& control : expected) shown[control.first] = Text(dialog, control.first);
      return IDOK;
    });
    RightClickDiskInformation(click.window, click.client, answer);
    EXPECT_EQ(1u, answer.seen().size()) << click.where;
    EXPECT_EQ(expected, shown) << click.where << ": used is capacity minus free";
    const POINT mainCentre = Centre(window);
    EXPECT_NEAR(mainCentre.x, dialogCentre.x, 1) << click.where << ": disk information opens over the main window";
    EXPECT_NEAR(mainCentre.y, dialogCentre.y, 1) << click.where;
  }
  EXPECT_EQ(UINT(IDS_DRIVE_UNKNOWN), DriveTypeTextId(77));
  EXPECT_EQ(UINT(IDS_DRIVE_CDROM), DriveTypeTextId(DRIVE_CDROM));

  DialogAnswerer answer(IDOK);
  Select(NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree)));
  Command(IDM_DISK_INFORMATION);
  EXPECT_TRUE(answer.seen().empty()) << "the top node has no drive: nothing opens";
  Select(start);
  geometry.fail = true;  // as a drive without its medium
  RightClickDiskInformation(Panes.mainList, {10, 5}, answer);
  ASSERT_EQ(1u, answer.seen().size()) << "the error box only";
  EXPECT_EQ("ERROR : No information available.", answer.seen()[0].caption);
  EXPECT_EQ(0u, answer.seen()[0].text.find("Cannot get information for drive."));
}

}  // namespace
