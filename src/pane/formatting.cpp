#include "pane/formatting.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr char INTL_SECTION[] = "Intl";
// Profile separators are read into four bytes: at most three characters.
constexpr DWORD SEPARATOR_BUFFER = 4;
constexpr double SIZE_UNIT_STEP = 1000.0;      // units change at 1000, not 1024
constexpr double PER_KILOBYTE = 0.0009765625;  // 1 / 1024

enum SizeUnit { UNIT_KB, UNIT_MB, UNIT_GB };
constexpr const char* UNIT_NAMES[] = {"KB", "MB", "GB"};

void ReadThousandsSeparator(char (&separator)[SEPARATOR_BUFFER]) {
  GetProfileStringA(INTL_SECTION, "sThousand", ",", separator, SEPARATOR_BUFFER);
}

char ReadDecimalSeparator() {
  char decimal[SEPARATOR_BUFFER];
  GetProfileStringA(INTL_SECTION, "sDecimal", ".", decimal, SEPARATOR_BUFFER);
  // An empty value would end the text at the decimal point.
  return decimal[0] ? decimal[0] : '.';
}

bool StartEmpty(char* buffer, size_t size) {
  if (!buffer || size == 0) return false;
  buffer[0] = 0;
  return true;
}

void Append(char* buffer, size_t size, const char* text) {
  size_t used = std::strlen(buffer);
  if (used + 1 >= size) return;
  std::snprintf(buffer + used, size - used, "%s", text);
}

}  // namespace

char* FormatGroupedNumber(uint64_t value, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  char separator[SEPARATOR_BUFFER];
  ReadThousandsSeparator(separator);

  // Groups of three digits, least significant first; a 64-bit value has seven.
  unsigned groups[7];
  int count = 0;
  do {
    groups[count++] = static_cast<unsigned>(value % 1000);
    value /= 1000;
  } while (value != 0);

  char group[8];
  std::snprintf(group, sizeof group, "%u", groups[count - 1]);
  Append(buffer, size, group);
  for (int i = count - 2; i >= 0; --i) {
    std::snprintf(group, sizeof group, "%03u", groups[i]);
    Append(buffer, size, separator);
    Append(buffer, size, group);
  }
  return buffer;
}

char* FormatSize(double bytes, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  if (bytes < SIZE_UNIT_STEP) {
    std::snprintf(buffer, size, "%ld bytes", static_cast<long>(bytes));
    return buffer;
  }
  double scaled = bytes * PER_KILOBYTE;
  int unit = UNIT_KB;
  while (scaled >= SIZE_UNIT_STEP && unit < UNIT_GB) {
    scaled *= PER_KILOBYTE;
    ++unit;
  }
  int decimals = scaled < 10 ? 2 : scaled < 100 ? 1 : 0;
  std::snprintf(buffer, size, "%.*f%s", decimals, scaled, UNIT_NAMES[unit]);

  char decimal = ReadDecimalSeparator();
  for (char* c = buffer; *c; ++c) {
    if (*c == '.') *c = decimal;
  }
  return buffer;
}

char* FormatSizeWithPercentage(double value, double base, bool exact, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  if (exact) {
    // Sizes are never negative; the guard keeps the conversion defined.
    FormatGroupedNumber(value > 0 ? static_cast<uint64_t>(value) : 0, buffer, size);
  } else {
    FormatSize(value, buffer, size);
  }
  if (base != 0) {
    char percentage[24];
    std::snprintf(percentage, sizeof percentage, " (%02.0f%%)", value / base * 100);
    Append(buffer, size, percentage);
  }
  return buffer;
}

char* FormatCount(double count, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  std::snprintf(buffer, size, "%.0f", count);
  return buffer;
}

char* FormatShortDate(const FILETIME& utc, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return buffer;
  int capacity = size > INT_MAX ? INT_MAX : static_cast<int>(size);
  if (!GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, capacity)) buffer[0] = 0;
  return buffer;
}

char* FormatBytesAndSize(uint64_t value, char* buffer, size_t size) {
  if (!StartEmpty(buffer, size)) return buffer;
  FormatGroupedNumber(value, buffer, size);
  char units[NUMBER_TEXT_MAX];
  FormatSize(static_cast<double>(value), units, sizeof units);
  Append(buffer, size, " (");
  Append(buffer, size, units);
  Append(buffer, size, ")");
  return buffer;
}
