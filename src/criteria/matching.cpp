#include "criteria/matching.h"

#include <cstring>

#include "model/folder_node.h"
#include "model/volume.h"
#include "pane/column_info.h"
#include "shell/shell_items.h"

namespace {

bool IsLead(const char* p) { return IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]; }
int CharLength(const char* p) { return IsLead(p) ? 2 : 1; }

// Whole-name match of one element [pattern, patternEnd) against |name|.
bool ElementMatches(const char* name, const char* pattern, const char* patternEnd) {
  while (pattern < patternEnd) {
    if (*pattern == '*') {
      ++pattern;
      for (const char* rest = name;; rest += CharLength(rest)) {
        if (ElementMatches(rest, pattern, patternEnd)) return true;
        if (!*rest) return false;
      }
    }
    if (!*name) return false;
    const int length = CharLength(name);
    if (*pattern == '?') {
      ++pattern;
    } else {
      const int patternLength = CharLength(pattern);
      if (patternLength != length || pattern + patternLength > patternEnd || std::memcmp(pattern, name, length) != 0)
        return false;
      pattern += patternLength;
    }
    name += length;
  }
  return !*name;
}

bool SizePasses(const CriteriaSettings& settings, double value) {
  if (value < 0) return false;
  switch (settings.sizeRelation) {
    case SIZE_EQUAL:
      return value == settings.sizeLow;
    case SIZE_LESS:
      return value < settings.sizeLow;
    case SIZE_GREATER:
      return value > settings.sizeLow;
    case SIZE_BETWEEN:
      return settings.sizeLow <= value && value <= settings.sizeHigh;
    default:
      return true;
  }
}

uint64_t Ticks(const FILETIME& time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

bool DatePasses(const CriteriaSettings& settings, const CriteriaPrepared& prepared, const FolderNode* node) {
  // Kinds the date page never sets are read as the modification time.
  const uint8_t kind = settings.dateFlags & DATE_KIND_MASK;
  const FILETIME& time = kind == DATE_CREATED    ? node->created
                         : kind == DATE_ACCESSED ? node->lastAccess
                                                 : node->lastWrite;
  const uint64_t t = Ticks(time);
  const uint64_t cutoff = Ticks(prepared.dateCutoff);
  return (settings.dateFlags & DATE_NEGATED) ? t <= cutoff : t >= cutoff;
}

bool NamePasses(const CriteriaPrepared& prepared, FolderNode* node) {
  char name[SHELL_TEXT_MAX];
  if (!DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_NORMAL, name)) return false;
  UpperCaseAscii(name);
  return NameMatchesPatternList(name, prepared.namePattern);
}

}  // namespace

double MeasureValue(const FolderNode* node, uint32_t columnId) {
  if (!IsFolderNode(node)) return -1.0;
  const NodeSizeTriple sizes = NodeSizes(node);
  const bool filesCounted = (node->flags & FILES_COUNTED) != 0;
  const bool subtreeComplete = (node->flags & SUBTREE_COMPLETE) != 0;
  switch (columnId) {
    case COLUMN_TOTAL:
      return filesCounted && subtreeComplete ? static_cast<double>(sizes.total) : -1.0;
    case COLUMN_OWN_FILES:
      return filesCounted ? static_cast<double>(sizes.own) : -1.0;
    case COLUMN_SUBFOLDERS:
      return subtreeComplete ? static_cast<double>(sizes.subtree) : -1.0;
    default:
      return -1.0;
  }
}

bool MatchFolder(const CriteriaSettings& settings, const CriteriaPrepared& prepared, FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return false;
  if ((settings.sizeFlags & CRITERIA_TEST_ON) && prepared.sizeMeasure != NO_SIZE_MEASURE &&
      !SizePasses(settings, MeasureValue(node, prepared.sizeMeasure)))
    return false;
  if (settings.nameTestOn && prepared.namePattern[0] && !NamePasses(prepared, node)) return false;
  if ((settings.dateFlags & CRITERIA_TEST_ON) && !DatePasses(settings, prepared, node)) return false;
  return true;
}

bool NameMatchesPatternList(const char* name, const char* patterns) {
  const char* p = patterns;
  while (*p) {
    while (*p == ';' || *p == ' ') ++p;
    const char* start = p;
    while (*p && *p != ';') p += CharLength(p);
    const char* end = p;
    while (end > start && end[-1] == ' ') --end;
    if (end > start && ElementMatches(name, start, end)) return true;
  }
  return false;
}

void UpperCaseAscii(char* text) {
  for (char* p = text; *p; p += CharLength(p))
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
}
