// The main window's bars and where the pane host goes as they are shown and
// hidden, and the toolbar's layouts kept in the registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/main_window.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/window_layout.h"
#include "pane/columns.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "support/scratch_registry.h"

namespace {

// The initial toolbar's commands, 0 for a separator.
// clang-format off
const std::vector<int> INITIAL_COMMANDS = {
    IDM_STOP_SCAN, IDM_SCAN_DISK, IDM_FIND_FOLDERS, IDM_TAG_FOLDERS, 0, IDM_MOVE_TO, IDM_COPY_TO, IDM_CREATE_FOLDER,
    0, IDM_CUT, IDM_COPY, IDM_PASTE, 0, IDM_UNDO, 0, IDM_RECYCLE, IDM_RENAME, IDM_PROPERTIES, 0,
    IDM_SHOW_FILE_PANE, IDM_FILE_PANE_LARGE_ICONS, IDM_FILE_PANE_SMALL_ICONS, IDM_FILE_PANE_LIST,
    IDM_FILE_PANE_DETAILS, 0, IDM_ADD_REMOVE_PROGRAMS, IDM_EMPTY_RECYCLE_BIN};
// clang-format on

class WindowLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearSettingsKey();
    ApplyDefaultSettings(&Settings);
    ShuttingDown = false;
    WNDCLASSA cls;
    ASSERT_TRUE(RegisterMainWindowClass() || GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &cls));
    Open();
  }
  void TearDown() override { Close(); }

  void Open() {
    window = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Pelvanor", 0x10CF0000, 0, 0, 900, 600, nullptr, nullptr,
                             AppInstance, nullptr);
    ASSERT_NE(nullptr, window);
    toolbar = GetDlgItem(window, IDC_TOOLBAR);
    ASSERT_NE(nullptr, toolbar);
  }
  void Close() {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    ShuttingDown = false;
  }

  // Commands of the toolbar's entries, 0 for separators.
  std::vector<int> Commands() const {
    std::vector<int> commands;
    const int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button = {};
      SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      commands.push_back(button.fsStyle & BTNS_SEP ? 0 : button.idCommand);
    }
    return commands;
  }

  LRESULT Notify(UINT code) {
    NMHDR header = {toolbar, IDC_TOOLBAR, code};
    return SendMessageA(window, WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&header));
  }

  HWND window = nullptr;
  HWND toolbar = nullptr;
};

RECT RectIn(HWND parent, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int ClientHeight(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  return client.bottom;
}

// The header lives in the pane host.
HWND PaneHost() { return GetParent(ColumnHeader()); }

void ExpectRect(const RECT& expected, const RECT& actual, const char* what) {
  EXPECT_TRUE(EqualRect(&expected, &actual))
      << what << ": " << actual.left << "," << actual.top << " " << actual.right << "," << actual.bottom;
}

TEST_F(WindowLayoutTest, ToolbarHoldsTheInitialEntriesAndOffersSevenMore) {
  EXPECT_EQ(INITIAL_COMMANDS, Commands()) << "21 buttons and 6 separators";
  TBBUTTON button = {};
  SendMessageA(toolbar, TB_GETBUTTON, 19, reinterpret_cast<LPARAM>(&button));
  EXPECT_EQ(29, button.iBitmap);
  EXPECT_EQ(BTNS_CHECK, button.fsStyle) << "the file pane button is a check button";
  EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);

  // The customise dialog's questions, from index 0 until the answer is 0.
  std::vector<int> offered;
  char text[80];
  for (int i = 0; i < 40; ++i) {
    NMTOOLBARA info = {};
    info.hdr = {toolbar, IDC_TOOLBAR, static_cast<UINT>(TBN_GETBUTTONINFOA)};
    info.iItem = i;
    info.pszText = text;
    info.cchText = sizeof text;
    if (!SendMessageA(window, WM_NOTIFY, IDC_TOOLBAR, reinterpret_cast<LPARAM>(&info))) break;
    offered.push_back(info.tbButton.fsStyle & BTNS_SEP ? 0 : info.tbButton.idCommand);
    if (i == 27) {
      EXPECT_EQ(ResourceString(IDM_COPY_DISK + IDS_BUTTON_DESCRIPTION_OFFSET), text);
    }
  }
  ASSERT_EQ(34u, offered.size()) << "27 entries and 7 extra buttons";
  EXPECT_EQ(IDM_DISCONNECT_NETWORK_DRIVE, offered.back());

  NMTTDISPINFOA tip = {};
  tip.hdr = {toolbar, IDM_SCAN_DISK, static_cast<UINT>(TTN_NEEDTEXTA)};
  SendMessageA(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_EQ(AppInstance, tip.hinst);
  EXPECT_EQ(MAKEINTRESOURCEA(IDM_SCAN_DISK), tip.lpszText);
}

TEST_F(WindowLayoutTest, PaneHostFillsWhatTheShownBarsLeave) {
  HWND status = GetDlgItem(window, IDC_STATUS_BAR);
  HWND tabs = GetDlgItem(window, IDC_TAB_STRIP);
  HWND host = PaneHost();
  ASSERT_TRUE(status && tabs && host);
  EXPECT_EQ(2, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  RECT client;
  GetClientRect(window, &client);
  const int W = client.right, H = client.bottom;
  const int th = ClientHeight(toolbar), sh = ClientHeight(status), hh = ClientHeight(ColumnHeader());
  const int tabHeight = RectIn(window, tabs).bottom - RectIn(window, tabs).top - 3;
  const int filePane = static_cast<int>((H - th - sh - hh) * 0.3f);

  const RECT toolbarRect = RectIn(window, toolbar);  // its border lies outside the client height
  EXPECT_EQ(0, toolbarRect.top);
  EXPECT_EQ(W, toolbarRect.right);
  ExpectRect({0, H - sh, W, H}, RectIn(window, status), "status bar");
  ExpectRect({0, th + 2, W, th + 2 + tabHeight + 3}, RectIn(window, tabs), "tab strip");
  ExpectRect({0, th + tabHeight + 2, W, H - filePane - sh}, RectIn(window, host), "all shown: room for the file pane");

  int parts[5];
  ASSERT_EQ(5, SendMessageA(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(parts)));
  RECT bar;
  GetClientRect(status, &bar);
  EXPECT_EQ(bar.right * 33 / 100, parts[0]);
  EXPECT_EQ(parts[0] + bar.right * 27 / 100, parts[1]);
  EXPECT_EQ(bar.right, parts[4]);

  struct Case {
    uint8_t* flag;
    HWND bar;
    RECT expected;
    const char* what;
  };
  const Case cases[] = {
      {&Settings.ShowToolbar, toolbar, {0, tabHeight + 2, W, H - filePane - sh}, "toolbar hidden"},
      {&Settings.ShowStatusBar, status, {0, th + tabHeight + 2, W, H - filePane}, "status bar hidden"},
      {&Settings.ShowTabs, tabs, {0, th + 2, W, H - filePane - sh}, "tab strip hidden"},
      {&Settings.ShowFilePane, nullptr, {0, th + tabHeight + 2, W, H - sh}, "file pane hidden"},
  };
  for (const Case& c : cases) {
    *c.flag = 0;
    if (c.bar) ShowWindow(c.bar, SW_HIDE);
    ASSERT_TRUE(LayoutPanes(window, SIZE_RESTORED));
    ExpectRect(c.expected, RectIn(window, host), c.what);
    *c.flag = 1;
    if (c.bar) ShowWindow(c.bar, SW_SHOW);
  }
  EXPECT_EQ(W, RectIn(window, tabs).right) << "the tab strip stays as wide as the client area";
  EXPECT_FALSE(LayoutPanes(window, SIZE_MINIMIZED));

  RequestLayout(window);  // posted: laid out once the queue is read
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  ExpectRect({0, th + tabHeight + 2, W, H - filePane - sh}, RectIn(window, host), "all shown again");
  EXPECT_EQ(W, LastMainClientWidth());
}

TEST_F(WindowLayoutTest, TabsShowTheViewShownAndASplitterDragEndsWhereverTheButtonComesUp) {
  HWND tabs = GetDlgItem(window, IDC_TAB_STRIP);
  SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
  NMHDR click = {tabs, IDC_TAB_STRIP, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(window, WM_NOTIFY, IDC_TAB_STRIP, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) << "the normal view is still the one shown";

  const int gap = RectIn(window, PaneHost()).bottom + 1;
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, gap));
  ASSERT_EQ(window, GetCapture()) << "a press between the panes starts a drag";
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, RectIn(window, tabs).bottom));
  EXPECT_EQ(nullptr, GetCapture()) << "let go over the tabs, the drag ends";
}

bool StoredValue(const char* name) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST_F(WindowLayoutTest, ToolbarLayoutSurvivesARestartAndResetBringsBackTheDefault) {
  EXPECT_TRUE(StoredValue(DEFAULT_TOOLBAR_VALUE)) << "written when the toolbar is made";
  const std::vector<int>& initial = INITIAL_COMMANDS;
  ASSERT_EQ(initial, Commands()) << "no saved layout leaves the created one";

  SendMessageA(toolbar, TB_DELETEBUTTON, 0, 0);
  EXPECT_EQ(1, Notify(TBN_TOOLBARCHANGE));
  Close();
  Open();
  EXPECT_EQ(std::vector<int>(initial.begin() + 1, initial.end()), Commands()) << "separators too";
  TBBUTTON first = {};
  SendMessageA(toolbar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(31, first.iBitmap) << "a restored button keeps its image";

  EXPECT_EQ(1, Notify(TBN_RESET));
  EXPECT_EQ(initial, Commands());
  Close();
  Open();
  EXPECT_EQ(initial, Commands()) << "the reset also replaced the saved layout";
}

}  // namespace
