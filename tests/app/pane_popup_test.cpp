// The popup menu over a column of the folder pane, and where what it opens goes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/pane_popup.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/main_window_test.h"

namespace {

// Far longer than a command takes to arrive; it only ends a failing test.
constexpr DWORD DIALOG_LIMIT_MS = 10000;

TEST(PanePopup, EntriesNameTheColumnUnderTheMouse) {
  HMENU menu = BuildPanePopup(3);
  ASSERT_NE(nullptr, menu);
  const UINT expected[] = {IDM_DISK_INFORMATION, 0, IDM_FOLDER_DETAILS_PAGE_FIRST + 3, 0, IDM_FIND_FOLDERS,
                           IDM_TAG_FOLDERS};
  ASSERT_EQ(6, GetMenuItemCount(menu));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], GetMenuItemID(menu, i)) << "entry " << i;
  char text[128] = "";
  GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(Narrow(L"文件夹详细资料(&D)..."), text);
  DestroyMenu(menu);
}

POINT Centre(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class PanePopupWindow : public MainWindowTest {};

TEST_F(PanePopupWindow, DiskInformationFromTheDetailListAndFromBlankTreeSpaceOpensOverTheMainWindow) {
  Open();
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
  for (const auto& click : CLICKS) {
    POINT dialogCentre = {};
    DialogAnswerer answer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_DISK_TYPE)) return IDCANCEL;
      dialogCentre = Centre(dialog);
      return IDOK;
    });
    MenuPicker first(0);
    // A right click, the button let go where it went down.
    POINT screen = click.client;
    ClientToScreen(click.window, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(click.window, WM_RBUTTONUP, 0, MAKELPARAM(click.client.x, click.client.y));
    SendMessageA(click.window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.client.x, click.client.y));
    EXPECT_EQ(1, first.picked()) << click.where << ": the popup opened";
    ASSERT_TRUE(PumpUntil([&] { return !answer.seen().empty(); }, DIALOG_LIMIT_MS)) << click.where << ": no dialog";
    EXPECT_EQ(1u, answer.seen().size());
    const POINT mainCentre = Centre(window);
    EXPECT_NEAR(mainCentre.x, dialogCentre.x, 1) << click.where << ": disk information opens over the main window";
    EXPECT_NEAR(mainCentre.y, dialogCentre.y, 1) << click.where;
  }
}

}  // namespace
