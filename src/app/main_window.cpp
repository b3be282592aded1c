#include "app/main_window.h"

#include <commctrl.h>

#include <cstring>
#include <shellapi.h>

#include "app/diagnostics.h"
#include "app/help.h"
#include "app/process_state.h"
#include "app/command_state_hook.h"
#include "app/command_states.h"
#include "app/disk_info_dialog.h"
#include "app/file_pane.h"
#include "app/folder_selection.h"
#include "app/pane_popup.h"
#include "app/system_tools.h"
#include "app/view_toggles.h"
#include "app/window_layout.h"
#include "criteria/find_dialog.h"
#include "criteria/find_view.h"
#include "criteria/tag_dialog.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/node_removal.h"
#include "model/root_list.h"
#include "model/scanner.h"
#include "model/scan_control.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/columns.h"
#include "pane/detail_list.h"
#include "pane/label_edit.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "pane/sorting.h"
#include "pane/status_text.h"
#include "reports/export_file.h"
#include "reports/print_tree.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/folder_details_sheet.h"
#include "settings/options_sheet.h"
#include "settings/settings_store.h"
#include "shell/drag_drop.h"
#include "shell/send_to_menu.h"
#include "shell/shell_items.h"
#include "shell/copy_move_dialog.h"
#include "shell/create_folder_dialog.h"
#include "shell/file_operations.h"

const char MAIN_WINDOW_CLASS[] = "Pelvanor";
HWND DialogMessageTarget = nullptr;

namespace {

constexpr UINT FIRST_MENU_COMMAND = 32768;  // below: the file pane's own commands
constexpr int APP_ICON_SMALL = 16;

HWND g_paneHost = nullptr;
HWND g_scrollBar = nullptr;

// --- Commands -------------------------------------------------------------

void OnOptions(HWND window) { ShowOptionsSheet(window); }
void OnFolderDetails(HWND window) { ShowFolderDetailsSheet(window, 0); }
void OnScanDisk(HWND window) { ScanDiskCommand(window); }
void OnStopScan(HWND) { StopScanCommand(); }
void OnRescanFolder(HWND) { RescanCurrentFolderCommand(); }
void OnStopDriveScan(HWND) { StopCurrentDriveScanCommand(); }
void OnExpandOneLevel(HWND) { ExpandOneLevelCommand(); }
void OnExpandAll(HWND) { ExpandAllCommand(); }
void OnCollapseBranch(HWND) { CollapseBranchCommand(); }
void OnCollapseAll(HWND) { CollapseAllCommand(); }
void OnVerifyRows(HWND) { VerifyPairing(); }
void OnSaveNow(HWND) { SaveSettings(true); }
void OnSaveOnExit(HWND) { ToggleSaveOnExit(); }
void OnRefresh(HWND window) {
  RequestLayout(window);
  BuildRootList();
  FolderNode* folder = CurrentFolder;
  if (!IsFolderNode(folder)) return;
  ScanOneLevel(folder);
  if (!IsFolderNode(folder)) return;
  OnFolderSelected(folder, {window, g_paneHost, MainStatusBar(), MainToolbar()});
  if (MonitorDriverMissing && !ShuttingDown) RenewWatches(folder);
}
void OnSizeReported(HWND) { SetSizeMode(0); }
void OnSizeOnDisk(HWND) { SetSizeMode(1); }
void OnExactBytes(HWND) { ToggleExactSizes(); }
void OnClose(HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }
void OnHelp(HWND window) { ShowHelp(window, 0); }
void OnCustomizeToolbar(HWND) { CustomizeToolbar(); }
void OnDiskInformation(HWND window) { ShowDiskInformation(window, CurrentFolder); }
void OnExportToFile(HWND window) { ExportTreeCommand(window); }
void OnPrintTree(HWND window) { PrintTreeCommand(window); }
void OnTagFolders(HWND window) { ShowTagDialog(window); }
void OnClearAllTags(HWND) { ClearAllTagsCommand(); }
void OnFindFolders(HWND window) { ShowFindDialog(window); }
void OnNormalView(HWND) { ShowMainView(); }
void OnFindResultsView(HWND window) { FindResultsViewCommand(window); }

struct CommandRoute {
  UINT id;
  void (*handler)(HWND window);
};

// Every command of the menus, the accelerators and the toolbar, in one place.
const CommandRoute COMMANDS[] = {
    {IDM_RESCAN_FOLDER, OnRescanFolder},
    {IDM_STOP_DRIVE_SCAN, OnStopDriveScan},
    {IDM_SCAN_DISK, OnScanDisk},
    {IDM_STOP_SCAN, OnStopScan},
    {IDM_EXPAND_ONE_LEVEL, OnExpandOneLevel},
    {IDM_EXPAND_ALL, OnExpandAll},
    {IDM_COLLAPSE_BRANCH, OnCollapseBranch},
    {IDM_COLLAPSE_ALL, OnCollapseAll},
    {IDM_VERIFY_DETAIL_ROWS, OnVerifyRows},
    {IDM_SAVE_SETTINGS_NOW, OnSaveNow},
    {IDM_SAVE_SETTINGS_ON_EXIT, OnSaveOnExit},
    {IDM_REFRESH, OnRefresh},
    {IDM_SIZE_REPORTED, OnSizeReported},
    {IDM_SIZE_ON_DISK, OnSizeOnDisk},
    {IDM_EXACT_BYTES, OnExactBytes},
    {IDM_CLOSE, OnClose},
    {IDM_HELP, OnHelp},
    {IDM_OPTIONS, OnOptions},
    {IDM_VIEW_NORMAL, OnNormalView},
    {IDM_VIEW_FIND_RESULTS, OnFindResultsView},
    {IDM_SHOW_TABS, ToggleTabs},
    {IDM_COPY, CopyCommand},
    {IDM_UNDO, ExecuteUndo},
    {IDM_PROPERTIES, PropertiesCommand},
    {IDM_COPY_DISK, CopyDiskCommand},
    {IDM_LABEL_DISK, LabelDiskCommand},
    {IDM_FORMAT_DISK, FormatDiskCommand},
    {IDM_FIND_FILES, FindFilesCommand},
    {IDM_RECYCLE, RecycleCommand},
    {IDM_MOVE_TO, MoveToCommand},
    {IDM_COPY_TO, CopyToCommand},
    {IDM_CREATE_FOLDER, CreateFolderCommand},
    {IDM_FILE_PANE_SMALL_ICONS, SmallIconsCommand},
    {IDM_FILE_PANE_LIST, ListCommand},
    {IDM_FILE_PANE_DETAILS, DetailsCommand},
    {IDM_FILE_PANE_LARGE_ICONS, LargeIconsCommand},
    {IDM_MAP_NETWORK_DRIVE, MapNetworkDriveCommand},
    {IDM_DISCONNECT_NETWORK_DRIVE, DisconnectNetworkDriveCommand},
    {IDM_EMPTY_RECYCLE_BIN, EmptyRecycleBinCommand},
    {IDM_RECYCLE_BIN_SETTINGS, RecycleBinSettingsCommand},
    {IDM_FIND_COMPUTER, FindComputerCommand},
    {IDM_CUSTOMIZE_TOOLBAR, OnCustomizeToolbar},
    {IDM_ADD_REMOVE_PROGRAMS, AddRemoveProgramsCommand},
    {IDM_FIND_FOLDERS, OnFindFolders},
    {IDM_CLEAR_ALL_TAGS, OnClearAllTags},
    {IDM_DELETE, DeleteCommand},
    {IDM_PRINT_TREE, OnPrintTree},
    {IDM_DISK_INFORMATION, OnDiskInformation},
    {IDM_FOLDER_DETAILS, OnFolderDetails},
    {IDM_EXPORT_TO_FILE, OnExportToFile},
    {IDM_RENAME, RenameCommand},
    {IDM_CUT, CutCommand},
    {IDM_PASTE, PasteCommand},
    {IDM_ABOUT, AboutCommand},
    {IDM_TAG_FOLDERS, OnTagFolders},
    {IDM_SHOW_TOOLBAR, ToggleToolbar},
    {IDM_SHOW_FILE_PANE, ToggleFilePane},
    {IDM_SHOW_STATUS_BAR, ToggleStatusBar},
};

void DispatchCommand(HWND window, UINT id) {
  if (id >= IDM_FOLDER_DETAILS_PAGE_FIRST && id <= IDM_FOLDER_DETAILS_PAGE_LAST) {
    ShowFolderDetailsSheet(window, static_cast<int>(id - IDM_FOLDER_DETAILS_PAGE_FIRST) + 1);
    return;
  }
  for (const CommandRoute& route : COMMANDS) {
    if (route.id != id) continue;
    route.handler(window);
    return;
  }
}

// --- Pane host --------------------------------------------------------------

void PaintEntry(const DRAWITEMSTRUCT* draw) {
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  int count = ReadHeaderColumns(ColumnHeader(), columns, MAX_DETAIL_COLUMNS);
  PaintDetailEntry(draw, columns, count);
}

void OnTreeSelectionChanged(const NMTREEVIEWA* change) {
  HWND tree = change->hdr.hwndFrom;
  FolderNode* node = NodeFromItem(tree, change->itemNew.hItem);
  if (!IsFolderNode(node) || tree != ActiveTree()) return;
  OnFolderSelected(node, {MainWindow, g_paneHost, MainStatusBar(), MainToolbar()});
}

// Both forms carry the item at the same place; the wide text is converted.
LRESULT OnLabelEdited(const NMHDR* header) {
  const TVITEMA& item = reinterpret_cast<const NMTVDISPINFOA*>(header)->item;
  if (header->code == TVN_ENDLABELEDITA || !item.pszText)
    return OnEndLabelEdit(header->hwndFrom, item.hItem, item.pszText);
  char text[MAX_PATH];
  const auto* wide = reinterpret_cast<const WCHAR*>(item.pszText);
  if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, MAX_PATH, nullptr, nullptr)) text[0] = 0;
  return OnEndLabelEdit(header->hwndFrom, item.hItem, text);
}

INT_PTR OnPaneNotify(HWND host, const NMHDR* header) {
  LRESULT result = 0;
  if (header->code == NM_SETFOCUS && !ShuttingDown) OnPaneControlFocused(MainWindow);
  if (HandleColumnNotify(header, &result)) {
    SetWindowLongPtrA(host, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (header->hwndFrom == ColumnHeader() && (header->code == HDN_ITEMCLICKA || header->code == HDN_ITEMCLICKW)) {
    // Both forms carry the item index at the same place; the item record is looked up again.
    NMHEADERA click = *reinterpret_cast<const NMHEADERA*>(header);
    click.pitem = nullptr;
    if (OnSortHeaderClick(&click)) RefreshStatusTexts(MainStatusBar(), CurrentFolder);
    return TRUE;
  }
  if (header->idFrom == IDC_MAIN_TREE || header->idFrom == IDC_FIND_RESULTS_TREE) {
    auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
    switch (header->code) {
      case TVN_DELETEITEMA:
      case TVN_DELETEITEMW:
        OnPaneTreeNotify(header, &result);
        if (header->idFrom == IDC_MAIN_TREE)
          OnMainTreeDeleteItem(change);
        else
          OnFindTreeDeleteItem(change);
        return TRUE;
      case TVN_SELCHANGEDA:
      case TVN_SELCHANGEDW:
        if (!ShuttingDown) OnTreeSelectionChanged(change);
        return TRUE;
      case NM_RCLICK:
        ShowPanePopup(header->hwndFrom, MainWindow);
        return TRUE;
      case TVN_BEGINDRAGA:
      case TVN_BEGINDRAGW:
      case TVN_BEGINRDRAGA:
      case TVN_BEGINRDRAGW:
        // Both forms carry the item handle at the same place.
        StartFolderDrag(NodeFromItem(header->hwndFrom, change->itemNew.hItem));
        return TRUE;
      case TVN_BEGINLABELEDITA:
      case TVN_BEGINLABELEDITW:
        // Both forms carry the item handle at the same place.
        result = RefuseLabelEdit(header->hwndFrom, reinterpret_cast<const NMTVDISPINFOA*>(header)->item.hItem);
        SetWindowLongPtrA(host, DWLP_MSGRESULT, result);
        return TRUE;
      case TVN_ENDLABELEDITA:
      case TVN_ENDLABELEDITW:
        SetWindowLongPtrA(host, DWLP_MSGRESULT, OnLabelEdited(header));
        return TRUE;
      default:
        if (OnPaneTreeNotify(header, &result)) {
          SetWindowLongPtrA(host, DWLP_MSGRESULT, result);
          return TRUE;
        }
    }
  }
  return FALSE;
}

INT_PTR CALLBACK PaneHostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return FALSE;
    case WM_NOTIFY:
      return OnPaneNotify(host, reinterpret_cast<const NMHDR*>(lParam));
    case WM_HSCROLL:
      return HandleColumnHScroll(wParam, lParam) ? TRUE : FALSE;
    case WM_TIMER:
      return OnStatusRefreshTimer(host, wParam, MainStatusBar()) ? TRUE : FALSE;
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      DialogMessageTarget = host;
      return FALSE;
    case WM_DESTROY:
      ShuttingDown = true;
      DestroyColumns();
      DialogMessageTarget = nullptr;
      return FALSE;
  }
  return FALSE;
}

void ResortWholeTree() { ResortBranch(Panes.mainTree, TopItem(Panes.mainTree)); }

// The trees, their lists and the header inside the pane host.
void CreateTreePanes() {
  HWND mainTree = GetDlgItem(g_paneHost, IDC_MAIN_TREE);
  HWND findTree = GetDlgItem(g_paneHost, IDC_FIND_RESULTS_TREE);
  g_scrollBar = GetDlgItem(g_paneHost, IDC_PANE_SCROLLBAR);
  SetLayoutPaneHost(g_paneHost, g_scrollBar);
  if (!mainTree) DiagnosticSink(0, "Cannot create the tree view");
  if (!findTree) DiagnosticSink(0, "Cannot create the search tree view");
  if (!mainTree || !findTree) return;
  HIMAGELIST icons = SystemSmallIconList();
  for (HWND tree : {mainTree, findTree})
    if (icons) TreeView_SetImageList(tree, icons, TVSIL_NORMAL);
  ShowWindow(findTree, SW_HIDE);
  HWND mainList = CreateDetailList(mainTree, false);
  HWND findList = CreateDetailList(findTree, true);
  Panes = {mainTree, mainList, findTree, findList};
  FindResultsMode = false;
  for (HWND list : {mainList, findList})
    if (list) SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(ListFont()), FALSE);
  PaintRowHook = PaintEntry;
  CurrentRowPaintedHook = [] { RefreshStatusTexts(MainStatusBar(), CurrentFolder); };
  // The list names its tree as the owner; commands go to the main window.
  PanePopupHook = [](HWND, POINT screen, int position) { ShowPanePopupAt(MainWindow, screen, position); };
  InstallSorting();
  UpdateCommandStatesHook = [] {
    if (MainWindow) UpdateCommandStates(CurrentFolder, GetMenu(MainWindow), MainToolbar());
  };
  ResetNameWidthHook = ResetNameWidthCache;
  PlaceScrollBarHook = FitPaneScrollBar;
  ResortTreeHook = ResortWholeTree;
  RelayoutPanesHook = [] {
    if (MainWindow) RequestLayout(MainWindow);
  };
  if (!CreateColumns(g_paneHost, mainTree, g_scrollBar, ListFont())) DiagnosticSink(1, "Cannot create headers.");
  RegisterTreeDropTarget(mainTree);
}

// Failures of the bars and panes are reported and the window opens without
// them; only a missing tab strip fails the creation.
LRESULT CreatePanes(HWND window) {
  InitCommonControls();
  CreateMainToolbar(window);
  CreateMainStatusBar(window);
  CreateRowPaintResources();
  g_paneHost = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(IDD_PANE_HOST), window, PaneHostProc, 0);
  if (g_paneHost)
    CreateTreePanes();
  else
    DiagnosticSink(0, "Cannot create main dialog window");
  if (!CreateTabStrip(window, ListFont())) return -1;
  CreateUndoView(window);
  return 0;
}

LRESULT OnMainNotify(HWND window, const NMHDR* header) {
  LRESULT result = 0;
  if (HandleBarNotify(window, header, &result)) return result;
  if (header->hwndFrom == MainTabStrip() && header->code == TCN_SELCHANGE) {
    const LRESULT selected = SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0);
    if (selected == VIEW_TAB_NORMAL) DispatchCommand(window, IDM_VIEW_NORMAL);
    if (selected == VIEW_TAB_FIND_RESULTS) DispatchCommand(window, IDM_VIEW_FIND_RESULTS);
    // A view that could not be shown leaves its tab unlit.
    SelectShownViewTab();
  }
  return 0;
}

// The restored rectangle, also when the window closes minimised (its own
// rectangle is then off the screen) or maximised, and whether it was maximised.
void SaveWindowPlacement(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return;
  // The placement is in work-area co-ordinates; the stored rectangle is in screen ones.
  RECT rect = placement.rcNormalPosition;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
    OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  Settings.mainWindowRect[0] = rect.left;
  Settings.mainWindowRect[1] = rect.top;
  Settings.mainWindowRect[2] = rect.right;
  Settings.mainWindowRect[3] = rect.bottom;
  const bool minimisedFromMaximised =
      placement.showCmd == SW_SHOWMINIMIZED && (placement.flags & WPF_RESTORETOMAXIMIZED);
  Settings.mainWindowMaximized = placement.showCmd == SW_SHOWMAXIMIZED || minimisedFromMaximised;
}

void DestroyMainWindow(HWND window) {
  CloseHelp(window);
  ShuttingDown = true;
  StopMonitorDriver();
  StopAllWorkers();
  SaveWindowPlacement(window);
  SaveAllColumnSettings();
  SaveSettings(false);
  CloseTreeDropTarget();
  if (FilePaneViewWindow()) DestroyFilePane();
  if (g_paneHost) DestroyWindow(g_paneHost);
  g_paneHost = nullptr;
  DestroyUndoView();
  ForgetLayoutChildren();
  Panes = {};
  CurrentFolder = nullptr;
  PostQuitMessage(0);
}

// Drives come and go in bursts of events: the list is rebuilt once, three
// seconds after the last.
constexpr UINT DEVICE_CHANGE_DELAY_MS = 3000;
constexpr UINT_PTR DEVICE_TIMER_BASE = 0x7000;
constexpr UINT_PTR DEVICE_TIMER_SPAN = 0x1000;
constexpr DWORD DEVICE_TYPE_PORT = 3;
constexpr WPARAM DEVICE_ARRIVAL = 0x8000;
constexpr WPARAM DEVICE_REMOVE_COMPLETE = 0x8004;
constexpr WPARAM DEVICE_CONFIG_CHANGED = 0x18;
UINT_PTR g_deviceTimerCounter = 0;

void OnDeviceChange(HWND window, WPARAM event, LPARAM data) {
  if (event != DEVICE_ARRIVAL && event != DEVICE_REMOVE_COMPLETE && event != DEVICE_CONFIG_CHANGED) return;
  // The header starts with its size, then the device type.
  if (data) {
    DWORD header[2];
    std::memcpy(header, reinterpret_cast<const void*>(data), sizeof header);
    if (header[1] == DEVICE_TYPE_PORT) return;
  }
  g_deviceTimerCounter = (g_deviceTimerCounter + 1) % DEVICE_TIMER_SPAN;
  SetTimer(window, DEVICE_TIMER_BASE + g_deviceTimerCounter, DEVICE_CHANGE_DELAY_MS, nullptr);
}

void OnMainTimer(HWND window, UINT_PTR timer) {
  if (timer < DEVICE_TIMER_BASE || timer >= DEVICE_TIMER_BASE + DEVICE_TIMER_SPAN) return;
  KillTimer(window, timer);
  // The shutdown pumps messages while it waits for the workers.
  if (!ShuttingDown) BuildRootList();
}

// While a context menu shows the Send To menu its items are ours; otherwise
// they are the file pane view's.
LRESULT OnOwnerDrawnItem(UINT message, WPARAM wParam, LPARAM lParam) {
  if (SendToMenu) {
    if (message == WM_MEASUREITEM)
      MeasureSendToItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    else
      DrawSendToItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return 0;
  }
  if (HWND view = FilePaneViewWindow()) return SendMessageA(view, message, wParam, lParam);
  return 0;
}

// Signed: above the client area while the mouse is captured.
int MouseY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      MainWindow = window;
      return CreatePanes(window);
    case WM_DESTROY:
      DestroyMainWindow(window);
      MainWindow = nullptr;
      return 0;
    case WM_SIZE:
      LayoutPanes(window, static_cast<UINT>(wParam));
      return 0;
    case WM_SETFOCUS:
      if (FilePaneActive && FilePaneViewWindow())
        SetFocus(FilePaneViewWindow());
      else if (HWND tree = ActiveTree())
        SetFocus(tree);
      return 0;
    case WM_SHOW_FIND_RESULTS:
      ShowFindResultsView();
      return 0;
    case WM_FILE_PANE_ACTIVATED:
      OnFilePaneActivated();
      RefreshStatusTexts(MainStatusBar(), CurrentFolder);
      return 0;
    case WM_GET_SHELL_BROWSER:
      return FilePaneBrowserInterface();
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      return OnOwnerDrawnItem(message, wParam, lParam);
    case WM_NOTIFY:
      return OnMainNotify(window, reinterpret_cast<const NMHDR*>(lParam));
    case WM_FINISH_RENAME:
      FinishRename();
      return 0;
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
      UpdateMenuChecks(reinterpret_cast<HMENU>(wParam), MainToolbar());
      return 0;
    case WM_DEVICECHANGE:
      OnDeviceChange(window, wParam, lParam);
      return TRUE;
    case WM_TIMER:
      OnMainTimer(window, wParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnSplitterButtonDown(window, MouseY(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnSplitterMouseMove(window, MouseY(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnSplitterButtonUp(window, MouseY(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      OnSplitterCaptureLost(window);
      return 0;
    case WM_COMMAND: {
      UINT id = LOWORD(wParam);
      if (id < FIRST_MENU_COMMAND) {
        if (HWND view = FilePaneViewWindow()) SendMessageA(view, WM_COMMAND, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
      }
      DispatchCommand(window, id);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void CommandNotYetAvailable(HWND) {}

bool RegisterMainWindowClass() {
  WNDCLASSEXA cls = {};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = MainWindowProc;
  cls.hInstance = AppInstance;
  cls.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_PELVANOR));
  cls.hIconSm = static_cast<HICON>(
      LoadImageA(AppInstance, MAKEINTRESOURCEA(IDI_PELVANOR), IMAGE_ICON, APP_ICON_SMALL, APP_ICON_SMALL, 0));
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  cls.lpszClassName = MAIN_WINDOW_CLASS;
  if (RegisterClassExA(&cls)) return true;
  WNDCLASSA plain = {};
  plain.lpfnWndProc = cls.lpfnWndProc;
  plain.hInstance = cls.hInstance;
  plain.hIcon = cls.hIcon;
  plain.hCursor = cls.hCursor;
  plain.hbrBackground = cls.hbrBackground;
  plain.lpszMenuName = cls.lpszMenuName;
  plain.lpszClassName = cls.lpszClassName;
  return RegisterClassA(&plain) != 0;
}
