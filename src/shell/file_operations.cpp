#include "shell/file_operations.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/file_pane.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/window_layout.h"
#include "model/folder_node.h"
#include "model/folder_watcher.h"
#include "model/monitor_driver.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"
#include "shell/shell_operation.h"

namespace {

// Verb numbers of a folder's context menu, and the view's commands for them.
constexpr UINT VERB_DELETE = 0x11;
constexpr UINT VERB_PROPERTIES = 0x13;
constexpr UINT VERB_CUT = 0x18;
constexpr UINT VERB_COPY = 0x19;
constexpr UINT VERB_PASTE = 0x1A;
constexpr UINT VIEW_COMMAND_BASE = 0x7000;
constexpr UINT LAST_CONTEXT_COMMAND = 0x7FFF;
// The shell view's commands for its modes, by mode 1 to 4.
constexpr UINT VIEW_MODE_COMMANDS[] = {0, 0x7029, 0x702A, 0x702B, 0x702C};
constexpr UINT VIEW_MODE_BUTTONS[] = {0, IDM_FILE_PANE_LARGE_ICONS, IDM_FILE_PANE_SMALL_ICONS, IDM_FILE_PANE_LIST,
                                      IDM_FILE_PANE_DETAILS};
constexpr UINT VIEW_MODE_COUNT = 4;
// Characters a file-system name cannot hold.
constexpr char FORBIDDEN_IN_NAMES[] = "\\/:*?\"<>|";
constexpr char CASE_RENAME_SUFFIX[] = ".pelvanor-rename";

FolderNode* CurrentItemNode() {
  HWND tree = ActiveTree();
  if (!tree) return nullptr;
  HTREEITEM item = TreeNext(tree, nullptr, TVGN_CARET);
  FolderNode* node = item ? NodeFromItem(tree, item) : nullptr;
  return IsFolderNode(node) ? node : nullptr;
}

bool FocusInActiveTree() {
  HWND tree = ActiveTree();
  return tree && GetFocus() == tree;
}

void SendToView(UINT command) {
  if (HWND view = FilePaneViewWindow()) SendMessageA(view, WM_COMMAND, command, 0);
}

// An edit command: the folder's own context-menu verb, or the view's command.
void EditCommand(HWND window, UINT verb) {
  if (!FocusInActiveTree()) {
    SendToView(VIEW_COMMAND_BASE + verb);
    return;
  }
  if (FolderNode* node = CurrentItemNode()) InvokeFolderVerb(node, window, verb);
}

ULONG Attributes(FolderNode* node, ULONG request) {
  if (!node->parentFolder || !node->relativeIdList) return 0;
  LPCITEMIDLIST items[] = {node->relativeIdList};
  ULONG attributes = request;
  return SUCCEEDED(node->parentFolder->GetAttributesOf(1, items, &attributes)) ? attributes & request : 0;
}

void SetViewMode(UINT mode) {
  if (mode == 0 || mode > VIEW_MODE_COUNT) return;
  Settings.FilePaneViewMode = mode;
  if (HWND view = FilePaneViewWindow()) {
    SendMessageA(view, WM_COMMAND, VIEW_MODE_COMMANDS[mode], 0);
    // The view's list does not repaint by itself after a change of mode.
    InvalidateRect(view, nullptr, TRUE);
  }
  CheckViewModeButton(MainToolbar(), mode);
}

// --- Rename ------------------------------------------------------------------

void SetItemText(HWND tree, HTREEITEM item, const char* text) {
  TVITEMA change = {};
  change.mask = TVIF_TEXT;
  change.hItem = item;
  change.pszText = const_cast<char*>(text);
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

// Where the extension of the path's last name starts (its '.'), or null.
const char* ExtensionOf(const char* path) {
  const char* dot = nullptr;
  for (const char* p = path; *p; p = CharNextA(p)) {
    if (*p == '\\') dot = nullptr;
    if (*p == '.') dot = p;
  }
  return dot;
}

struct PendingRename {
  HWND tree = nullptr;
  HTREEITEM item = nullptr;
  char text[MAX_PATH] = {};
};
PendingRename g_rename;

void EditAgain(HWND tree, HTREEITEM item) {
  SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
  if (HWND editor = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)))
    SendMessageA(editor, EM_SETSEL, 0, -1);
}

// Some shells refuse a change of letter case as a rename onto an existing
// name; it is then made in two renames through a passing name.
bool ShellRename(const char* from, const char* to) {
  if (ShellFileOperation(MainWindow, FO_RENAME, from, to, FOF_ALLOWUNDO)) return true;
  if (lstrcmpiA(from, to) != 0) return false;
  const std::string passing = std::string(from) + CASE_RENAME_SUFFIX;
  if (!ShellFileOperation(MainWindow, FO_RENAME, from, passing.c_str(), FOF_ALLOWUNDO)) return false;
  if (ShellFileOperation(MainWindow, FO_RENAME, passing.c_str(), to, FOF_ALLOWUNDO)) return true;
  ShellFileOperation(MainWindow, FO_RENAME, passing.c_str(), from, FOF_ALLOWUNDO);
  return false;
}

void RenameOnDisk(FolderNode* node, const PendingRename& rename) {
  char oldPath[MAX_PATH];
  if (!DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_FORPARSING, oldPath)) return;
  const char* separator = LastSeparator(oldPath);
  if (!separator) return;
  const std::string folder(oldPath, separator + 1 - oldPath);
  const char* extension = ExtensionOf(separator);
  std::string newPath = folder + rename.text;
  // A name typed without an extension keeps the old one.
  if (extension && !ExtensionOf(rename.text)) newPath += extension;
  if (newPath == oldPath) return;
  SetCurrentDirectoryA(folder.c_str());
  if (!ShellRename(oldPath, newPath.c_str())) {
    EditAgain(rename.tree, rename.item);
    return;
  }
  FollowRename(node, newPath.c_str());
  RecordUndo(UndoKind::Rename, oldPath, newPath.c_str(), node);
}

}  // namespace

void InvokeFolderVerb(FolderNode* folder, HWND owner, UINT verb) {
  if (!IsFolderNode(folder) || !folder->parentFolder || !folder->relativeIdList) return;
  LPCITEMIDLIST items[] = {folder->relativeIdList};
  IContextMenu* menu = nullptr;
  if (FAILED(folder->parentFolder->GetUIObjectOf(owner, 1, items, IID_IContextMenu, nullptr,
                                                 reinterpret_cast<void**>(&menu))) ||
      !menu)
    return;
  if (HMENU popup = CreatePopupMenu()) {
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, 1, LAST_CONTEXT_COMMAND, CMF_EXPLORE))) {
      InvokeMenuVerb(menu, owner, verb);
    }
    DestroyMenu(popup);
  }
  menu->Release();
}

void CutCommand(HWND window) { EditCommand(window, VERB_CUT); }
void CopyCommand(HWND window) { EditCommand(window, VERB_COPY); }
void PasteCommand(HWND window) { EditCommand(window, VERB_PASTE); }
void RecycleCommand(HWND window) { EditCommand(window, VERB_DELETE); }

void PropertiesCommand(HWND window) {
  if (FocusInActiveTree()) {
    EditCommand(window, VERB_PROPERTIES);
    return;
  }
  if (Settings.ShowFilePane) SendToView(VIEW_COMMAND_BASE + VERB_PROPERTIES);
}

void DeleteCommand(HWND window) {
  if (!FocusInActiveTree()) {
    SendToView(VIEW_COMMAND_BASE + VERB_DELETE);
    return;
  }
  FolderNode* node = CurrentItemNode();
  if (!node) return;
  // Outside the file system the folder's own delete command is the only one.
  if (!Attributes(node, SFGAO_FILESYSTEM)) {
    InvokeFolderVerb(node, window, VERB_DELETE);
    return;
  }
  char path[MAX_PATH];
  if (!DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_FORPARSING, path)) return;
  // A change notification open on the folder keeps Wine from removing it:
  // the watch moves to the parent, which sees the folder go.
  HWND tree = ActiveTree();
  FolderNode* parent =
      NodeFromItem(tree, TreeNext(tree, FindResultsMode ? node->findItem : node->mainItem, TVGN_PARENT));
  if (MonitorDriverMissing && IsWatched(node) && IsFolderNode(parent)) RenewWatches(parent);
  // Without FOF_ALLOWUNDO: the shell asks, then deletes for good.
  ShellFileOperation(window, FO_DELETE, path, nullptr, 0);
}

void RenameCommand(HWND) {
  FolderNode* node = CurrentItemNode();
  if (!node) return;
  if (!Attributes(node, SFGAO_CANRENAME)) {
    MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  HWND tree = ActiveTree();
  SetFocus(tree);
  SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(FindResultsMode ? node->findItem : node->mainItem));
}

void LargeIconsCommand(HWND) { SetViewMode(1); }
void SmallIconsCommand(HWND) { SetViewMode(2); }
void ListCommand(HWND) { SetViewMode(3); }
void DetailsCommand(HWND) { SetViewMode(4); }

void CheckViewModeButton(HWND toolbar, UINT mode) {
  if (!toolbar) return;
  for (UINT each = 1; each <= VIEW_MODE_COUNT; ++each)
    SendMessageA(toolbar, TB_CHECKBUTTON, VIEW_MODE_BUTTONS[each], MAKELONG(each == mode ? TRUE : FALSE, 0));
}

LRESULT OnEndLabelEdit(HWND tree, HTREEITEM item, const char* text) {
  // An editor being destroyed may report its end once more, as a commit.
  static HWND ended = nullptr;
  HWND editor = reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0));
  if (editor && editor == ended) return FALSE;
  ended = editor;
  FolderNode* node = NodeFromItem(tree, item);
  if (!IsFolderNode(node)) return FALSE;
  if (!text || !Attributes(node, SFGAO_CANRENAME)) {
    char name[MAX_PATH];
    if (DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_NORMAL, name)) SetItemText(tree, item, name);
    return FALSE;
  }
  SetItemText(tree, item, text);
  g_rename.tree = tree;
  g_rename.item = item;
  lstrcpynA(g_rename.text, text, MAX_PATH);
  PostMessageA(MainWindow, WM_FINISH_RENAME, 0, 0);
  return FALSE;
}

void FinishRename() {
  const PendingRename rename = g_rename;
  g_rename = {};
  if (!rename.tree) return;
  FolderNode* node = NodeFromItem(rename.tree, rename.item);
  if (!IsFolderNode(node)) return;
  if (!rename.text[0]) {
    ShowMessage(MainWindow, IDS_EMPTY_NAME, MB_ICONHAND);
    EditAgain(rename.tree, rename.item);
    return;
  }
  if (!Attributes(node, SFGAO_FILESYSTEM)) {
    char name[MAX_PATH];
    if (DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_NORMAL, name) &&
        std::strcmp(name, rename.text) == 0)
      return;
    WCHAR wide[SHELL_WIDE_MAX];
    if (!MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, rename.text, -1, wide, SHELL_WIDE_MAX)) return;
    LPITEMIDLIST renamed = nullptr;
    node->parentFolder->SetNameOf(MainWindow, node->relativeIdList, wide, SHGDN_NORMAL, &renamed);
    if (renamed) FreeIdList(renamed);
    return;
  }
  if (HoldsAnyOf(rename.text, FORBIDDEN_IN_NAMES)) {
    ShowMessage(MainWindow, IDS_FORBIDDEN_NAME_CHARACTERS, MB_ICONHAND);
    EditAgain(rename.tree, rename.item);
    return;
  }
  RenameOnDisk(node, rename);
}

void FollowRename(FolderNode* node, const char* path) {
  if (!IsFolderNode(node)) return;
  const char* separator = LastSeparator(path);
  if (!separator) return;
  ULONG attributes = node->shellAttributes;
  LPITEMIDLIST relative = IdListFromPath(separator + 1, node->parentFolder, &attributes);
  attributes = node->shellAttributes;
  LPITEMIDLIST absolute = IdListFromPath(path, nullptr, &attributes);
  if (!relative || !absolute) {
    FreeIdList(relative);
    FreeIdList(absolute);
    return;
  }
  // Workers read the lists under the record's lock.
  LockNode(node);
  FreeIdList(node->relativeIdList);
  FreeIdList(node->absoluteIdList);
  node->relativeIdList = relative;
  node->absoluteIdList = absolute;
  UnlockNode(node);
  char name[MAX_PATH];
  if (!DisplayNameOf(node->parentFolder, relative, SHGDN_NORMAL, name)) lstrcpynA(name, separator + 1, MAX_PATH);
  if (node->mainItem && Panes.mainTree) SetItemText(Panes.mainTree, node->mainItem, name);
  if (node->findItem && Panes.findTree) SetItemText(Panes.findTree, node->findItem, name);
}
