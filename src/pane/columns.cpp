#include "pane/columns.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"

// The sort arrows; resource.h names them once the bitmaps exist.
#ifndef IDB_SORT_DESCENDING
#define IDB_SORT_DESCENDING 119
#endif
#ifndef IDB_SORT_ASCENDING
#define IDB_SORT_ASCENDING 120
#endif

ColumnsHook ResortTreeHook = nullptr;
ColumnsHook RelayoutPanesHook = nullptr;

namespace {

constexpr int DEFAULT_NEED = 50;  // content and minimum width before measuring
constexpr int BAR_WIDTH = 100;    // extra room a column's bar takes
constexpr int NAME_MARGIN = 10;   // added to the widest label
constexpr int ARROW_SIZE = 10;
constexpr int HEADER_MARGIN_EDGES = 3;  // a header's text margin, in edge widths, when it does not say
constexpr int BUTTON_STEP = 4;          // pixels per line or page step of the scroll bar
constexpr int THUMB_STEP = 1;           // pixels per step while the thumb is dragged
constexpr int MAX_REPEATS = 1 << 16;    // a bound on repeated steps, far beyond any pane width
constexpr int INITIAL_HEADER_HEIGHT = 16;
constexpr UINT ITEM_FORMAT = HDF_STRING | HDF_CENTER;

struct ColumnDefault {
  uint32_t id;
  uint32_t flags;
};
// In creation order, which is also the first run's display order.
constexpr ColumnDefault DEFAULT_COLUMNS[] = {
    {COLUMN_TOTAL,
     COLUMN_SIZE_PAGE | COLUMN_BAR | COLUMN_BAR_OF_DRIVE | COLUMN_SHOW_ZERO | COLUMN_IS_SIZE | COLUMN_AUTO_SCALE},
    {COLUMN_OWN_FILES, COLUMN_SIZE_PAGE | COLUMN_IS_SIZE | COLUMN_AUTO_SCALE},
    {COLUMN_SUBFOLDERS, COLUMN_SIZE_PAGE | COLUMN_HIDDEN | COLUMN_IS_SIZE | COLUMN_AUTO_SCALE},
    {COLUMN_FILE_COUNT, COLUMN_SHOW_ZERO | COLUMN_HIDDEN},
    {COLUMN_FOLDER_COUNT, COLUMN_SHOW_ZERO | COLUMN_HIDDEN},
    {COLUMN_ACCESSED, COLUMN_IS_DATE | COLUMN_HIDDEN},
    {COLUMN_MODIFIED, COLUMN_IS_DATE},
    {COLUMN_CREATED, COLUMN_IS_DATE | COLUMN_HIDDEN},
    {COLUMN_CAPACITY, COLUMN_SIZE_PAGE | COLUMN_HIDDEN | COLUMN_IS_SIZE},
};
static_assert(std::size(DEFAULT_COLUMNS) <= MAX_DETAIL_COLUMNS, "the defaults fit the table");
static_assert(DEFAULT_COLUMNS[0].flags == 0x0c5a && DEFAULT_COLUMNS[2].flags == 0x0d02 &&
                  DEFAULT_COLUMNS[8].flags == 0x0502,
              "default flags as the stored values expect them");

class OwnedBitmap {
 public:
  ~OwnedBitmap() { reset(nullptr); }
  HBITMAP get() const { return bitmap_; }
  void reset(HANDLE bitmap) {
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = static_cast<HBITMAP>(bitmap);
  }

 private:
  HBITMAP bitmap_ = nullptr;
};

struct ColumnSet {
  HWND header = nullptr;
  HWND tree = nullptr;
  HWND scrollBar = nullptr;
  HFONT font = nullptr;
  int headerHeight = INITIAL_HEADER_HEIGHT;
  std::unique_ptr<ColumnInfo> name;
  std::unique_ptr<ColumnInfo> details[MAX_DETAIL_COLUMNS];
  int count = 0;
  ColumnInfo* sort = nullptr;
  OwnedBitmap ascendingArrow;
  OwnedBitmap descendingArrow;
  int nameWidthCache = 0;  // 0: stale
  // The header applies the dragged width itself after HDN_ENDTRACK; this is
  // the item whose clamped width must survive that.
  int trackedItem = -1;
  int trackedWidth = 0;
};
ColumnSet g;

// --- Records and stored values --------------------------------------------

std::unique_ptr<ColumnInfo> NewColumn(uint32_t id, uint32_t flags, uint8_t ascending) {
  auto column = std::make_unique<ColumnInfo>();
  column->id = id;
  column->contentWidth = DEFAULT_NEED;
  column->minimumWidth = DEFAULT_NEED;
  column->flags = flags;
  column->ascending = ascending;
  column->barScale = 1;
  return column;
}

std::string ValueName(const ColumnInfo* column) { return std::to_string(column->id); }

void LoadStored(ColumnInfo* column) {
  StoredColumn stored = {column->flags, column->width, column->barScale, column->position, column->ascending};
  if (!ReadBinary(ValueName(column).c_str(), &stored, sizeof stored)) return;
  column->flags = (column->flags & ~COLUMN_STORED_FLAGS) | (stored.flags & COLUMN_STORED_FLAGS);
  column->width = stored.width;
  column->barScale = stored.barScale;
  column->position = stored.position;
  column->ascending = stored.ascending;
}

void Store(const ColumnInfo* column, int32_t width) {
  StoredColumn stored = {column->flags & COLUMN_STORED_FLAGS, width, column->barScale, column->position,
                         column->ascending};
  WriteBinary(ValueName(column).c_str(), &stored, sizeof stored);
}

bool IsShown(const ColumnInfo* column) { return !(column->flags & (COLUMN_HIDDEN | COLUMN_SCROLLED_OFF)); }
// The width its widest value and its title need.
int Need(const ColumnInfo* column) { return std::max(column->contentWidth, column->titleWidth); }
int FullWidth(const ColumnInfo* column) { return std::max(Need(column), column->width); }

int TableIndex(const ColumnInfo* column) {
  for (int i = 0; i < g.count; ++i)
    if (g.details[i].get() == column) return i;
  return -1;
}

// --- Header items -----------------------------------------------------------

int HeaderCount() {
  if (!g.header) return 0;
  return std::max(0, static_cast<int>(SendMessageA(g.header, HDM_GETITEMCOUNT, 0, 0)));
}

bool GetHeaderItem(int index, UINT mask, HDITEMA* item) {
  *item = {};
  item->mask = mask;
  return g.header && SendMessageA(g.header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(item));
}

int HeaderWidth(int index) {
  HDITEMA item;
  return GetHeaderItem(index, HDI_WIDTH, &item) ? item.cxy : 0;
}

ColumnInfo* HeaderColumn(int index) {
  HDITEMA item;
  return GetHeaderItem(index, HDI_LPARAM, &item) ? reinterpret_cast<ColumnInfo*>(item.lParam) : nullptr;
}

// Every change the program makes itself goes through here, so a clamp left
// over from a drag never refuses it.
void SetHeaderItem(int index, HDITEMA* item) {
  g.trackedItem = -1;
  SendMessageA(g.header, HDM_SETITEMA, index, reinterpret_cast<LPARAM>(item));
}

void SetHeaderWidth(int index, int width) {
  HDITEMA item = {};
  item.mask = HDI_WIDTH;
  item.cxy = width;
  SetHeaderItem(index, &item);
}

HBITMAP ArrowFor(const ColumnInfo* column) {
  if (column != g.sort) return nullptr;
  return column->ascending ? g.ascendingArrow.get() : g.descendingArrow.get();
}

int InsertHeaderItem(int index, ColumnInfo* column, int width) {
  std::string title = ResourceString(column->id);
  HDITEMA item = {};
  item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_LPARAM;
  item.cxy = width;
  item.pszText = &title[0];
  item.cchTextMax = static_cast<int>(title.size());
  item.fmt = ITEM_FORMAT;
  item.lParam = reinterpret_cast<LPARAM>(column);
  if (HBITMAP arrow = ArrowFor(column)) {
    item.mask |= HDI_BITMAP;
    item.fmt |= HDF_BITMAP;
    item.hbm = arrow;
  }
  return static_cast<int>(SendMessageA(g.header, HDM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item)));
}

void UpdateNameItemArrow() {
  if (!g.header || !g.name) return;
  HDITEMA item = {};
  item.mask = HDI_FORMAT | HDI_BITMAP;
  item.fmt = ITEM_FORMAT;
  if (HBITMAP arrow = ArrowFor(g.name.get())) {
    item.fmt |= HDF_BITMAP;
    item.hbm = arrow;
  }
  SetHeaderItem(0, &item);
}

// --- Measuring ----------------------------------------------------------------

HWND PaneTree() {
  HWND tree = ActiveTree();
  return tree ? tree : g.tree;
}

int TreeClientWidth() {
  RECT client = {};
  if (HWND tree = PaneTree()) GetClientRect(tree, &client);
  return client.right;
}

HFONT ColumnFont() { return g.font ? g.font : reinterpret_cast<HFONT>(SendMessageA(ActiveList(), WM_GETFONT, 0, 0)); }

// A device context of the detail list with |font| selected.
class ListDc {
 public:
  explicit ListDc(HFONT font) : window_(ActiveList()), dc_(GetDC(window_)) {
    if (dc_ && font) old_ = SelectObject(dc_, font);
  }
  ~ListDc() {
    if (old_) SelectObject(dc_, old_);
    if (dc_) ReleaseDC(window_, dc_);
  }
  ListDc(const ListDc&) = delete;
  ListDc& operator=(const ListDc&) = delete;

  HDC get() const { return dc_; }
  bool Measure(const std::string& text, SIZE* size) const {
    return dc_ && GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), size);
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

// The widest value of |column| in the list font and in the bold font of the
// selected row; 0 when nothing can be measured.
int WidestValue(const ColumnInfo& column) {
  int widest = 0;
  for (HFONT font : {ColumnFont(), SelectionFont()}) {
    if (!font) continue;
    ListDc dc(font);
    if (dc.get()) widest = std::max(widest, WidestCellWidth(dc.get(), column));
  }
  return widest;
}

// What the header needs to draw the title uncut: the text and its margins
// inside the item's raised edge, and the sort arrow with its margins.
int TitleNeed(const ColumnInfo& column) {
  ListDc dc(ColumnFont());
  SIZE title;
  if (!dc.Measure(ResourceString(column.id), &title)) return 0;
  int margin = g.header ? static_cast<int>(SendMessageA(g.header, HDM_GETBITMAPMARGIN, 0, 0)) : 0;
  if (margin <= 0) margin = HEADER_MARGIN_EDGES * GetSystemMetrics(SM_CXEDGE);
  int need = title.cx + 2 * margin + 2 * GetSystemMetrics(SM_CXEDGE);
  if (ArrowFor(&column)) need += ARROW_SIZE + 2 * margin;
  return need;
}

// --- Scroll steps ---------------------------------------------------------------

bool NamesCut() { return NameWidth() > NameColumnWidth(); }

// The first shown detail column is always header item 1.
ColumnInfo* FirstShownColumn() { return HeaderCount() >= 2 ? HeaderColumn(1) : nullptr; }

// The scrolled-off column that comes back next: the last one before |first|.
ColumnInfo* LastScrolledOffBefore(const ColumnInfo* first) {
  int end = first ? TableIndex(first) : g.count;
  for (int i = end - 1; i >= 0; --i) {
    ColumnInfo* column = g.details[i].get();
    if ((column->flags & COLUMN_SCROLLED_OFF) && !(column->flags & COLUMN_HIDDEN)) return column;
  }
  return nullptr;
}

bool WidenNames(int step) {
  ResizeNameColumn(NameColumnWidth() + step);
  return true;
}

bool ScrollOff(ColumnInfo* column) {
  column->flags |= COLUMN_SCROLLED_OFF;
  RebuildHeader();
  return true;
}

bool BringBack(ColumnInfo* column) {
  column->flags &= ~COLUMN_SCROLLED_OFF;
  RebuildHeader();
  return true;
}

bool LineRight(int step) {
  if (!NamesCut()) {
    int width = NameColumnWidth() - step;
    if (width <= 0) return false;
    ResizeNameColumn(width);
    return true;
  }
  int count = HeaderCount();
  if (count < 2) return false;
  int width = HeaderWidth(1);
  if (width <= step) {
    ColumnInfo* first = HeaderColumn(1);
    return count >= 3 && first && ScrollOff(first);
  }
  SetHeaderWidth(1, width - step);
  return true;
}

bool LineLeft(int step) {
  if (NamesCut()) return WidenNames(step);
  ColumnInfo* first = FirstShownColumn();
  if (first) {
    int width = HeaderWidth(1);
    if (width < FullWidth(first)) {
      SetHeaderWidth(1, std::min(width + step, FullWidth(first)));
      return true;
    }
  }
  if (ColumnInfo* back = LastScrolledOffBefore(first)) {
    BringBack(back);
    SetHeaderWidth(1, step);
    return true;
  }
  RECT client;
  GetClientRect(g.header, &client);
  return client.right > TotalHeaderWidth() && WidenNames(step);
}

bool PageRight() {
  int names = NameWidth();
  if (NameColumnWidth() > names) {
    ResizeNameColumn(names);
    return true;
  }
  ColumnInfo* first = FirstShownColumn();
  if (!first) return false;
  if (HeaderCount() >= 3) return ScrollOff(first);
  if (HeaderWidth(1) == 1) return false;
  SetHeaderWidth(1, 1);
  return true;
}

bool PageLeft() {
  ColumnInfo* first = FirstShownColumn();
  if (first && HeaderWidth(1) < FullWidth(first)) {
    SetHeaderWidth(1, FullWidth(first));
    return true;
  }
  if (ColumnInfo* back = LastScrolledOffBefore(first)) return BringBack(back);
  bool changed = false;
  for (int i = 0; i < MAX_REPEATS && LineLeft(BUTTON_STEP); ++i) changed = true;
  return changed;
}

void SetListsRedraw(BOOL redraw) {
  for (HWND window : {g.scrollBar, Panes.mainList, Panes.findList})
    if (window) SendMessageA(window, WM_SETREDRAW, redraw, 0);
}

// One-pixel steps until the bar's position reaches the thumb's.
bool ThumbTo(int target) {
  bool right = target > GetScrollPos(g.scrollBar, SB_CTL);
  SetListsRedraw(FALSE);
  bool changed = false;
  for (int i = 0, idle = 0; i < MAX_REPEATS && idle < 2; ++i) {
    int position = GetScrollPos(g.scrollBar, SB_CTL);
    if (right ? position >= target : position <= target) break;
    if (right ? LineRight(THUMB_STEP) : LineLeft(THUMB_STEP)) {
      UpdateColumnScrollBar();
      changed = true;
      idle = 0;
    } else {
      ++idle;
    }
  }
  SetListsRedraw(TRUE);
  RedrawWindow(g.scrollBar, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
  return changed;
}

// --- Divider drags -----------------------------------------------------------------

void OnEndTrack(const NMHEADERA* notification) {
  int index = notification->iItem;
  if (!notification->pitem || !(notification->pitem->mask & HDI_WIDTH)) return;
  int width = notification->pitem->cxy;
  if (width == HeaderWidth(index)) return;
  if (index == 0) {
    width = std::max({width, g.name->minimumWidth, NAME_COLUMN_MIN_WIDTH});
    ResizeNameColumn(width);
  } else {
    ColumnInfo* column = HeaderColumn(index);
    if (!column) return;
    column->width = std::max({width, column->minimumWidth, column->titleWidth});
    SetHeaderWidth(index, column->width);
    if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
  }
  UpdateColumnScrollBar();
  if (RelayoutPanesHook) RelayoutPanesHook();
  g.trackedItem = index;
  g.trackedWidth = HeaderWidth(index);
}

// True when the header is about to replace the clamped width with the raw
// dragged one.
bool RefuseRawWidth(const NMHEADERA* notification) {
  if (notification->iItem != g.trackedItem) return false;
  g.trackedItem = -1;
  return notification->pitem && (notification->pitem->mask & HDI_WIDTH) && notification->pitem->cxy != g.trackedWidth;
}

void ResortWholeTree() {
  if (ResortTreeHook) {
    ResortTreeHook();
  } else if (Panes.mainTree) {
    ResortBranch(Panes.mainTree, TopItem(Panes.mainTree));
  }
}

}  // namespace

// --- Set-up and teardown -------------------------------------------------------------

bool CreateColumns(HWND pane, HWND tree, HWND scrollBar, HFONT font) {
  if (g.header || g.name) DestroyColumns();
  g.header = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_BORDER | HDS_BUTTONS, 0, 0, 0, 0, pane,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(COLUMN_HEADER_ID)), AppInstance, nullptr);
  if (!g.header) return false;
  g.tree = tree;
  g.scrollBar = scrollBar;
  SetColumnFont(font);
  g.ascendingArrow.reset(
      LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_SORT_ASCENDING), IMAGE_BITMAP, ARROW_SIZE, ARROW_SIZE, 0));
  g.descendingArrow.reset(
      LoadImageA(AppInstance, MAKEINTRESOURCEA(IDB_SORT_DESCENDING), IMAGE_BITMAP, ARROW_SIZE, ARROW_SIZE, 0));

  RECT client = {};
  GetClientRect(tree, &client);
  WINDOWPOS place = {};
  HDLAYOUT layout = {&client, &place};
  if (SendMessageA(g.header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout))) {
    g.headerHeight = place.cy;
    SetWindowPos(g.header, place.hwndInsertAfter, place.x, place.y, place.cx, place.cy, place.flags | SWP_SHOWWINDOW);
  } else {
    ShowWindow(g.header, SW_SHOW);
  }

  g.name = NewColumn(COLUMN_NAME, 0, 1);
  LoadStored(g.name.get());
  g.name->position = 0;
  if (g.name->width == 0) g.name->width = NAME_COLUMN_DEFAULT_WIDTH;
  g.name->width = std::max(g.name->width, NAME_COLUMN_MIN_WIDTH);
  g.sort = g.name.get();
  InsertHeaderItem(0, g.name.get(), g.name->width);

  for (const ColumnDefault& entry : DEFAULT_COLUMNS) {
    if (g.count >= MAX_DETAIL_COLUMNS) break;
    auto column = NewColumn(entry.id, entry.flags, 0);
    LoadStored(column.get());
    g.details[g.count++] = std::move(column);
  }
  std::stable_sort(g.details, g.details + g.count,
                   [](const auto& a, const auto& b) { return a->position < b->position; });

  int sortIndex = Settings.sortColumn;
  if (sortIndex != 0 && sortIndex <= g.count) {
    g.sort = g.details[sortIndex - 1].get();
    UpdateNameItemArrow();
  }
  SortColumnIndexHook = SortColumnIndex;

  RebuildHeader();
  ResortWholeTree();
  return true;
}

void DestroyColumns() {
  int sortIndex = SortColumnIndex();
  if (sortIndex >= 0) Settings.sortColumn = static_cast<uint8_t>(sortIndex);
  if (SortColumnIndexHook == SortColumnIndex) SortColumnIndexHook = nullptr;
  if (g.header) {
    for (int i = HeaderCount() - 1; i >= 0; --i) SendMessageA(g.header, HDM_DELETEITEM, i, 0);
    if (IsWindow(g.header)) DestroyWindow(g.header);
  }
  g.header = nullptr;
  g.tree = nullptr;
  g.scrollBar = nullptr;
  g.font = nullptr;
  g.headerHeight = INITIAL_HEADER_HEIGHT;
  g.name.reset();
  for (auto& column : g.details) column.reset();
  g.count = 0;
  g.sort = nullptr;
  g.ascendingArrow.reset(nullptr);
  g.descendingArrow.reset(nullptr);
  g.nameWidthCache = 0;
  g.trackedItem = -1;
}

void SaveAllColumnSettings() {
  if (!g.name) return;
  Store(g.name.get(), NameColumnWidth());
  for (int i = 0; i < g.count; ++i) Store(g.details[i].get(), g.details[i]->width);
}

void SetColumnFont(HFONT font) {
  g.font = font;
  if (g.header && font) SendMessageA(g.header, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// --- The column table -------------------------------------------------------------

HWND ColumnHeader() { return g.header; }
int ColumnHeaderHeight() { return g.headerHeight; }
ColumnInfo* NameColumn() { return g.name.get(); }
int DetailColumnCount() { return g.count; }
ColumnInfo* DetailColumn(int index) { return index >= 0 && index < g.count ? g.details[index].get() : nullptr; }

void MoveDetailColumn(int from, int to) {
  if (from < 0 || from >= g.count || to < 0 || to >= g.count || from == to) return;
  if (from < to) {
    std::rotate(g.details + from, g.details + from + 1, g.details + to + 1);
  } else {
    std::rotate(g.details + to, g.details + from, g.details + from + 1);
  }
  RebuildHeader();
}

void SetDetailColumnOrder(ColumnInfo* const* order, int count) {
  if (count != g.count) return;
  int from[MAX_DETAIL_COLUMNS];
  bool taken[MAX_DETAIL_COLUMNS] = {};
  for (int i = 0; i < count; ++i) {
    from[i] = TableIndex(order[i]);
    if (from[i] < 0 || taken[from[i]]) return;
    taken[from[i]] = true;
  }
  std::unique_ptr<ColumnInfo> ordered[MAX_DETAIL_COLUMNS];
  for (int i = 0; i < count; ++i) ordered[i] = std::move(g.details[from[i]]);
  for (int i = 0; i < count; ++i) g.details[i] = std::move(ordered[i]);
}

ColumnTableBackup BackupColumnTable() {
  ColumnTableBackup backup;
  backup.count = g.count;
  for (int i = 0; i < g.count; ++i) {
    backup.records[i] = g.details[i].get();
    backup.contents[i] = *g.details[i];
  }
  return backup;
}

// The records themselves go back to their places too: the sort column and
// the header items point at them.
void RestoreColumnTable(const ColumnTableBackup& backup) {
  SetDetailColumnOrder(backup.records, backup.count);
  for (int i = 0; i < backup.count && i < g.count; ++i) *g.details[i] = backup.contents[i];
  RebuildHeader();
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
}

ColumnInfo* SortColumn() { return g.sort; }

void SetSortColumn(ColumnInfo* column) {
  if (!column) return;
  g.sort = column;
  UpdateNameItemArrow();
  RebuildHeader();
}

int SortColumnIndex() {
  if (!g.sort) return -1;
  if (g.sort == g.name.get()) return 0;
  int index = TableIndex(g.sort);
  return index < 0 ? -1 : index + 1;
}

// --- Header and widths ----------------------------------------------------------

void RebuildHeader() {
  if (!g.header) return;
  g.trackedItem = -1;
  for (int i = HeaderCount() - 1; i >= 1; --i) SendMessageA(g.header, HDM_DELETEITEM, i, 0);
  for (int i = 0; i < g.count; ++i) {
    ColumnInfo* column = g.details[i].get();
    column->position = static_cast<uint8_t>(i + 1);
    if (!IsShown(column)) continue;
    ComputeContentWidth(column);
    column->headerIndex = static_cast<uint8_t>(InsertHeaderItem(column->position, column, FullWidth(column)));
  }
  UpdateColumnScrollBar();
}

void ComputeContentWidth(ColumnInfo* column) {
  const int value = WidestValue(*column);
  if (!value) {
    DiagnosticSink(1, "Cannot get pixel length of string");
    return;
  }
  column->titleWidth = TitleNeed(*column);
  if (column->width == 0) column->width = column->titleWidth;
  column->minimumWidth = value;
  column->contentWidth = value + ((column->flags & COLUMN_BAR) ? BAR_WIDTH : 0);
}

void ResizeNameColumn(int width) {
  if (width <= 0) {
    DiagnosticSink(1, "Trying to resize treeview by 0.");
    return;
  }
  HWND list = ActiveList();
  if (list) {
    HWND tree = PaneTree();
    RECT client = {}, old = {};
    GetClientRect(tree, &client);
    GetWindowRect(list, &old);
    MapWindowPoints(nullptr, tree, reinterpret_cast<POINT*>(&old), 2);
    MoveWindow(list, width, 0, std::max(0, static_cast<int>(client.right) - width), client.bottom, FALSE);
    InvalidateRect(list, nullptr, FALSE);
    // The names come back where the list was; what the list drew there goes.
    if (width > old.left) {
      RECT uncovered = {old.left, 0, width, client.bottom};
      InvalidateRect(tree, &uncovered, TRUE);
    }
  }
  if (g.name) g.name->width = width;
  if (g.header) SetHeaderWidth(0, width);
}

int NameColumnWidth() {
  if (g.header) return HeaderWidth(0);
  return g.name ? g.name->width : 0;
}

int ColumnAtScreenPoint(POINT screenPoint) {
  if (!g.header) return -1;
  HDHITTESTINFO hit = {};
  hit.pt = screenPoint;
  ScreenToClient(g.header, &hit.pt);
  int index = static_cast<int>(SendMessageA(g.header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || !(hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN))) return -1;
  if (index == 0) return 0;
  ColumnInfo* column = HeaderColumn(index);
  return column ? column->position : -1;
}

// --- Messages routed by the pane window -----------------------------------------

bool HandleColumnNotify(const NMHDR* notification, LRESULT* result) {
  if (!g.header || notification->hwndFrom != g.header) return false;
  // With only HDI_WIDTH in play the A and W forms have the same layout.
  const auto* header = reinterpret_cast<const NMHEADERA*>(notification);
  switch (notification->code) {
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
      g.trackedItem = -1;
      return false;
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
      OnEndTrack(header);
      *result = 0;
      return true;
    case HDN_ITEMCHANGINGA:
    case HDN_ITEMCHANGINGW:
      if (!RefuseRawWidth(header)) return false;
      *result = TRUE;
      return true;
    default:
      return false;
  }
}

bool HandleColumnHScroll(WPARAM wParam, LPARAM lParam) {
  if (!g.scrollBar || reinterpret_cast<HWND>(lParam) != g.scrollBar) return false;
  if (!g.header) return true;
  // Items inserted or scrolled into view since the cache was filled may be
  // wider: a stale width would cut names that fit.
  ResetNameWidthCache();
  bool changed = false;
  switch (LOWORD(wParam)) {
    case SB_LINERIGHT:
      changed = LineRight(BUTTON_STEP);
      break;
    case SB_LINELEFT:
      changed = LineLeft(BUTTON_STEP);
      break;
    case SB_PAGERIGHT:
      changed = PageRight();
      break;
    case SB_PAGELEFT:
      changed = PageLeft();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      changed = ThumbTo(HIWORD(wParam));
      break;
    default:
      break;
  }
  if (changed) {
    InvalidateRect(g.header, nullptr, TRUE);
    if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
    UpdateColumnScrollBar();
  }
  return true;
}

void UpdateColumnScrollBar() {
  if (!g.scrollBar || !g.header) return;
  int names = NameWidth();
  int range = std::max(TotalContentWidth(), TreeClientWidth() - names);
  int shown = DetailHeaderWidth() + std::max(0, NameColumnWidth() - names);
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS;
  info.nMax = range;
  info.nPos = std::clamp(range - shown, 0, std::max(range, 0));
  SetScrollInfo(g.scrollBar, SB_CTL, &info, TRUE);
}

// --- Name-width cache ----------------------------------------------------------------

int NameWidth() {
  if (g.nameWidthCache) return g.nameWidthCache;
  HWND tree = PaneTree();
  if (!tree) return 0;
  RECT client = {};
  GetClientRect(tree, &client);
  LONG widest = 0;
  for (HTREEITEM item = TreeNext(tree, nullptr, TVGN_FIRSTVISIBLE); item;
       item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) {
    RECT label;
    if (!ItemRect(tree, item, true, &label)) break;
    // Items below the view are not on screen; a vertical scroll resets the cache.
    if (label.top >= client.bottom) break;
    widest = std::max(widest, label.right);
  }
  g.nameWidthCache = static_cast<int>(widest) + NAME_MARGIN;
  return g.nameWidthCache;
}

void ResetNameWidthCache() { g.nameWidthCache = 0; }

// --- Sums for the window layout ---------------------------------------------------

int TotalHeaderWidth() { return NameColumnWidth() + DetailHeaderWidth(); }

int DetailHeaderWidth() {
  int total = 0;
  for (int i = HeaderCount() - 1; i >= 1; --i) total += HeaderWidth(i);
  return total;
}

int TotalContentWidth() {
  int total = 0;
  for (int i = 0; i < g.count; ++i)
    if (!(g.details[i]->flags & COLUMN_HIDDEN)) total += Need(g.details[i].get());
  return total;
}

bool AnyColumnScrolledOff() {
  for (int i = 0; i < g.count; ++i)
    if ((g.details[i]->flags & (COLUMN_SCROLLED_OFF | COLUMN_HIDDEN)) == COLUMN_SCROLLED_OFF) return true;
  return false;
}

bool ColumnsNeedHorizontalScroll(int clientWidth) {
  if (!g.header) return false;
  ResetNameWidthCache();
  if (AnyColumnScrolledOff() || NamesCut() || TotalHeaderWidth() > clientWidth) return true;
  int count = HeaderCount();
  for (int i = 1; i < count; ++i) {
    ColumnInfo* column = HeaderColumn(i);
    if (column && HeaderWidth(i) < FullWidth(column)) return true;
  }
  return false;
}

// --- Size display commands ---------------------------------------------------------

void ToggleExactSizes() {
  Settings.ShowSizesInUnits = Settings.ShowSizesInUnits ? 0 : 1;
  int count = HeaderCount();
  for (int i = 1; i < count; ++i) {
    ColumnInfo* column = HeaderColumn(i);
    if (!column) {
      DiagnosticSink(1, "No info on column.");
      return;
    }
    ComputeContentWidth(column);
  }
  RebuildHeader();
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
  if (g.header) InvalidateRect(g.header, nullptr, TRUE);
}

void SetSizeMode(uint8_t mode) {
  Settings.SizeMode = mode;
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
}
