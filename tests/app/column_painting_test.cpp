// The detail columns as the real main window paints them, pixel by pixel,
// over a scanned folder whose sizes have the widest texts: every title and
// value stays inside its own cell whatever the size display, and a first
// column narrowed by the horizontal scroll bar shows the start of its values,
// never other digits.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/main_window_run.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

constexpr COLORREF PAPER = RGB(255, 255, 255);
constexpr int MARGIN = 40;  // room left and right of the row, where nothing may land
constexpr int WIDER = 100;  // how much wider a header item is made to see its title whole
constexpr int DARK = 100;   // a channel below this is ink, not background
constexpr int MAX_SCROLL_STEPS = 2000;

struct DrawnText {
  std::string text;
  UINT align;
};
std::vector<DrawnText> g_drawn;
void RecordText(const char* text, int, int, UINT align, COLORREF) {
  g_drawn.push_back({text, align & (TA_LEFT | TA_CENTER | TA_RIGHT)});
}

// A white 32-bit bitmap selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    Clear();
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  void Clear() {
    RECT all = {0, 0, width_, height_};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
  }
  COLORREF Pixel(int x, int y) const {
    DWORD p = pixels_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  // Painted columns left of |left| or from |right| on.
  int PaintedOutside(int left, int right) const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) count += (x < left || x >= right) && Pixel(x, y) != PAPER;
    return count;
  }
  // Pixels of |area| not in the |background| colour.
  int Ink(const RECT& area, COLORREF background) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) count += Pixel(x, y) != background;
    return count;
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  DWORD* pixels_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

int HeaderCount() { return static_cast<int>(SendMessageA(ColumnHeader(), HDM_GETITEMCOUNT, 0, 0)); }
RECT HeaderItemRect(int index) {
  RECT rect = {};
  SendMessageA(ColumnHeader(), HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

// The ink of each header item's title, as the header paints itself: inside
// its raised edge, so the edge is not counted.
std::vector<int> TitleInk() {
  RECT client;
  GetClientRect(ColumnHeader(), &client);
  Canvas canvas(client.right, client.bottom);
  SendMessageA(ColumnHeader(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
  GdiFlush();
  std::vector<int> ink;
  const int edge = GetSystemMetrics(SM_CXEDGE);
  for (int i = 0; i < HeaderCount(); ++i) {
    RECT item = HeaderItemRect(i);
    InflateRect(&item, -edge, -edge);
    // The corner is the item's background: the title stands in the middle.
    ink.push_back(canvas.Ink(item, canvas.Pixel(item.left, item.top)));
  }
  return ink;
}

void SetItemWidth(int index, int width) {
  HDITEMA item = {};
  item.mask = HDI_WIDTH;
  item.cxy = width;
  SendMessageA(ColumnHeader(), HDM_SETITEMA, index, reinterpret_cast<LPARAM>(&item));
}

// A title the header cuts ends in an ellipsis: its ink differs from that of
// the same title with room to spare.
void ExpectTitlesWhole(const char* display) {
  // The header paints only the items within its width: for a while it is as
  // wide as all of them with room to spare.
  HWND header = ColumnHeader();
  RECT place;
  GetWindowRect(header, &place);
  MapWindowPoints(nullptr, GetParent(header), reinterpret_cast<POINT*>(&place), 2);
  const int all = HeaderItemRect(HeaderCount() - 1).right + WIDER * HeaderCount();
  SetWindowPos(header, nullptr, 0, 0, all, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const std::vector<int> shown = TitleInk();
  std::vector<int> widths;
  for (int i = 0; i < HeaderCount(); ++i) widths.push_back(HeaderItemRect(i).right - HeaderItemRect(i).left);
  for (int i = 0; i < HeaderCount(); ++i) SetItemWidth(i, widths[i] + WIDER);
  const std::vector<int> roomy = TitleInk();
  for (int i = 0; i < HeaderCount(); ++i) SetItemWidth(i, widths[i]);
  SetWindowPos(header, nullptr, 0, 0, place.right - place.left, place.bottom - place.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (int i = 0; i < HeaderCount(); ++i) {
    EXPECT_GT(roomy[i], 0) << display << ": header item " << i << " has a title";
    EXPECT_EQ(roomy[i], shown[i]) << display << ": the title of header item " << i << " is cut";
  }
}

// Paints the first |cells| cells of each visible row, each alone at its place
// in the row, in the list font and in the selected row's bold font, and
// checks that nothing lands outside the cell less its right margin.  |whole|:
// every value must fit, drawn right-aligned; otherwise a value too wide
// starts at the cell's left edge and is cut at the right.  Returns how many
// values were cut.
int ExpectCellsInside(const char* display, bool whole, int cells = MAX_DETAIL_COLUMNS) {
  int cut = 0;
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  const int count = ReadHeaderColumns(ColumnHeader(), columns, MAX_DETAIL_COLUMNS);
  if (cells > count) cells = count;
  int rowWidth = 0;
  for (int i = 0; i < count; ++i) rowWidth += columns[i].width;
  const int height = static_cast<int>(SendMessageA(Panes.mainList, LB_GETITEMHEIGHT, 0, 0));
  Canvas canvas(rowWidth + 2 * MARGIN, height);
  HWND tree = Panes.mainTree;
  SetRowTextObserver(RecordText);
  for (HFONT font : {ListFont(), SelectionFont()}) {
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) {
      const std::string row = TreeItemText(tree, item);
      int left = MARGIN;
      for (int i = 0; i < cells; ++i) {
        canvas.Clear();
        g_drawn.clear();
        PaintRow(tree, NodeFromItem(tree, item), canvas.dc(), {left, 1, height}, &columns[i], 1, 1.0);
        GdiFlush();
        const int right = left + columns[i].width;
        EXPECT_EQ(0, canvas.PaintedOutside(left, right - CELL_TEXT_MARGIN))
            << display << ", row " << row << ", column " << columns[i].column->id << ", " << columns[i].width
            << " pixels wide: " << (g_drawn.empty() ? "" : g_drawn[0].text);
        for (const DrawnText& text : g_drawn) {
          if (text.align == TA_CENTER) continue;  // the dashes of a drive's dates
          cut += text.align == TA_LEFT;
          EXPECT_EQ(whole ? UINT(TA_RIGHT) : text.align, text.align)
              << display << ", row " << row << ": \"" << text.text << "\" does not fit its " << columns[i].width
              << " pixels";
        }
        left = right;
      }
    }
    SelectObject(canvas.dc(), old);
  }
  SetRowTextObserver(nullptr);
  return cut;
}

// The pane's horizontal scroll bar, as the user works it.
void Scroll(WORD code, WORD position = 0) {
  HWND host = GetParent(ColumnHeader());
  HWND bar = GetDlgItem(host, IDC_PANE_SCROLLBAR);
  SendMessageA(host, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

struct Display {
  uint8_t inUnits;
  UINT sizeCommand;
  const char* name;
};
const Display DISPLAYS[] = {
    {1, IDM_SIZE_REPORTED, "units, reported sizes"},
    {1, IDM_SIZE_ON_DISK, "units, disk usage"},
    {0, IDM_SIZE_REPORTED, "exact bytes, reported sizes"},
    {0, IDM_SIZE_ON_DISK, "exact bytes, disk usage"},
};

TEST(ColumnPainting, TitlesAndValuesStayInTheirCellsAndNarrowedValuesShowTheirStart) {
  TempFolder temp;
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
  std::string path = temp.Path();
  path.pop_back();
  MainWindowRun run(path);
  HWND window = run.Open();
  ASSERT_NE(nullptr, window);
  SendMessageA(window, WM_COMMAND, IDM_EXPAND_ALL, 0);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  for (int i = 0; i < DetailColumnCount(); ++i) {
    DetailColumn(i)->flags &= ~COLUMN_HIDDEN;
    if (DetailColumn(i)->flags & COLUMN_IS_SIZE) DetailColumn(i)->flags |= COLUMN_PERCENTAGE;
  }
  RebuildHeader();

  for (const Display& display : DISPLAYS) {
    if (Settings.ShowSizesInUnits != display.inUnits) SendMessageA(window, WM_COMMAND, IDM_EXACT_BYTES, 0);
    SendMessageA(window, WM_COMMAND, display.sizeCommand, 0);
    ExpectTitlesWhole(display.name);
    ExpectCellsInside(display.name, true);

    // Right, a step at a time: the names give up their spare room, then the
    // first detail column narrows until it goes.
    const ColumnInfo* first = DetailColumn(0);
    int cut = 0;
    for (int step = 0; step < MAX_SCROLL_STEPS && HeaderCount() > 1; ++step) {
      HDITEMA item = {};
      item.mask = HDI_LPARAM;
      SendMessageA(ColumnHeader(), HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
      if (reinterpret_cast<const ColumnInfo*>(item.lParam) != first) break;
      cut += ExpectCellsInside(display.name, false, 1);
      if (::testing::Test::HasFailure()) return;
      Scroll(SB_LINERIGHT);
    }
    EXPECT_GT(cut, 0) << display.name << ": the narrowing cut values";
    Scroll(SB_THUMBPOSITION, 0);
  }
}

}  // namespace
