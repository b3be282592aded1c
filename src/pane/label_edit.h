// In-place editing of a folder's name in the trees.  Renaming itself does not
// exist yet: the editor opens only on folders the shell says can be renamed,
// and what is typed is never kept.
#pragma once
#include <windows.h>
#include <commctrl.h>

// TVN_BEGINLABELEDIT: true when the editor must not open (the user hears an
// exclamation beep).  The top node and the drives are never renamed here.
bool RefuseLabelEdit(HWND tree, HTREEITEM item);

// Closes an open editor of |tree| without keeping its text: the editor does
// not move with its item, so it goes before the tree scrolls.
void CloseLabelEditor(HWND tree);
