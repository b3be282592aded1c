// In-place editing of a folder's name in the trees: the editor opens only on
// folders the shell says can be renamed (the renaming is the shell's, when
// the editor closes).
#pragma once
#include <windows.h>
#include <commctrl.h>

// TVN_BEGINLABELEDIT: true when the editor must not open (the user hears an
// exclamation beep).  The top node and the drives are never renamed here.
bool RefuseLabelEdit(HWND tree, HTREEITEM item);

// Closes an open editor of |tree| without keeping its text: the editor does
// not move with its item, so it goes before the tree scrolls.
void CloseLabelEditor(HWND tree);
