// The scan dialog: scan the current folder's whole drive or only the folder.
#pragma once
#include <windows.h>

#include <cstddef>

// Modal; 1 when a scan was started, 0 when cancelled.
INT_PTR ShowScanDialog(HWND owner);

// The folder path as the dialog shows it: word capitals and a blank after
// every backslash so the label can wrap.
void FormatScanPathLabel(const char* path, char* out, size_t outSize);
