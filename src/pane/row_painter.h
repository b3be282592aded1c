// Paints one detail-list row: a cell per shown detail column, values right
// aligned, grey with a leading ">" while still being counted, "---" for
// folders never scanned, optional percentages and size bars.  Printing uses
// the same painter with a width scale.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "pane/formatting.h"

struct ColumnInfo;
struct FolderNode;
struct NodeSizeTriple;

// One detail column as the header shows it, in display order.
struct PaintColumn {
  const ColumnInfo* column;  // null for a header item without its record
  int width;                 // the header item's width in pixels, before scaling
};

// Where the row goes; |left| is the first cell's left edge.
struct RowCursor {
  int left;
  int top;
  int bottom;
};

// Pixels a value keeps clear on each side of its cell, so the values of
// neighbouring cells never touch.
constexpr int CELL_TEXT_MARGIN = 2;
// The same margin on a device |scale| times as fine as the screen (a page).
int CellTextMargin(double scale);

// The width a cell of |column| needs for the widest text it can show in the
// font selected into |dc|, margins included; 0 when the text cannot be
// measured.  Follows the current size display (units or exact bytes).
int WidestCellWidth(HDC dc, const ColumnInfo& column);

// One cell's value as the row shows it (sizes in the current size measure),
// and whether it is still being counted.  Export writes the same values.
struct RowCell {
  double value;
  bool complete;
  bool isDate;
  char date[DATE_TEXT_MAX];  // the short date of a date column
};
RowCell RowCellOf(const ColumnInfo& column, FolderNode* node, const NodeSizeTriple& sizes);

// The detail columns of |header| (items 1 on; item 0 is the name column).
// Returns how many were written to |columns|, at most |maxColumns|.
int ReadHeaderColumns(HWND header, PaintColumn* columns, int maxColumns);

// Paints |node|'s cells into |dc|; |tree| gives the node's parent.  Each text
// stays inside its own cell: right-aligned when it fits, otherwise from the
// cell's left edge and cut at its right one.  Leaves the text colour,
// alignment and background mode as it found them.
void PaintRow(HWND tree, FolderNode* node, HDC dc, RowCursor cursor, const PaintColumn* columns, int count,
              double scale);

// WM_DRAWITEM of a detail list: the entry's data is a tree item of the active
// tree.  Clears the entry and paints the row in the list or selection font.
void PaintDetailEntry(const DRAWITEMSTRUCT* draw, const PaintColumn* columns, int count);

// A new search starts comparing its folders' drive bars afresh.
void ResetLargestCapacitySeen();

// Fonts and bar brushes, made when the panes are made and kept for the life
// of the main window.  The list font is also the header's font.
bool CreateRowPaintResources();
void ReleaseRowPaintResources();
// After the colour options change; the caller freezes the lists' redraw.
void ApplyBarColours();
HFONT ListFont();
HFONT SelectionFont();

// Tagging installs itself here: true when tagging is on and the node matches
// the tag criteria.  Null until then, and no row is drawn in the tag colour.
using NodeTaggedFunction = bool (*)(FolderNode* node);
extern NodeTaggedFunction IsNodeTaggedHook;

// The status line installs itself here so it follows the current folder's
// counts while a scan repaints its row.
using CurrentRowPaintedFunction = void (*)();
extern CurrentRowPaintedFunction CurrentRowPaintedHook;

// Lets a test see each text as it is drawn, with the DC's alignment and text
// colour at that moment; null stops observing.
using RowTextObserver = void (*)(const char* text, int x, int y, UINT align, COLORREF colour);
void SetRowTextObserver(RowTextObserver observer);
