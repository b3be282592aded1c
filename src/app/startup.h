// The program from its first instruction to its exit code: checks, settings,
// the main window, the root list, the message loop and the release of what
// the run left behind.
#pragma once
#include <windows.h>

// Returns the quit message's exit code, or 0 when start-up fails.
int RunPelvanor(HINSTANCE instance, const char* commandLine);

// The command-line folder, if it is one: becomes the current directory and
// the only root.
void TakeCommandLineFolder(const char* commandLine);

// The main window at the size and place saved at the last exit, maximised
// when it was; null when it cannot be made.
HWND CreateMainWindow();

// Selects the first root, opens it one level and, with a start path, finds
// and selects that folder.
void SelectInitialFolder();

// Whether the platform may run the program (Windows 95 family or NT, above 3).
bool PlatformSupported();
