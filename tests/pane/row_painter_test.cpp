// Detail rows painted into a bitmap: the texts each cell draws and the bar pixels.
#include "pane/column_info.h"
#include "pane/formatting.h"
#include "pane/row_painter.h"
#include "support/main_window_test.h"

namespace {

constexpr int WIDTH = 700, HEIGHT = 20;
constexpr COLORREF NORMAL = RGB(0, 0, 0), BAR = RGB(0, 0, 255), OVERFLOW = RGB(255, 0, 0);
constexpr RECT MIDDLE_ROW = {0, HEIGHT / 2, WIDTH, HEIGHT / 2 + 1};

ColumnInfo Column(uint32_t id, uint32_t flags, int minimumWidth = 50, uint16_t barScale = 1) {
  ColumnInfo column = {};
  column.id = id;
  column.flags = flags;
  column.minimumWidth = minimumWidth;
  column.barScale = barScale;
  return column;
}

class RowPainterTest : public FolderChainTest {
 protected:
  void SetUp() override {
    FolderChainTest::SetUp();
    Settings.SizeMode = 0;
    Settings.barColour = BAR;
    Settings.overflowColour = OVERFLOW;
    ApplyBarColours();
    SelectObject(canvas.dc(), ListFont());
  }

  // Paints one row at x = |left| on a white canvas and tells what it drew:
  // each text as text@x, its alignment (l, c, r) and, when not in the normal
  // colour, g for grey.
  std::string Paint(FolderNode* node, std::vector<PaintColumn> columns, int left = 0, double scale = 1.0) {
    canvas.Fill();
    SetTextColor(canvas.dc(), NORMAL);
    recorded.drawn().clear();
    PaintRow(Panes.mainTree, node, canvas.dc(), {left, 1, HEIGHT}, columns.data(), int(columns.size()), scale);
    EXPECT_EQ(NORMAL, GetTextColor(canvas.dc())) << "the text colour is given back";
    GdiFlush();
    return Drawn();
  }
  std::string Drawn() const {
    std::string row;
    for (const DrawnText& text : recorded.drawn()) {
      row += (row.empty() ? "" : " | ") + text.text + "@" + std::to_string(text.x);
      row += text.align == TA_CENTER ? "c" : text.align == TA_RIGHT ? "r" : "l";
      row += text.colour == GetSysColor(COLOR_GRAYTEXT) ? "g" : "";
    }
    return row;
  }

  Canvas canvas{WIDTH, HEIGHT};
};

TEST_F(RowPainterTest, DashesCountingMarksColoursZerosPercentagesCapacityAndDates) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5a), own = Column(COLUMN_OWN_FILES, 0x0c02),
             share = Column(COLUMN_TOTAL, 0x0c5e), capacity = Column(COLUMN_CAPACITY, 0x0502),
             modified = Column(COLUMN_MODIFIED, 0x1000), created = Column(COLUMN_CREATED, 0x1000);
  folder->ownBytes = 5000;
  EXPECT_EQ("---@60c | ---@150c | ---@220c", Paint(folder, {{&total, 100}, {&modified, 80}, {nullptr, 60}}, 10))
      << "never scanned: dashes centred in every cell, even one without its column";
  EXPECT_EQ("---@100c | ---@280c", Paint(folder, {{&total, 100}, {&modified, 80}}, 0, 2.0)) << "scaled cells";

  folder->scanState = SCAN_RUNNING;
  folder->flags = FILES_COUNTED;
  folder->ownBytes = 1536;
  folder->subtreeBytes = 10240;
  EXPECT_EQ(">11.5KB@118rg |  1.50KB@218r", Paint(folder, {{&total, 120}, {&own, 100}}))
      << "the subtree still counted is grey and marked, the counted files are not; two pixels inside the cell";
  folder->scanState = SCAN_DONE;
  folder->flags = FILES_COUNTED | SUBTREE_COMPLETE;
  EXPECT_EQ(" 11.5KB@118r", Paint(folder, {{&total, 120}}));

  const std::vector<PaintColumn> sizes = {{&share, 150}, {&own, 100}, {&capacity, 100}};
  drive->scanState = SCAN_DONE;
  drive->flags = folder->flags;
  folder->ownBytes = folder->subtreeBytes = 0;
  EXPECT_EQ(" 0 bytes@148r", Paint(folder, sizes)) << "only the column that shows zeros; no share of a total of 0";
  drive->totalBytes = 8000000;
  drive->ownBytes = 3000;
  drive->subtreeBytes = 4000;
  folder->ownBytes = 1000;
  EXPECT_EQ(" 0.98KB (14%)@148r |  0.98KB@248r", Paint(folder, sizes)) << "a folder has no capacity";
  EXPECT_EQ(" 6.84KB (00%)@148r |  2.93KB@248r |  7.63MB@348r", Paint(drive, sizes))
      << "a drive's share is of its capacity";
  Settings.ShowSizesInUnits = 0;
  EXPECT_EQ(" 8,000,000@98r", Paint(drive, {{&capacity, 100}}));

  SYSTEMTIME noon = {2021, 3, 4, 4, 12, 0, 0, 0};
  SystemTimeToFileTime(&noon, &folder->lastWrite);
  drive->lastWrite = drive->created = folder->lastWrite;
  EXPECT_EQ("---@50c | ---@140c", Paint(drive, {{&modified, 100}, {&created, 80}})) << "a drive has no dates";
  char date[DATE_TEXT_MAX];
  EXPECT_EQ(std::string(FormatShortDate(folder->lastWrite, date, sizeof date)) + "@98r",
            Paint(folder, {{&modified, 100}}))
      << "no mark before a date";
}

// Bars have a raised edge two pixels deep on each side; the fill between is
// the bar's length less 4 pixels of the bar or overflow colour.
TEST_F(RowPainterTest, FixedScaleAutomaticScaleAndCountBars) {
  ColumnInfo fixed = Column(COLUMN_TOTAL, COLUMN_IS_SIZE | COLUMN_BAR | COLUMN_BAR_OF_DRIVE, 100, 4);
  ColumnInfo automatic = Column(COLUMN_TOTAL, COLUMN_IS_SIZE | COLUMN_BAR | COLUMN_AUTO_SCALE, 100, 4);
  ColumnInfo files = Column(COLUMN_FILE_COUNT, COLUMN_BAR | COLUMN_SHOW_ZERO, 100);
  folder->scanState = SCAN_DONE;
  folder->ownBytes = 1000000;
  drive->totalBytes = 3000000;
  Paint(folder, {{&fixed, 300}}, 10);  // room for 200 pixels of bar
  EXPECT_EQ(196, canvas.Count(MIDDLE_ROW, OVERFLOW)) << "a third at scale 4 overflows the room";
  EXPECT_EQ(0, canvas.Count(MIDDLE_ROW, BAR));
  EXPECT_EQ(OVERFLOW, canvas.Pixel(12, HEIGHT / 2)) << "the bar starts at the cell's left edge";
  drive->totalBytes = 5000000;
  Paint(folder, {{&fixed, 300}}, 10);
  EXPECT_NEAR(156, canvas.Count(MIDDLE_ROW, BAR), 1) << "a fifth at scale 4 fills four fifths";
  EXPECT_EQ(0, canvas.Count(MIDDLE_ROW, OVERFLOW));
  Settings.barColour = RGB(0, 255, 0);
  ApplyBarColours();
  Paint(folder, {{&fixed, 300}}, 10);
  EXPECT_NEAR(156, canvas.Count(MIDDLE_ROW, RGB(0, 255, 0)), 1) << "new colours apply at once";
  Settings.barColour = BAR;
  ApplyBarColours();

  drive->ownBytes = 16000000;  // the folder has a sixteenth of its parent's total: half by fourth roots
  Paint(folder, {{&automatic, 300}});
  EXPECT_NEAR(96, canvas.Count(MIDDLE_ROW, BAR), 1) << "the scale factor is ignored";
  folder->fileCount = 40000000;
  Paint(folder, {{&files, 300}});
  EXPECT_EQ(196, canvas.Count(MIDDLE_ROW, BAR)) << "the largest count fills the room";
  EXPECT_EQ(0, canvas.Count(MIDDLE_ROW, OVERFLOW));
  folder->fileCount = 10000000;
  Paint(folder, {{&files, 300}});
  EXPECT_NEAR(46, canvas.Count(MIDDLE_ROW, BAR), 1) << "the count maximum never shrinks";
}

TEST_F(RowPainterTest, ListEntryPaintsTheRowOfItsTreeItem) {
  ColumnInfo total = Column(COLUMN_TOTAL, 0x0c5a);
  PaintColumn columns[] = {{&total, 130}};
  folder->scanState = SCAN_DONE;
  folder->ownBytes = 2048;
  canvas.Fill(RGB(0, 0, 0));
  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_LISTBOX;
  draw.hDC = canvas.dc();
  draw.rcItem = {5, 2, 300, 18};
  draw.itemState = ODS_SELECTED;
  draw.itemData = reinterpret_cast<ULONG_PTR>(folder->mainItem);
  HGDIOBJ font = GetCurrentObject(canvas.dc(), OBJ_FONT);
  recorded.drawn().clear();
  PaintDetailEntry(&draw, columns, 1);
  GdiFlush();
  EXPECT_EQ(">2.00KB@133rg", Drawn());
  ASSERT_EQ(1u, recorded.drawn().size());
  EXPECT_EQ(3, recorded.drawn()[0].y) << "one pixel below the entry's top";
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), canvas.Pixel(250, 10)) << "the entry is cleared first";
  EXPECT_EQ(RGB(0, 0, 0), canvas.Pixel(2, 10)) << "nothing outside the entry";
  EXPECT_EQ(font, GetCurrentObject(canvas.dc(), OBJ_FONT)) << "the list's font is put back";

  recorded.drawn().clear();
  draw.itemData = 0;
  PaintDetailEntry(&draw, columns, 1);
  EXPECT_EQ("", Drawn()) << "an entry without a folder paints nothing";
  EXPECT_EQ("", Paint(folder, {{nullptr, 50}, {&total, 100}})) << "a header item without its column stops the row";
  EXPECT_EQ("No info on column.", recorded.diagnostics());
}

}  // namespace
