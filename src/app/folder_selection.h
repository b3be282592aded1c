// What follows a change of the current folder: the title, the command
// states, the status bar now and twice more while the folder settles.
#pragma once
#include <windows.h>

struct FolderNode;

struct SelectionWindows {
  HWND mainWindow;
  HWND paneHost;  // owns the status refresh timers
  HWND statusBar;
  HWND toolbar;
};

void OnFolderSelected(FolderNode* folder, const SelectionWindows& windows);
// The pane host's WM_TIMER for a status refresh timer; false for other timers.
bool OnStatusRefreshTimer(HWND paneHost, UINT_PTR timer, HWND statusBar);

// "Brisklane Pelvanor -> C:\Program Files\My-App".
void FormatWindowTitle(const char* path, char* out, size_t outSize);
