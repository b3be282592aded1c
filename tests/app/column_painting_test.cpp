// Detail values painted by the real main window stay inside their cells, narrowed ones showing their start.
#include <algorithm>

#include "pane/row_painter.h"
#include "support/column_header.h"
#include "support/main_window_test.h"

namespace {

constexpr int MARGIN = 40;  // room left and right of the row, where nothing may land
constexpr int MAX_SCROLL_STEPS = 2000;
constexpr COLORREF PAPER = RGB(255, 255, 255);

// Paints (recording what is |drawn|) the first |cells| cells of each visible row, each alone at its place
// in the row, in the list font and in the selected row's bold font, and
// checks that nothing lands outside the cell less its right margin.  |whole|:
// every value must fit, drawn right-aligned; otherwise a value too wide
// starts at the cell's left edge and is cut at the right.  Returns how many
// values were cut.
int ExpectCellsInside(std::vector<DrawnText>& drawn, const char* display, bool whole, int cells = MAX_DETAIL_COLUMNS) {
  int cut = 0;
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  const int count = ReadHeaderColumns(ColumnHeader(), columns, MAX_DETAIL_COLUMNS);
  int rowWidth = 0;
  for (int i = 0; i < count; ++i) rowWidth += columns[i].width;
  const int height = static_cast<int>(SendMessageA(Panes.mainList, LB_GETITEMHEIGHT, 0, 0));
  Canvas canvas(rowWidth + 2 * MARGIN, height);
  HWND tree = Panes.mainTree;
  for (HFONT font : {ListFont(), SelectionFont()}) {
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) {
      const std::string row = TreeItemText(tree, item);
      for (int i = 0, left = MARGIN; i < std::min(cells, count); left += columns[i++].width) {
        canvas.Fill();
        drawn.clear();
        PaintRow(tree, NodeFromItem(tree, item), canvas.dc(), {left, 1, height}, &columns[i], 1, 1.0);
        GdiFlush();
        const RECT cell = {left, 0, left + columns[i].width - CELL_TEXT_MARGIN, height};
        EXPECT_EQ(0, canvas.Count(canvas.all(), PAPER, false) - canvas.Count(cell, PAPER, false))
            << display << ", row " << row << ", column " << columns[i].column->id << ", " << columns[i].width
            << " pixels wide: " << (drawn.empty() ? "" : drawn[0].text);
        for (const DrawnText& text : drawn) {
          if (text.align == TA_CENTER) continue;  // the dashes of a drive's dates
          cut += text.align == TA_LEFT;
          EXPECT_EQ(whole ? UINT(TA_RIGHT) : text.align, text.align)
              << display << ", row " << row << ": \"" << text.text << "\" does not fit its " << columns[i].width
              << " pixels";
        }
      }
    }
    SelectObject(canvas.dc(), old);
  }
  return cut;
}

class ColumnPainting : public MainWindowTest {};

TEST_F(ColumnPainting, ValuesStayInTheirCellsAndNarrowedValuesShowTheirStart) {
  // The widest texts: "999 bytes", four digits before KB and MB, and twelve
  // digits of exact bytes; every folder also has a share of its parent.
  const struct {
    const char* name;
    uint64_t size;
  } FILES[] = {{"a", 999}, {"b", 1023999}, {"c", 1048575999}, {"d", 99999999999}};
  for (const auto& file : FILES) {
    temp.MakeFolder(file.name);
    temp.MakeFile(std::string(file.name) + "\\f.bin", file.size);
  }
  Open();
  Command(IDM_EXPAND_ALL);
  for (int i = 0; i < DetailColumnCount(); ++i) {
    DetailColumn(i)->flags &= ~COLUMN_HIDDEN;
    if (DetailColumn(i)->flags & COLUMN_IS_SIZE) DetailColumn(i)->flags |= COLUMN_PERCENTAGE;
  }
  RebuildHeader();

  const struct {
    uint8_t inUnits;
    UINT sizeCommand;
    const char* name;
  } DISPLAYS[] = {
      {1, IDM_SIZE_REPORTED, "units, reported sizes"},
      {1, IDM_SIZE_ON_DISK, "units, disk usage"},
      {0, IDM_SIZE_REPORTED, "exact bytes, reported sizes"},
      {0, IDM_SIZE_ON_DISK, "exact bytes, disk usage"},
  };
  for (const auto& display : DISPLAYS) {
    if (Settings.ShowSizesInUnits != display.inUnits) Command(IDM_EXACT_BYTES);
    Command(display.sizeCommand);
    ExpectCellsInside(recorded.drawn(), display.name, true);

    // Right, a step at a time: the names give up their spare room, then the
    // first detail column narrows until it goes.
    const ColumnInfo* first = DetailColumn(0);
    int cut = 0;
    for (int step = 0; step < MAX_SCROLL_STEPS && HeaderCount() > 1; ++step) {
      if (HeaderItemColumn(1) != first) break;
      cut += ExpectCellsInside(recorded.drawn(), display.name, false, 1);
      if (HasFailure()) return;
      ScrollColumns(SB_LINERIGHT);
    }
    EXPECT_GT(cut, 0) << display.name << ": the narrowing cut values";
    ScrollColumns(SB_THUMBPOSITION, 0);
  }
}

}  // namespace
