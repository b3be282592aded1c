#include "app/file_pane.h"

void ShowFolderInFilePane(FolderNode*) {}
void DestroyFilePane() {}
HWND FilePaneViewWindow() { return nullptr; }
HRESULT FilePaneTranslateAccelerator(MSG*) { return S_FALSE; }
