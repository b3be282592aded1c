#include "pane/row_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "pane/column_info.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"

NodeTaggedFunction IsNodeTaggedHook = nullptr;
CurrentRowPaintedFunction CurrentRowPaintedHook = nullptr;

namespace {

constexpr char LIST_FONT_FACE[] = "MS Sans Serif";
constexpr int LIST_FONT_POINTS = 8;
constexpr int POINTS_PER_INCH = 72;
constexpr char NOT_SCANNED_TEXT[] = "---";
// Values at least as wide as any a folder shows: sizes just under 10^13
// bytes (9 TiB), counts of seven digits, a date with two-digit month and day.
constexpr double WIDEST_SIZE = 9999999999999.0;
constexpr double WIDEST_COUNT = 9999999.0;
constexpr SYSTEMTIME WIDEST_DATE = {2088, 12, 0, 28, 12, 0, 0, 0};
// In units the widest texts are "999 bytes" and four digits before a unit
// ("1000KB", "1000MB", and GB beyond 1000).
constexpr double WIDEST_IN_UNITS[] = {999.0, 1023999.0, 1048575999.0, WIDEST_SIZE};
constexpr char INCOMPLETE_MARK = '>';
constexpr int RAISED_EDGE_DEPTH = 2;  // pixels a bar's raised edge takes on each side
constexpr int INITIAL_COUNT_BAR_MAXIMUM = 200;
constexpr unsigned BAR_SCALE_MASK = 0xFF;  // only the low byte of the bar scale counts

// Owns one GDI object; Reset deletes the previous one.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  void Reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  T get() const { return object_; }

 private:
  T object_ = nullptr;
};

// Selects an object into a DC for one scope and puts the old one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The text settings a row changes, given back when the row is done so the
// list (or the printer) keeps its own.
class SavedTextState {
 public:
  explicit SavedTextState(HDC dc)
      : dc_(dc), colour_(GetTextColor(dc)), align_(GetTextAlign(dc)), background_(GetBkMode(dc)) {}
  ~SavedTextState() {
    SetTextColor(dc_, colour_);
    SetTextAlign(dc_, align_);
    SetBkMode(dc_, background_);
  }
  SavedTextState(const SavedTextState&) = delete;
  SavedTextState& operator=(const SavedTextState&) = delete;
  COLORREF colour() const { return colour_; }

 private:
  HDC dc_;
  COLORREF colour_;
  UINT align_;
  int background_;
};

GdiObject<HFONT> g_listFont;
GdiObject<HFONT> g_selectionFont;
GdiObject<HBRUSH> g_barBrush;
GdiObject<HBRUSH> g_overflowBrush;
RowTextObserver volatile g_textObserver = nullptr;

// Bars of count columns are measured against the largest count drawn so far,
// so the bars of a long scan do not shrink back.
int64_t g_countBarMaximum = INITIAL_COUNT_BAR_MAXIMUM;
// Find results mix folders of several drives: their drive bars share the
// largest capacity among them so they can be compared.
double g_largestCapacitySeen = 0;

HFONT MakeListFont(int weight) {
  HDC screen = GetDC(nullptr);
  int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  int height = -(pixelsPerInch * LIST_FONT_POINTS / POINTS_PER_INCH);
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, LIST_FONT_FACE);
}

struct CellBox {
  int left, right, top, bottom;
  int margin;  // kept clear on each side, at the painter's scale
};

// Where a text may draw: the cell less its margins.
RECT TextRoom(const CellBox& cell) {
  return {cell.left + cell.margin, cell.top, cell.right - cell.margin, cell.bottom};
}

void DrawClipped(HDC dc, const char* text, int x, const RECT& room) {
  RowTextObserver observer = g_textObserver;
  if (observer) observer(text, x, room.top, GetTextAlign(dc), GetTextColor(dc));
  ExtTextOutA(dc, x, room.top, ETO_CLIPPED, &room, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

void DrawCentred(HDC dc, const char* text, int x, const CellBox& cell) {
  const RECT room = TextRoom(cell);
  if (room.right <= room.left) return;
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  DrawClipped(dc, text, x, room);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
}

// A value too wide for its cell starts at the cell's left edge and is cut at
// the right: cut at the left, "1,999" would read "999".
void DrawValue(HDC dc, const char* text, const CellBox& cell) {
  const RECT room = TextRoom(cell);
  if (room.right <= room.left) return;
  SIZE size = {};
  if (GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size) &&
      size.cx <= room.right - room.left) {
    DrawClipped(dc, text, room.right, room);
    return;
  }
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  DrawClipped(dc, text, room.left, room);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
}

bool ShowsExactBytes(const ColumnInfo& column) {
  return !Settings.ShowSizesInUnits || (column.flags & COLUMN_EXACT_BYTES);
}

int TextWidth(HDC dc, const char* text) {
  SIZE size = {};
  return GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size) ? size.cx : 0;
}

// A drive root is its own root.
bool IsDriveRow(const FolderNode* node) { return node->root == node; }

HTREEITEM ItemIn(HWND tree, const FolderNode* node) {
  return tree && tree == Panes.findTree ? node->findItem : node->mainItem;
}

}  // namespace

int CellTextMargin(double scale) { return std::max(CELL_TEXT_MARGIN, static_cast<int>(CELL_TEXT_MARGIN * scale)); }

RowCell RowCellOf(const ColumnInfo& column, FolderNode* node, const NodeSizeTriple& sizes) {
  RowCell cell = {0, true, false, ""};
  uint8_t flags = node->flags;
  switch (column.id) {
    case COLUMN_TOTAL:
      cell.value = static_cast<double>(sizes.total);
      cell.complete = (flags & FILES_COUNTED) && (flags & SUBTREE_COMPLETE);
      break;
    case COLUMN_OWN_FILES:
      cell.value = static_cast<double>(sizes.own);
      cell.complete = (flags & FILES_COUNTED) != 0;
      break;
    case COLUMN_SUBFOLDERS:
      cell.value = static_cast<double>(sizes.subtree);
      cell.complete = (flags & SUBTREE_COMPLETE) != 0;
      break;
    case COLUMN_CAPACITY:
      if (node->kind == NODE_DRIVE_ROOT) {
        double capacity = AsDriveRoot(node)->totalBytes;
        double total = static_cast<double>(sizes.total);
        cell.value = capacity > total ? capacity : total;
      } else {
        cell.value = -1;
      }
      break;
    case COLUMN_FOLDER_COUNT:
      cell.value = static_cast<double>(node->subfolderCount);
      break;
    case COLUMN_FILE_COUNT:
      cell.value = static_cast<double>(node->fileCount);
      break;
    case COLUMN_ACCESSED:
    case COLUMN_MODIFIED:
    case COLUMN_CREATED: {
      const FILETIME& time = column.id == COLUMN_ACCESSED   ? node->lastAccess
                             : column.id == COLUMN_MODIFIED ? node->lastWrite
                                                            : node->created;
      FormatShortDate(time, cell.date, sizeof cell.date);
      cell.isDate = true;
      break;
    }
    default: {
      char text[40];
      std::snprintf(text, sizeof text, "Unknown column %u", static_cast<unsigned>(column.id));
      DiagnosticSink(1, text);
      cell.complete = false;
      break;
    }
  }
  return cell;
}

namespace {

double DriveBarBase(const DriveRootNode* drive) {
  double capacity = drive->totalBytes;
  if (!FindResultsMode) return capacity;
  if (capacity > g_largestCapacitySeen) g_largestCapacitySeen = capacity;
  return g_largestCapacitySeen;
}

void DrawBar(HDC dc, double value, double base, int factor, int room, int left, int top, int bottom) {
  // An empty folder against an empty parent has no share to show.
  if (room <= 0 || value <= 0) return;
  double length = base > 0 ? factor * (value / base) * room : room + 1.0;
  HBRUSH brush = g_barBrush.get();
  if (length > room) {
    length = room;
    brush = g_overflowBrush.get();
  }
  RECT bar = {left, top, left + static_cast<int>(length), bottom};
  if (bar.right <= bar.left || !brush) return;
  FillRect(dc, &bar, brush);
  // A raised edge narrower than its two sides spills left of the bar, into
  // the cell before.
  if (bar.right - bar.left >= 2 * RAISED_EDGE_DEPTH) DrawEdge(dc, &bar, EDGE_RAISED, BF_RECT);
}

}  // namespace

int WidestCellWidth(HDC dc, const ColumnInfo& column) {
  char text[NUMBER_TEXT_MAX + 1] = {INCOMPLETE_MARK};
  int widest = 0;
  if (column.flags & COLUMN_IS_DATE) {
    FILETIME time;
    if (SystemTimeToFileTime(&WIDEST_DATE, &time)) widest = TextWidth(dc, FormatShortDate(time, text, sizeof text));
  } else if (column.flags & COLUMN_IS_SIZE) {
    const bool exact = ShowsExactBytes(column);
    auto measure = [&](double value) {
      // A share of the parent is at most " (100%)".
      const double base = (column.flags & COLUMN_PERCENTAGE) ? value : 0;
      FormatSizeWithPercentage(value, base, exact, text + 1, sizeof text - 1);
      widest = std::max(widest, TextWidth(dc, text));
    };
    if (exact) {
      measure(WIDEST_SIZE);
    } else {
      for (double value : WIDEST_IN_UNITS) measure(value);
    }
  } else {
    FormatCount(WIDEST_COUNT, text + 1, sizeof text - 1);
    widest = TextWidth(dc, text);
  }
  widest = std::max(widest, TextWidth(dc, NOT_SCANNED_TEXT));
  return widest > 0 ? widest + 2 * CELL_TEXT_MARGIN : 0;
}

int ReadHeaderColumns(HWND header, PaintColumn* columns, int maxColumns) {
  int items = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  int count = 0;
  for (int index = 1; index < items && count < maxColumns; ++index) {
    HDITEMA item = {};
    item.mask = HDI_WIDTH | HDI_LPARAM;
    if (!SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item))) break;
    columns[count++] = {reinterpret_cast<const ColumnInfo*>(item.lParam), item.cxy};
  }
  return count;
}

void PaintRow(HWND tree, FolderNode* node, HDC dc, RowCursor cursor, const PaintColumn* columns, int count,
              double scale) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return;
  SavedTextState saved(dc);
  const COLORREF normalColour = saved.colour();
  const NodeSizeTriple sizes = NodeSizes(node);
  const DriveRootNode* drive = AsDriveRoot(node->root);
  FolderNode* parent = ParentNode(tree, ItemIn(tree, node));
  const double parentTotal = IsFolderNode(parent) ? static_cast<double>(NodeSizes(parent).total) : 0;
  const bool scanned = node->scanState == SCAN_RUNNING || node->scanState == SCAN_DONE;
  const bool tagged = IsNodeTaggedHook && IsNodeTaggedHook(node);
  SetTextAlign(dc, TA_RIGHT | TA_TOP);
  // Values and bars share a cell; text must not blank the bar behind it.
  SetBkMode(dc, TRANSPARENT);

  const int margin = CellTextMargin(scale);
  int left = cursor.left;
  for (int i = 0; i < count; ++i) {
    const int width = static_cast<int>(columns[i].width * scale);
    const CellBox box = {left, left + width, cursor.top, cursor.bottom, margin};
    if (!scanned) {
      DrawCentred(dc, NOT_SCANNED_TEXT, left + width / 2, box);
      left += width;
      continue;
    }
    const ColumnInfo* column = columns[i].column;
    if (!column) {
      DiagnosticSink(1, "No info on column.");
      break;
    }
    const RowCell cell = RowCellOf(*column, node, sizes);
    const int cellLeft = left;
    const int right = left + width;
    left = right;

    COLORREF colour = cell.complete ? normalColour : GetSysColor(COLOR_GRAYTEXT);
    if (tagged) colour = Settings.taggedColour;
    SetTextColor(dc, colour);

    if (cell.isDate) {
      // A drive root's own dates mean nothing to the user.
      if (IsDriveRow(node)) {
        DrawCentred(dc, NOT_SCANNED_TEXT, right - width / 2, box);
      } else {
        DrawValue(dc, cell.date, box);
      }
      continue;
    }
    // Negative values (the capacity of a folder that is no drive) never show.
    const bool showZero = (column->flags & COLUMN_SHOW_ZERO) != 0;
    if (!(cell.value > 0 || (cell.value == 0 && showZero))) continue;

    const bool isSize = (column->flags & COLUMN_IS_SIZE) != 0;
    double percentageBase = 0;
    if (column->flags & COLUMN_PERCENTAGE) percentageBase = IsDriveRow(node) ? drive->totalBytes : parentTotal;

    char text[NUMBER_TEXT_MAX + 1];
    text[0] = cell.complete ? ' ' : INCOMPLETE_MARK;
    if (isSize) {
      FormatSizeWithPercentage(cell.value, percentageBase, ShowsExactBytes(*column), text + 1, sizeof text - 1);
    } else {
      FormatCount(cell.value, text + 1, sizeof text - 1);
    }
    DrawValue(dc, text, box);

    if (!(column->flags & COLUMN_BAR)) continue;
    const int room = width - static_cast<int>(column->minimumWidth * scale);
    double value = cell.value;
    double base;
    if (isSize) {
      base = IsDriveRow(node) || (column->flags & COLUMN_BAR_OF_DRIVE) ? DriveBarBase(drive) : parentTotal;
    } else {
      if (value > static_cast<double>(g_countBarMaximum)) g_countBarMaximum = static_cast<int64_t>(value);
      base = static_cast<double>(g_countBarMaximum);
    }
    int factor = static_cast<int>(column->barScale & BAR_SCALE_MASK);
    if (column->flags & COLUMN_AUTO_SCALE) {
      // Fourth roots keep small folders visible beside huge ones.
      value = std::sqrt(std::sqrt(value));
      base = std::sqrt(std::sqrt(base));
      factor = 1;
    }
    DrawBar(dc, value, base, factor, room, cellLeft, cursor.top, cursor.bottom);
  }
}

void PaintDetailEntry(const DRAWITEMSTRUCT* draw, const PaintColumn* columns, int count) {
  if (!draw || draw->itemID == static_cast<UINT>(-1)) return;
  HWND tree = ActiveTree();
  FolderNode* node = NodeFromItem(tree, reinterpret_cast<HTREEITEM>(draw->itemData));
  if (!IsFolderNode(node)) return;
  if (node == CurrentFolder && CurrentRowPaintedHook) CurrentRowPaintedHook();
  FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_WINDOW));
  HFONT font = (draw->itemState & ODS_SELECTED) ? g_selectionFont.get() : g_listFont.get();
  SelectedObject selected(draw->hDC, font);
  RowCursor cursor = {draw->rcItem.left, draw->rcItem.top + 1, draw->rcItem.bottom};
  PaintRow(tree, node, draw->hDC, cursor, columns, count, 1.0);
}

bool CreateRowPaintResources() {
  g_listFont.Reset(MakeListFont(FW_NORMAL));
  g_selectionFont.Reset(MakeListFont(FW_BOLD));
  ApplyBarColours();
  return g_listFont.get() && g_selectionFont.get() && g_barBrush.get() && g_overflowBrush.get();
}

void ReleaseRowPaintResources() {
  g_listFont.Reset();
  g_selectionFont.Reset();
  g_barBrush.Reset();
  g_overflowBrush.Reset();
}

void ApplyBarColours() {
  g_barBrush.Reset(CreateSolidBrush(Settings.barColour));
  g_overflowBrush.Reset(CreateSolidBrush(Settings.overflowColour));
}

void ResetLargestCapacitySeen() { g_largestCapacitySeen = 0; }

HFONT ListFont() { return g_listFont.get(); }
HFONT SelectionFont() { return g_selectionFont.get(); }

void SetRowTextObserver(RowTextObserver observer) { g_textObserver = observer; }
