#include "shell/create_folder_dialog.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/history_list.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"
#include "shell/shell_operation.h"

namespace {

constexpr size_t SHORTEST_CREATABLE = 4;  // "C:\x"
constexpr size_t DRIVE_LENGTH = 2;        // "C:"
constexpr char FORBIDDEN_IN_FOLDER_PATHS[] = "/*?<>|";

struct CreateFolderState {
  HistoryList history;
  char folder[MAX_PATH];
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string WithoutTrailingSeparator(std::string path) {
  if (path.size() > 3 && EndsWithSeparator(path.c_str())) path.pop_back();
  return path;
}

// The folder the dialog starts from: the current folder's path when it can
// be entered (or is a network path), else the Windows folder.
void StartFolder(FolderNode* current, char (&folder)[MAX_PATH]) {
  folder[0] = 0;
  char path[MAX_PATH] = {};
  if (IsFolderNode(current) && DisplayNameOf(current->parentFolder, current->relativeIdList, SHGDN_FORPARSING, path))
    lstrcpynA(folder, WithoutTrailingSeparator(path).c_str(), MAX_PATH);
  char previous[MAX_PATH];
  const DWORD saved = GetCurrentDirectoryA(MAX_PATH, previous);
  const bool network = std::strncmp(folder, "\\\\", 2) == 0;
  if (folder[0] && (network || SetCurrentDirectoryA(folder))) {
    if (!network && saved) SetCurrentDirectoryA(previous);
    return;
  }
  if (!GetWindowsDirectoryA(folder, MAX_PATH)) folder[0] = 0;
}

const char* SkipBlanks(const char* text) {
  while (*text == ' ') ++text;
  return text;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM typed) {
  if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, typed);
  return 0;
}

void BrowseForParent(HWND dialog) {
  char typed[MAX_PATH] = {};
  GetDlgItemTextA(dialog, IDC_TARGET_PATH, typed, MAX_PATH);
  const std::string title = ResourceString(IDS_CHOOSE_PARENT_FOLDER);
  BROWSEINFOA browse = {};
  browse.hwndOwner = dialog;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(typed);
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  if (!chosen) return;
  char path[MAX_PATH];
  if (FileSystemPath(chosen, path, true)) SetDlgItemTextA(dialog, IDC_TARGET_PATH, path);
  FreeIdList(chosen);
}

void OnCreate(HWND dialog, CreateFolderState* state) {
  char text[MAX_PATH] = {};
  GetDlgItemTextA(dialog, IDC_TARGET_PATH, text, MAX_PATH);
  char caption[MAX_PATH] = {};
  GetWindowTextA(dialog, caption, MAX_PATH);
  const char* typed = SkipBlanks(text);
  if (!*typed) {
    MessageBoxA(dialog, ResourceString(IDS_NO_FOLDER_NAME).c_str(), caption, MB_ICONEXCLAMATION);
    return;
  }
  if (HoldsAnyOf(typed, FORBIDDEN_IN_FOLDER_PATHS)) {
    ShowMessage(dialog, IDS_FORBIDDEN_FOLDER_CHARACTERS, MB_ICONHAND);
    return;
  }
  const std::string kept = typed;
  AddToHistory(&state->history, kept.c_str());
  SaveHistory(&state->history, CREATE_FOLDER_HISTORY);
  SetCurrentDirectoryA(state->folder);
  const std::string path = WithoutTrailingSeparator(ResolveTypedPath(state->folder, kept.c_str()));
  const std::string first = FirstMissingFolder(path.c_str());
  if (CreateNestedFolder(path.c_str())) {
    RecordUndo(UndoKind::CreateFolder, nullptr, first.c_str());
    EndDialog(dialog, 1);
    return;
  }
  HWND combo = GetDlgItem(dialog, IDC_TARGET_PATH);
  FillHistoryCombo(combo, &state->history);
  SetWindowTextA(combo, kept.c_str());
  MessageBoxA(dialog, ResourceString(IDS_CANNOT_CREATE_FOLDER).c_str(), caption, MB_ICONEXCLAMATION);
}

INT_PTR CALLBACK CreateFolderProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<CreateFolderState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state = reinterpret_cast<CreateFolderState*>(lParam);
      SetDlgItemTextA(dialog, IDC_CURRENT_FOLDER_PATH, state->folder);
      CentreOver(dialog, GetParent(dialog));
      FillHistoryCombo(GetDlgItem(dialog, IDC_TARGET_PATH), &state->history);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnCreate(dialog, state);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_BROWSE_PARENT:
          BrowseForParent(dialog);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::string ResolveTypedPath(const char* folder, const char* typed) {
  if (std::strncmp(typed, "\\\\", 2) == 0 || (typed[0] && typed[1] == ':')) return typed;
  if (typed[0] == '\\') return std::string(folder, std::min(std::strlen(folder), DRIVE_LENGTH)) + typed;
  std::string path = folder;
  if (!EndsWithSeparator(path.c_str())) path += '\\';
  return path + typed;
}

std::string FirstMissingFolder(const char* path) {
  std::string first;
  std::string probe = path;
  while (probe.size() > 3 && !Exists(probe)) {
    first = probe;
    char parent[MAX_PATH];
    lstrcpynA(parent, probe.c_str(), MAX_PATH);
    StripLastComponent(parent);
    if (probe == parent) break;
    probe = parent;
  }
  return first;
}

bool CreateNestedFolder(const char* path) {
  const std::string target = WithoutTrailingSeparator(path);
  if (target.size() < SHORTEST_CREATABLE) return false;
  // Each separator after the root ends a parent to make first.
  for (const char* p = target.c_str(); *p; p = CharNextA(p)) {
    const size_t at = p - target.c_str();
    if (*p == '\\' && at > 2) CreateDirectoryA(target.substr(0, at).c_str(), nullptr);
  }
  return CreateDirectoryA(target.c_str(), nullptr) != 0;
}

void CentreOver(HWND dialog, HWND owner) {
  RECT outer, own;
  if (!owner || !GetWindowRect(owner, &outer) || !GetWindowRect(dialog, &own)) return;
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(dialog, nullptr, outer.left + (outer.right - outer.left - width) / 2,
               outer.top + (outer.bottom - outer.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CreateFolderDialog(HWND owner, FolderNode* current) {
  CreateFolderState state;
  StartFolder(current, state.folder);
  LoadHistory(&state.history, CREATE_FOLDER_HISTORY);
  const INT_PTR result = DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_CREATE_FOLDER), owner, CreateFolderProc,
                                         reinterpret_cast<LPARAM>(&state));
  FreeHistory(&state.history);
  return result;
}

void CreateFolderCommand(HWND window) {
  if (IsFolderNode(CurrentFolder)) CreateFolderDialog(window, CurrentFolder);
}
