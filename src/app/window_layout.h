// The bars around the main window's panes (toolbar, tab strip, status bar),
// the toolbar's button set, customisation and saved layouts, and where every
// child of the main window goes when its size changes, with the splitter
// between the pane host and the file pane.
#pragma once
#include <windows.h>
#include <commctrl.h>

constexpr int TOOLBAR_ENTRY_COUNT = 27;  // 21 buttons and 6 separators
constexpr int TOOLBAR_EXTRA_BUTTON_COUNT = 7;
// Registry values under the settings key: the user's layout and the layout as
// the program creates it.
constexpr char TOOLBAR_VALUE[] = "Toolbar";
constexpr char DEFAULT_TOOLBAR_VALUE[] = "Default Toolbar";

// --- Creation (in this order, from WM_CREATE) --------------------------------

// Saves the created layout as "Default Toolbar", then restores "Toolbar".
// Null on failure (reported to the diagnostic sink).
HWND CreateMainToolbar(HWND window);
HWND CreateMainStatusBar(HWND window);
// The pane host and its horizontal scroll bar, once they exist.
void SetLayoutPaneHost(HWND paneHost, HWND scrollBar);
// Null when the tab strip cannot be made: window creation then fails.
HWND CreateTabStrip(HWND window, HFONT font);
// The file pane's view window, placed below the pane host; null for none.
void SetLayoutFilePane(HWND view);
// At the main window's destruction: forgets the children and every measured
// height, so the next main window starts from the initial values.
void ForgetLayoutChildren();

// The tabs of the tab strip, in order.
constexpr int VIEW_TAB_NORMAL = 0;
constexpr int VIEW_TAB_FIND_RESULTS = 1;
// Highlights the tab of the view shown, whatever tab was clicked.
void SelectShownViewTab();

HWND MainToolbar();
HWND MainTabStrip();
HWND MainStatusBar();

// The five status bar parts from its current client width.
void PartitionStatusBar(HWND statusBar);

// --- Toolbar layouts and notifications -----------------------------------------

bool SaveToolbarLayout(const char* valueName);
bool RestoreToolbarLayout(const char* valueName);
// Command 45096: the toolbar's own customise dialog.
void CustomizeToolbar();
// Tooltip texts and the toolbar's customisation notifications sent to
// |window|; true when handled, with the answer in |result|.
bool HandleBarNotify(HWND window, const NMHDR* header, LRESULT* result);

// --- Layout --------------------------------------------------------------------

// WM_SIZE: restored and maximised sizes only; true when it laid out.
bool LayoutPanes(HWND window, UINT sizeType);
// Posts WM_SIZE with the current client size, so a show/hide command lays out
// after it has finished.
void RequestLayout(HWND window);
// Width and height of the pane host's scroll bar, then its range.
void FitPaneScrollBar();
// The main window's client width at the last layout.
int LastMainClientWidth();

// Splitter: the main window's own mouse messages, client coordinates.
void OnSplitterButtonDown(HWND window, int y);
void OnSplitterMouseMove(HWND window, int y);
void OnSplitterButtonUp(HWND window, int y);
// WM_CAPTURECHANGED: a drag that lost the mouse ends where it is, changing nothing.
void OnSplitterCaptureLost(HWND window);
