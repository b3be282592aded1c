#include "app/process_state.h"

HINSTANCE AppInstance = nullptr;
DWORD MainThreadId = 0;
volatile bool ShuttingDown = false;

void RecordMainThread() { MainThreadId = GetCurrentThreadId(); }

char startPath[MAX_PATH] = "";
bool StartFolderGiven = false;
HWND MainWindow = nullptr;
