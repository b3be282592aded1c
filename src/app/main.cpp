// Entry point: everything else lives in the library the tests drive too.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) { return RunPelvanor(instance, commandLine); }
