// The main window's start folder, where it reopens, its bars and the pane host between them, the toolbar's saved
// layouts, and the file pane's view and menus.
#include "app/file_pane.h"
#include "app/startup.h"
#include "app/window_layout.h"
#include "settings/settings_store.h"
#include "support/main_window_test.h"

namespace {

// The initial toolbar's commands, 0 for a separator.
// clang-format off
const std::vector<int> INITIAL_COMMANDS = {
    IDM_STOP_SCAN, IDM_SCAN_DISK, IDM_FIND_FOLDERS, IDM_TAG_FOLDERS, 0, IDM_MOVE_TO, IDM_COPY_TO, IDM_CREATE_FOLDER,
    0, IDM_CUT, IDM_COPY, IDM_PASTE, 0, IDM_UNDO, 0, IDM_RECYCLE, IDM_RENAME, IDM_PROPERTIES, 0,
    IDM_SHOW_FILE_PANE, IDM_FILE_PANE_LARGE_ICONS, IDM_FILE_PANE_SMALL_ICONS, IDM_FILE_PANE_LIST,
    IDM_FILE_PANE_DETAILS, 0, IDM_ADD_REMOVE_PROGRAMS, IDM_EMPTY_RECYCLE_BIN};
// clang-format on

class WindowLayout : public MainWindowTest {
 protected:
  void SetUp() override { Open(); }

  HWND Toolbar() const { return GetDlgItem(window, IDC_TOOLBAR); }
  // Commands of the toolbar's entries, 0 for separators.
  std::vector<int> Commands() const {
    std::vector<int> commands;
    for (int i = 0, count = static_cast<int>(SendMessageA(Toolbar(), TB_BUTTONCOUNT, 0, 0)); i < count; ++i) {
      TBBUTTON button = {};
      SendMessageA(Toolbar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      commands.push_back(button.fsStyle & BTNS_SEP ? 0 : button.idCommand);
    }
    return commands;
  }
  LRESULT Notify(NMHDR* header) { return SendMessageA(window, WM_NOTIFY, header->idFrom, LPARAM(header)); }
  LRESULT NotifyToolbar(UINT code) {
    NMHDR header = {Toolbar(), IDC_TOOLBAR, code};
    return Notify(&header);
  }
};

RECT Client(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  return client;
}

TEST_F(WindowLayout, ToolbarOffersSevenMoreAndItsLayoutAndHiddenBarsSurviveARestartUntilAReset) {
  EXPECT_EQ(INITIAL_COMMANDS, Commands()) << "21 buttons and 6 separators";
  EXPECT_EQ(TBSTATE_ENABLED | TBSTATE_CHECKED, SendMessageA(Toolbar(), TB_GETSTATE, IDM_SHOW_FILE_PANE, 0))
      << "the file pane button is an enabled check button, down while the pane shows";

  // The customise dialog's questions, from index 0 until the answer is 0.
  std::vector<int> offered;
  char text[80];
  NMTOOLBARA info = {};
  info.hdr = {Toolbar(), IDC_TOOLBAR, static_cast<UINT>(TBN_GETBUTTONINFOA)};
  for (info.iItem = 0; info.iItem < 40; ++info.iItem) {
    info.pszText = text;
    info.cchText = sizeof text;
    if (!Notify(&info.hdr)) break;
    const int command = info.tbButton.fsStyle & BTNS_SEP ? 0 : info.tbButton.idCommand;
    offered.push_back(command);
    EXPECT_TRUE(!command || (text[0] && !ResourceString(command).empty()))
        << "button " << command << " has a customise text and a tooltip";
  }
  ASSERT_EQ(34u, offered.size()) << "27 entries and 7 extra buttons";
  EXPECT_EQ(IDM_DISCONNECT_NETWORK_DRIVE, offered.back());
  info.iItem = 27;
  Notify(&info.hdr);
  EXPECT_EQ(IDM_COPY_DISK, info.tbButton.idCommand);
  EXPECT_EQ(Narrow(L"磁盘 - 复制磁盘"), text) << "the customise dialog's text of a button";

  NMTTDISPINFOA tip = {};
  tip.hdr = {Toolbar(), IDM_SCAN_DISK, static_cast<UINT>(TTN_NEEDTEXTA)};
  Notify(&tip.hdr);
  EXPECT_EQ(std::make_pair(AppInstance, MAKEINTRESOURCEA(IDM_SCAN_DISK)), std::make_pair(tip.hinst, tip.lpszText));

  RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, key.out()));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.get(), DEFAULT_TOOLBAR_VALUE, nullptr, nullptr, nullptr, nullptr))
      << "written when the toolbar is made";

  SendMessageA(Toolbar(), TB_DELETEBUTTON, 0, 0);
  EXPECT_EQ(1, NotifyToolbar(TBN_TOOLBARCHANGE));
  HWND host = GetParent(ColumnHeader());
  const RECT before = PlaceIn(window, host);
  for (UINT command : {IDM_SHOW_TOOLBAR, IDM_SHOW_STATUS_BAR, IDM_SHOW_TABS}) Command(command);
  PumpMessages();  // the toggles post their layout
  EXPECT_LT(PlaceIn(window, host).top, before.top) << "the panes move up into the toolbar's and tabs' room";
  EXPECT_GT(PlaceIn(window, host).bottom, before.bottom) << "and down into the status bar's";
  saveOnExit = 1;
  Restart();
  EXPECT_EQ(0, Settings.ShowTabs);
  for (int bar : {IDC_TOOLBAR, IDC_STATUS_BAR})
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, bar))) << bar << " stays hidden";
  EXPECT_EQ(std::vector<int>(INITIAL_COMMANDS.begin() + 1, INITIAL_COMMANDS.end()), Commands()) << "separators too";
  TBBUTTON first = {};
  SendMessageA(Toolbar(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(31, first.iBitmap) << "a restored button keeps its image";
  EXPECT_EQ(1, NotifyToolbar(TBN_RESET));
  EXPECT_EQ(INITIAL_COMMANDS, Commands());
  Restart();
  EXPECT_EQ(INITIAL_COMMANDS, Commands()) << "the reset also replaced the saved layout";
}

TEST_F(WindowLayout, PaneHostFillsWhatTheShownBarsLeaveTabsShowTheViewShownAndASplitterDragEnds) {
  HWND status = GetDlgItem(window, IDC_STATUS_BAR), tabs = GetDlgItem(window, IDC_TAB_STRIP);
  HWND host = GetParent(ColumnHeader());
  ASSERT_TRUE(status && tabs && host);
  EXPECT_EQ(2, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  // The strip measures its title on its own device context, which holds the
  // system font: it is that font's height high, plus a margin of 4.
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetStockObject(SYSTEM_FONT));
  TEXTMETRICA font = {};
  GetTextMetricsA(screen, &font);
  ReleaseDC(nullptr, (SelectObject(screen, old), screen));
  const int W = Client(window).right, H = Client(window).bottom, tab = font.tmHeight + 4;
  const int th = Client(Toolbar()).bottom, sh = Client(status).bottom, hh = Client(ColumnHeader()).bottom;
  const int filePane = static_cast<int>((H - th - sh - hh) * 0.3f);

  EXPECT_EQ(RectText({0, th + 2, W, th + 2 + tab + 3}), RectText(PlaceIn(window, tabs))) << "tab strip";
  EXPECT_EQ(RectText({0, H - sh, W, H}), RectText(PlaceIn(window, status))) << "status bar";
  const RECT toolbar = PlaceIn(window, Toolbar());  // its border lies outside its client height
  EXPECT_EQ(std::make_pair(0, W), std::make_pair(int(toolbar.top), int(toolbar.right))) << "toolbar";

  const struct {
    uint8_t* flag;
    HWND bar;
    RECT expected;
    const char* what;
  } CASES[] = {
      {nullptr, nullptr, {0, th + tab + 2, W, H - filePane - sh}, "all shown: room for the file pane"},
      {&Settings.ShowToolbar, Toolbar(), {0, tab + 2, W, H - filePane - sh}, "toolbar hidden"},
      {&Settings.ShowStatusBar, status, {0, th + tab + 2, W, H - filePane}, "status bar hidden"},
      {&Settings.ShowTabs, tabs, {0, th + 2, W, H - filePane - sh}, "tab strip hidden"},
      {&Settings.ShowFilePane, nullptr, {0, th + tab + 2, W, H - sh}, "file pane hidden"},
  };
  for (const auto& c : CASES) {
    if (c.flag) *c.flag = 0;
    if (c.bar) ShowWindow(c.bar, SW_HIDE);
    ASSERT_TRUE(LayoutPanes(window, SIZE_RESTORED));
    EXPECT_EQ(RectText(c.expected), RectText(PlaceIn(window, host))) << c.what;
    EXPECT_EQ(W, PlaceIn(window, tabs).right) << c.what << ": the tab strip stays as wide as the client area";
    if (c.flag) *c.flag = 1;
    if (c.bar) ShowWindow(c.bar, SW_SHOW);
  }
  EXPECT_FALSE(LayoutPanes(window, SIZE_MINIMIZED));
  RequestLayout(window);  // posted: laid out once the queue is read
  PumpMessages();
  EXPECT_EQ(RectText(CASES[0].expected), RectText(PlaceIn(window, host))) << "all shown again";
  EXPECT_EQ(W, LastMainClientWidth());

  SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR click = {tabs, IDC_TAB_STRIP, static_cast<UINT>(TCN_SELCHANGE)};
  DialogAnswerer cancel(IDCANCEL);
  Notify(&click);
  EXPECT_EQ(1u, cancel.seen().size()) << "with nothing found the results tab opens the Find dialog";
  EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) << "the normal view is still the one shown";

  const int gap = PlaceIn(window, host).bottom + 1;
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, gap));
  ASSERT_EQ(window, GetCapture()) << "a press between the panes starts a drag";
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, PlaceIn(window, tabs).bottom));
  EXPECT_EQ(nullptr, GetCapture()) << "let go over the tabs, the drag ends";
}

std::string CurrentDirectory() {
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  return current;
}

TEST(Startup, AQuotedOrRelativeCommandLineFolderBecomesTheAbsoluteStartFolder) {
  TempFolder temp;
  temp.MakeFolder("with blank");
  const std::string base = temp.Path();  // ends in a backslash
  const std::string folder = base + "with blank";
  const std::string before = CurrentDirectory();
  const struct {
    std::string line;
    std::string start;  // empty: the line names no folder
  } CASES[] = {
      {"\"" + folder + "\"", folder}, {"with blank", folder},     {"  \"with blank\"  ", folder},
      {"with blank\\", folder},       {"\"no such folder\"", ""}, {"\"\"", ""},
  };
  for (const auto& c : CASES) {
    SetCurrentDirectoryA(base.c_str());  // where the program was started
    StartFolderGiven = false;
    startPath[0] = 0;
    TakeCommandLineFolder(c.line.c_str());
    EXPECT_EQ(c.start, startPath) << c.line;
    EXPECT_EQ(!c.start.empty(), StartFolderGiven) << c.line;
    EXPECT_EQ(c.start.empty() ? base.substr(0, base.size() - 1) : c.start, CurrentDirectory()) << c.line;
  }
  StartFolderGiven = false;
  startPath[0] = 0;
  SetCurrentDirectoryA(before.c_str());
}

TEST_F(MainWindowTest, AWindowClosedMinimisedOrMaximisedReopensVisibleAtItsSize) {
  const RECT restored = {60, 40, 860, 640};
  const struct {
    const char* closed;
    int shows[2];  // what the user did before closing; 0 for nothing more
    bool maximised;
  } CASES[] = {
      {"minimised", {SW_MINIMIZE, 0}, false},
      {"maximised", {SW_MAXIMIZE, 0}, true},
      {"minimised from maximised", {SW_MAXIMIZE, SW_MINIMIZE}, true},
  };
  for (const auto& c : CASES) {
    FirstRunSettings();
    saveOnExit = 1;
    Open();
    MoveWindow(window, restored.left, restored.top, restored.right - restored.left, restored.bottom - restored.top,
               TRUE);
    for (int show : c.shows)
      if (show) ShowWindow(window, show);
    Restart();
    EXPECT_TRUE(IsWindowVisible(window)) << c.closed;
    EXPECT_FALSE(IsIconic(window)) << c.closed;
    EXPECT_EQ(c.maximised, IsZoomed(window) != FALSE) << c.closed;
    if (c.maximised) ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(RectText(restored), RectText(PlaceIn(nullptr, window))) << c.closed;
    Close();
  }
}

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
