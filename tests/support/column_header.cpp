#include "support/column_header.h"

#include <commctrl.h>

#include "pane/columns.h"
#include "resource.h"

int HeaderCount() { return Header_GetItemCount(ColumnHeader()); }

RECT HeaderItemRect(int index) {
  RECT rect = {};
  Header_GetItemRect(ColumnHeader(), index, &rect);
  return rect;
}

int HeaderItemWidth(int index) { return HeaderItemRect(index).right - HeaderItemRect(index).left; }

ColumnInfo* HeaderItemColumn(int index) {
  HDITEMA item = {};
  item.mask = HDI_LPARAM;
  Header_GetItem(ColumnHeader(), index, &item);
  return reinterpret_cast<ColumnInfo*>(item.lParam);
}

std::vector<uint32_t> ShownColumns() {
  std::vector<uint32_t> ids;
  for (int i = 0; i < HeaderCount(); ++i) ids.push_back(HeaderItemColumn(i) ? HeaderItemColumn(i)->id : 0);
  return ids;
}

ColumnInfo* ColumnById(uint32_t id) {
  for (int i = 0; i < DetailColumnCount(); ++i)
    if (DetailColumn(i)->id == id) return DetailColumn(i);
  return nullptr;
}

void DragDivider(int index, int width) {
  const RECT rect = HeaderItemRect(index);
  const int y = (rect.top + rect.bottom) / 2, grip = rect.right - 2, drop = rect.left + width - 2;
  SendMessageA(ColumnHeader(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grip, y));
  SendMessageA(ColumnHeader(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop, y));
  SendMessageA(ColumnHeader(), WM_LBUTTONUP, 0, MAKELPARAM(drop, y));
}

HWND ColumnScrollBar() { return GetDlgItem(GetParent(ColumnHeader()), IDC_PANE_SCROLLBAR); }

void ScrollColumns(WORD code, WORD position) {
  SendMessageA(GetParent(ColumnHeader()), WM_HSCROLL, MAKEWPARAM(code, position),
               reinterpret_cast<LPARAM>(ColumnScrollBar()));
}
