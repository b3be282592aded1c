// Command 45216: prints the folders of the active tree as the pane shows
// them: a bold page header with the title, the starting folder's path, the
// date and the page number, the column titles, then one line per folder with
// its indentation, icon and name and its detail cells painted by the row
// painter at the page's scale.
#pragma once
#include <windows.h>

// Asks for the printer and the choices (whole tree or the selected branch,
// all folders or only those shown) and prints.  Nothing is printed when the
// dialog is cancelled; no failure is shown.
void PrintTreeCommand(HWND owner);
