#include "app/window_layout.h"

#include <algorithm>
#include <string>

#include "app/diagnostics.h"
#include "app/help.h"
#include "app/file_pane.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"

namespace {

constexpr DWORD TOOLBAR_STYLE = 0x50000921;    // child, visible, top, adjustable, tooltips, flat
constexpr DWORD TAB_STRIP_STYLE = 0x50008000;  // child, visible, never takes the focus
constexpr int TAB_STRIP_INITIAL_WIDTH = 100;
constexpr int TAB_TEXT_MARGIN = 4;
constexpr int TAB_STRIP_EXTRA_HEIGHT = 3;
constexpr int BAR_MARGIN = 2;  // between the toolbar and what is below it
constexpr int SPLITTER_GAP = 3;
constexpr int SPLITTER_TAB_GUARD = 20;  // mouse messages this near the tabs are theirs
constexpr int SPLITTER_MIN_ABOVE = 15;
constexpr int SPLITTER_MIN_BELOW = 25;
constexpr float INITIAL_FILE_PANE_RATIO = 0.3f;
constexpr int STATUS_PART_COUNT = 5;
constexpr int STATUS_PART_PERCENT[STATUS_PART_COUNT - 1] = {33, 27, 12, 13};

struct ToolbarEntry {
  int image;
  UINT command;  // 0: a separator
  BYTE style;
};

const ToolbarEntry INITIAL_ENTRIES[] = {
    {32, IDM_STOP_SCAN, BTNS_BUTTON},
    {31, IDM_SCAN_DISK, BTNS_BUTTON},
    {38, IDM_FIND_FOLDERS, BTNS_BUTTON},
    {30, IDM_TAG_FOLDERS, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {34, IDM_MOVE_TO, BTNS_BUTTON},
    {33, IDM_COPY_TO, BTNS_BUTTON},
    {17, IDM_CREATE_FOLDER, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {5, IDM_CUT, BTNS_BUTTON},
    {6, IDM_COPY, BTNS_BUTTON},
    {7, IDM_PASTE, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {8, IDM_UNDO, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {21, IDM_RECYCLE, BTNS_BUTTON},
    {18, IDM_RENAME, BTNS_BUTTON},
    {9, IDM_PROPERTIES, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {29, IDM_SHOW_FILE_PANE, BTNS_CHECK},
    {11, IDM_FILE_PANE_LARGE_ICONS, BTNS_BUTTON},
    {12, IDM_FILE_PANE_SMALL_ICONS, BTNS_BUTTON},
    {13, IDM_FILE_PANE_LIST, BTNS_BUTTON},
    {14, IDM_FILE_PANE_DETAILS, BTNS_BUTTON},
    {0, 0, BTNS_SEP},
    {36, IDM_ADD_REMOVE_PROGRAMS, BTNS_BUTTON},
    {37, IDM_EMPTY_RECYCLE_BIN, BTNS_BUTTON},
};
static_assert(sizeof INITIAL_ENTRIES / sizeof INITIAL_ENTRIES[0] == TOOLBAR_ENTRY_COUNT, "");

// Offered only in the customise dialog.
const ToolbarEntry EXTRA_BUTTONS[] = {
    {25, IDM_COPY_DISK, BTNS_BUTTON},
    {27, IDM_LABEL_DISK, BTNS_BUTTON},
    {26, IDM_FORMAT_DISK, BTNS_BUTTON},
    {23, IDM_FIND_FILES, BTNS_BUTTON},
    {22, IDM_HELP, BTNS_BUTTON},
    {15, IDM_MAP_NETWORK_DRIVE, BTNS_BUTTON},
    {16, IDM_DISCONNECT_NETWORK_DRIVE, BTNS_BUTTON},
};
static_assert(sizeof EXTRA_BUTTONS / sizeof EXTRA_BUTTONS[0] == TOOLBAR_EXTRA_BUTTON_COUNT, "");

constexpr int INITIAL_BUTTON_COUNT = 21;

TBBUTTON ToButton(const ToolbarEntry& entry) {
  TBBUTTON button = {};
  button.iBitmap = entry.image;
  button.idCommand = static_cast<int>(entry.command);
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = entry.style;
  return button;
}

struct SplitterDrag {
  bool active = false;
  HDC dc = nullptr;
  RECT client = {};
  int y = 0;
};

struct LayoutState {
  HWND window = nullptr;
  HWND toolbar = nullptr;
  HWND statusBar = nullptr;
  HWND tabStrip = nullptr;
  HWND paneHost = nullptr;
  HWND scrollBar = nullptr;
  HWND filePane = nullptr;
  // Last measured heights, kept while a bar is hidden: the file pane's share
  // is taken from them whether or not the bars are shown.
  int toolbarHeight = 20;
  int statusBarHeight = 20;
  int headerHeight = 16;
  int tabHeight = 25;
  float filePaneRatio = INITIAL_FILE_PANE_RATIO;
  int lastMainClientWidth = 0;
  int separatorsMet = 0;  // by the customise dialog's button requests
  SplitterDrag drag;
};
LayoutState g;

int ClientHeight(HWND control) {
  RECT client = {};
  GetClientRect(control, &client);
  return client.bottom;
}

// A move of a child of the main window repaints the child whole.  Copying its
// pixels is not enough: the main window does not clip its children, and its
// background, painted afterwards over the room a hidden bar left, would blank
// them.
void PlaceChild(HWND child, int x, int y, int width, int height) {
  SetWindowPos(child, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

// A stored show flag above 1 counts as 1.
int Shown(uint8_t* flag) {
  if (*flag > 1) *flag = 1;
  return *flag;
}

// --- Toolbar button supply ---------------------------------------------------------

// The entry the customise dialog (and a restore) asks for at |index|; false
// when there are no more.  Separators have no text.
bool EntryAt(int index, const ToolbarEntry** entry) {
  if (index == 0) g.separatorsMet = 0;
  if (index >= 0 && index < INITIAL_BUTTON_COUNT + g.separatorsMet) {
    *entry = &INITIAL_ENTRIES[index];
    if ((*entry)->style == BTNS_SEP) ++g.separatorsMet;
    return true;
  }
  const int extra = index - INITIAL_BUTTON_COUNT - g.separatorsMet;
  if (extra < 0 || extra >= TOOLBAR_EXTRA_BUTTON_COUNT) return false;
  *entry = &EXTRA_BUTTONS[extra];
  return true;
}

std::string ButtonDescription(const ToolbarEntry& entry) {
  if (entry.style == BTNS_SEP) return std::string();
  return ResourceString(entry.command + IDS_BUTTON_DESCRIPTION_OFFSET);
}

LRESULT SupplyButtonInfoA(NMTOOLBARA* info) {
  const ToolbarEntry* entry = nullptr;
  if (!EntryAt(info->iItem, &entry)) return 0;
  info->tbButton = ToButton(*entry);
  if (entry->style != BTNS_SEP && info->pszText && info->cchText > 0)
    lstrcpynA(info->pszText, ButtonDescription(*entry).c_str(), info->cchText);
  return 1;
}

// The toolbar asks in this form when it restores a saved layout.
LRESULT SupplyButtonInfoW(NMTOOLBARW* info) {
  const ToolbarEntry* entry = nullptr;
  if (!EntryAt(info->iItem, &entry)) return 0;
  info->tbButton = ToButton(*entry);
  if (entry->style != BTNS_SEP && info->pszText && info->cchText > 0) {
    if (!MultiByteToWideChar(CP_ACP, 0, ButtonDescription(*entry).c_str(), -1, info->pszText, info->cchText))
      info->pszText[info->cchText - 1] = 0;
  }
  return 1;
}

// The saved layout holds only command ids, separators as 0; the toolbar drops
// every restored entry whose image stays unset, so each one is filled here.
void RestoreEntry(NMTBRESTORE* restore) {
  if (restore->iItem < 0) return;
  const UINT command = static_cast<UINT>(restore->tbButton.idCommand);
  for (const ToolbarEntry* table : {INITIAL_ENTRIES, EXTRA_BUTTONS}) {
    const int count = table == INITIAL_ENTRIES ? TOOLBAR_ENTRY_COUNT : TOOLBAR_EXTRA_BUTTON_COUNT;
    for (int i = 0; i < count; ++i) {
      if (table[i].command != command) continue;
      restore->tbButton = ToButton(table[i]);
      return;
    }
  }
}

bool SaveRestore(BOOL save, const char* valueName) {
  if (!g.toolbar) return false;
  EnsureSettingsKey();
  // The two-string lParam form crashes on x64 Wine; the record form works.
  TBSAVEPARAMSA params = {HKEY_CURRENT_USER, SETTINGS_KEY_PATH, valueName};
  return SendMessageA(g.toolbar, TB_SAVERESTOREA, save, reinterpret_cast<LPARAM>(&params)) != 0;
}

bool HandleToolbarNotify(HWND window, const NMHDR* header, LRESULT* result) {
  switch (header->code) {
    case TBN_GETBUTTONINFOA:
      *result = SupplyButtonInfoA(reinterpret_cast<NMTOOLBARA*>(const_cast<NMHDR*>(header)));
      return true;
    case TBN_GETBUTTONINFOW:
      *result = SupplyButtonInfoW(reinterpret_cast<NMTOOLBARW*>(const_cast<NMHDR*>(header)));
      return true;
    case TBN_RESET:
      RestoreToolbarLayout(DEFAULT_TOOLBAR_VALUE);
      SaveToolbarLayout(TOOLBAR_VALUE);
      *result = 1;
      return true;
    case TBN_RESTORE:
      RestoreEntry(reinterpret_cast<NMTBRESTORE*>(const_cast<NMHDR*>(header)));
      *result = 0;
      return true;
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
      *result = 1;
      return true;
    case TBN_TOOLBARCHANGE:
      SaveToolbarLayout(TOOLBAR_VALUE);
      *result = 1;
      return true;
    case TBN_CUSTHELP:
      ShowHelp(window, HELP_CONTEXT_CUSTOMIZE_TOOLBAR);
      *result = 1;
      return true;
  }
  *result = 0;
  return true;
}

// --- Splitter ----------------------------------------------------------------------

// Clicks on the tabs' lower edge must not start a drag.
bool NearTabs(HWND window, int y) {
  if (!Settings.ShowTabs || !g.tabStrip) return false;
  RECT tabs;
  GetWindowRect(g.tabStrip, &tabs);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tabs), 2);
  return y < tabs.bottom + SPLITTER_TAB_GUARD;
}

int ClampBar(int y) {
  const int minimum =
      SPLITTER_GAP / 2 + SPLITTER_MIN_ABOVE + g.headerHeight + g.toolbarHeight * Shown(&Settings.ShowToolbar);
  const int maximum = g.drag.client.bottom - g.statusBarHeight * Shown(&Settings.ShowStatusBar) - SPLITTER_MIN_BELOW;
  if (minimum > maximum) return maximum;
  return std::clamp(y, minimum, maximum);
}

// Inverting twice restores what was there, so the same call erases the bar.
void InvertBar() { PatBlt(g.drag.dc, 0, g.drag.y, g.drag.client.right, SPLITTER_GAP, DSTINVERT); }

void ShowSplitterCursor(bool splitter) {
  SetCursor(splitter ? LoadCursorA(AppInstance, MAKEINTRESOURCEA(IDCUR_SPLITTER)) : LoadCursor(nullptr, IDC_ARROW));
}

// Erases the bar and gives back the device context and the mouse.
void EndDrag(HWND window) {
  InvertBar();
  g.drag.active = false;
  ReleaseDC(window, g.drag.dc);
  g.drag.dc = nullptr;
  // Last, and only while it is ours: giving the capture back calls
  // OnSplitterCaptureLost, which must find the drag over.
  if (GetCapture() == window) ReleaseCapture();
  ShowSplitterCursor(false);
}

}  // namespace

// --- Creation ----------------------------------------------------------------------

HWND CreateMainToolbar(HWND window) {
  g.window = window;
  TBBUTTON buttons[TOOLBAR_ENTRY_COUNT];
  for (int i = 0; i < TOOLBAR_ENTRY_COUNT; ++i) buttons[i] = ToButton(INITIAL_ENTRIES[i]);
  g.toolbar = CreateToolbarEx(window, TOOLBAR_STYLE, IDC_TOOLBAR, TOOLBAR_IMAGE_COUNT, AppInstance, IDB_TOOLBAR,
                              buttons, TOOLBAR_ENTRY_COUNT, TOOLBAR_IMAGE_SIZE, TOOLBAR_IMAGE_SIZE, TOOLBAR_IMAGE_SIZE,
                              TOOLBAR_IMAGE_SIZE, sizeof(TBBUTTON));
  if (!g.toolbar) {
    DiagnosticSink(1, "Cannot create tool bar.");
    return nullptr;
  }
  SaveToolbarLayout(DEFAULT_TOOLBAR_VALUE);
  RestoreToolbarLayout(TOOLBAR_VALUE);
  if (!Shown(&Settings.ShowToolbar)) ShowWindow(g.toolbar, SW_HIDE);
  return g.toolbar;
}

HWND CreateMainStatusBar(HWND window) {
  g.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window, IDC_STATUS_BAR);
  if (!g.statusBar) {
    DiagnosticSink(1, "Cannot create status bar.");
    return nullptr;
  }
  PartitionStatusBar(g.statusBar);
  if (!Shown(&Settings.ShowStatusBar)) ShowWindow(g.statusBar, SW_HIDE);
  return g.statusBar;
}

void SetLayoutPaneHost(HWND paneHost, HWND scrollBar) {
  g.paneHost = paneHost;
  g.scrollBar = scrollBar;
}

HWND CreateTabStrip(HWND window, HFONT font) {
  g.tabStrip = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TABCONTROLA, "", TAB_STRIP_STYLE, 0, 0, TAB_STRIP_INITIAL_WIDTH,
                               g.tabHeight, window, reinterpret_cast<HMENU>(IDC_TAB_STRIP), AppInstance, nullptr);
  if (!g.tabStrip) return nullptr;
  SendMessageA(g.tabStrip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  const std::string normal = ResourceString(IDS_TAB_NORMAL);
  const std::string found = ResourceString(IDS_TAB_FIND_RESULTS);
  if (HDC dc = GetDC(g.tabStrip)) {
    SIZE text;
    if (GetTextExtentPoint32A(dc, normal.c_str(), static_cast<int>(normal.size()), &text))
      g.tabHeight = text.cy + TAB_TEXT_MARGIN;
    ReleaseDC(g.tabStrip, dc);
  }
  int index = 0;
  for (const std::string& title : {normal, found}) {
    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(title.c_str());
    item.iImage = -1;
    SendMessageA(g.tabStrip, TCM_INSERTITEMA, index++, reinterpret_cast<LPARAM>(&item));
  }
  return g.tabStrip;
}

void SetLayoutFilePane(HWND view) { g.filePane = view; }

void ForgetLayoutChildren() {
  if (g.drag.dc) ReleaseDC(g.window, g.drag.dc);
  g = LayoutState();
}

void SelectShownViewTab() {
  if (g.tabStrip) SendMessageA(g.tabStrip, TCM_SETCURSEL, FindResultsMode ? VIEW_TAB_FIND_RESULTS : VIEW_TAB_NORMAL, 0);
}

HWND MainToolbar() { return g.toolbar; }
HWND MainTabStrip() { return g.tabStrip; }
HWND MainStatusBar() { return g.statusBar; }

void PartitionStatusBar(HWND statusBar) {
  RECT client = {};
  GetClientRect(statusBar, &client);
  int edges[STATUS_PART_COUNT];
  int edge = 0;
  for (int i = 0; i < STATUS_PART_COUNT - 1; ++i) {
    edge += client.right * STATUS_PART_PERCENT[i] / 100;
    edges[i] = edge;
  }
  edges[STATUS_PART_COUNT - 1] = client.right;
  if (!SendMessageA(statusBar, SB_SETPARTS, STATUS_PART_COUNT, reinterpret_cast<LPARAM>(edges)))
    DiagnosticSink(1, "Cannot partition status bar");
}

// --- Toolbar layouts and notifications -----------------------------------------------

bool SaveToolbarLayout(const char* valueName) { return SaveRestore(TRUE, valueName); }
bool RestoreToolbarLayout(const char* valueName) { return SaveRestore(FALSE, valueName); }

void CustomizeToolbar() {
  if (g.toolbar) PostMessageA(g.toolbar, TB_CUSTOMIZE, 0, 0);
}

bool HandleBarNotify(HWND window, const NMHDR* header, LRESULT* result) {
  if (header->code == TTN_NEEDTEXTA) {
    auto* text = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
    text->hinst = AppInstance;
    text->lpszText = MAKEINTRESOURCEA(header->idFrom);
    // The undo button names what it would undo.
    if (header->idFrom == IDM_UNDO && QueryUndo(text->szText, sizeof text->szText)) text->lpszText = text->szText;
    *result = 0;
    return true;
  }
  if (header->code == TTN_NEEDTEXTW) {
    auto* text = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    text->hinst = AppInstance;
    text->lpszText = MAKEINTRESOURCEW(header->idFrom);
    char undo[sizeof text->szText];
    if (header->idFrom == IDM_UNDO && QueryUndo(undo, sizeof undo) &&
        MultiByteToWideChar(CP_ACP, 0, undo, -1, text->szText, ARRAYSIZE(text->szText)))
      text->lpszText = text->szText;
    *result = 0;
    return true;
  }
  if (g.toolbar && header->hwndFrom == g.toolbar) return HandleToolbarNotify(window, header, result);
  return false;
}

// --- Layout ------------------------------------------------------------------------

bool LayoutPanes(HWND window, UINT sizeType) {
  if (sizeType != SIZE_RESTORED && sizeType != SIZE_MAXIMIZED) return false;
  HWND tree = ActiveTree();
  if (!window || !g.paneHost || !tree) return false;
  if (Panes.findTree) ShowWindow(Panes.findTree, FindResultsMode ? SW_SHOW : SW_HIDE);
  if (Panes.mainTree) ShowWindow(Panes.mainTree, FindResultsMode ? SW_HIDE : SW_SHOW);
  SelectShownViewTab();

  RECT client;
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  g.lastMainClientWidth = width;
  const int showToolbar = Shown(&Settings.ShowToolbar);
  const int showStatusBar = Shown(&Settings.ShowStatusBar);
  const int showTabs = Shown(&Settings.ShowTabs);
  const int showFilePane = Shown(&Settings.ShowFilePane);

  if (showStatusBar && g.statusBar) {
    g.statusBarHeight = ClientHeight(g.statusBar);
    PlaceChild(g.statusBar, 0, height - g.statusBarHeight, width, g.statusBarHeight);
    PartitionStatusBar(g.statusBar);
  }
  if (showToolbar && g.toolbar) {
    g.toolbarHeight = ClientHeight(g.toolbar);
    PlaceChild(g.toolbar, 0, 0, width, g.toolbarHeight);
  }
  if (showTabs && g.tabStrip)
    PlaceChild(g.tabStrip, 0, g.toolbarHeight * showToolbar + BAR_MARGIN, width, g.tabHeight + TAB_STRIP_EXTRA_HEIGHT);
  HWND header = ColumnHeader();
  if (header) g.headerHeight = ClientHeight(header);

  const int paneTop = g.toolbarHeight * showToolbar + g.tabHeight * showTabs + BAR_MARGIN;
  const int available = height - g.toolbarHeight - g.statusBarHeight - g.headerHeight;
  const int filePaneHeight = static_cast<int>(available * g.filePaneRatio);
  const int paneHeight = height - filePaneHeight * showFilePane - g.statusBarHeight * showStatusBar - paneTop;
  PlaceChild(g.paneHost, 0, paneTop, width, paneHeight);

  if (showFilePane && g.filePane) {
    RECT pane;
    GetWindowRect(g.paneHost, &pane);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pane), 2);
    PlaceChild(g.filePane, 0, pane.bottom + SPLITTER_GAP, width, filePaneHeight - SPLITTER_GAP);
  }

  int treeSpace = paneHeight;
  if (g.scrollBar) {
    if (!ColumnsNeedHorizontalScroll(width)) {
      ShowWindow(g.scrollBar, SW_HIDE);
    } else {
      RECT bar;
      GetWindowRect(g.scrollBar, &bar);
      const int barHeight = bar.bottom - bar.top;
      MoveWindow(g.scrollBar, 0, ClientHeight(g.paneHost) - barHeight - 1, width, barHeight, TRUE);
      ShowWindow(g.scrollBar, SW_SHOW);
      treeSpace = paneHeight - barHeight - 2;
    }
  }
  MoveWindow(tree, 0, g.headerHeight, width, std::max(0, treeSpace - g.headerHeight), TRUE);
  ResizeNameColumn(NameColumnWidth());
  if (header) MoveWindow(header, 0, 0, width - 2, ColumnHeaderHeight(), TRUE);
  FitPaneScrollBar();
  return true;
}

void RequestLayout(HWND window) {
  RECT client;
  if (!GetClientRect(window, &client)) return;
  PostMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void FitPaneScrollBar() {
  if (!g.scrollBar || !g.paneHost) return;
  RECT bar;
  GetWindowRect(g.scrollBar, &bar);
  MapWindowPoints(nullptr, g.paneHost, reinterpret_cast<POINT*>(&bar), 2);
  RECT host;
  GetClientRect(g.paneHost, &host);
  int width = host.right;
  HWND tree = ActiveTree();
  if (tree && (GetWindowLongA(tree, GWL_STYLE) & WS_VSCROLL)) width -= GetSystemMetrics(SM_CXVSCROLL);
  SetWindowPos(g.scrollBar, nullptr, 0, 0, width, GetSystemMetrics(SM_CYHSCROLL),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateColumnScrollBar();
}

int LastMainClientWidth() { return g.lastMainClientWidth; }

// --- Splitter ----------------------------------------------------------------------

void OnSplitterButtonDown(HWND window, int y) {
  if (NearTabs(window, y)) return;
  SetCapture(window);
  GetClientRect(window, &g.drag.client);
  ShowSplitterCursor(true);
  g.drag.y = ClampBar(y);
  if (g.drag.dc) ReleaseDC(window, g.drag.dc);
  g.drag.dc = GetDC(window);
  g.drag.active = true;
  InvertBar();
}

void OnSplitterMouseMove(HWND window, int y) {
  if (!g.drag.active) {
    if (NearTabs(window, y)) return;
    POINT cursor;
    GetCursorPos(&cursor);
    ShowSplitterCursor(WindowFromPoint(cursor) == window);
    return;
  }
  InvertBar();
  g.drag.y = ClampBar(y);
  InvertBar();
}

void OnSplitterButtonUp(HWND window, int y) {
  // The guard near the tabs is for presses and idle moves: a drag ends
  // wherever the button comes up.
  if (!g.drag.active) return;
  EndDrag(window);
  g.drag.y = ClampBar(y);
  if (g.filePane) {
    RECT pane;
    GetWindowRect(g.filePane, &pane);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&pane), 2);
    const int room = g.drag.client.bottom - g.toolbarHeight * Shown(&Settings.ShowToolbar) -
                     g.statusBarHeight * Shown(&Settings.ShowStatusBar) - g.headerHeight;
    if (room > 0) g.filePaneRatio = static_cast<float>(pane.bottom - g.drag.y + 2) / room;
    RequestLayout(window);
  }
}

void OnSplitterCaptureLost(HWND window) {
  if (g.drag.active) EndDrag(window);
}
