#include "criteria/find_dialog.h"

#include <commctrl.h>

#include "app/disk_info_dialog.h"
#include "app/help.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/scan_dialog.h"
#include "criteria/criteria_pages.h"
#include "criteria/criteria_settings.h"
#include "criteria/dialog_descriptors.h"
#include "criteria/find_search.h"
#include "criteria/find_view.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"

namespace {

constexpr UINT_PTR ANIMATION_TIMER = 1;
constexpr UINT ANIMATION_MS = 150;
constexpr int ADVANCED_MARGIN = 8;  // pixels below the last control shown
constexpr int ANIMATION_FRAMES[] = {IDI_FIND_FRAME_1, IDI_FIND_FRAME_2, IDI_FIND_FRAME_3, IDI_FIND_FRAME_4,
                                    IDI_FIND_FRAME_5, IDI_FIND_FRAME_6, IDI_FIND_FRAME_7};
constexpr int FRAME_COUNT = sizeof ANIMATION_FRAMES / sizeof ANIMATION_FRAMES[0];

HWND g_dialog = nullptr;  // the open Find dialog
CriteriaPages g_pages = {};
// Set by the first search of the run: from then on closing the dialog keeps
// the criteria it was given.
INT_PTR g_searchStarted = 0;
int g_frame = 0;
// The reset after a search that found nothing keeps saying so, or the user
// would never read it.
bool g_nothingFound = false;

UINT ScopeText(uint8_t scope) {
  switch (scope) {
    case SCOPE_CURRENT_FOLDER:
      return IDS_SCOPE_CURRENT_FOLDER;
    case SCOPE_ALL_DRIVES:
      return IDS_SCOPE_MY_COMPUTER;
    default:
      return IDS_SCOPE_CURRENT_DRIVE;
  }
}

void SetText(HWND dialog, int id, UINT text) { SetDlgItemTextA(dialog, id, ResourceString(text).c_str()); }

FolderNode* TopFolder() { return NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree)); }

std::string NormalName(FolderNode* node) {
  char name[SHELL_TEXT_MAX] = "";
  if (IsFolderNode(node)) DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_NORMAL, name);
  return name;
}

// The lower part (location, search and display options) is shown or cut off.
void ApplyAdvancedLayout(HWND dialog) {
  const bool shown = Settings.FindAdvancedShown != 0;
  RECT window, last;
  GetWindowRect(dialog, &window);
  GetWindowRect(GetDlgItem(dialog, shown ? IDC_FIND_DISPLAY_GROUP : IDC_CRITERIA_TABS), &last);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, last.bottom + ADVANCED_MARGIN - window.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetText(dialog, IDC_FIND_ADVANCED, shown ? IDS_ADVANCED_SHOWN : IDS_ADVANCED_HIDDEN);
}

void ApplyScope(HWND dialog) {
  const uint8_t scope = WorkingCriteria.searchScope;
  ApplyDescriptor(dialog, "rrr",
                  {IDC_FIND_ALL_DRIVES, scope == SCOPE_ALL_DRIVES, IDC_FIND_CURRENT_DRIVE, scope == SCOPE_CURRENT_DRIVE,
                   IDC_FIND_CURRENT_FOLDER, scope == SCOPE_CURRENT_FOLDER});
  if (!g_nothingFound) SetText(dialog, IDC_FIND_STATUS, ScopeText(scope));
  g_nothingFound = false;
}

// The scope choices the current folder allows, with the names beside them.
void ShowLocations(HWND dialog) {
  FolderNode* current = CurrentFolder;
  if (!IsFolderNode(current) || current == TopFolder()) {
    WorkingCriteria.searchScope = SCOPE_ALL_DRIVES;
    EnableWindow(GetDlgItem(dialog, IDC_FIND_CURRENT_DRIVE), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_FIND_CURRENT_FOLDER), FALSE);
    return;
  }
  SetDlgItemTextA(dialog, IDC_FIND_DRIVE_NAME, NormalName(current->root).c_str());
  if (current == current->root) {
    if (WorkingCriteria.searchScope == SCOPE_CURRENT_FOLDER) WorkingCriteria.searchScope = SCOPE_CURRENT_DRIVE;
    EnableWindow(GetDlgItem(dialog, IDC_FIND_CURRENT_FOLDER), FALSE);
    return;
  }
  char path[SHELL_TEXT_MAX];
  if (!DisplayNameOf(current->parentFolder, current->relativeIdList, SHGDN_FORPARSING, path)) return;
  char label[2 * MAX_PATH];
  FormatScanPathLabel(path, label, sizeof label);
  SetDlgItemTextA(dialog, IDC_FIND_FOLDER_PATH, label);
}

void Reset(HWND dialog) {
  ShowWindow(GetDlgItem(dialog, IDC_FIND_ANIMATION), SW_HIDE);
  ApplyAdvancedLayout(dialog);
  SetText(dialog, IDC_FIND_LABEL, IDS_FIND_LABEL);
  EnableWindow(GetDlgItem(dialog, IDC_FIND_CURRENT_FOLDER), TRUE);
  EnableWindow(GetDlgItem(dialog, IDC_FIND_CURRENT_DRIVE), TRUE);
  CentreOverOwner(dialog);
  g_dialog = dialog;
  if (WorkingCriteria.searchScope > SCOPE_ALL_DRIVES) WorkingCriteria.searchScope = SCOPE_CURRENT_DRIVE;
  ShowLocations(dialog);
  SetDlgItemTextA(dialog, IDC_FIND_COMPUTER_NAME, NormalName(TopFolder()).c_str());
  ApplyDescriptor(dialog, "rr", {IDC_FIND_NEW_SEARCH, MergeResults == 0, IDC_FIND_MERGE, MergeResults == 1});
  ApplyDescriptor(
      dialog, "rr",
      {IDC_FIND_AS_TREE, WorkingCriteria.showAsTree != 0, IDC_FIND_AS_LIST, WorkingCriteria.showAsTree == 0});
  ApplyScope(dialog);
  ShowCriteriaPage(GetDlgItem(dialog, IDC_CRITERIA_TABS), g_pages, WorkingCriteria.pageIndex);
  EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
  EnableWindow(GetDlgItem(dialog, IDC_FIND_STOP), FALSE);
}

void StopSearch() {
  if (WorkerRecord* search = FindSearchWorker) RequestStop(search);
}

FolderNode* StartNode() {
  FolderNode* current = CurrentFolder;
  switch (WorkingCriteria.searchScope) {
    case SCOPE_CURRENT_DRIVE:
      return IsFolderNode(current) ? current->root : nullptr;
    case SCOPE_CURRENT_FOLDER:
      return IsFolderNode(current) ? current : nullptr;
    default:
      return TopFolder();
  }
}

void FindNow(HWND dialog) {
  // Only one search at a time, whatever sends the command.
  if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return;
  g_searchStarted = 1;
  ApplyCriteriaPages(g_pages);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_FIND_STOP), TRUE);
  SetText(dialog, IDC_FIND_LABEL, IDS_SEARCHING);
  FolderNode* start = StartNode();
  if (!IsFolderNode(start) || !StartWorker(RunFindSearch, start)) Reset(dialog);
}

void Exit(HWND dialog) {
  StopSearch();
  DestroyCriteriaPages(&g_pages);
  g_dialog = nullptr;
  // The tab strip may have been clicked to open the dialog: it shows the view again.
  if (FindResultsMode)
    ShowFindResultsView();
  else
    ShowMainView();
  EndDialog(dialog, g_searchStarted);
}

void OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      FindNow(dialog);
      break;
    case IDCANCEL:
      Exit(dialog);
      break;
    case IDC_FIND_ADVANCED:
      Settings.FindAdvancedShown = !Settings.FindAdvancedShown;
      ApplyAdvancedLayout(dialog);
      break;
    case IDC_DIALOG_HELP:
      ShowHelp(dialog, HELP_CONTEXT_FIND);
      break;
    case IDC_FIND_STOP:
      StopSearch();
      break;
    case IDC_FIND_ALL_DRIVES:
    case IDC_FIND_CURRENT_DRIVE:
    case IDC_FIND_CURRENT_FOLDER:
      WorkingCriteria.searchScope = id == IDC_FIND_ALL_DRIVES      ? SCOPE_ALL_DRIVES
                                    : id == IDC_FIND_CURRENT_DRIVE ? SCOPE_CURRENT_DRIVE
                                                                   : SCOPE_CURRENT_FOLDER;
      SetText(dialog, IDC_FIND_STATUS, ScopeText(WorkingCriteria.searchScope));
      break;
    case IDC_FIND_NEW_SEARCH:
    case IDC_FIND_MERGE:
      MergeResults = id == IDC_FIND_MERGE;
      break;
    case IDC_FIND_AS_TREE:
    case IDC_FIND_AS_LIST:
      WorkingCriteria.showAsTree = id == IDC_FIND_AS_TREE;
      break;
  }
}

void ShowNextFrame(HWND dialog) {
  HICON icon = LoadIconA(AppInstance, MAKEINTRESOURCEA(ANIMATION_FRAMES[g_frame]));
  SendDlgItemMessageA(dialog, IDC_FIND_ANIMATION, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  g_frame = (g_frame + 1) % FRAME_COUNT;
}

INT_PTR CALLBACK FindDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CreateCriteriaPages(GetDlgItem(dialog, IDC_CRITERIA_TABS), &g_pages);
      Reset(dialog);
      return TRUE;
    case WM_FIND_RESET:
      Reset(dialog);
      return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_CRITERIA_TABS || header->code != TCN_SELCHANGE) return TRUE;
      const int selected = OnCriteriaTabChange(header->hwndFrom, g_pages);
      if (selected >= 0) WorkingCriteria.pageIndex = static_cast<uint8_t>(selected);
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == ANIMATION_TIMER) ShowNextFrame(dialog);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      OnCommand(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowFindDialog(HWND owner) {
  FindSearchWorker = nullptr;
  MergeResults = 0;
  g_nothingFound = false;
  WorkingCriteria = Settings.findCriteria;
  WorkingPrepared.sizeMeasure = NO_SIZE_MEASURE;
  if (DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_FIND), owner, FindDialogProc, 0))
    Settings.findCriteria = WorkingCriteria;
}

void FindDialogSearching() {
  if (!g_dialog) return;
  ShowWindow(GetDlgItem(g_dialog, IDC_FIND_ANIMATION), SW_SHOW);
  g_frame = 0;
  SetTimer(g_dialog, ANIMATION_TIMER, ANIMATION_MS, nullptr);
  SetText(g_dialog, IDC_FIND_STATUS, IDS_SEARCHING);
}

void FindDialogShowPath(const char* path) {
  if (g_dialog) SetDlgItemTextA(g_dialog, IDC_FIND_STATUS, path);
}

void FindDialogNothingFound() {
  if (!g_dialog) return;
  SetText(g_dialog, IDC_FIND_STATUS, IDS_NOTHING_FOUND);
  g_nothingFound = true;
}

void FindDialogSearchEnded(bool stopped) {
  if (!g_dialog) return;
  KillTimer(g_dialog, ANIMATION_TIMER);
  if (stopped)
    PostMessageA(g_dialog, WM_FIND_RESET, 0, 0);
  else
    PostMessageA(g_dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
