// The options sheet (command 40096): scan options, the drives scanned at
// start-up and the colours of bars and tagged folders, edited on a working
// copy of the settings record that OK puts back.
#pragma once
#include <windows.h>

INT_PTR ShowOptionsSheet(HWND owner);
