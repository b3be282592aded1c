// Number, size, percentage and date texts with the profile's separators, and detail rows painted into a bitmap: the
// texts each cell draws and the bar pixels.
#include <cstdint>
#include <cstring>
#include <utility>

#include "pane/column_info.h"
#include "pane/formatting.h"
#include "pane/row_painter.h"
#include "support/main_window_test.h"

namespace {

constexpr char MISSING[] = "\x01missing";

// Sets one "Intl" profile value for a scope and puts the old one back (or
// removes it when there was none).
class ScopedIntl {
 public:
  ScopedIntl(const char* key, const char* value) : key_(key) {
    GetProfileStringA("Intl", key, MISSING, old_, sizeof old_);
    existed_ = std::string(old_) != MISSING;
    WriteProfileStringA("Intl", key, value);
  }
  ~ScopedIntl() { WriteProfileStringA("Intl", key_, existed_ ? old_ : nullptr); }
  ScopedIntl(const ScopedIntl&) = delete;
  ScopedIntl& operator=(const ScopedIntl&) = delete;

 private:
  const char* key_;
  char old_[32] = "";
  bool existed_ = false;
};

// What |format| writes for |values| into a buffer of the usual size.
template <typename Format, typename... Values>
std::string Text(Format format, Values... values) {
  char text[NUMBER_TEXT_MAX];
  return format(values..., text, sizeof text);
}
std::string Grouped(uint64_t value) { return Text(FormatGroupedNumber, value); }
std::string Size(double bytes) { return Text(FormatSize, bytes); }

class FormattingTest : public ::testing::Test {
 protected:
  ScopedIntl thousands{"sThousand", ","};
  ScopedIntl decimal{"sDecimal", "."};
};

TEST_F(FormattingTest, GroupedNumbersKeepEveryDigitAndTheSizeUnitIsChosenBeforeRounding) {
  const std::pair<uint64_t, const char*> grouped[] = {{0, "0"},
                                                      {999, "999"},
                                                      {1000, "1,000"},
                                                      {1000000, "1,000,000"},
                                                      {1002003004, "1,002,003,004"},
                                                      {4294967295u, "4,294,967,295"},
                                                      {4294967296ull, "4,294,967,296"},
                                                      {80000000000ull, "80,000,000,000"},
                                                      {UINT64_MAX, "18,446,744,073,709,551,615"}};
  for (const auto& [value, text] : grouped) EXPECT_EQ(text, Grouped(value)) << "value " << value;

  const std::pair<double, const char*> sizes[] = {{0, "0 bytes"},
                                                  {999, "999 bytes"},
                                                  {1000, "0.98KB"},
                                                  {1536, "1.50KB"},
                                                  {10240, "10.0KB"},
                                                  {1023487, "999KB"},
                                                  {1023999, "1000KB"},
                                                  {1048576000, "0.98GB"},
                                                  {5.0 * 1024 * 1024 * 1024, "5.00GB"},
                                                  {2000.0 * 1024 * 1024 * 1024, "2000GB"}};
  for (const auto& [bytes, text] : sizes) EXPECT_EQ(text, Size(bytes)) << "bytes " << bytes;
}

TEST_F(FormattingTest, PercentagesCountsPairsAndSeparatorsReadOnEveryCall) {
  EXPECT_EQ("53 (05%)", Text(FormatSizeWithPercentage, 53.0, 1000.0, true));
  EXPECT_EQ("1.50KB (100%)", Text(FormatSizeWithPercentage, 1536.0, 1536.0, false));
  EXPECT_EQ("1.50KB", Text(FormatSizeWithPercentage, 1536.0, 0.0, false)) << "a base of 0 adds no percentage";
  EXPECT_EQ("5,368,709,120", Text(FormatSizeWithPercentage, 5.0 * 1024 * 1024 * 1024, 0.0, true));
  EXPECT_EQ("1234", Text(FormatCount, 1234));
  EXPECT_EQ("1,536 (1.50KB)", Text(FormatBytesAndSize, 1536));
  char text[5];
  EXPECT_STREQ("1,23", FormatGroupedNumber(1234567, text, sizeof text)) << "the text stops at the buffer's end";

  {
    ScopedIntl comma("sDecimal", ",");
    ScopedIntl space("sThousand", " ");
    EXPECT_EQ("1,50KB", Size(1536));
    EXPECT_EQ("1 234 567", Grouped(1234567));
  }
  {
    ScopedIntl longSeparator("sThousand", "abcd");
    EXPECT_EQ("1abc234abc567", Grouped(1234567)) << "a separator is at most three characters";
  }
  EXPECT_EQ("1.50KB", Size(1536)) << "the old separator is back";
  EXPECT_EQ("1,234,567", Grouped(1234567));
}

TEST_F(FormattingTest, ShortDatesInLocalTime) {
  SYSTEMTIME noon = {2021, 3, 4, 4, 12, 0, 0, 0};
  FILETIME local, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&noon, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  char expected[DATE_TEXT_MAX];
  ASSERT_NE(0, GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &noon, nullptr, expected, sizeof expected));

  char text[DATE_TEXT_MAX] = "stale";
  EXPECT_STREQ(expected, FormatShortDate(utc, text, sizeof text));
  EXPECT_NE(nullptr, std::strstr(text, "2021")) << text;
  EXPECT_EQ(nullptr, std::strchr(text, ':')) << "no time of day: " << text;

  const FILETIME invalid = {0xFFFFFFFFu, 0xFFFFFFFFu};
  EXPECT_STREQ("", FormatShortDate(invalid, text, sizeof text)) << "a time that cannot be converted";
  std::strcpy(text, "stale");
  EXPECT_STREQ("", FormatShortDate(utc, text, 4)) << "a date that does not fit leaves nothing";
}

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
