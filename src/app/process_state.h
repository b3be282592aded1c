// Process-wide state taken at start-up and read by every subsystem.
#pragma once
#include <windows.h>

extern HINSTANCE AppInstance;
extern DWORD MainThreadId;        // the user-interface thread
extern volatile bool ShuttingDown;  // set when the main window starts being destroyed

void RecordMainThread();
inline bool OnMainThread() { return GetCurrentThreadId() == MainThreadId; }
