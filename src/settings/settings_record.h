// Every option kept in the one fixed-layout record stored as "GLobalSettings".
// The layout is the stored format: offsets are checked at compile time.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "criteria/criteria_settings.h"

constexpr DWORD SETTINGS_RECORD_SIZE = 272;

#pragma pack(push, 1)
struct SettingsRecord {
  uint8_t scanScope;               // 0 whole drive, 1 current folder
  uint8_t includeKnownSubfolders;  // folder scans re-enumerate known subfolders
  uint8_t stopAllScans;            // the stop command stops every drive
  uint8_t sortColumn;
  uint8_t mainWindowMaximized;  // the main window was maximised at the last exit
  uint8_t reserved5[3];
  int32_t mainWindowRect[4];  // left, top, right, bottom of its restored size
  CriteriaSettings findCriteria;
  uint8_t ShowSizesInUnits;
  uint8_t SizeMode;  // 0 reported size, 1 actual disk usage
  uint8_t reserved58[2];
  uint32_t scanDrives;  // bit n: drive number n (3 = C:) is scanned at start-up
  uint32_t allRemovable;
  uint32_t allFixed;
  uint32_t allNetwork;
  uint32_t allOther;
  uint8_t ShowToolbar;
  uint8_t ShowFilePane;
  uint8_t ShowStatusBar;
  uint8_t ShowTabs;
  uint8_t showOnlyScanDrives;
  uint8_t reserved85[3];
  CriteriaSettings tagCriteria;
  COLORREF barColour;
  COLORREF overflowColour;
  COLORREF taggedColour;
  COLORREF barCustomColours[16];
  COLORREF overflowCustomColours[16];
  uint32_t FilePaneViewMode;  // 1 large icons, 2 small icons, 3 list, 4 details
  uint8_t FindAdvancedShown;
  uint8_t reserved265[7];
};
#pragma pack(pop)

static_assert(sizeof(SettingsRecord) == SETTINGS_RECORD_SIZE, "the stored record is 272 bytes");
static_assert(offsetof(SettingsRecord, sortColumn) == 3, "");
static_assert(offsetof(SettingsRecord, mainWindowMaximized) == 4, "");
static_assert(offsetof(SettingsRecord, mainWindowRect) == 8, "");
static_assert(offsetof(SettingsRecord, findCriteria) == 24, "");
static_assert(offsetof(SettingsRecord, ShowSizesInUnits) == 56, "");
static_assert(offsetof(SettingsRecord, SizeMode) == 57, "");
static_assert(offsetof(SettingsRecord, scanDrives) == 60, "");
static_assert(offsetof(SettingsRecord, allRemovable) == 64, "");
static_assert(offsetof(SettingsRecord, allOther) == 76, "");
static_assert(offsetof(SettingsRecord, ShowToolbar) == 80, "");
static_assert(offsetof(SettingsRecord, ShowTabs) == 83, "");
static_assert(offsetof(SettingsRecord, showOnlyScanDrives) == 84, "");
static_assert(offsetof(SettingsRecord, tagCriteria) == 88, "");
static_assert(offsetof(SettingsRecord, barColour) == 120, "");
static_assert(offsetof(SettingsRecord, overflowColour) == 124, "");
static_assert(offsetof(SettingsRecord, taggedColour) == 128, "");
static_assert(offsetof(SettingsRecord, barCustomColours) == 132, "");
static_assert(offsetof(SettingsRecord, overflowCustomColours) == 196, "");
static_assert(offsetof(SettingsRecord, FilePaneViewMode) == 260, "");
static_assert(offsetof(SettingsRecord, FindAdvancedShown) == 264, "");

// The record every part of the program reads its options from.
extern SettingsRecord Settings;
// Fills |record| with the first-run values.
void ApplyDefaultSettings(SettingsRecord* record);
