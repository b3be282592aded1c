// The file pane on the real main window: the shell's view of the current folder, its mode and menus.
#include "app/file_pane.h"
#include "support/main_window_test.h"

namespace {

class FilePane : public MainWindowTest {
 protected:
  HWND ViewList() const { return FindWindowExA(FilePaneViewWindow(), nullptr, WC_LISTVIEWA, nullptr); }
  int Shown() const { return static_cast<int>(SendMessageA(ViewList(), LVM_GETITEMCOUNT, 0, 0)); }
  bool Details() const { return (GetWindowLongA(ViewList(), GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT; }
  // The first popup of the menu bar is the merged one ("&File", 0x8000).
  bool MergedMenu() const { return GetMenuItemID(GetMenu(window), 0) == UINT(-1) && MenuText(0) == "&File"; }
  std::string MenuText(int position) const {
    char text[64] = {};
    GetMenuStringA(GetMenu(window), position, text, sizeof text, MF_BYPOSITION);
    return text;
  }
};

TEST_F(FilePane, FollowsTheCurrentFolderInItsModeAndMergesItsMenusWhileItHasTheFocus) {
  temp.Make({"start", "start\\one.bin:10", "start\\two.bin:20", "start\\sub", "start\\sub\\three.bin:30"});
  Open("start");
  ASSERT_TRUE(FilePaneViewWindow()) << "the pane shows on the first run";
  EXPECT_TRUE(IsWindowVisible(FilePaneViewWindow()));
  EXPECT_EQ(3, Shown()) << "two files and a folder";
  EXPECT_EQ(3u, FilePaneViewMode()) << "list by default";

  Command(IDM_FILE_PANE_DETAILS);
  EXPECT_EQ(4u, FilePaneViewMode());
  EXPECT_TRUE(Details());
  EXPECT_TRUE(SendDlgItemMessageA(window, IDC_TOOLBAR, TB_ISBUTTONCHECKED, IDM_FILE_PANE_DETAILS, 0));

  Command(IDM_EXPAND_ONE_LEVEL);
  HWND before = FilePaneViewWindow();
  Select(Child("sub"));
  EXPECT_NE(before, FilePaneViewWindow()) << "a new view for the new folder";
  EXPECT_EQ(1, Shown());
  EXPECT_TRUE(Details()) << "in the same mode";

  Command(IDM_SHOW_FILE_PANE);
  EXPECT_FALSE(IsWindowVisible(FilePaneViewWindow()));
  Command(IDM_SHOW_FILE_PANE);
  EXPECT_TRUE(IsWindowVisible(FilePaneViewWindow()));
  EXPECT_TRUE(Details()) << "hiding keeps the mode";

  Restart();
  EXPECT_EQ(4u, FilePaneViewMode()) << "the mode survives a restart";
  Command(IDM_FILE_PANE_LIST);

  ASSERT_TRUE(ViewList());
  SetFocus(ViewList());
  PumpMessages();
  EXPECT_TRUE(FilePaneActive);
  EXPECT_TRUE(MergedMenu()) << MenuText(0);
  // A command of the view's own range reaches the view through the main window.
  SendMessageA(window, WM_COMMAND, 0x702C, 0);
  EXPECT_EQ(4u, FilePaneViewMode());

  SetFocus(Panes.mainTree);
  PumpMessages();
  EXPECT_FALSE(FilePaneActive);
  EXPECT_FALSE(MergedMenu()) << "menu 101 returns: " << MenuText(0);
  EXPECT_EQ(IDM_DISK_INFORMATION, GetMenuItemID(GetSubMenu(GetMenu(window), 0), 0));
}

}  // namespace
