// A folder's own shell context menu, with a rename entry and the program's
// Send To menu in place of the shell's.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct FolderNode;

// The Send To submenu the shell puts in a folder's menu: one item of one of these ids.
constexpr UINT SHELL_SEND_TO_IDS[] = {0x1D, 0x5D};

// The menu of |node| (its item |item| in the active tree) at |point| in the
// tree's client co-ordinates; the chosen command is carried out.
void ShowFolderContextMenu(FolderNode* node, POINT point, HTREEITEM item);
