// What a change report from the monitor driver does to the folder tree: an
// exact size delta for one folder and its ancestors, or a rescan of one folder.
#pragma once
#include <cstddef>
#include <cstdint>

// One report as the driver lays it out (little-endian, the same in 32- and
// 64-bit builds); |newPath| runs on past the record to its terminator.
struct DriverReport {
  uint32_t kind;
  uint32_t sizeBefore;
  uint32_t sizeAfter;
  char path[300];
  char newPath[1];
};
static_assert(offsetof(DriverReport, sizeBefore) == 4, "driver record layout");
static_assert(offsetof(DriverReport, sizeAfter) == 8, "driver record layout");
static_assert(offsetof(DriverReport, path) == 12, "driver record layout");
static_assert(offsetof(DriverReport, newPath) == 312, "driver record layout");

constexpr uint32_t REPORT_RESCAN = 1;
constexpr uint32_t REPORT_RESCAN_TOO = 2;
constexpr uint32_t REPORT_DELETED = 3;
constexpr uint32_t REPORT_WRITTEN = 4;  // created or resized
constexpr uint32_t REPORT_RENAMED = 5;  // renamed or moved
constexpr uint32_t REPORT_SIZE_UNKNOWN = 0xFFFFFFFF;

// Applies one report to the main tree; unknown kinds and folders outside the
// tree are ignored.
void ApplyDriverReport(const DriverReport* report);

// Changes the folder's own totals and every ancestor's by the size change of
// one file (|removed|/|added| count the file out or in).
void ApplyFileDelta(const char* folderPath, uint32_t oldSize, uint32_t newSize, bool removed, bool added);

// Rescans the folder at |folderPath|, without descending into known subfolders,
// on the calling thread.
void RescanFolderAt(const char* folderPath);
