// The status bar's account of the current folder, the view and the sort.
#pragma once
#include <windows.h>

struct FolderNode;

constexpr int STATUS_PARTS = 5;

// Parts 2 to 4 always; parts 0 and 1 (free space, the folder's total) only
// for a valid folder while the active tree has the focus.
void RefreshStatusTexts(HWND statusBar, FolderNode* folder);
