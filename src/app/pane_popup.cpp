#include "app/pane_popup.h"

#include <commctrl.h>

#include "app/resource_text.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "resource.h"
#include "shell/context_menu.h"

namespace {

constexpr UINT ITEM_PARTS =
    TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT | TVHT_ONITEMSTATEICON;

void Track(HMENU menu, HWND owner, POINT screen) {
  TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, owner, nullptr);
}

}  // namespace

HMENU BuildPanePopup(int position) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING, IDM_DISK_INFORMATION, ResourceString(IDS_POPUP_DISK_INFORMATION).c_str());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_FOLDER_DETAILS_PAGE_FIRST + position,
              ResourceString(IDS_POPUP_FOLDER_DETAILS).c_str());
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_FIND_FOLDERS, ResourceString(IDS_POPUP_FIND_FOLDERS).c_str());
  AppendMenuA(menu, MF_STRING, IDM_TAG_FOLDERS, ResourceString(IDS_POPUP_TAG_FOLDERS).c_str());
  return menu;
}

void ShowPanePopup(HWND tree, HWND owner) {
  POINT cursor;
  GetCursorPos(&cursor);
  TVHITTESTINFO hit = {};
  hit.pt = cursor;
  ScreenToClient(tree, &hit.pt);
  SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.hItem && (hit.flags & ITEM_PARTS)) {
    ShowFolderContextMenu(NodeFromItem(tree, hit.hItem), hit.pt, hit.hItem);
    return;
  }
  HWND header = ColumnHeader();
  RECT headerRect, itemRect = {};
  if (!header || !GetWindowRect(header, &headerRect)) return;
  // The column is the one above the click.
  const POINT above = {cursor.x, (headerRect.top + headerRect.bottom) / 2};
  const int position = ColumnAtScreenPoint(above);
  if (position < 0) return;
  int index = 0;
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    HDITEMA item = {};
    item.mask = HDI_LPARAM;
    Header_GetItem(header, i, &item);
    auto* column = reinterpret_cast<ColumnInfo*>(item.lParam);
    if ((column && column->position == position) || (!column && position == 0 && i == 0)) index = i;
  }
  Header_GetItemRect(header, index, &itemRect);
  POINT at = {headerRect.left + itemRect.left + 1, headerRect.bottom - 1};
  ShowPanePopupAt(owner, at, position);
}

void ShowPanePopupAt(HWND owner, POINT screen, int position) {
  HMENU menu = BuildPanePopup(position);
  if (!menu) return;
  Track(menu, owner, screen);
  DestroyMenu(menu);
}
