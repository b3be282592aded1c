// The folder pane's header as the user sees and works it: its items, the
// columns they show, divider drags and the pane's horizontal scroll bar.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "pane/column_info.h"

int HeaderCount();
RECT HeaderItemRect(int index);
int HeaderItemWidth(int index);
ColumnInfo* HeaderItemColumn(int index);
// The ids of the columns the header shows, in order (the name column first).
std::vector<uint32_t> ShownColumns();
ColumnInfo* ColumnById(uint32_t id);
// Presses on the item's right divider and lets go where the item would be
// |width| wide, as the user does with the mouse.
void DragDivider(int index, int width);
// The pane's horizontal scroll bar, and a message from it as the user works it.
HWND ColumnScrollBar();
void ScrollColumns(WORD code, WORD position = 0);
