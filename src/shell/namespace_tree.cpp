#include "shell/namespace_tree.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "model/tree_items.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {

constexpr SHCONTF ENUMERATED = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr ULONG ASKED = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_SHARE;
constexpr UINT SHARED_OVERLAY = 1;

struct BrowserTreeRecord {
  IShellFolder* folder;  // the folder holding the item
  LPITEMIDLIST relative;
  LPITEMIDLIST absolute;
  ULONG attributes;
};

BrowserTreeRecord* RecordOf(HWND tree, HTREEITEM item) {
  TVITEMA read = {};
  read.mask = TVIF_PARAM;
  read.hItem = item;
  if (!item || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read))) return nullptr;
  return reinterpret_cast<BrowserTreeRecord*>(read.lParam);
}

BrowserTreeRecord* NewRecord(IShellFolder* folder, LPCITEMIDLIST relative, LPCITEMIDLIST parentAbsolute,
                             ULONG attributes) {
  auto* record = static_cast<BrowserTreeRecord*>(AllocZeroed(sizeof(BrowserTreeRecord)));
  if (!record) return nullptr;
  record->folder = folder;
  folder->AddRef();
  record->relative = ConcatIdLists(nullptr, relative);
  record->absolute = ConcatIdLists(parentAbsolute, relative);
  record->attributes = attributes;
  return record;
}

HTREEITEM InsertItem(HWND tree, HTREEITEM parent, BrowserTreeRecord* record) {
  char name[SHELL_TEXT_MAX] = {};
  DisplayNameOf(record->folder, record->relative, SHGDN_NORMAL, name);
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  TVITEMA& item = insert.item;
  item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
  item.pszText = name;
  item.lParam = reinterpret_cast<LPARAM>(record);
  item.cChildren = (record->attributes & SFGAO_HASSUBFOLDER) ? 1 : 0;
  if (record->attributes & SFGAO_SHARE) {
    item.state = INDEXTOOVERLAYMASK(SHARED_OVERLAY);
    item.stateMask = TVIS_OVERLAYMASK;
  }
  ItemIcons(record->absolute, &item);
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The folders (and containers) of |folder| as items under |parent|, in the
// order the shell lists them.
void FillChildren(HWND tree, HWND owner, HTREEITEM parent, IShellFolder* folder, LPCITEMIDLIST parentAbsolute) {
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SetCapture(owner);
  IEnumIDList* listing = nullptr;
  if (SUCCEEDED(folder->EnumObjects(owner, ENUMERATED, &listing)) && listing) {
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    while (listing->Next(1, &child, &fetched) == S_OK && child) {
      LPCITEMIDLIST items[] = {child};
      ULONG attributes = ASKED;
      if (SUCCEEDED(folder->GetAttributesOf(1, items, &attributes)) && (attributes & SFGAO_FOLDER) &&
          (attributes & (SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER)))
        if (BrowserTreeRecord* record = NewRecord(folder, child, parentAbsolute, attributes))
          if (!InsertItem(tree, parent, record)) OnNamespaceItemDeleted(reinterpret_cast<LPARAM>(record));
      FreeIdList(child);
      child = nullptr;
    }
    listing->Release();
  }
  SetCursor(previous ? previous : LoadCursor(nullptr, IDC_ARROW));
  ReleaseCapture();
}

int CALLBACK CompareRecords(LPARAM first, LPARAM second, LPARAM folder) {
  auto* a = reinterpret_cast<BrowserTreeRecord*>(first);
  auto* b = reinterpret_cast<BrowserTreeRecord*>(second);
  const HRESULT order = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(0, a->relative, b->relative);
  return SUCCEEDED(order) ? static_cast<short>(HRESULT_CODE(order)) : 0;
}

// The item's path as the search compares it: its parsing name, or two
// backslashes and its display name, upper-cased.
std::string SearchPath(HWND tree, HTREEITEM item) {
  BrowserTreeRecord* record = RecordOf(tree, item);
  if (!record) return std::string();
  char path[SHELL_TEXT_MAX] = {};
  if (!DisplayNameOf(record->folder, record->relative, SHGDN_FORPARSING, path) || !path[0]) {
    char name[SHELL_TEXT_MAX] = {};
    DisplayNameOf(record->folder, record->relative, SHGDN_NORMAL, name);
    lstrcpynA(path, (std::string("\\\\") + name).c_str(), SHELL_TEXT_MAX);
  }
  CharUpperA(path);
  return path;
}

void Expand(HWND tree, HTREEITEM item) { SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }

// Searches the children of |parent| for |target|, going down through every
// item whose path leads there.
bool SearchBelow(HWND tree, HTREEITEM parent, const std::string& target) {
  Expand(tree, parent);
  for (HTREEITEM item = TreeNext(tree, parent, TVGN_CHILD); item; item = TreeNext(tree, item, TVGN_NEXT)) {
    const std::string path = SearchPath(tree, item);
    if (path.empty()) continue;
    if (path == target) {
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      return true;
    }
    const bool leads =
        target.compare(0, path.size(), path) == 0 &&
        (EndsWithSeparator(path.c_str()) || (target.size() > path.size() && target[path.size()] == '\\'));
    if (leads) return SearchBelow(tree, item, target);
  }
  return false;
}

}  // namespace

// The desktop's computer item, where drive paths are searched when the
// desktop's own items lead nowhere; the first item when there is none (Wine
// lists its Unix root first).
HTREEITEM ComputerItem(HWND tree, HTREEITEM top) {
  HTREEITEM first = TreeNext(tree, top, TVGN_CHILD);
  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) || !drives) return first;
  HTREEITEM found = first;
  for (HTREEITEM item = first; item; item = TreeNext(tree, item, TVGN_NEXT)) {
    BrowserTreeRecord* record = RecordOf(tree, item);
    if (record && IdListBytesEqual(record->absolute, drives)) {
      found = item;
      break;
    }
  }
  FreeIdList(drives);
  return found;
}

void FillNamespaceTree(HWND tree, HWND owner) {
  IShellFolder* desktop = nullptr;
  LPITEMIDLIST top = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return;
  if (SUCCEEDED(SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &top)) && top) {
    // The desktop item holds the desktop itself, with an empty relative list.
    BrowserTreeRecord* record = NewRecord(desktop, top, nullptr, SFGAO_FOLDER | SFGAO_HASSUBFOLDER);
    HTREEITEM item = record ? InsertItem(tree, TVI_ROOT, record) : nullptr;
    if (item)
      FillChildren(tree, owner, item, desktop, record->absolute);
    else if (record)
      OnNamespaceItemDeleted(reinterpret_cast<LPARAM>(record));
    FreeIdList(top);
  }
  desktop->Release();
}

void OnNamespaceExpanding(HWND tree, HWND owner, HTREEITEM item) {
  TVITEMA state = {};
  state.mask = TVIF_STATE | TVIF_PARAM;
  state.hItem = item;
  state.stateMask = TVIS_EXPANDEDONCE;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&state)) || (state.state & TVIS_EXPANDEDONCE))
    return;
  BrowserTreeRecord* record = reinterpret_cast<BrowserTreeRecord*>(state.lParam);
  if (!record) return;
  const bool top = !TreeNext(tree, item, TVGN_PARENT);
  IShellFolder* folder = nullptr;
  if (top) {
    folder = record->folder;
    folder->AddRef();
  } else if (FAILED(record->folder->BindToObject(record->relative, nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void**>(&folder))) ||
             !folder) {
    return;
  }
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  if (!top) FillChildren(tree, owner, item, folder, record->absolute);
  TVSORTCB sort = {item, CompareRecords, reinterpret_cast<LPARAM>(folder)};
  SendMessageA(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  folder->Release();
}

void OnNamespaceItemDeleted(LPARAM param) {
  auto* record = reinterpret_cast<BrowserTreeRecord*>(param);
  if (!record) return;
  if (record->folder) record->folder->Release();
  FreeIdList(record->relative);
  FreeIdList(record->absolute);
  CoTaskMemFree(record);
}

bool ExpandNamespaceTo(HWND tree, HWND owner, const char* path) {
  char upper[SHELL_TEXT_MAX];
  lstrcpynA(upper, path, SHELL_TEXT_MAX);
  CharUpperA(upper);
  const std::string target = upper;
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  SetCapture(owner);
  HTREEITEM top = TreeNext(tree, nullptr, TVGN_ROOT);
  HTREEITEM start = top;
  // Network paths are looked for in the second of the desktop's items.
  if (top && target.compare(0, 2, "\\\\") == 0) start = TreeNext(tree, TreeNext(tree, top, TVGN_CHILD), TVGN_NEXT);
  bool found = start && SearchBelow(tree, start, target);
  if (!found && top)
    if (HTREEITEM computer = ComputerItem(tree, top)) found = SearchBelow(tree, computer, target);
  SetCursor(previous ? previous : LoadCursor(nullptr, IDC_ARROW));
  ReleaseCapture();
  return found;
}

bool NamespaceItemPath(HWND tree, HTREEITEM item, char (&path)[MAX_PATH]) {
  BrowserTreeRecord* record = RecordOf(tree, item);
  if (!record || !(record->attributes & SFGAO_FILESYSTEM)) return false;
  return DisplayNameOf(record->folder, record->relative, SHGDN_FORPARSING, path) && path[0];
}
