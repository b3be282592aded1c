#include "settings/settings_record.h"

#include <cstring>

SettingsRecord Settings = {};

namespace {

void DefaultCriteria(CriteriaSettings* criteria) {
  criteria->sizeLow = 10240000.0;
  criteria->sizeHigh = 10240000.0;
  criteria->sizeRelation = 2;
  criteria->sizeFlags = CRITERIA_TEST_ON;
}

}  // namespace

void ApplyDefaultSettings(SettingsRecord* record) {
  std::memset(record, 0, sizeof *record);
  record->includeKnownSubfolders = 1;
  record->stopAllScans = 1;
  record->sortColumn = 1;
  DefaultCriteria(&record->findCriteria);
  record->findCriteria.dateCount = 1;
  record->findCriteria.dateUnit = 1;
  record->ShowSizesInUnits = 1;
  record->SizeMode = 1;
  record->allFixed = 1;
  record->ShowToolbar = 1;
  record->ShowFilePane = 1;
  record->ShowStatusBar = 1;
  record->ShowTabs = 1;
  DefaultCriteria(&record->tagCriteria);
  record->barColour = RGB(0, 0, 255);
  record->overflowColour = RGB(255, 0, 0);
  record->taggedColour = RGB(255, 0, 0);
  record->FilePaneViewMode = 3;
}
