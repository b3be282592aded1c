// The folder pane's popup menu over a column: disk information, the folder
// details page of that column, find and tag.
#pragma once
#include <windows.h>

// The menu for the column at |position| (0 the name column); the caller destroys it.
HMENU BuildPanePopup(int position);

// NM_RCLICK from a tree: over a column (and not on an item) the popup opens
// under the header at that column.
void ShowPanePopup(HWND tree, HWND owner);
// A right click in a detail list, at |screen|.
void ShowPanePopupAt(HWND owner, POINT screen, int position);
