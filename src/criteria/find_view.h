// The folder pane shows either the main tree or, in its place, the
// find-results tree with its own detail list; the tab strip and the view
// commands switch between them.
#pragma once
#include <windows.h>

// Sent by the search to the main window when it begins; no parameters,
// result 0.  The main window shows the find results.
constexpr UINT WM_SHOW_FIND_RESULTS = WM_USER + 95;

// Each selects its tab and, when the other view is shown, switches: the
// pair's current folder, a re-sorted tree and a fresh status line.
void ShowFindResultsView();
void ShowMainView();

// Command 40101 and the second tab: the Find dialog while the results hold
// nothing but the top item, the results otherwise.
void FindResultsViewCommand(HWND owner);
