// One record per column of the folder pane: the name column (drawn by the
// tree) and up to ten detail columns (drawn by the detail list).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Flag bits of ColumnInfo::flags.
constexpr uint32_t COLUMN_SIZE_PAGE = 0x0002;       // the details sheet opens its size page
constexpr uint32_t COLUMN_PERCENTAGE = 0x0004;      // append the share of the parent's size
constexpr uint32_t COLUMN_BAR = 0x0008;             // draw a bar
constexpr uint32_t COLUMN_BAR_OF_DRIVE = 0x0010;    // bar relative to the drive's capacity
constexpr uint32_t COLUMN_SHOW_ZERO = 0x0040;       // show the value even when it is zero
constexpr uint32_t COLUMN_EXACT_BYTES = 0x0080;     // always exact byte counts
constexpr uint32_t COLUMN_HIDDEN = 0x0100;
constexpr uint32_t COLUMN_SCROLLED_OFF = 0x0200;    // its room was taken by horizontal scrolling
constexpr uint32_t COLUMN_IS_SIZE = 0x0400;
constexpr uint32_t COLUMN_AUTO_SCALE = 0x0800;      // fourth-root bars; clear: fixed scale
constexpr uint32_t COLUMN_IS_DATE = 0x1000;
constexpr uint32_t COLUMN_STORED_FLAGS = 0x0bdc;    // the bits kept between runs

// Column identifiers: each is also the string id of the column's title and
// the name of its stored settings value.
constexpr uint32_t COLUMN_NAME = 18;
constexpr uint32_t COLUMN_TOTAL = 14;
constexpr uint32_t COLUMN_OWN_FILES = 15;
constexpr uint32_t COLUMN_SUBFOLDERS = 16;
constexpr uint32_t COLUMN_FILE_COUNT = 24;
constexpr uint32_t COLUMN_FOLDER_COUNT = 23;
constexpr uint32_t COLUMN_ACCESSED = 51;
constexpr uint32_t COLUMN_MODIFIED = 52;
constexpr uint32_t COLUMN_CREATED = 65;
constexpr uint32_t COLUMN_CAPACITY = 17;

constexpr int MAX_DETAIL_COLUMNS = 10;

struct ColumnInfo {
  uint32_t id;
  int32_t contentWidth;  // pixels the content needs (+100 with a bar); default 50
  int32_t minimumWidth;  // measured text width; drags never go below it; default 50
  int32_t titleWidth;    // pixels the header needs to show the title uncut; 0 until measured
  int32_t width;         // the user's width; 0 = not set yet
  uint32_t flags;
  uint8_t ascending;     // sort direction when this column sorts
  uint8_t position;      // 0 name column, 1..10 detail columns in display order
  uint8_t headerIndex;   // its header item while shown
  uint16_t barScale;     // fixed bar magnification 1..200 (painting uses the low byte)
};

// The stored form of a column's settings (12 bytes, little-endian).
#pragma pack(push, 1)
struct StoredColumn {
  uint32_t flags;  // masked with COLUMN_STORED_FLAGS
  int32_t width;
  uint16_t barScale;
  uint8_t position;
  uint8_t ascending;
};
#pragma pack(pop)
static_assert(sizeof(StoredColumn) == 12, "a stored column is 12 bytes");
static_assert(offsetof(StoredColumn, width) == 4, "");
static_assert(offsetof(StoredColumn, barScale) == 8, "");
static_assert(offsetof(StoredColumn, position) == 10, "");
static_assert(offsetof(StoredColumn, ascending) == 11, "");
