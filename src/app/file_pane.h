// The file pane: the shell's own view of the current folder below the trees,
// hosted by a browser object of ours, whose menus take over the menu bar
// while the view has the focus; and the hidden view of the desktop whose
// Edit menu gives the Undo command its text and action.
#pragma once
#include <windows.h>

struct FolderNode;

// Replaces the view with one of |folder|, in the old view's place and mode.
void ShowFolderInFilePane(FolderNode* folder);
void DestroyFilePane();
// The view's window, or null while there is no view.
HWND FilePaneViewWindow();
// The view's mode (1 large icons, 2 small icons, 3 list, 4 details), 0 without a view.
UINT FilePaneViewMode();
// S_OK when the view consumed the message as one of its keys.
HRESULT FilePaneTranslateAccelerator(MSG* message);
// The browser interface for the view's WM_USER+7, or null.
LRESULT FilePaneBrowserInterface();
// WM_USER+110 arrived: the view has the focus; its menus may merge.
void OnFilePaneActivated();
// A control of the pane host took the focus: the view gives up its menus and
// menu 101 returns.
void OnPaneControlFocused(HWND window);

void CreateUndoView(HWND owner);
void DestroyUndoView();
// The Undo command's text into |text| (101 bytes or more); true when there is
// something to undo.
bool QueryUndo(char* text, size_t size);
void ExecuteUndo(HWND window);  // 45011

// Sent by the file pane's browser when its view becomes active.
constexpr UINT WM_FILE_PANE_ACTIVATED = WM_USER + 110;
// Sent by the hosted view to find its browser.
constexpr UINT WM_GET_SHELL_BROWSER = WM_USER + 7;
