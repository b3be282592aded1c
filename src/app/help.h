// Opens the help file at a topic.  The viewer call is replaceable because the
// help viewer is not part of every system the program is tested on.
#pragma once
#include <windows.h>

using HelpViewerFunction = BOOL(WINAPI*)(HWND owner, LPCSTR file, UINT command, ULONG_PTR data);
extern HelpViewerFunction HelpViewer;

// Context 0 opens the contents.
void ShowHelp(HWND owner, DWORD context);
// At main window destruction: closes the viewer if help was ever opened.
void CloseHelp(HWND owner);
