// Which commands apply to the current folder, and the check marks of the
// options, in the menu and on the toolbar.
#pragma once
#include <windows.h>

struct FolderNode;

// Enables and disables the folder's commands in |menu| and on |toolbar|
// (either may be null; a command without a button is skipped there).
void UpdateCommandStates(FolderNode* folder, HMENU menu, HWND toolbar);
// Check marks of the options and radio groups; runs the states first when
// there is a current folder.
void UpdateMenuChecks(HMENU menu, HWND toolbar);
