// The drives page of the options sheet: which drives are scanned at start-up
// and whether the others are hidden.
#pragma once
#include <windows.h>

// The page's data is the sheet's working SettingsRecord.
INT_PTR CALLBACK DrivesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
