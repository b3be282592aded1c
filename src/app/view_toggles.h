// The show/hide commands of the optional panes, and the fresh menu bar the
// file pane's menu merge hands back.
#pragma once
#include <windows.h>

void ToggleToolbar(HWND window);    // 45274
void ToggleStatusBar(HWND window);  // 45276
void ToggleTabs(HWND window);       // 40114
void ToggleFilePane(HWND window);   // 45275
void RestoreMainMenu(HWND window);
