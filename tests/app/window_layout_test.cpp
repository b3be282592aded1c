// The main window's bars, where the pane host goes as they are shown and
// hidden, and the toolbar's layouts kept in the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/process_state.h"
#include "app/window_layout.h"
#include "pane/columns.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "support/main_window_test.h"
#include "support/test_panes.h"

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
  RECT Place(HWND child) const {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  void ExpectPlace(const RECT& expected, HWND child, const char* what) const {
    const RECT actual = Place(child);
    EXPECT_TRUE(EqualRect(&expected, &actual))
        << what << ": " << actual.left << "," << actual.top << " " << actual.right << "," << actual.bottom;
  }
};

RECT Client(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  return client;
}

// The tab strip measures its title on its own device context, which holds
// the system font: its height is that font's plus a margin of 4.
int TabHeight() {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight + 4;
}

TEST_F(WindowLayout, ToolbarHoldsTheInitialEntriesAndOffersSevenMore) {
  EXPECT_EQ(INITIAL_COMMANDS, Commands()) << "21 buttons and 6 separators";
  TBBUTTON button = {};
  SendMessageA(Toolbar(), TB_GETBUTTON, 19, reinterpret_cast<LPARAM>(&button));
  EXPECT_EQ(29, button.iBitmap);
  EXPECT_EQ(BTNS_CHECK, button.fsStyle) << "the file pane button is a check button";
  EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);

  // The customise dialog's questions, from index 0 until the answer is 0.
  std::vector<int> offered;
  char text[80];
  NMTOOLBARA info = {};
  info.hdr = {Toolbar(), IDC_TOOLBAR, static_cast<UINT>(TBN_GETBUTTONINFOA)};
  for (info.iItem = 0; info.iItem < 40; ++info.iItem) {
    info.pszText = text;
    info.cchText = sizeof text;
    if (!Notify(&info.hdr)) break;
    offered.push_back(info.tbButton.fsStyle & BTNS_SEP ? 0 : info.tbButton.idCommand);
  }
  ASSERT_EQ(34u, offered.size()) << "27 entries and 7 extra buttons";
  EXPECT_EQ(IDM_COPY_DISK, offered[27]);
  info.iItem = 27;
  Notify(&info.hdr);
  EXPECT_EQ(Narrow(L"磁盘 - 复制磁盘"), text) << "the customise dialog's text of a button";
  EXPECT_EQ(IDM_DISCONNECT_NETWORK_DRIVE, offered.back());

  NMTTDISPINFOA tip = {};
  tip.hdr = {Toolbar(), IDM_SCAN_DISK, static_cast<UINT>(TTN_NEEDTEXTA)};
  Notify(&tip.hdr);
  EXPECT_EQ(AppInstance, tip.hinst);
  EXPECT_EQ(MAKEINTRESOURCEA(IDM_SCAN_DISK), tip.lpszText);
}

TEST_F(WindowLayout, PaneHostFillsWhatTheShownBarsLeave) {
  HWND status = GetDlgItem(window, IDC_STATUS_BAR);
  HWND tabs = GetDlgItem(window, IDC_TAB_STRIP);
  HWND host = GetParent(ColumnHeader());
  ASSERT_TRUE(status && tabs && host);
  EXPECT_EQ(2, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  const int W = Client(window).right, H = Client(window).bottom;
  const int th = Client(Toolbar()).bottom, sh = Client(status).bottom, hh = Client(ColumnHeader()).bottom;
  const int tab = TabHeight();
  const int filePane = static_cast<int>((H - th - sh - hh) * 0.3f);

  EXPECT_EQ(0, Place(Toolbar()).top);  // its border lies outside the client height
  EXPECT_EQ(W, Place(Toolbar()).right);
  ExpectPlace({0, H - sh, W, H}, status, "status bar");
  ExpectPlace({0, th + 2, W, th + 2 + tab + 3}, tabs, "tab strip");
  ExpectPlace({0, th + tab + 2, W, H - filePane - sh}, host, "all shown: room for the file pane");

  int parts[5];
  ASSERT_EQ(5, SendMessageA(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(parts)));
  const int w = Client(status).right;
  const int percent[] = {33, 27, 12, 13};
  for (int i = 0, edge = 0; i < 4; ++i) EXPECT_EQ(edge += w * percent[i] / 100, parts[i]) << "status part " << i;
  EXPECT_EQ(w, parts[4]);

  const struct {
    uint8_t* flag;
    HWND bar;
    RECT expected;
    const char* what;
  } CASES[] = {
      {&Settings.ShowToolbar, Toolbar(), {0, tab + 2, W, H - filePane - sh}, "toolbar hidden"},
      {&Settings.ShowStatusBar, status, {0, th + tab + 2, W, H - filePane}, "status bar hidden"},
      {&Settings.ShowTabs, tabs, {0, th + 2, W, H - filePane - sh}, "tab strip hidden"},
      {&Settings.ShowFilePane, nullptr, {0, th + tab + 2, W, H - sh}, "file pane hidden"},
  };
  for (const auto& c : CASES) {
    *c.flag = 0;
    if (c.bar) ShowWindow(c.bar, SW_HIDE);
    ASSERT_TRUE(LayoutPanes(window, SIZE_RESTORED));
    ExpectPlace(c.expected, host, c.what);
    EXPECT_EQ(W, Place(tabs).right) << c.what << ": the tab strip stays as wide as the client area";
    *c.flag = 1;
    if (c.bar) ShowWindow(c.bar, SW_SHOW);
  }
  EXPECT_FALSE(LayoutPanes(window, SIZE_MINIMIZED));

  RequestLayout(window);  // posted: laid out once the queue is read
  PumpMessages();
  ExpectPlace({0, th + tab + 2, W, H - filePane - sh}, host, "all shown again");
  EXPECT_EQ(W, LastMainClientWidth());
}

TEST_F(WindowLayout, TabsShowTheViewShownAndASplitterDragEndsWhereverTheButtonComesUp) {
  HWND tabs = GetDlgItem(window, IDC_TAB_STRIP);
  SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR click = {tabs, IDC_TAB_STRIP, static_cast<UINT>(TCN_SELCHANGE)};
  Notify(&click);
  EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) << "the normal view is still the one shown";

  const int gap = Place(GetParent(ColumnHeader())).bottom + 1;
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, gap));
  ASSERT_EQ(window, GetCapture()) << "a press between the panes starts a drag";
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, Place(tabs).bottom));
  EXPECT_EQ(nullptr, GetCapture()) << "let go over the tabs, the drag ends";
}

TEST_F(WindowLayout, ToolbarLayoutSurvivesARestartAndResetBringsBackTheDefault) {
  RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, key.out()));
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key.get(), DEFAULT_TOOLBAR_VALUE, nullptr, nullptr, nullptr, nullptr))
      << "written when the toolbar is made";

  SendMessageA(Toolbar(), TB_DELETEBUTTON, 0, 0);
  EXPECT_EQ(1, NotifyToolbar(TBN_TOOLBARCHANGE));
  Restart();
  EXPECT_EQ(std::vector<int>(INITIAL_COMMANDS.begin() + 1, INITIAL_COMMANDS.end()), Commands()) << "separators too";
  TBBUTTON first = {};
  SendMessageA(Toolbar(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(31, first.iBitmap) << "a restored button keeps its image";

  EXPECT_EQ(1, NotifyToolbar(TBN_RESET));
  EXPECT_EQ(INITIAL_COMMANDS, Commands());
  Restart();
  EXPECT_EQ(INITIAL_COMMANDS, Commands()) << "the reset also replaced the saved layout";
}

}  // namespace
