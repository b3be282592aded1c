#include "pane/detail_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/label_edit.h"
#include "pane/pane_controls.h"
#include "shell/ansi_paths.h"
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
// wParam: 0; lParam: a std::function<void()> the sender keeps until the reply.
constexpr UINT WM_RUN_ON_TREE_THREAD = WM_APP + 0x51;

volatile LONG g_freezeCount = 0;

// Under Wine a window property lives in the window server, one round trip
// per read, and the subclassed windows read theirs on every message; so they
// are kept here too, the properties staying for whoever looks from outside.
struct Subclassed {
  HWND window;
  WNDPROC old;
  bool findPair;
  int depth;   // tree messages being handled, nested
  int frozen;  // open freezes of the tree's drawing
  HWND list;   // a tree's detail list, once looked up
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
// GetDlgItem asks the window server for the tree's children, and the list is
// looked up after every message that may move rows: the answer is kept.
HWND ListOf(HWND tree) {
  Subclassed* entry = SubclassedEntry(tree);
  if (entry && entry->list && IsWindow(entry->list)) return entry->list;
  HWND list = GetDlgItem(tree, DETAIL_LIST_ID);
  if (entry) entry->list = list;
  return list;
}

void ResetNameWidth() {
  if (ResetNameWidthHook) ResetNameWidthHook();
}

// The tree's own answer, bypassing the subclass: interface thread only, as
// is everything below that reads the tree this way (workers come through
// OnTreeThread).
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

// Runs |run| on the thread that owns the tree and its list.  A worker's
// requests are sent, so the interface thread carries them out while the
// worker waits; comctl32 reads its items unguarded.  On that thread the
// message is a direct call.
void OnTreeThread(HWND tree, const std::function<void()>& run) {
  SendMessageA(tree, WM_RUN_ON_TREE_THREAD, 0, reinterpret_cast<LPARAM>(&run));
}

// Makes the list's entries as high as the tree's items and its top entry the
// tree's first visible item, so entry i stands level with the i-th row.
void LevelList(HWND tree) {
  HWND list = ListOf(tree);
  if (!list) return;
  const auto height = static_cast<int>(CallOld(tree, TVM_GETITEMHEIGHT, 0, 0));
  if (height > 0 && height != SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)) {
    SendMessageA(list, LB_SETITEMHEIGHT, 0, height);
    InvalidateRect(list, nullptr, FALSE);
  }
  if (height > 0) RowHeight = height;
  HTREEITEM first = OwnNext(tree, nullptr, TVGN_FIRSTVISIBLE);
  if (!first) return;
  const LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
  if (SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(top), 0) == reinterpret_cast<LRESULT>(first)) return;
  const LRESULT index = EntryOf(list, first);
  if (index != LB_ERR) SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

// The list reaches the tree's right edge and bottom, beside a vertical
// scroll bar or not: a page of entries is then a page of items, and both
// scroll as far.
void FitList(HWND tree) {
  HWND list = ListOf(tree);
  RECT client, rect;
  if (!list || !GetClientRect(tree, &client) || !GetWindowRect(list, &rect)) return;
  MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&rect), 2);
  const LONG width = std::max(0L, client.right - rect.left);
  if (rect.right - rect.left != width || rect.bottom - rect.top != client.bottom)
    SetWindowPos(list, nullptr, 0, 0, width, client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Messages after which the tree may show other items in its rows, or rows of
// another height.  The list is levelled after each one that does not nest in
// another, so every way of scrolling is covered: the wheel, the thumb, keys,
// clicks, selection, expansion, insertion and deletion above the rows.
bool MayMoveRows(UINT message) {
  switch (message) {
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_TIMER:
    case WM_SIZE:
    case WM_SETFONT:
    case WM_SETREDRAW:
    case WM_SETTINGCHANGE:
    case TVM_INSERTITEMA:
    case TVM_INSERTITEMW:
    case TVM_DELETEITEM:
    case TVM_EXPAND:
    case TVM_ENSUREVISIBLE:
    case TVM_SELECTITEM:
    case TVM_SORTCHILDREN:
    case TVM_SORTCHILDRENCB:
    case TVM_SETITEMA:
    case TVM_SETITEMW:
    case TVM_SETITEMHEIGHT:
    case TVM_SETIMAGELIST:
    case TVM_EDITLABELA:
    case TVM_EDITLABELW:
    case WM_RUN_ON_TREE_THREAD:
      return true;
  }
  return false;
}

// Drawing of the tree is off while any freeze of it is open; the lists
// follow the process-wide counter.
void FreezeTree(HWND tree) {
  Subclassed* entry = SubclassedEntry(tree);
  if (entry && entry->frozen++ == 0) CallOld(tree, WM_SETREDRAW, FALSE, 0);
  FreezeListRedraw();
}

void ThawTree(HWND tree) {
  ThawListRedraw();
  Subclassed* entry = SubclassedEntry(tree);
  if (!entry || entry->frozen == 0 || --entry->frozen > 0) return;
  CallOld(tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree, nullptr, FALSE);
  if (HWND list = ListOf(tree)) InvalidateRect(list, nullptr, FALSE);
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

// After an expand or collapse of |item|: its visible descendants gain or
// lose their entries.
void SyncEntries(HWND tree, HTREEITEM item, UINT action) {
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
  LevelList(tree);
  ThawListRedraw();
}

// The tree refuses to sort the children of a folder being scanned: the scan
// is still inserting them, and it sorts them when it is done.
bool SortRefused(HWND tree, HTREEITEM parent) {
  const FolderNode* node = NodeFromItem(tree, parent);
  return IsFolderNode(node) && node->scanState == SCAN_RUNNING;
}

void SortChildren(HWND tree, HTREEITEM parent) {
  if (!SortCompareHook || SortRefused(tree, parent)) return;  // no sort parameter prepared for nothing
  TVSORTCB sort = {};
  sort.hParent = parent;
  sort.lpfnCompare = SortCompareHook;
  sort.lParam = SortParameterHook ? SortParameterHook(tree, parent) : 0;
  SendMessageA(tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

void SortExpanded(HWND tree, HTREEITEM item) {
  if (!item || !IsExpanded(tree, item)) return;
  SortChildren(tree, item);
  for (HTREEITEM child = FirstChildItem(tree, item); child; child = NextSiblingItem(tree, child))
    SortExpanded(tree, child);
}

void ResortBranchOfPair(HWND tree, HTREEITEM start) {
  OnTreeThread(tree, [tree, start] {
    FreezeTree(tree);
    SortExpanded(tree, start);
    HWND list = ListOf(tree);
    HTREEITEM caret = OwnNext(tree, nullptr, TVGN_CARET);
    if (list && caret) SendMessageA(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(caret));
    LevelList(tree);
    ThawTree(tree);
  });
}

// The items whose deletion is under way, innermost last.  A deletion waits
// for node locks with messages pumped, so a worker's insertion under the item
// can arrive meanwhile; the new item would outlive its parent.
std::vector<std::pair<HWND, HTREEITEM>> g_deleting;

class DeletionInProgress {
 public:
  DeletionInProgress(HWND tree, HTREEITEM item) { g_deleting.push_back({tree, item}); }
  ~DeletionInProgress() { g_deleting.pop_back(); }
  DeletionInProgress(const DeletionInProgress&) = delete;
  DeletionInProgress& operator=(const DeletionInProgress&) = delete;
};

bool BeingDeleted(HWND tree, HTREEITEM item) {
  if (g_deleting.empty()) return false;
  if (!item) item = TVI_ROOT;
  for (;;) {
    for (const auto& [deletingTree, deleting] : g_deleting)
      if (deletingTree == tree && (deleting == item || deleting == TVI_ROOT || !deleting)) return true;
    if (item == TVI_ROOT) return false;
    item = OwnNext(tree, item, TVGN_PARENT);
    if (!item) item = TVI_ROOT;
  }
}

LRESULT TreeMessage(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL || message == WM_MOUSEWHEEL) CloseLabelEditor(tree);
  switch (message) {
    case WM_RUN_ON_TREE_THREAD:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    case WM_DRAWITEM:
      if (PaintRowHook) PaintRowHook(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return 0;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemWidth = ROW_MEASURE_WIDTH;
      const auto height = static_cast<int>(CallOld(tree, TVM_GETITEMHEIGHT, 0, 0));
      measure->itemHeight = height > 0 ? height : RowHeight;
      return 1;
    }
    case WM_VSCROLL:
      // The list has no scroll bar to follow a thumb: it is levelled after.
      ResetNameWidth();
      break;
    case WM_SIZE: {
      LRESULT result = CallOld(tree, message, wParam, lParam);
      FitList(tree);
      return result;
    }
    case TVM_DELETEITEM: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      DeletionInProgress deleting(tree, item);
      // Children go first, so each one's totals leave its ancestors while the
      // ancestors are still linked.
      if (!ShuttingDown && item && item != TVI_ROOT) {
        while (HTREEITEM child = OwnNext(tree, item, TVGN_CHILD)) {
          if (!SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) break;
        }
      }
      return CallOld(tree, message, wParam, lParam);
    }
    case TVM_SORTCHILDRENCB: {
      auto* sort = reinterpret_cast<const TVSORTCB*>(lParam);
      if (SortRefused(tree, sort->hParent)) return 0;
      LRESULT result = CallOld(tree, message, wParam, lParam);
      RelayAfterSort(tree, sort->hParent);
      return result;
    }
    case TVM_SORTCHILDREN: {
      LRESULT result = CallOld(tree, message, wParam, lParam);
      RelayAfterSort(tree, reinterpret_cast<HTREEITEM>(lParam));
      return result;
    }
    case TVM_INSERTITEMA:
    case TVM_INSERTITEMW: {
      // Both insert structures start with the parent handle.
      HTREEITEM parent = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)->hParent;
      if (BeingDeleted(tree, parent)) return 0;
      LRESULT result = CallOld(tree, message, wParam, lParam);
      AddEntryForInsertedItem(tree, reinterpret_cast<HTREEITEM>(result), parent);
      return result;
    }
  }
  return CallOld(tree, message, wParam, lParam);
}

LRESULT CALLBACK TreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) {
    WNDPROC old = OldProc(tree);
    Forget(tree);
    RemovePropA(tree, OLD_PROC_PROPERTY);
    RemovePropA(tree, FIND_PAIR_PROPERTY);
    SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    return CallWindowProcA(old, tree, message, wParam, lParam);
  }
  Subclassed* entry = SubclassedEntry(tree);
  if (!entry) return TreeMessage(tree, message, wParam, lParam);
  ++entry->depth;
  LRESULT result = TreeMessage(tree, message, wParam, lParam);
  if (entry->window == tree && --entry->depth == 0 && MayMoveRows(message)) LevelList(tree);
  return result;
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
      POINT screen = {window.left + static_cast<short>(LOWORD(lParam)),
                      window.top + static_cast<short>(HIWORD(lParam))};
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
  auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
  SetPropA(window, OLD_PROC_PROPERTY, reinterpret_cast<HANDLE>(old));
  if (Subclassed* entry = SubclassedEntry(nullptr))
    *entry = {window, old, GetPropA(window, FIND_PAIR_PROPERTY) != nullptr, 0, 0, nullptr};
}

HTREEITEM StartItem(HWND tree) {
  HTREEITEM caret = TreeNext(tree, nullptr, TVGN_CARET);
  return caret ? caret : TopItem(tree);
}

void ExpandCallback(HWND tree, HTREEITEM item) {
  PrepareNodeForExpansion(tree, item);
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  SyncEntries(tree, item, TVE_EXPAND);
}

void CollapseCallback(HWND tree, HTREEITEM item) {
  SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  SyncEntries(tree, item, TVE_COLLAPSE);
}

// A walk opens and closes many items: the pane is drawn once at its end,
// from where it stood, with the selection in view.
HTREEITEM BeginWalk(HWND tree) {
  FreezeTree(tree);
  return OwnNext(tree, nullptr, TVGN_FIRSTVISIBLE);
}

void EndWalk(HWND tree, HTREEITEM firstVisible) {
  if (firstVisible && NodeFromItem(tree, firstVisible))
    SendMessageA(tree, TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(firstVisible));
  if (HTREEITEM caret = OwnNext(tree, nullptr, TVGN_CARET))
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(caret));
  ThawTree(tree);
  LevelList(tree);
}

// Expand one level: each item of the already open region below |item|, the
// item included, opens one level deeper.
void ExpandOpenRegion(HWND tree, int level, HTREEITEM item) {
  while (item) {
    const bool wasExpanded = IsExpanded(tree, item);
    ExpandCallback(tree, item);
    if (wasExpanded) ExpandOpenRegion(tree, level + 1, OwnNext(tree, item, TVGN_CHILD));
    if (level == 0) return;
    item = OwnNext(tree, item, TVGN_NEXT);
  }
}

// One item of expand-all, on the interface thread.  A folder never listed is
// handed back unopened, to be listed on the worker first.
struct ExpandStep {
  HTREEITEM item;
  FolderNode* unlisted;
  HTREEITEM child;  // once opened
  HTREEITEM next;
};

void TakeExpandStep(HWND tree, ExpandStep* step, bool listOnWorker) {
  step->unlisted = nullptr;
  step->child = nullptr;
  step->next = OwnNext(tree, step->item, TVGN_NEXT);
  FolderNode* node = NodeFromItem(tree, step->item);
  if (!IsFolderNode(node)) return;
  if (listOnWorker && node->scanState == SCAN_NONE && IsDriveRoot(node->root)) {
    step->unlisted = node;
    return;
  }
  ExpandCallback(tree, step->item);
  step->child = OwnNext(tree, step->item, TVGN_CHILD);
}

// Every level below |item| (its siblings too below the start), before children.
void ExpandAllFrom(HWND tree, int level, HTREEITEM item, const WorkerRecord* record) {
  while (item && !record->stopRequested) {
    ExpandStep step = {item, nullptr, nullptr, nullptr};
    OnTreeThread(tree, [&] { TakeExpandStep(tree, &step, true); });
    if (step.unlisted) {
      const HTREEITEM next = step.next;  // the listing may remove the item, never its siblings
      ScanOneLevel(step.unlisted);
      OnTreeThread(tree, [&] { TakeExpandStep(tree, &step, false); });
      step.next = next;
    }
    ExpandAllFrom(tree, level + 1, step.child, record);
    if (level == 0) return;
    item = step.next;
  }
}

// The items below and including |item| that have children, each after its
// children: the order collapse-all closes them in.  Closing changes no
// item, so the whole list is read in one request.
void BranchesAfterChildren(HWND tree, HTREEITEM item, std::vector<HTREEITEM>* branches) {
  HTREEITEM child = OwnNext(tree, item, TVGN_CHILD);
  if (!child) return;
  for (; child; child = OwnNext(tree, child, TVGN_NEXT)) BranchesAfterChildren(tree, child, branches);
  branches->push_back(item);
}

struct WalkJob {
  HWND tree;
  HTREEITEM start;
  bool expand;
};

DWORD WINAPI WalkWorker(void* parameter) {
  auto* record = static_cast<WorkerRecord*>(parameter);
  const WalkJob job = *static_cast<WalkJob*>(record->param);
  delete static_cast<WalkJob*>(record->param);
  HWND tree = job.tree;
  HTREEITEM firstVisible = nullptr;
  std::vector<HTREEITEM> branches;
  OnTreeThread(tree, [&] {
    firstVisible = BeginWalk(tree);
    if (!job.expand) BranchesAfterChildren(tree, job.start, &branches);
  });
  if (job.expand) ExpandAllFrom(tree, 0, job.start, record);
  for (size_t i = 0; i < branches.size() && !record->stopRequested; ++i)
    OnTreeThread(tree, [&] { CollapseCallback(tree, branches[i]); });
  OnTreeThread(tree, [&] { EndWalk(tree, job.expand ? firstVisible : nullptr); });
  FinishWorker(record);
  return 0;
}

void StartWalkWorker(bool expand) {
  HWND tree = ActiveTree();
  if (!tree) return;
  auto* job = new WalkJob{tree, StartItem(tree), expand};
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
  if (!IsExpanded(tree, parent)) ExpandCallback(tree, parent);
}

void ExpandFound(HWND tree, HTREEITEM item, FolderNode* node) {
  LockNode(node);  // waits for a scan step that holds the folder
  UnlockNode(node);
  ExpandCallback(tree, item);
}

HTREEITEM SearchPath(HWND tree, const std::string& target, HTREEITEM item, bool select, bool expand) {
  while (item) {
    FolderNode* node = NodeFromItem(tree, item);
    std::string path = IsFolderNode(node) ? NodePath(node) : std::string();
    size_t at = path.empty() ? std::string::npos : target.find(path);
    bool matches = at != std::string::npos;
    if (matches && !EndsWithSeparator(path.c_str())) {
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

void RunOnTreeThread(HWND tree, const std::function<void()>& run) { OnTreeThread(tree, run); }

HWND CreateDetailList(HWND tree, bool findPair) {
  RECT client;
  GetClientRect(tree, &client);
  HWND list = CreateWindowExA(
      0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT,
      DETAIL_LIST_LEFT, 0, client.right > DETAIL_LIST_LEFT ? client.right - DETAIL_LIST_LEFT : 0, client.bottom, tree,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(DETAIL_LIST_ID)), AppInstance, nullptr);
  if (!list) return nullptr;
  if (findPair) SetPropA(tree, FIND_PAIR_PROPERTY, reinterpret_cast<HANDLE>(1));
  Subclass(tree, TreeProc);
  Subclass(list, ListProc);
  LevelList(tree);
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
  OnTreeThread(tree, [=] { SyncEntries(tree, item, action); });
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
      SyncEntries(tree, change->itemNew.hItem, change->action);
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
  HTREEITEM firstVisible = BeginWalk(tree);
  ExpandOpenRegion(tree, 0, StartItem(tree));
  EndWalk(tree, firstVisible);
}

void ExpandAllCommand() { StartWalkWorker(true); }

void CollapseBranchCommand() {
  HWND tree = ActiveTree();
  if (!tree) return;
  if (HTREEITEM item = StartItem(tree)) CollapseCallback(tree, item);
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
