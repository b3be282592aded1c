// The top-level window: its class, its procedure, the panes it holds and the
// table that routes every menu, accelerator and toolbar command.
#pragma once
#include <windows.h>

// Registers the main window class (extended registration first, then the
// plain one); false when both fail.
bool RegisterMainWindowClass();
extern const char MAIN_WINDOW_CLASS[];

// The pane host dialog, which takes the dialog keys while it has the focus;
// null when no pane has the focus.
extern HWND DialogMessageTarget;

// The commands whose owners are not part of the program yet end here.
void CommandNotYetAvailable(HWND window);
