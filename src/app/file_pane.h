// The file pane: the shell's own view of the current folder below the trees.
// Until the pane is built these do nothing and report that no view exists,
// so every caller already takes the path it will take then.
#pragma once
#include <windows.h>

struct FolderNode;

void ShowFolderInFilePane(FolderNode* folder);
void DestroyFilePane();
// The view's window, or null while there is no view.
HWND FilePaneViewWindow();
// S_OK when the view consumed the message as one of its keys.
HRESULT FilePaneTranslateAccelerator(MSG* message);

// Sent by the file pane's browser when its view becomes active.
constexpr UINT WM_FILE_PANE_ACTIVATED = WM_USER + 110;
