// Command 45230: writes the folders of the active tree to a tab-separated
// text file a spreadsheet opens, sizes in exact bytes whatever the window
// shows.
#pragma once
#include <windows.h>

// Asks for the file and the choices (whole tree or the selected branch, all
// folders or only those shown) and writes it.  True when a file was written;
// false when the user cancelled or the file could not be created.
bool ExportTreeCommand(HWND owner);
