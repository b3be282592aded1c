// Detail rows painted into a memory bitmap: the texts each cell draws (seen
// through the painter's text observer) and the bar pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "pane/column_info.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "settings/settings_record.h"
#include "support/test_panes.h"

namespace {

constexpr int BITMAP_WIDTH = 700;
constexpr int BITMAP_HEIGHT = 20;
constexpr COLORREF NORMAL = RGB(0, 0, 0);

struct DrawnText {
  std::string text;
  int x;
  int y;
  UINT align;
  COLORREF colour;
};
std::vector<DrawnText> g_drawn;
std::vector<std::string> g_diagnostics;

void RecordText(const char* text, int x, int y, UINT align, COLORREF colour) {
  g_drawn.push_back({text, x, y, align & (TA_CENTER | TA_RIGHT), colour});
}
void RecordDiagnostic(int, const char* text) { g_diagnostics.push_back(text); }

ColumnInfo Column(uint32_t id, uint32_t flags, int minimumWidth = 50, uint16_t barScale = 1) {
  ColumnInfo column = {};
  column.id = id;
  column.flags = flags;
  column.minimumWidth = minimumWidth;
  column.barScale = barScale;
  return column;
}

std::string Units(double bytes, double base = 0) {
  char text[NUMBER_TEXT_MAX];
  return FormatSizeWithPercentage(bytes, base, false, text, sizeof text);
}

class RowPainterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyDefaultSettings(&Settings);
    Settings.SizeMode = 0;
    Settings.barColour = RGB(0, 0, 255);
    Settings.overflowColour = RGB(255, 0, 0);
    Settings.taggedColour = RGB(0, 128, 0);
    ASSERT_TRUE(CreateRowPaintResources());
    top = panes.AddTopNode();
    drive = panes.AddDriveRoot(top, "C:\\");
    folder = panes.AddFolder(drive, "C:\\windows");

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = BITMAP_WIDTH;
    info.bmiHeader.biHeight = -BITMAP_HEIGHT;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    ASSERT_TRUE(bitmap);
    oldBitmap = SelectObject(dc, bitmap);
    oldFont = SelectObject(dc, ListFont());
    SetRowTextObserver(RecordText);
    SetDiagnosticObserver(RecordDiagnostic);
  }
  void TearDown() override {
    SetRowTextObserver(nullptr);
    SetDiagnosticObserver(nullptr);
    IsNodeTaggedHook = nullptr;
    CurrentRowPaintedHook = nullptr;
    CurrentFolder = nullptr;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseRowPaintResources();
  }

  // Paints one row at x = |left| on a white bitmap and returns what it drew.
  std::vector<DrawnText> Paint(FolderNode* node, std::vector<PaintColumn> columns, int left = 0, double scale = 1.0) {
    RECT all = {0, 0, BITMAP_WIDTH, BITMAP_HEIGHT};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, NORMAL);
    g_drawn.clear();
    PaintRow(panes.tree(), node, dc, {left, 1, BITMAP_HEIGHT}, columns.data(), static_cast<int>(columns.size()), scale);
    EXPECT_EQ(NORMAL, GetTextColor(dc)) << "the text colour is given back";
    GdiFlush();
    return g_drawn;
  }

  COLORREF Pixel(int x, int y) const {
    DWORD p = pixels[y * BITMAP_WIDTH + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int CountInMiddleRow(COLORREF colour) const {
    int count = 0;
    for (int x = 0; x < BITMAP_WIDTH; ++x) count += Pixel(x, BITMAP_HEIGHT / 2) == colour;
    return count;
  }

  TestPanes panes;
  FolderNode* top = nullptr;
  DriveRootNode* drive = nullptr;
  FolderNode* folder = nullptr;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  DWORD* pixels = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HGDIOBJ oldFont = nullptr;
};

TEST_F(RowPainterTest, UnscannedFolderShowsDashesCentredInEveryCell) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5a), modified = Column(COLUMN_MODIFIED, 0x1000);
  folder->ownBytes = 5000;
  auto drawn = Paint(folder, {{&total, 100}, {&modified, 80}, {nullptr, 60}}, 10);
  ASSERT_EQ(3u, drawn.size()) << "one text per cell, even for a header item without its column";
  const int centres[] = {60, 150, 220};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ("---", drawn[i].text);
    EXPECT_EQ(static_cast<UINT>(TA_CENTER), drawn[i].align);
    EXPECT_EQ(centres[i], drawn[i].x) << "cell " << i;
    EXPECT_EQ(1, drawn[i].y);
  }
  drawn = Paint(folder, {{&total, 100}, {&modified, 80}}, 0, 2.0);
  ASSERT_EQ(2u, drawn.size());
  EXPECT_EQ(100, drawn[0].x) << "the width scale widens the cells";
  EXPECT_EQ(280, drawn[1].x);
}

TEST_F(RowPainterTest, ValuesBeingCountedAreGreyWithAMark) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5a), own = Column(COLUMN_OWN_FILES, 0x0c02);
  ASSERT_NE(NORMAL, GetSysColor(COLOR_GRAYTEXT));
  folder->scanState = SCAN_RUNNING;
  folder->flags = FILES_COUNTED;
  folder->ownBytes = 1536;
  folder->subtreeBytes = 10240;
  auto drawn = Paint(folder, {{&total, 120}, {&own, 100}});
  ASSERT_EQ(2u, drawn.size());
  EXPECT_EQ(">" + Units(11776), drawn[0].text) << "the subtree is still being counted";
  EXPECT_EQ(GetSysColor(COLOR_GRAYTEXT), drawn[0].colour);
  EXPECT_EQ(static_cast<UINT>(TA_RIGHT), drawn[0].align);
  EXPECT_EQ(118, drawn[0].x) << "right-aligned two pixels inside the cell";
  EXPECT_EQ(" " + Units(1536), drawn[1].text) << "the files of the folder are counted";
  EXPECT_EQ(NORMAL, drawn[1].colour);
  EXPECT_EQ(218, drawn[1].x);

  folder->scanState = SCAN_DONE;
  folder->flags = FILES_COUNTED | SUBTREE_COMPLETE;
  drawn = Paint(folder, {{&total, 120}});
  ASSERT_EQ(1u, drawn.size());
  EXPECT_EQ(" " + Units(11776), drawn[0].text);
  EXPECT_EQ(NORMAL, drawn[0].colour);

  IsNodeTaggedHook = [](FolderNode*) { return true; };
  drawn = Paint(folder, {{&total, 120}});
  ASSERT_EQ(1u, drawn.size());
  EXPECT_EQ(Settings.taggedColour, drawn[0].colour) << "a tagged folder is drawn in the tag colour";
}

TEST_F(RowPainterTest, ZerosPercentagesCapacityAndExactBytes) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5e), own = Column(COLUMN_OWN_FILES, 0x0c02),
             capacity = Column(COLUMN_CAPACITY, 0x0502);
  std::vector<PaintColumn> columns = {{&total, 150}, {&own, 100}, {&capacity, 100}};
  drive->scanState = folder->scanState = SCAN_DONE;
  drive->flags = folder->flags = FILES_COUNTED | SUBTREE_COMPLETE;
  auto drawn = Paint(folder, columns);
  ASSERT_EQ(1u, drawn.size()) << "an empty folder shows only the column that shows zeros";
  EXPECT_EQ(" 0 bytes", drawn[0].text) << "no percentage of a parent whose total is 0";

  drive->totalBytes = 8000000;
  drive->ownBytes = 3000;
  drive->subtreeBytes = 4000;
  folder->ownBytes = 1000;
  drawn = Paint(folder, columns);
  ASSERT_EQ(2u, drawn.size()) << "a folder has no capacity";
  EXPECT_EQ(" " + Units(1000, 7000), drawn[0].text);
  EXPECT_NE(std::string::npos, drawn[0].text.find(" (14%)")) << drawn[0].text;
  EXPECT_EQ(" " + Units(1000), drawn[1].text);

  drawn = Paint(drive, columns);
  ASSERT_EQ(3u, drawn.size());
  EXPECT_EQ(" " + Units(7000, 8000000), drawn[0].text) << "a drive's share is of its capacity";
  EXPECT_EQ(" " + Units(8000000), drawn[2].text);

  Settings.ShowSizesInUnits = 0;
  drawn = Paint(drive, {{&capacity, 100}});
  ASSERT_EQ(1u, drawn.size());
  char exact[NUMBER_TEXT_MAX];
  EXPECT_EQ(std::string(" ") + FormatGroupedNumber(8000000, exact, sizeof exact), drawn[0].text);
}

TEST_F(RowPainterTest, DriveRootShowsDashesInDateColumns) {
  ColumnInfo modified = Column(COLUMN_MODIFIED, 0x1000), created = Column(COLUMN_CREATED, 0x1000);
  SYSTEMTIME noon = {2021, 3, 4, 4, 12, 0, 0, 0};
  SystemTimeToFileTime(&noon, &folder->lastWrite);
  drive->lastWrite = drive->created = folder->lastWrite;
  drive->scanState = folder->scanState = SCAN_DONE;

  auto drawn = Paint(drive, {{&modified, 100}, {&created, 80}});
  ASSERT_EQ(2u, drawn.size());
  EXPECT_EQ("---", drawn[0].text);
  EXPECT_EQ(static_cast<UINT>(TA_CENTER), drawn[0].align);
  EXPECT_EQ(50, drawn[0].x);
  EXPECT_EQ("---", drawn[1].text);
  EXPECT_EQ(140, drawn[1].x);

  drawn = Paint(folder, {{&modified, 100}});
  ASSERT_EQ(1u, drawn.size());
  char date[DATE_TEXT_MAX];
  EXPECT_EQ(FormatShortDate(folder->lastWrite, date, sizeof date), drawn[0].text) << "no mark before a date";
  EXPECT_FALSE(drawn[0].text.empty());
  EXPECT_EQ(static_cast<UINT>(TA_RIGHT), drawn[0].align);
}

// Bars have a raised edge two pixels deep on each side; the fill between
// is |length| - 4 pixels of the bar or overflow colour.
TEST_F(RowPainterTest, FixedScaleBarsAgainstTheDrive) {
  ColumnInfo bar = Column(COLUMN_TOTAL, COLUMN_IS_SIZE | COLUMN_BAR | COLUMN_BAR_OF_DRIVE, 100, 4);
  const std::vector<PaintColumn> columns = {{&bar, 300}};  // room for 200 pixels of bar
  drive->totalBytes = 3000000;
  folder->scanState = SCAN_DONE;

  folder->ownBytes = 1000000;
  Paint(folder, columns, 10);
  EXPECT_EQ(196, CountInMiddleRow(Settings.overflowColour)) << "a third at scale 4 overflows the room";
  EXPECT_EQ(0, CountInMiddleRow(Settings.barColour));
  EXPECT_EQ(Settings.overflowColour, Pixel(12, BITMAP_HEIGHT / 2)) << "the bar starts at the cell's left edge";

  drive->totalBytes = 5000000;
  Paint(folder, columns, 10);
  EXPECT_NEAR(156, CountInMiddleRow(Settings.barColour), 1) << "a fifth at scale 4 fills four fifths";
  EXPECT_EQ(0, CountInMiddleRow(Settings.overflowColour));

  Settings.barColour = RGB(0, 255, 0);
  ApplyBarColours();
  Paint(folder, columns, 10);
  EXPECT_NEAR(156, CountInMiddleRow(RGB(0, 255, 0)), 1) << "new colours apply at once";
}

TEST_F(RowPainterTest, AutomaticScaleAndCountBars) {
  ColumnInfo bar = Column(COLUMN_TOTAL, COLUMN_IS_SIZE | COLUMN_BAR | COLUMN_AUTO_SCALE, 100, 4);
  ColumnInfo files = Column(COLUMN_FILE_COUNT, COLUMN_BAR | COLUMN_SHOW_ZERO, 100);
  folder->scanState = SCAN_DONE;
  drive->ownBytes = 16000000;
  folder->ownBytes = 1000000;  // a sixteenth of the parent's total: half by fourth roots
  Paint(folder, {{&bar, 300}});
  EXPECT_NEAR(96, CountInMiddleRow(Settings.barColour), 1) << "the scale factor is ignored";

  folder->fileCount = 40000000;
  Paint(folder, {{&files, 300}});
  EXPECT_EQ(196, CountInMiddleRow(Settings.barColour)) << "the largest count fills the room";
  EXPECT_EQ(0, CountInMiddleRow(Settings.overflowColour));
  folder->fileCount = 10000000;
  Paint(folder, {{&files, 300}});
  EXPECT_NEAR(46, CountInMiddleRow(Settings.barColour), 1) << "the count maximum never shrinks";
}

TEST_F(RowPainterTest, ListEntryPaintsTheTreeItemsRow) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5a);
  HWND header = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD, 0, 0, 400, 20, panes.window(), nullptr, nullptr, nullptr);
  HDITEMA item = {};
  item.mask = HDI_WIDTH | HDI_LPARAM;
  item.cxy = 220;
  SendMessageA(header, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  item.cxy = 130;
  item.lParam = reinterpret_cast<LPARAM>(&total);
  SendMessageA(header, HDM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&item));
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  ASSERT_EQ(1, ReadHeaderColumns(header, columns, MAX_DETAIL_COLUMNS)) << "the name column is not a detail";
  EXPECT_EQ(&total, columns[0].column);
  EXPECT_EQ(130, columns[0].width);
  DestroyWindow(header);

  folder->scanState = SCAN_DONE;
  folder->ownBytes = 2048;
  CurrentFolder = folder;
  static int painted;
  painted = 0;
  CurrentRowPaintedHook = [] { ++painted; };
  RECT black = {0, 0, BITMAP_WIDTH, BITMAP_HEIGHT};
  FillRect(dc, &black, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_LISTBOX;
  draw.hDC = dc;
  draw.rcItem = {5, 2, 300, 18};
  draw.itemState = ODS_SELECTED;
  draw.itemData = reinterpret_cast<ULONG_PTR>(folder->mainItem);
  HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  g_drawn.clear();
  PaintDetailEntry(&draw, columns, 1);
  GdiFlush();
  ASSERT_EQ(1u, g_drawn.size());
  EXPECT_EQ(">" + Units(2048), g_drawn[0].text);
  EXPECT_EQ(133, g_drawn[0].x);
  EXPECT_EQ(3, g_drawn[0].y) << "one pixel below the entry's top";
  EXPECT_EQ(1, painted) << "the current folder's row refreshes the status line";
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), Pixel(250, 10)) << "the entry is cleared first";
  EXPECT_EQ(RGB(0, 0, 0), Pixel(2, 10)) << "nothing outside the entry";
  EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT)) << "the list's font is put back";

  g_drawn.clear();
  draw.itemData = 0;
  PaintDetailEntry(&draw, columns, 1);
  EXPECT_TRUE(g_drawn.empty()) << "an entry without a folder paints nothing";

  PaintColumn broken[] = {{nullptr, 50}, {&total, 100}};
  g_diagnostics.clear();
  Paint(folder, {broken[0], broken[1]});
  EXPECT_TRUE(g_drawn.empty()) << "a header item without its column stops the row";
  EXPECT_EQ(std::vector<std::string>{"No info on column."}, g_diagnostics);
}

}  // namespace
