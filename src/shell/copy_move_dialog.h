// Copy To and Move To (commands 45040 and 45039): the dialog that chooses a
// target in a tree of the shell namespace, then one SHFileOperationA call.
#pragma once
#include <windows.h>

void CopyToCommand(HWND window);
void MoveToCommand(HWND window);

// Posted inside the dialog after a click in its tree, once the click has
// moved the selection.
constexpr UINT WM_NAMESPACE_CLICKED = WM_USER + 201;
