#include "pane/detail_list.h"

#include <cstdio>
#include <cstring>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/label_edit.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"

PaintRowFunction PaintRowHook = nullptr;
PFNTVCOMPARE SortCompareHook = nullptr;
SortParameterFunction SortParameterHook = nullptr;
PopupMenuFunction PanePopupHook = nullptr;
PaneEventFunction ResetNameWidthHook = nullptr;
PaneEventFunction PlaceScrollBarHook = nullptr;

namespace {

constexpr char OLD_PROC_PROPERTY[] = "PelvanorOldProc";
constexpr char FIND_PAIR_PROPERTY[] = "PelvanorFindPair";
constexpr int ROW_MEASURE_WIDTH = 1280;
constexpr int HIT_TEST_X = 10;  // inside the name column, where every item has its label

volatile LONG g_freezeCount = 0;

// Under Wine a window property lives in the window server, one round trip
// per read, and the subclassed windows read theirs on every message; so they
// are kept here too, the properties staying for whoever looks from outside.
struct Subclassed {
  HWND window;
  WNDPROC old;
  bool findPair;
};
constexpr int SUBCLASS_SLOTS = 8;
Subclassed g_subclassed[SUBCLASS_SLOTS];

Subclassed* SubclassedEntry(HWND window) {
  for (Subclassed& entry : g_subclassed)
    if (entry.window == window) return &entry;
  return nullptr;
}

void Forget(HWND window) {
  if (Subclassed* entry = SubclassedEntry(window)) *entry = {};
}

WNDPROC OldProc(HWND window) {
  if (const Subclassed* entry = SubclassedEntry(window)) return entry->old;
  return reinterpret_cast<WNDPROC>(GetPropA(window, OLD_PROC_PROPERTY));
}
LRESULT CallOld(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(OldProc(window), window, message, wParam, lParam);
}

bool IsFindPair(HWND tree) {
  if (const Subclassed* entry = SubclassedEntry(tree)) return entry->findPair;
  return GetPropA(tree, FIND_PAIR_PROPERTY) != nullptr;
}
HWND ListOf(HWND tree) { return GetDlgItem(tree, DETAIL_LIST_ID); }

void ResetNameWidth() {
  if (ResetNameWidthHook) ResetNameWidthHook();
}

// The tree's own answer, bypassing the subclass.
HTREEITEM OwnNext(HWND tree, HTREEITEM item, UINT code) {
  WNDPROC old = OldProc(tree);
  LRESULT result = old ? CallWindowProcA(old, tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item))
                       : SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item));
  return reinterpret_cast<HTREEITEM>(result);
}

bool IsExpanded(HWND tree, HTREEITEM item) {
  return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

uint8_t* ListedFlag(FolderNode* node, bool findPair) { return findPair ? &node->inFindList : &node->inMainList; }

void SetListed(HWND tree, HTREEITEM item, uint8_t value) {
  FolderNode* node = NodeFromItem(tree, item);
  if (IsFolderNode(node)) *ListedFlag(node, IsFindPair(tree)) = value;
}

bool IsListed(HWND tree, HTREEITEM item) {
  FolderNode* node = NodeFromItem(tree, item);
  return IsFolderNode(node) && *ListedFlag(node, IsFindPair(tree));
}

LRESULT EntryOf(HWND list, HTREEITEM item) {
  return SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
}

void InsertEntry(HWND list, LRESULT index, HTREEITEM item) {
  SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
}

void AlignTop(HWND tree) {
  HWND list = ListOf(tree);
  HTREEITEM first = OwnNext(tree, nullptr, TVGN_FIRSTVISIBLE);
  if (!list || !first) return;
  LRESULT index = EntryOf(list, first);
  if (index != LB_ERR) SendMessageA(list, LB_SETTOPINDEX, index, 0);
}

void AddEntryForInsertedItem(HWND tree, HTREEITEM item, HTREEITEM parent) {
  HWND list = ListOf(tree);
  if (!list || !item) return;
  if (!parent || parent == TVI_ROOT) {
    InsertEntry(list, 0, item);
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node)) node->inMainList = node->inFindList = 1;
    return;
  }
  if (!IsListed(tree, parent) || !IsExpanded(tree, parent)) return;
  HTREEITEM anchor = OwnNext(tree, item, TVGN_PREVIOUS);
  if (!anchor) anchor = parent;
  LRESULT index = EntryOf(list, anchor);
  if (index == LB_ERR) return;
  InsertEntry(list, index + 1, item);
  SetListed(tree, item, 1);
}

// Rewrites the values of the entries below |parent| in tree order.
void RelayVisible(HWND tree, HWND list, HTREEITEM first, LRESULT* index) {
  for (HTREEITEM item = first; item; item = OwnNext(tree, item, TVGN_NEXT)) {
    ++*index;
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(*index), reinterpret_cast<LPARAM>(item));
    if (IsExpanded(tree, item)) RelayVisible(tree, list, OwnNext(tree, item, TVGN_CHILD), index);
  }
}

void RelayAfterSort(HWND tree, HTREEITEM parent) {
  HWND list = ListOf(tree);
  if (!list) return;
  LRESULT index = -1;
  if (parent && parent != TVI_ROOT) {
    if (!OwnNext(tree, parent, TVGN_CHILD) || !IsListed(tree, parent) || !IsExpanded(tree, parent)) return;
    index = EntryOf(list, parent);
    if (index == LB_ERR) {
      DiagnosticSink(1, "Cannot find lb parent entry");
      return;
    }
    RelayVisible(tree, list, OwnNext(tree, parent, TVGN_CHILD), &index);
    return;
  }
  RelayVisible(tree, list, OwnNext(tree, nullptr, TVGN_ROOT), &index);
}

void InsertChildEntries(HWND tree, HWND list, HTREEITEM parent, LRESULT* index) {
  for (HTREEITEM child = OwnNext(tree, parent, TVGN_CHILD); child; child = OwnNext(tree, child, TVGN_NEXT)) {
    LRESULT held = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(*index), 0);
    if (held != LB_ERR && reinterpret_cast<HTREEITEM>(held) == child) return;  // the rest is in place
    InsertEntry(list, *index, child);
    SetListed(tree, child, 1);
    ++*index;
    if (IsExpanded(tree, child)) InsertChildEntries(tree, list, child, index);
  }
}

void RemoveChildEntries(HWND tree, HWND list, HTREEITEM parent) {
  for (HTREEITEM child = OwnNext(tree, parent, TVGN_CHILD); child; child = OwnNext(tree, child, TVGN_NEXT)) {
    LRESULT index = EntryOf(list, child);
    if (index != LB_ERR) SendMessageA(list, LB_DELETESTRING, index, 0);
    SetListed(tree, child, 0);
    if (IsExpanded(tree, child)) RemoveChildEntries(tree, list, child);
  }
}

void SortChildren(HWND tree, HTREEITEM parent) {
  if (!SortCompareHook) return;
  TVSORTCB sort = {};
  sort.hParent = parent;
  sort.lpfnCompare = SortCompareHook;
  sort.lParam = SortParameterHook ? SortParameterHook() : 0;
  SendMessageA(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void SortExpanded(HWND tree, HTREEITEM item) {
  if (!item || !IsExpanded(tree, item)) return;
  SortChildren(tree, item);
  for (HTREEITEM child = FirstChildItem(tree, item); child; child = NextSiblingItem(tree, child))
    SortExpanded(tree, child);
}

void ResortBranchOfPair(HWND tree, HTREEITEM start) {
  HWND list = ListOf(tree);
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  FreezeListRedraw();
  SortExpanded(tree, start);
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  if (list) {
    HTREEITEM caret = TreeNext(tree, nullptr, TVGN_CARET);
    if (caret) SendMessageA(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(caret));
  }
  AlignTop(tree);
  ThawListRedraw();
  if (list) InvalidateRect(list, nullptr, FALSE);
}

LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL || message == WM_MOUSEWHEEL) CloseLabelEditor(tree);
  switch (message) {
    case WM_DRAWITEM:
      if (PaintRowHook) PaintRowHook(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return 0;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemWidth = ROW_MEASURE_WIDTH;
      measure->itemHeight = RowHeight;
      return 1;
    }
    case WM_VSCROLL:
      if (HWND list = ListOf(tree)) PostMessageA(list, WM_VSCROLL, wParam, lParam);
      ResetNameWidth();
      break;
    case TVM_DELETEITEM: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      // Children go first, so each one's totals leave its ancestors while the
      // ancestors are still linked.
      if (!ShuttingDown && item && item != TVI_ROOT) {
        while (HTREEITEM child = OwnNext(tree, item, TVGN_CHILD)) {
          if (!SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) break;
        }
      }
      break;
    }
    case TVM_SORTCHILDRENCB: {
      auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
      FolderNode* parent = NodeFromItem(tree, sort->hParent);
      if (IsFolderNode(parent) && parent->scanState == SCAN_RUNNING) return 0;
      LRESULT result = CallOld(tree, message, wParam, lParam);
      RelayAfterSort(tree, sort->hParent);
      return result;
    }
    case TVM_SORTCHILDREN: {
      LRESULT result = CallOld(tree, message, wParam, lParam);
      RelayAfterSort(tree, reinterpret_cast<HTREEITEM>(lParam));
      return result;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
      LRESULT result = CallOld(tree, message, wParam, lParam);
      AlignTop(tree);
      return result;
    }
    case TVM_INSERTITEMA:
    case TVM_INSERTITEMW: {
      // Both insert structures start with the parent handle.
      HTREEITEM parent = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)->hParent;
      LRESULT result = CallOld(tree, message, wParam, lParam);
      AddEntryForInsertedItem(tree, reinterpret_cast<HTREEITEM>(result), parent);
      return result;
    }
    case WM_NCDESTROY: {
      WNDPROC old = OldProc(tree);
      Forget(tree);
      RemovePropA(tree, OLD_PROC_PROPERTY);
      RemovePropA(tree, FIND_PAIR_PROPERTY);
      SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      return CallWindowProcA(old, tree, message, wParam, lParam);
    }
  }
  return CallOld(tree, message, wParam, lParam);
}

// The list takes no focus and no input of its own: clicks select the tree
// item at the same height.
LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_MOUSEACTIVATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return 1;
    case WM_LBUTTONUP: {
      HWND tree = GetParent(list);
      TVHITTESTINFO hit = {};
      hit.pt.x = HIT_TEST_X;
      hit.pt.y = static_cast<short>(HIWORD(lParam));
      auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (item) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      return 1;
    }
    case WM_RBUTTONDOWN: {
      RECT window;
      GetWindowRect(list, &window);
      POINT screen = {window.left + static_cast<short>(LOWORD(lParam)), window.top + static_cast<short>(HIWORD(lParam))};
      if (PanePopupHook) PanePopupHook(GetParent(list), screen, 0);
      return 1;
    }
    case WM_NCDESTROY: {
      WNDPROC old = OldProc(list);
      Forget(list);
      RemovePropA(list, OLD_PROC_PROPERTY);
      SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      return CallWindowProcA(old, list, message, wParam, lParam);
    }
  }
  return CallOld(list, message, wParam, lParam);
}

void Subclass(HWND window, WNDPROC procedure) {
  auto old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  SetPropA(window, OLD_PROC_PROPERTY, reinterpret_cast<HANDLE>(old));
  if (Subclassed* entry = SubclassedEntry(nullptr))
    *entry = {window, old, GetPropA(window, FIND_PAIR_PROPERTY) != nullptr};
}

HTREEITEM StartItem(HWND tree) {
  HTREEITEM caret = TreeNext(tree, nullptr, TVGN_CARET);
  return caret ? caret : TopItem(tree);
}

struct TreeWalk {
  HWND tree;
  bool allLevels;
  bool beforeChildren;
  volatile bool stop;
  void (*callback)(HWND tree, int level, HTREEITEM item);
};

void Walk(TreeWalk* walk, int level, HTREEITEM item) {
  while (item && !walk->stop) {
    const bool wasExpanded = IsExpanded(walk->tree, item);
    if (walk->beforeChildren) walk->callback(walk->tree, level, item);
    if (walk->allLevels || wasExpanded) Walk(walk, level + 1, FirstChildItem(walk->tree, item));
    if (!walk->beforeChildren) walk->callback(walk->tree, level, item);
    if (level == 0) return;
    item = NextSiblingItem(walk->tree, item);
  }
}

void ExpandCallback(HWND tree, int, HTREEITEM item) {
  PrepareNodeForExpansion(tree, item);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  SyncListAfterExpand(tree, item, TVE_EXPAND);
}

void CollapseCallback(HWND tree, int, HTREEITEM item) {
  SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  SyncListAfterExpand(tree, item, TVE_COLLAPSE);
}

struct WalkJob {
  TreeWalk walk;
  HTREEITEM start;
  bool expand;
};

DWORD WINAPI WalkWorker(void* parameter) {
  auto* record = static_cast<WorkerRecord*>(parameter);
  auto* job = static_cast<WalkJob*>(record->param);
  Walk(&job->walk, 0, job->start);
  if (job->expand) {
    AlignTop(job->walk.tree);
    if (HWND list = ListOf(job->walk.tree)) InvalidateRect(list, nullptr, FALSE);
  }
  delete job;
  FinishWorker(record);
  return 0;
}

void StartWalkWorker(bool expand) {
  HWND tree = ActiveTree();
  if (!tree) return;
  auto* job = new WalkJob{{tree, true, expand, false, expand ? ExpandCallback : CollapseCallback},
                          StartItem(tree), expand};
  if (!StartWorker(WalkWorker, job)) delete job;
}

std::string NodePath(FolderNode* node) {
  char path[SHELL_TEXT_MAX];
  if (!DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_FORPARSING, path) &&
      !(node->absoluteIdList && SHGetPathFromIDListA(node->absoluteIdList, path)))
    return std::string();
  CharUpperA(path);
  return path;
}

void OpenAncestors(HWND tree, HTREEITEM item) {
  HTREEITEM parent = ParentItem(tree, item);
  if (!parent) return;
  OpenAncestors(tree, parent);
  if (!IsExpanded(tree, parent)) ExpandCallback(tree, 0, parent);
}

void ExpandFound(HWND tree, HTREEITEM item, FolderNode* node) {
  LockNode(node);  // waits for a scan step that holds the folder
  UnlockNode(node);
  ExpandCallback(tree, 0, item);
}

HTREEITEM SearchPath(HWND tree, const std::string& target, HTREEITEM item, bool select, bool expand) {
  while (item) {
    FolderNode* node = NodeFromItem(tree, item);
    std::string path = IsFolderNode(node) ? NodePath(node) : std::string();
    size_t at = path.empty() ? std::string::npos : target.find(path);
    bool matches = at != std::string::npos;
    if (matches && path.back() != '\\') {
      size_t after = at + path.size();
      matches = after == target.size() || target[after] == '\\';
    }
    if (!matches) {
      item = NextSiblingItem(tree, item);
      continue;
    }
    if (path.size() != target.size()) {
      if (expand) ExpandFound(tree, item, node);
      item = FirstChildItem(tree, item);
      continue;
    }
    if (select) {
      // Selecting a hidden item makes the tree open its ancestors from the
      // bottom up, before their rows exist; open them from the top instead.
      OpenAncestors(tree, item);
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      CurrentFolder = node;
    }
    if (expand) ExpandFound(tree, item, node);
    return item;
  }
  return nullptr;
}

FolderNode* SearchIdList(HWND tree, IShellFolder* desktop, HTREEITEM parent, LPCITEMIDLIST list) {
  for (HTREEITEM item = FirstChildItem(tree, parent); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node) && SameIdList(desktop, node->absoluteIdList, list)) return node;
    if (FolderNode* found = SearchIdList(tree, desktop, item, list)) return found;
  }
  return nullptr;
}

bool VerifyItems(HWND tree, HWND list, HTREEITEM first, LRESULT* index) {
  for (HTREEITEM item = first; item; item = NextSiblingItem(tree, item)) {
    char label[256];
    ItemText(tree, item, label, sizeof label);
    char report[320];
    LRESULT held = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(*index), 0);
    if (held == LB_ERR) {
      std::snprintf(report, sizeof report, "Item %s has no lb entry", label);
      DiagnosticSink(1, report);
      return false;
    }
    if (reinterpret_cast<HTREEITEM>(held) != item) {
      std::snprintf(report, sizeof report, "Item %s has incorrect lb entry", label);
      DiagnosticSink(1, report);
    }
    ++*index;
    if (IsExpanded(tree, item) && !VerifyItems(tree, list, FirstChildItem(tree, item), index)) return false;
  }
  return true;
}

}  // namespace

HWND CreateDetailList(HWND tree, bool findPair) {
  RECT client;
  GetClientRect(tree, &client);
  HWND list = CreateWindowExA(0, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT,
                              DETAIL_LIST_LEFT, 0, client.right > DETAIL_LIST_LEFT ? client.right - DETAIL_LIST_LEFT : 0,
                              client.bottom, tree, reinterpret_cast<HMENU>(static_cast<INT_PTR>(DETAIL_LIST_ID)),
                              AppInstance, nullptr);
  if (!list) return nullptr;
  if (findPair) SetPropA(tree, FIND_PAIR_PROPERTY, reinterpret_cast<HANDLE>(1));
  Subclass(tree, TreeProc);
  Subclass(list, ListProc);
  SendMessageA(list, LB_SETITEMHEIGHT, 0, RowHeight);
  ResortBranchHook = ResortBranchOfPair;
  StartRepaintRelay();
  return list;
}

void FreezeListRedraw() {
  InterlockedIncrement(&g_freezeCount);
  for (HWND list : {Panes.mainList, Panes.findList})
    if (list) SendMessageA(list, WM_SETREDRAW, FALSE, 0);
}

void ThawListRedraw() {
  if (g_freezeCount > 0 && InterlockedDecrement(&g_freezeCount) > 0) return;
  for (HWND list : {Panes.mainList, Panes.findList})
    if (list) SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void PrepareNodeForExpansion(HWND tree, HTREEITEM item) {
  FolderNode* node = NodeFromItem(tree, item);
  if (!IsFolderNode(node)) return;
  if (node->scanState == SCAN_NONE && IsDriveRoot(node->root)) {
    SetCapture(tree);
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ScanOneLevel(node);
    ReleaseCapture();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
  if (IsFolderNode(node)) SortChildren(tree, item);
}

void SyncListAfterExpand(HWND tree, HTREEITEM item, UINT action) {
  ResetNameWidth();
  if (action == TVE_TOGGLE) {
    DiagnosticSink(1, "TVE_EXPAND not handled");
    return;
  }
  if (action != TVE_EXPAND && action != TVE_COLLAPSE) return;
  if (!OwnNext(tree, item, TVGN_CHILD)) return;
  HWND list = ListOf(tree);
  if (!list) return;
  FreezeListRedraw();
  if (action == TVE_EXPAND) {
    LRESULT index = EntryOf(list, item);
    if (index == LB_ERR) {
      DiagnosticSink(1, "Cannot find item in list box");
      ThawListRedraw();
      return;
    }
    ++index;
    InsertChildEntries(tree, list, item, &index);
  } else {
    RemoveChildEntries(tree, list, item);
  }
  AlignTop(tree);
  ThawListRedraw();
}

bool OnPaneTreeNotify(const NMHDR* header, LRESULT* result) {
  HWND tree = header->hwndFrom;
  if (!OldProc(tree)) return false;
  // The A and W forms of NMTREEVIEW share their layout up to the fields read here.
  auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if (change->action == TVE_EXPAND) PrepareNodeForExpansion(tree, change->itemNew.hItem);
      *result = 0;
      return true;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      if (PlaceScrollBarHook) PlaceScrollBarHook();
      SyncListAfterExpand(tree, change->itemNew.hItem, change->action);
      *result = 0;
      return true;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW: {
      if (HWND list = ListOf(tree)) {
        LRESULT index = EntryOf(list, change->itemOld.hItem);
        if (index != LB_ERR) SendMessageA(list, LB_DELETESTRING, index, 0);
      }
      if (IsFindPair(tree) && (change->itemOld.mask & TVIF_PARAM)) {
        auto* node = reinterpret_cast<FolderNode*>(change->itemOld.lParam);
        if (IsFolderNode(node)) {
          node->inFindList = 0;
          node->findItem = nullptr;
        }
      }
      *result = 0;
      return false;  // the main tree's owner still retires the node
    }
  }
  return false;
}

void ExpandOneLevelCommand() {
  HWND tree = ActiveTree();
  if (!tree) return;
  TreeWalk walk = {tree, false, true, false, ExpandCallback};
  Walk(&walk, 0, StartItem(tree));
  AlignTop(tree);
}

void ExpandAllCommand() { StartWalkWorker(true); }

void CollapseBranchCommand() {
  HWND tree = ActiveTree();
  if (!tree) return;
  if (HTREEITEM item = StartItem(tree)) CollapseCallback(tree, 0, item);
}

void CollapseAllCommand() { StartWalkWorker(false); }

HTREEITEM SelectByPath(HWND tree, const char* path, HTREEITEM start, bool select, bool expand) {
  if (!tree || !path || !path[0]) return nullptr;
  char upper[MAX_PATH];
  lstrcpynA(upper, path, sizeof upper);
  CharUpperA(upper);
  const std::string target = upper;
  HTREEITEM root = TopItem(tree);
  if (start && start != root) return SearchPath(tree, target, start, select, expand);
  for (HTREEITEM drive = FirstChildItem(tree, root); drive; drive = NextSiblingItem(tree, drive)) {
    // Each drive is tried on its own: a miss must not walk on to its siblings twice.
    FolderNode* node = NodeFromItem(tree, drive);
    std::string drivePath = IsFolderNode(node) ? NodePath(node) : std::string();
    if (drivePath.empty() || target.compare(0, drivePath.size(), drivePath) != 0) continue;
    if (HTREEITEM found = SearchPath(tree, target, drive, select, expand)) return found;
  }
  return nullptr;
}

FolderNode* FindNodeByIdList(HWND tree, HTREEITEM start, LPCITEMIDLIST list) {
  if (!tree || !list) return nullptr;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  FolderNode* found = SearchIdList(tree, desktop, start, list);
  desktop->Release();
  return found;
}

void VerifyPairing() {
  HWND tree = ActiveTree();
  HWND list = tree ? ListOf(tree) : nullptr;
  if (!list) return;
  LRESULT index = 0;
  VerifyItems(tree, list, TopItem(tree), &index);
}
