// The criteria folders are tagged and found by: the stored half, kept twice
// inside the settings record (find and tag), so its byte layout is fixed, and
// the prepared half the pages build when the user confirms.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct CriteriaSettings {
  uint8_t pageIndex;    // 0 size, 1 name, 2 date
  uint8_t showAsTree;   // find only
  uint8_t searchScope;  // find only: 0 drive, 1 folder, 2 all drives
  uint8_t reserved[5];
  double sizeLow;
  double sizeHigh;
  uint8_t sizeRelation;  // 0 equal, 1 less, 2 greater, 3 between
  uint8_t sizeFlags;     // 0x80 test on; low 7 bits: measure index
  uint16_t dateCount;
  uint8_t dateUnit;   // 0 minutes ... 4 years
  uint8_t dateFlags;  // 0x80 test on, 0x40 negated, low 6 bits: which time
  uint8_t attributeFilter;
  uint8_t nameTestOn;
};
#pragma pack(pop)

static_assert(sizeof(CriteriaSettings) == 32, "criteria are stored as 32 bytes");
static_assert(offsetof(CriteriaSettings, sizeLow) == 8, "");
static_assert(offsetof(CriteriaSettings, sizeHigh) == 16, "");
static_assert(offsetof(CriteriaSettings, sizeRelation) == 24, "");
static_assert(offsetof(CriteriaSettings, dateCount) == 26, "");
static_assert(offsetof(CriteriaSettings, dateUnit) == 28, "");
static_assert(offsetof(CriteriaSettings, nameTestOn) == 31, "");

constexpr uint8_t CRITERIA_TEST_ON = 0x80;
constexpr uint8_t DATE_NEGATED = 0x40;
constexpr uint8_t SIZE_MEASURE_MASK = 0x7F;
constexpr uint8_t DATE_KIND_MASK = 0x3F;

constexpr uint8_t SIZE_EQUAL = 0;
constexpr uint8_t SIZE_LESS = 1;
constexpr uint8_t SIZE_GREATER = 2;
constexpr uint8_t SIZE_BETWEEN = 3;

constexpr uint8_t DATE_MODIFIED = 0;
constexpr uint8_t DATE_CREATED = 1;
constexpr uint8_t DATE_ACCESSED = 2;

constexpr uint8_t DATE_UNIT_COUNT = 5;  // minutes, hours, days, months, years

constexpr uint8_t SCOPE_CURRENT_DRIVE = 0;
constexpr uint8_t SCOPE_CURRENT_FOLDER = 1;
constexpr uint8_t SCOPE_ALL_DRIVES = 2;

constexpr uint32_t NO_SIZE_MEASURE = 0;

// Built from the pages on confirmation; never stored.
struct CriteriaPrepared {
  char namePattern[MAX_PATH];  // upper case; empty: no name test
  uint32_t sizeMeasure;        // a size column's identifier, or NO_SIZE_MEASURE
  FILETIME dateCutoff;         // UTC, fixed when the pages were applied
};

// The only pair the criteria pages read and write.  The Tag and Find dialogs
// copy their own criteria in before they open and out when confirmed.
extern CriteriaSettings WorkingCriteria;
extern CriteriaPrepared WorkingPrepared;
