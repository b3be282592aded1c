// MatchFolder on a scanned tree, one row per edge of the size, name and date tests.

#include "criteria/matching.h"
#include "support/main_window_test.h"

namespace {

struct Criteria {
  CriteriaSettings settings;
  CriteriaPrepared prepared;
  int64_t cutoffAfterTime;  // the date cutoff, in ticks after the folder's chosen time
};

Criteria Size(uint8_t relation, double low, double high = 0, uint32_t measure = COLUMN_TOTAL) {
  Criteria c = {};
  c.settings.sizeFlags = CRITERIA_TEST_ON;
  c.settings.sizeRelation = relation;
  c.settings.sizeLow = low;
  c.settings.sizeHigh = high;
  c.prepared.sizeMeasure = measure;
  return c;
}

Criteria Name(const char* pattern) {
  Criteria c = {};
  c.settings.nameTestOn = 1;
  lstrcpynA(c.prepared.namePattern, pattern, MAX_PATH);
  return c;
}

Criteria Date(uint8_t flags, int64_t cutoffAfterTime) {
  Criteria c = {};
  c.settings.dateFlags = flags;
  c.cutoffAfterTime = cutoffAfterTime;
  return c;
}

using MatchingTest = MainWindowTest;

TEST_F(MatchingTest, EdgesOfTheSizeNameAndDateTests) {
  OpenScannedTree();
  constexpr uint8_t ON = CRITERIA_TEST_ON;
  const struct {
    const char* what;
    const char* folder;  // below the scanned folder; "<top>" and "<drive>" name those nodes
    Criteria criteria;
    uint8_t flagsCleared;  // as while a scan is still counting the folder
    bool matches;
  } cases[] = {
      {"between includes its low end", "Temp", Size(SIZE_BETWEEN, 10240, 20480), 0, true},
      {"between includes its high end", "x.tmp", Size(SIZE_BETWEEN, 10240, 20480), 0, true},
      {"between excludes what lies above", "big", Size(SIZE_BETWEEN, 10240, 20480), 0, false},
      {"equal is exact to the byte", "Temp", Size(SIZE_EQUAL, 10240), 0, true},
      {"equal misses by one byte", "Temp", Size(SIZE_EQUAL, 10239), 0, false},
      {"less than", "A", Size(SIZE_LESS, 1), 0, true},
      {"less than is strict", "Temp", Size(SIZE_LESS, 10240), 0, false},
      {"greater than is strict", "Temp", Size(SIZE_GREATER, 10240), 0, false},
      {"a total still being counted fails", "big", Size(SIZE_GREATER, 1 << 20), SUBTREE_COMPLETE, false},
      {"files in folder are known once counted", "big", Size(SIZE_GREATER, 1 << 20, 0, COLUMN_OWN_FILES),
       SUBTREE_COMPLETE, true},
      {"no measure skips the size test", "A", Size(SIZE_GREATER, 1 << 20, 0, NO_SIZE_MEASURE), 0, true},
      {"an unknown relation passes", "A", Size(7, 1 << 20), 0, true},
      {"*.TMP; TEMP matches Temp", "Temp", Name("*.TMP; TEMP"), 0, true},
      {"*.TMP; TEMP matches x.tmp", "x.tmp", Name("*.TMP; TEMP"), 0, true},
      {"*.TMP; TEMP does not match A", "A", Name("*.TMP; TEMP"), 0, false},
      {";; has no element and matches nothing", "Temp", Name(";;"), 0, false},
      {"? needs a character", "A", Name("A?"), 0, false},
      {"? takes any one", "D1\\D1a", Name("D?A"), 0, true},
      {"* may match nothing", "A", Name("A*"), 0, true},
      {"the whole name must match", "Temp", Name("TEM"), 0, false},
      {"an empty pattern skips the name test", "A", Name(""), 0, true},
      {"a time at the cutoff passes", "A", Date(ON, 0), 0, true},
      {"a time at the cutoff passes negated", "A", Date(ON | DATE_NEGATED, 0), 0, true},
      {"a time before the cutoff fails", "A", Date(ON, 1), 0, false},
      {"a time before the cutoff passes negated", "A", Date(ON | DATE_NEGATED, 1), 0, true},
      {"the creation time when chosen", "A", Date(ON | DATE_CREATED, 0), 0, true},
      {"the top node never matches", "<top>", {}, 0, false},
      {"a drive root matches with every test off", "<drive>", {}, 0, true},
  };
  for (const auto& c : cases) {
    const std::string folder = c.folder;
    FolderNode* node = folder == "<top>" ? top : folder == "<drive>" ? start->root : Child(folder);
    ASSERT_TRUE(IsFolderNode(node)) << c.what;
    Criteria criteria = c.criteria;
    const FILETIME chosen =
        (criteria.settings.dateFlags & DATE_KIND_MASK) == DATE_CREATED ? node->created : node->lastWrite;
    const uint64_t cutoff = ((uint64_t(chosen.dwHighDateTime) << 32) | chosen.dwLowDateTime) + criteria.cutoffAfterTime;
    criteria.prepared.dateCutoff = {static_cast<DWORD>(cutoff), static_cast<DWORD>(cutoff >> 32)};
    const uint8_t flags = node->flags;
    node->flags &= static_cast<uint8_t>(~c.flagsCleared);
    EXPECT_EQ(c.matches, MatchFolder(criteria.settings, criteria.prepared, node)) << c.what;
    node->flags = flags;
  }
}

}  // namespace
