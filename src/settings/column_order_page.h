// The column-order page of the folder-details sheet: the detail columns as a
// tree of check-marked items, reordered by dragging, shown or hidden by their
// check marks.
#pragma once
#include <windows.h>

INT_PTR CALLBACK ColumnOrderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
