// The copy/move dialog's tree of the shell namespace, from the desktop down.
// Each item's parameter is a record holding its parent's folder (one
// reference), its identifier lists and its attributes; deleting the item
// frees the record.
#pragma once
#include <windows.h>
#include <commctrl.h>

// The first fill: the desktop as the top item, its children below it.
void FillNamespaceTree(HWND tree, HWND owner);
// The desktop's computer item below |top|; the first item when there is none
// (Wine lists its Unix root first).
HTREEITEM ComputerItem(HWND tree, HTREEITEM top);
// TVN_ITEMEXPANDING and TVN_DELETEITEM of the tree; both forms.
void OnNamespaceExpanding(HWND tree, HWND owner, HTREEITEM item);
void OnNamespaceItemDeleted(LPARAM record);
// Expands the tree down to |path| and selects its item; false when the path
// was not found.
bool ExpandNamespaceTo(HWND tree, HWND owner, const char* path);
// The file-system path of |item|; false for items outside the file system.
bool NamespaceItemPath(HWND tree, HTREEITEM item, char (&path)[MAX_PATH]);
