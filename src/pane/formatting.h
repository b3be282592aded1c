// The texts of every number, size and date the program shows or writes.  They
// follow the thousands and decimal separators of the user's profile, read
// again on each call so a change in the control panel shows at the next paint.
// Every formatter empties the caller's buffer first and never writes past
// |size| bytes.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Room for any text below: a grouped 64-bit number with three-character
// separators, or a size with its percentage.
constexpr size_t NUMBER_TEXT_MAX = 48;
// GetDateFormatA's short date needs no more than this.
constexpr size_t DATE_TEXT_MAX = 32;

// Decimal digits with the thousands separator between groups of three:
// 1234567 reads "1,234,567".  Sizes of 4 GiB and more keep every digit.
char* FormatGroupedNumber(uint64_t value, char* buffer, size_t size);

// "999 bytes" below 1000, otherwise KB, MB or GB with two, one or no decimals
// by magnitude ("0.98KB", "10.0KB", "999KB").  The unit is chosen before the
// number is rounded, so 1,023,999 bytes read "1000KB".
char* FormatSize(double bytes, char* buffer, size_t size);

// Exact grouped bytes when |exact| is set, else FormatSize; then, unless
// |base| is 0, " (05%)" with value / base as a percentage.
char* FormatSizeWithPercentage(double value, double base, bool exact, char* buffer, size_t size);

// A count of files or folders: the whole number, without grouping.
char* FormatCount(double count, char* buffer, size_t size);

// The local date of a UTC file time in the user's short date format, no time
// of day.  Empty when the time cannot be converted.
char* FormatShortDate(const FILETIME& utc, char* buffer, size_t size);

// "1,536 (1.50KB)": exact bytes with the size in units, as the disk
// information shows its pairs.
char* FormatBytesAndSize(uint64_t value, char* buffer, size_t size);
