// The Find dialog (F3): the three criteria pages, where to search, whether
// to keep the last results, how to show them, and the search's progress.
#pragma once
#include <windows.h>

// Posted by the search when it ends without closing the dialog (nothing
// found, stopped or cancelled); no parameters.  The dialog resets itself.
constexpr UINT WM_FIND_RESET = WM_USER + 747;

// Command 45102, and the find-results view while it has nothing to show.
// Stores the find criteria when closed after any search of this run.
void ShowFindDialog(HWND owner);

// The search's marks in the dialog, on the interface thread; each does
// nothing once the dialog is closed.
void FindDialogSearching();                 // the animation runs, "Find ...."
void FindDialogShowPath(const char* path);  // the folder just found
void FindDialogNothingFound();
// Closes the dialog after a search that ran to its end, resets it otherwise.
void FindDialogSearchEnded(bool stopped);
