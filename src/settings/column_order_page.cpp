#include "settings/column_order_page.h"

#include <commctrl.h>

#include "app/help.h"
#include "app/resource_text.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "resource.h"
#include "settings/folder_details_sheet.h"
#include "settings/sheet_pages.h"

namespace {

constexpr int ITEM_TEXT_MAX = 200;

struct OrderPage {
  ImageList states;
  // While an item is dragged.
  bool dragging = false;
  HTREEITEM dragged = nullptr;
  ImageList dragImage;
  bool inside = false;
};
OrderPage g_page;

HWND Tree(HWND page) { return GetDlgItem(page, IDC_ORDER_TREE); }

ColumnInfo* ColumnOf(HWND tree, HTREEITEM item) {
  TVITEMA data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
  return reinterpret_cast<ColumnInfo*>(data.lParam);
}

void FillColumns(HWND tree) {
  SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  for (int i = 0; ColumnInfo* column = DetailColumn(i); ++i) {
    std::string title = ResourceString(column->id);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
    insert.item.pszText = &title[0];
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    insert.item.state = INDEXTOSTATEIMAGEMASK((column->flags & COLUMN_HIDDEN) ? STATE_UNCHECKED : STATE_CHECKED);
    insert.item.lParam = reinterpret_cast<LPARAM>(column);
    SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  }
  if (HTREEITEM first = TopItem(tree)) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
}

// The tree's order and check marks become the table's order and hidden flags.
void WriteTreeBack(HWND tree) {
  ColumnInfo* order[MAX_DETAIL_COLUMNS];
  int count = 0;
  for (HTREEITEM item = TopItem(tree); item && count < MAX_DETAIL_COLUMNS; item = NextSiblingItem(tree, item)) {
    ColumnInfo* column = ColumnOf(tree, item);
    if (!column) continue;
    column->flags &= ~COLUMN_SCROLLED_OFF;
    if (IsItemChecked(tree, item))
      column->flags &= ~COLUMN_HIDDEN;
    else
      column->flags |= COLUMN_HIDDEN;
    order[count++] = column;
  }
  SetDetailColumnOrder(order, count);
  ShowColumnChanges();
}

void ToggleCheck(HWND tree, HTREEITEM item) {
  SetItemChecked(tree, item, !IsItemChecked(tree, item));
  WriteTreeBack(tree);
}

// --- Dragging -----------------------------------------------------------------

// The drag image is placed in the tree's window co-ordinates.
POINT InTreeWindow(HWND tree, POINT client) {
  RECT window = {};
  GetWindowRect(tree, &window);
  ClientToScreen(tree, &client);
  return {client.x - window.left, client.y - window.top};
}

HTREEITEM ItemAt(HWND tree, POINT client) {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

void SetDropTarget(HWND tree, HTREEITEM item) {
  // The image is hidden while the tree repaints the highlight under it.
  ImageList_DragShowNolock(FALSE);
  SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  ImageList_DragShowNolock(TRUE);
}

void BeginDrag(HWND page, const NMTREEVIEWA* start) {
  HWND tree = Tree(page);
  HTREEITEM item = start->itemNew.hItem;
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  g_page.dragImage.Reset(TreeView_CreateDragImage(tree, item));
  RECT text = {};
  ItemRect(tree, item, true, &text);
  ImageList_BeginDrag(g_page.dragImage.get(), 0, start->ptDrag.x - text.left, start->ptDrag.y - text.top);
  const POINT at = InTreeWindow(tree, start->ptDrag);
  ImageList_DragEnter(tree, at.x, at.y);
  SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
  g_page.dragged = item;
  g_page.inside = true;
  g_page.dragging = true;
  SetCapture(page);
}

POINT TreePoint(HWND page, LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(page, Tree(page), &point, 1);
  return point;
}

bool InsideTree(HWND tree, POINT client) {
  RECT area = {};
  GetClientRect(tree, &area);
  return PtInRect(&area, client) != FALSE;
}

void OnDragMove(HWND page, LPARAM lParam) {
  HWND tree = Tree(page);
  const POINT point = TreePoint(page, lParam);
  const bool inside = InsideTree(tree, point);
  if (inside != g_page.inside) ImageList_DragShowNolock(inside);
  g_page.inside = inside;
  if (!inside) {
    SetCursor(LoadCursor(nullptr, IDC_NO));
    return;
  }
  const POINT at = InTreeWindow(tree, point);
  ImageList_DragMove(at.x, at.y);
  HTREEITEM target = ItemAt(tree, point);
  SetDropTarget(tree, target);
  SetCursor(LoadCursor(nullptr, target ? IDC_ARROW : IDC_NO));
}

// Puts a copy of |moved| next to |target|: after it when |target| comes later
// among the siblings, before it otherwise; the copy is selected.
void MoveItem(HWND tree, HTREEITEM moved, HTREEITEM target) {
  bool targetFollows = false;
  for (HTREEITEM item = NextSiblingItem(tree, moved); item; item = NextSiblingItem(tree, item))
    if (item == target) targetFollows = true;
  char text[ITEM_TEXT_MAX + 1] = "";
  TVINSERTSTRUCTA insert = {};
  insert.item.mask = TVIF_TEXT | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.hItem = moved;
  insert.item.pszText = text;
  insert.item.cchTextMax = sizeof text;
  insert.item.stateMask = static_cast<UINT>(-1);
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&insert.item));
  insert.item.pszText = text;
  insert.item.state &= ~(TVIS_SELECTED | TVIS_DROPHILITED);
  insert.hParent = TVI_ROOT;
  if (targetFollows) {
    insert.hInsertAfter = target;
  } else {
    HTREEITEM before = TreeNext(tree, target, TVGN_PREVIOUS);
    insert.hInsertAfter = before ? before : TVI_FIRST;
  }
  auto copy = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(moved));
  if (!copy) return;
  SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(copy));
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(copy));
}

void EndDrag(HWND page, bool drop, LPARAM lParam) {
  if (!g_page.dragging) return;
  g_page.dragging = false;  // before the capture goes, which comes back here
  HWND tree = Tree(page);
  ImageList_DragLeave(tree);
  ImageList_EndDrag();
  ReleaseCapture();
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  g_page.dragImage.Reset();
  const POINT point = TreePoint(page, lParam);
  if (drop && InsideTree(tree, point)) {
    HTREEITEM target = ItemAt(tree, point);
    if (target && target != g_page.dragged) MoveItem(tree, g_page.dragged, target);
  }
  SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  InvalidateRect(tree, nullptr, TRUE);
  WriteTreeBack(tree);
}

// --- Messages -------------------------------------------------------------------

bool OnNotify(HWND page, const NMHDR* header) {
  HWND tree = Tree(page);
  switch (header->code) {
    case PSN_SETACTIVE:
      FillColumns(tree);
      SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
      return true;
    case PSN_RESET:
      CancelColumnChanges();
      return true;
    case PSN_HELP:
      ShowHelp(page, HELP_CONTEXT_FOLDER_DETAILS);
      return true;
  }
  if (header->idFrom != IDC_ORDER_TREE) return false;
  switch (header->code) {
    case NM_CLICK: {
      UINT where = 0;
      HTREEITEM item = ItemAtMessagePos(tree, &where);
      if (item && (where & TVHT_ONITEMSTATEICON)) ToggleCheck(tree, item);
      return true;
    }
    case TVN_KEYDOWN:
      // The space bar checks and unchecks, as in the system's check-box trees.
      if (reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey == VK_SPACE) {
        if (HTREEITEM item = TreeNext(tree, nullptr, TVGN_CARET)) ToggleCheck(tree, item);
      }
      return true;
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
      // Both forms carry the item and the point at the same places.
      BeginDrag(page, reinterpret_cast<const NMTREEVIEWA*>(header));
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK ColumnOrderPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CentreSheetOnce(page);
      g_page.states.Reset(LoadCheckStateImages());
      TreeView_SetImageList(Tree(page), g_page.states.get(), TVSIL_STATE);
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_MOUSEMOVE:
      if (!g_page.dragging) return FALSE;
      OnDragMove(page, lParam);
      return TRUE;
    case WM_LBUTTONUP:
      EndDrag(page, true, lParam);
      return TRUE;
    case WM_CAPTURECHANGED:
      EndDrag(page, false, 0);
      return TRUE;
    case WM_DESTROY:
      TreeView_SetImageList(Tree(page), nullptr, TVSIL_STATE);
      g_page.states.Reset();
      return FALSE;
  }
  return FALSE;
}
