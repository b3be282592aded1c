// The columns of the folder pane: the name column (drawn by the tree view),
// up to ten detail columns (drawn by the detail list), the header above
// them, the horizontal scroll bar that trades width between the name column
// and the first detail column, and the per-column values kept in the
// registry between runs.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "pane/column_info.h"

constexpr int COLUMN_HEADER_ID = 123;
constexpr int NAME_COLUMN_DEFAULT_WIDTH = 220;
constexpr int NAME_COLUMN_MIN_WIDTH = 100;

// --- Set-up and teardown -------------------------------------------------

// Creates the header in |pane| (laid out over |tree|'s client area), the
// column records with their stored values, the sort column, and re-sorts the
// whole tree.  |scrollBar| is the pane's horizontal scroll bar (control
// 1030); |font| is the detail list's font, used for the header and for
// measuring (null: the list's own font).  False when the header cannot be
// created: the pane then has no columns.
bool CreateColumns(HWND pane, HWND tree, HWND scrollBar, HFONT font);
// Keeps the sort column's index in Settings.sortColumn, deletes every header
// item, the header itself and every column record.  Save first.
void DestroyColumns();
// Writes every column's stored value (the name column first), whatever the
// save-on-exit switch says.  Call before DestroyColumns.
void SaveAllColumnSettings();

// The font used for the header and for measuring; the painting code may hand
// it over once it has made the list font.
void SetColumnFont(HFONT font);

// --- The column table ----------------------------------------------------

HWND ColumnHeader();
// Client height of the header as it laid itself out (16 before creation).
int ColumnHeaderHeight();
ColumnInfo* NameColumn();
int DetailColumnCount();
ColumnInfo* DetailColumn(int index);  // in display order; null out of range
// Moves a detail column to another place in the display order and rebuilds
// the header.
void MoveDetailColumn(int from, int to);

// Puts the table in the order of |order|, which lists each record of the
// table once; the header is not rebuilt.
void SetDetailColumnOrder(ColumnInfo* const* order, int count);

// The table's order and every record's content, so a sheet that edits the
// columns live can put them back when cancelled.
struct ColumnTableBackup {
  int count = 0;
  ColumnInfo* records[MAX_DETAIL_COLUMNS] = {};
  ColumnInfo contents[MAX_DETAIL_COLUMNS] = {};
};
ColumnTableBackup BackupColumnTable();
// Restores the order and the contents, rebuilds the header and repaints the rows.
void RestoreColumnTable(const ColumnTableBackup& backup);

// The column the rows are sorted by (the name column or a detail column).
ColumnInfo* SortColumn();
// Makes |column| the sort column and moves the arrow to it; the caller
// re-sorts.
void SetSortColumn(ColumnInfo* column);
// 0 for the name column, table index + 1 for a detail column, -1 for none:
// the value stored as Settings.sortColumn.
int SortColumnIndex();

// --- Header and widths ---------------------------------------------------

// Re-inserts the header items of the detail columns that are neither hidden
// nor scrolled off, in table order, then updates the scroll bar.
void RebuildHeader();
// Measures the width the column's values need in the list font.
void ComputeContentWidth(ColumnInfo* column);
// Moves the detail list to x = |width| and makes header item 0 that wide.
void ResizeNameColumn(int width);
// Width of header item 0: where the detail list starts.
int NameColumnWidth();
// The position of the column under |screenPoint|: 0 the name column, 1..10 a
// detail column, -1 outside the header.
int ColumnAtScreenPoint(POINT screenPoint);

// --- Messages routed by the pane window ----------------------------------

// Header notifications (the end of a divider drag); true when handled, with
// the notification's answer in |result|.
bool HandleColumnNotify(const NMHDR* notification, LRESULT* result);
// WM_HSCROLL; true when it came from the columns' scroll bar.
bool HandleColumnHScroll(WPARAM wParam, LPARAM lParam);
// Sets the scroll bar's range and position from the current widths.
void UpdateColumnScrollBar();

// --- Name-width cache ----------------------------------------------------

// The widest label right edge among the visible tree items plus 10 pixels.
int NameWidth();
// The detail list calls this on every change of the visible items.
void ResetNameWidthCache();

// --- Sums for the window layout ------------------------------------------

int TotalHeaderWidth();
int DetailHeaderWidth();
// The content widths of the detail columns that are not hidden (the name
// column's need is the name-width cache).
int TotalContentWidth();
bool AnyColumnScrolledOff();
// Whether the scroll bar is needed in a pane |clientWidth| wide: something
// is cut, shrunk or scrolled off, or the header items do not fit.
bool ColumnsNeedHorizontalScroll(int clientWidth);

// --- Size display commands -----------------------------------------------

// Command 45242: sizes in units or exact byte counts.
void ToggleExactSizes();
// Commands 45239 (0, reported sizes) and 45240 (1, actual disk usage).
void SetSizeMode(uint8_t mode);

// --- Hooks the main window fills -----------------------------------------

using ColumnsHook = void (*)();
// Re-sorts the whole tree from its first root; when empty, the main tree is
// re-sorted through ResortBranch.
extern ColumnsHook ResortTreeHook;
// Re-lays the main window's panes after a column width changed.
extern ColumnsHook RelayoutPanesHook;
