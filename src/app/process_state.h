// Process-wide state taken at start-up and read by every subsystem.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;
extern DWORD MainThreadId;        // the user-interface thread
extern volatile bool ShuttingDown;  // set when the main window starts being destroyed

void RecordMainThread();
inline bool OnMainThread() { return GetCurrentThreadId() == MainThreadId; }

// The folder named on the command line (or saved at the last exit), and
// whether the command line named one that exists.
extern char startPath[MAX_PATH];
extern bool StartFolderGiven;

// The main window, owner of the program's message boxes; null until it exists.
extern HWND MainWindow;
