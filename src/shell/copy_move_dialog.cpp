#include "shell/copy_move_dialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/help.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/history_list.h"
#include "shell/ansi_paths.h"
#include "shell/create_folder_dialog.h"
#include "shell/namespace_tree.h"
#include "shell/shell_items.h"
#include "shell/shell_operation.h"

namespace {

constexpr int ITEM_LIST_MARGIN = 4;
constexpr int MAX_COPY_NUMBER = 1000;

struct CopyMoveState {
  UINT mode;  // FO_COPY or FO_MOVE
  FolderNode* folder;
  HistoryList history;
  char target[MAX_PATH];
};

void ShowMode(HWND dialog, UINT mode) {
  const bool copy = mode == FO_COPY;
  SetWindowTextA(dialog, ResourceString(copy ? IDM_COPY_TO : IDM_MOVE_TO).c_str());
  SetDlgItemTextA(dialog, IDC_COPY_MOVE_LABEL,
                  ResourceString(copy ? IDS_COPY_FILES_AND_FOLDERS : IDS_MOVE_FILES_AND_FOLDERS).c_str());
  CheckRadioButton(dialog, IDC_OPERATION_COPY, IDC_OPERATION_MOVE, copy ? IDC_OPERATION_COPY : IDC_OPERATION_MOVE);
}

// The one entry: the folder as the active tree shows it.
void ShowFolderEntry(HWND list, FolderNode* folder) {
  HIMAGELIST icons = SystemSmallIconList();
  if (icons) ListView_SetImageList(list, icons, LVSIL_SMALL);
  RECT client;
  GetClientRect(list, &client);
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL) - ITEM_LIST_MARGIN;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  char text[MAX_PATH] = {};
  TVITEMA item = {};
  item.mask = TVIF_TEXT | TVIF_IMAGE;
  item.hItem = FindResultsMode ? folder->findItem : folder->mainItem;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (HWND tree = ActiveTree()) SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  LVITEMA entry = {};
  entry.mask = LVIF_TEXT | LVIF_IMAGE;
  entry.pszText = text;
  entry.iImage = item.iImage;
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry));
}

void LocateTypedPath(HWND dialog) {
  HWND tree = GetDlgItem(dialog, IDC_NAMESPACE_TREE);
  SetFocus(tree);
  char typed[MAX_PATH] = {};
  GetDlgItemTextA(dialog, IDC_TARGET_PATH, typed, MAX_PATH);
  if (typed[0]) ExpandNamespaceTo(tree, dialog, typed);
}

void OnInit(HWND dialog, CopyMoveState* state) {
  CentreOver(dialog, MainWindow);
  HWND combo = GetDlgItem(dialog, IDC_TARGET_PATH);
  FillHistoryCombo(combo, &state->history);
  // The last target is offered again.
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  ShowMode(dialog, state->mode);
  SendDlgItemMessageA(dialog, IDC_LOCATE_PATH, BM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_LOCATE_PATH))));
  ShowFolderEntry(GetDlgItem(dialog, IDC_COPY_MOVE_ITEM), state->folder);
  HWND tree = GetDlgItem(dialog, IDC_NAMESPACE_TREE);
  if (HIMAGELIST icons = SystemSmallIconList()) TreeView_SetImageList(tree, icons, TVSIL_NORMAL);
  FillNamespaceTree(tree, dialog);
  char typed[MAX_PATH] = {};
  GetWindowTextA(combo, typed, MAX_PATH);
  if (typed[0] && ExpandNamespaceTo(tree, dialog, typed)) return;
  HTREEITEM top = TreeNext(tree, nullptr, TVGN_ROOT);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  // The computer rather than the desktop's first item, which under Wine is
  // the Unix root.
  if (HTREEITEM computer = ComputerItem(tree, top)) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(computer));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(computer));
  }
}

void OnConfirm(HWND dialog, CopyMoveState* state) {
  char text[MAX_PATH] = {};
  GetDlgItemTextA(dialog, IDC_TARGET_PATH, text, MAX_PATH);
  const char* typed = text;
  while (*typed == ' ') ++typed;
  if (!*typed) {
    char caption[MAX_PATH] = {};
    GetWindowTextA(dialog, caption, MAX_PATH);
    MessageBoxA(dialog, ResourceString(IDS_NO_TARGET_PATH).c_str(), caption, MB_ICONEXCLAMATION);
    return;
  }
  lstrcpynA(state->target, typed, MAX_PATH);
  AddToHistory(&state->history, state->target);
  SaveHistory(&state->history, COPY_MOVE_HISTORY);
  EndDialog(dialog, 1);
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
  if (header->idFrom == IDC_COPY_MOVE_ITEM && header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    // The entry only shows what moves; it never stays selected.
    if (change->uNewState & (LVIS_SELECTED | LVIS_FOCUSED))
      ListView_SetItemState(header->hwndFrom, change->iItem, 0, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;
  }
  if (header->idFrom != IDC_NAMESPACE_TREE) return FALSE;
  const auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
  switch (header->code) {
    case NM_CLICK:
      PostMessageA(dialog, WM_NAMESPACE_CLICKED, 0, 0);
      return TRUE;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      OnNamespaceExpanding(header->hwndFrom, dialog, change->itemNew.hItem);
      return TRUE;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      OnNamespaceItemDeleted(change->itemOld.lParam);
      return TRUE;
  }
  return FALSE;
}

void OnNamespaceClicked(HWND dialog) {
  HWND tree = GetDlgItem(dialog, IDC_NAMESPACE_TREE);
  char path[MAX_PATH];
  if (NamespaceItemPath(tree, TreeNext(tree, nullptr, TVGN_CARET), path))
    SetDlgItemTextA(dialog, IDC_TARGET_PATH, path);
}

INT_PTR CALLBACK CopyMoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<CopyMoveState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      OnInit(dialog, reinterpret_cast<CopyMoveState*>(lParam));
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_NAMESPACE_CLICKED:
      OnNamespaceClicked(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnConfirm(dialog, state);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_LOCATE_PATH:
          LocateTypedPath(dialog);
          return TRUE;
        case IDC_OPERATION_COPY:
        case IDC_OPERATION_MOVE:
          state->mode = LOWORD(wParam) == IDC_OPERATION_COPY ? FO_COPY : FO_MOVE;
          ShowMode(dialog, state->mode);
          return TRUE;
        case IDC_DIALOG_HELP:
          ShowHelp(dialog, state->mode == FO_COPY ? HELP_CONTEXT_COPY_TO : HELP_CONTEXT_MOVE_TO);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// "name - 副本", then numbered, the first that is free in |folder|.
std::string FreeCopyName(const char* folder, const char* name) {
  std::string base = folder;
  if (!EndsWithSeparator(base.c_str())) base += '\\';
  const std::string format = ResourceString(IDS_COPY_NAME);
  const std::string numbered = ResourceString(IDS_COPY_NAME_NUMBERED);
  char path[MAX_PATH];
  for (int number = 1; number < MAX_COPY_NUMBER; ++number) {
    char made[MAX_PATH];
    if (number == 1)
      std::snprintf(made, sizeof made, format.c_str(), name);
    else
      std::snprintf(made, sizeof made, numbered.c_str(), name, number);
    lstrcpynA(path, (base + made).c_str(), MAX_PATH);
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) break;
  }
  return path;
}

// Copies or moves the folder to the chosen target, taken from the folder's
// parent; onto itself or its parent the shell makes a renamed copy.
void CarryOut(HWND window, const CopyMoveState& state) {
  char source[MAX_PATH];
  if (!DisplayNameOf(state.folder->parentFolder, state.folder->relativeIdList, SHGDN_FORPARSING, source)) return;
  char parent[MAX_PATH];
  lstrcpynA(parent, source, MAX_PATH);
  StripLastComponent(parent);
  SetCurrentDirectoryA(parent);
  std::string target = ResolveTypedPath(parent, state.target);
  if (target.size() > 3 && EndsWithSeparator(target.c_str())) target.pop_back();
  FILEOP_FLAGS flags = FOF_ALLOWUNDO;
  if (lstrcmpiA(target.c_str(), source) == 0 || lstrcmpiA(target.c_str(), parent) == 0) {
    flags |= FOF_RENAMEONCOLLISION;
    // Not every shell renames a copy onto its own folder by itself; the copy
    // is asked for under the free name the user would be offered.
    if (state.mode == FO_COPY) target = FreeCopyName(parent, LastSeparator(source) + 1);
  }
  ArrivalWatch arrival(target.c_str());
  if (!ShellFileOperation(window, state.mode, source, target.c_str(), flags)) return;
  const std::string made = arrival.Arrived();
  if (!made.empty()) RecordUndo(state.mode == FO_COPY ? UndoKind::Copy : UndoKind::Move, source, made.c_str());
}

void CopyOrMove(HWND window, UINT mode) {
  FolderNode* folder = CurrentFolder;
  if (!IsFolderNode(folder)) return;
  CopyMoveState state = {};
  state.mode = mode;
  state.folder = folder;
  LoadHistory(&state.history, COPY_MOVE_HISTORY);
  const INT_PTR chosen = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_COPY_MOVE), window, CopyMoveProc,
                                         reinterpret_cast<LPARAM>(&state));
  FreeHistory(&state.history);
  if (chosen == 1 && IsFolderNode(folder)) CarryOut(window, state);
}

}  // namespace

void CopyToCommand(HWND window) { CopyOrMove(window, FO_COPY); }
void MoveToCommand(HWND window) { CopyOrMove(window, FO_MOVE); }
