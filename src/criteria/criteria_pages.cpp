#include "criteria/criteria_pages.h"

#include <commctrl.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "criteria/criteria_settings.h"
#include "criteria/dialog_descriptors.h"
#include "criteria/matching.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "resource.h"
#include "settings/history_list.h"

namespace {

constexpr int SPIN_MAXIMUM = 100;
constexpr double BYTES_PER_UNIT = 1024.0;
constexpr uint64_t TICKS_PER_MINUTE = 600000000;  // 100-nanosecond ticks
// Minutes per date unit: minute, hour, day, month of 30 days, year of 365.
constexpr uint64_t MINUTES_PER_UNIT[DATE_UNIT_COUNT] = {1, 60, 1440, 43200, 525600};
// Where a page sits in its tab control's client area, in pixels.
constexpr int PAGE_LEFT = 5;
constexpr int PAGE_TOP = 24;
constexpr int PAGE_WIDTH_LESS = 10;
constexpr int PAGE_HEIGHT_LESS = 32;

struct PageKind {
  UINT label;
  UINT templateId;
  DLGPROC procedure;
};

bool Clicked(WPARAM wParam) { return HIWORD(wParam) == BN_CLICKED; }

void AddEntries(HWND dialog, int id, std::initializer_list<UINT> strings) {
  for (UINT text : strings)
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ResourceString(text).c_str()));
}

int Selection(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)); }
void Select(HWND dialog, int id, int index) { SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0); }
void SetSpinRange(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, UDM_SETRANGE32, 0, SPIN_MAXIMUM); }

// --- Size page ----------------------------------------------------------------

void ShowSize(HWND page, int edit, int unitList, double bytes) {
  const ShownSize shown = ShownByteValue(bytes);
  SetDlgItemInt(page, edit, shown.number, FALSE);
  Select(page, unitList, shown.unit);  // unit 4 and above select nothing
}

double ReadSize(HWND page, int edit, int unitList) {
  const int unit = Selection(page, unitList);
  if (unit < 0) return 0.0;
  return std::pow(BYTES_PER_UNIT, unit) * GetDlgItemInt(page, edit, nullptr, FALSE);
}

void ApplySizeDescriptor(HWND page) {
  const bool on = (WorkingCriteria.sizeFlags & CRITERIA_TEST_ON) != 0;
  const bool between = WorkingCriteria.sizeRelation == SIZE_BETWEEN;
  ApplyDescriptor(page, "rr D(bbbb S(bbbb))",
                  {IDC_CRITERIA_IGNORE, !on, IDC_SIZE_MATCH, on, on, IDC_SIZE_MEASURE, IDC_SIZE_RELATION, IDC_SIZE_LOW,
                   IDC_SIZE_LOW_UNIT, between, IDC_SIZE_AND, IDC_SIZE_HIGH, IDC_SIZE_HIGH_SPIN, IDC_SIZE_HIGH_UNIT});
}

void InitSizePage(HWND page) {
  HWND measures = GetDlgItem(page, IDC_SIZE_MEASURE);
  for (int i = 0; i < DetailColumnCount(); ++i) {
    const ColumnInfo* column = DetailColumn(i);
    if (!(column->flags & COLUMN_SIZE_PAGE) || column->id == COLUMN_CAPACITY) continue;
    const LRESULT entry =
        SendMessageA(measures, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ResourceString(column->id).c_str()));
    SendMessageA(measures, CB_SETITEMDATA, entry, column->id);
  }
  SetSpinRange(page, IDC_SIZE_LOW_SPIN);
  SetSpinRange(page, IDC_SIZE_HIGH_SPIN);
  AddEntries(page, IDC_SIZE_RELATION, {IDS_SIZE_EQUAL, IDS_SIZE_LESS, IDS_SIZE_GREATER, IDS_SIZE_BETWEEN});
  for (int list : {IDC_SIZE_LOW_UNIT, IDC_SIZE_HIGH_UNIT})
    AddEntries(page, list, {IDS_UNIT_BYTES, IDS_UNIT_KB, IDS_UNIT_MB, IDS_UNIT_GB});
  Select(page, IDC_SIZE_MEASURE, WorkingCriteria.sizeFlags & SIZE_MEASURE_MASK);
  Select(page, IDC_SIZE_RELATION, WorkingCriteria.sizeRelation);
  ShowSize(page, IDC_SIZE_LOW, IDC_SIZE_LOW_UNIT, WorkingCriteria.sizeLow);
  ShowSize(page, IDC_SIZE_HIGH, IDC_SIZE_HIGH_UNIT, WorkingCriteria.sizeHigh);
  ApplySizeDescriptor(page);
}

void ApplySizePage(HWND page) {
  CriteriaSettings& criteria = WorkingCriteria;
  if (criteria.sizeFlags == 0) return;
  const int measure = Selection(page, IDC_SIZE_MEASURE);
  if (measure >= 0) {
    WorkingPrepared.sizeMeasure =
        static_cast<uint32_t>(SendDlgItemMessageA(page, IDC_SIZE_MEASURE, CB_GETITEMDATA, measure, 0));
    criteria.sizeFlags = static_cast<uint8_t>((criteria.sizeFlags & CRITERIA_TEST_ON) | (measure & SIZE_MEASURE_MASK));
  } else {
    WorkingPrepared.sizeMeasure = NO_SIZE_MEASURE;
  }
  criteria.sizeLow = ReadSize(page, IDC_SIZE_LOW, IDC_SIZE_LOW_UNIT);
  criteria.sizeHigh = ReadSize(page, IDC_SIZE_HIGH, IDC_SIZE_HIGH_UNIT);
  if (criteria.sizeRelation == SIZE_BETWEEN && criteria.sizeLow > criteria.sizeHigh) {
    const double low = criteria.sizeHigh;
    criteria.sizeHigh = criteria.sizeLow;
    criteria.sizeLow = low;
  }
}

INT_PTR CALLBACK SizePageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitSizePage(page);
      return FALSE;  // the host keeps the focus
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SIZE_RELATION:
          if (HIWORD(wParam) == CBN_SELCHANGE)
            WorkingCriteria.sizeRelation = static_cast<uint8_t>(Selection(page, IDC_SIZE_RELATION));
          break;
        case IDC_CRITERIA_IGNORE:
          if (Clicked(wParam)) WorkingCriteria.sizeFlags &= static_cast<uint8_t>(~CRITERIA_TEST_ON);
          break;
        case IDC_SIZE_MATCH:
          if (Clicked(wParam)) WorkingCriteria.sizeFlags |= CRITERIA_TEST_ON;
          break;
      }
      ApplySizeDescriptor(page);
      return TRUE;
    case WM_CRITERIA_APPLY:
      ApplySizePage(page);
      return TRUE;
  }
  return FALSE;
}

// --- Name page ----------------------------------------------------------------

// Loaded when a name page is created, saved when it applies a pattern.
HistoryList g_nameHistory;

void InitNamePage(HWND page) {
  LoadHistory(&g_nameHistory, NAME_FILTER_HISTORY);
  HWND combo = GetDlgItem(page, IDC_NAME_PATTERN);
  FillHistoryCombo(combo, &g_nameHistory);
  if (SendMessageA(combo, CB_GETCOUNT, 0, 0) <= 0)
    WorkingCriteria.nameTestOn = 0;
  else
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
  const bool on = WorkingCriteria.nameTestOn != 0;
  ApplyDescriptor(page, "rr D(b)", {IDC_CRITERIA_IGNORE, !on, IDC_NAME_MATCH, on, on, IDC_NAME_PATTERN});
}

void ApplyNamePage(HWND page) {
  char text[MAX_PATH] = "";
  if (WorkingCriteria.nameTestOn) GetDlgItemTextA(page, IDC_NAME_PATTERN, text, sizeof text);
  if (text[0]) {
    AddToHistory(&g_nameHistory, text);
    SaveHistory(&g_nameHistory, NAME_FILTER_HISTORY);
    FreeHistory(&g_nameHistory);
    UpperCaseAscii(text);
  }
  lstrcpynA(WorkingPrepared.namePattern, text, sizeof WorkingPrepared.namePattern);
}

INT_PTR CALLBACK NamePageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitNamePage(page);
      return FALSE;
    case WM_COMMAND:
      if (!Clicked(wParam)) return FALSE;
      if (LOWORD(wParam) == IDC_NAME_MATCH) WorkingCriteria.nameTestOn = 1;
      if (LOWORD(wParam) == IDC_CRITERIA_IGNORE) WorkingCriteria.nameTestOn = 0;
      EnableWindow(GetDlgItem(page, IDC_NAME_PATTERN), WorkingCriteria.nameTestOn != 0);
      return TRUE;
    case WM_CRITERIA_APPLY:
      ApplyNamePage(page);
      return TRUE;
  }
  return FALSE;
}

// --- Date page ----------------------------------------------------------------

void ApplyDateDescriptor(HWND page) {
  const uint8_t flags = WorkingCriteria.dateFlags;
  const bool on = (flags & CRITERIA_TEST_ON) != 0;
  const bool negated = (flags & DATE_NEGATED) != 0;
  const uint8_t kind = flags & DATE_KIND_MASK;
  ApplyDescriptor(page, "rrr D(rrr bb)",
                  {IDC_CRITERIA_IGNORE, !on, IDC_DATE_WITHIN, on && !negated, IDC_DATE_NOT_WITHIN, on && negated, on,
                   IDC_DATE_ACCESSED, kind == DATE_ACCESSED, IDC_DATE_MODIFIED, kind == DATE_MODIFIED, IDC_DATE_CREATED,
                   kind == DATE_CREATED, IDC_DATE_COUNT, IDC_DATE_UNIT});
}

void InitDatePage(HWND page) {
  AddEntries(page, IDC_DATE_UNIT, {IDS_UNIT_MINUTES, IDS_UNIT_HOURS, IDS_UNIT_DAYS, IDS_UNIT_MONTHS, IDS_UNIT_YEARS});
  if (WorkingCriteria.dateUnit >= DATE_UNIT_COUNT) WorkingCriteria.dateUnit = 0;
  Select(page, IDC_DATE_UNIT, WorkingCriteria.dateUnit);
  SetSpinRange(page, IDC_DATE_COUNT_SPIN);
  SetDlgItemInt(page, IDC_DATE_COUNT, WorkingCriteria.dateCount, FALSE);
  ApplyDateDescriptor(page);
}

void SetDateKind(uint8_t kind) {
  WorkingCriteria.dateFlags = static_cast<uint8_t>((WorkingCriteria.dateFlags & ~DATE_KIND_MASK) | kind);
}

void OnDateCommand(int id) {
  uint8_t& flags = WorkingCriteria.dateFlags;
  switch (id) {
    case IDC_CRITERIA_IGNORE:
      flags &= static_cast<uint8_t>(~CRITERIA_TEST_ON);
      break;
    case IDC_DATE_WITHIN:
      flags = static_cast<uint8_t>((flags | CRITERIA_TEST_ON) & ~DATE_NEGATED);
      break;
    case IDC_DATE_NOT_WITHIN:
      flags |= CRITERIA_TEST_ON | DATE_NEGATED;
      break;
    case IDC_DATE_ACCESSED:
      SetDateKind(DATE_ACCESSED);
      break;
    case IDC_DATE_MODIFIED:
      SetDateKind(DATE_MODIFIED);
      break;
    case IDC_DATE_CREATED:
      SetDateKind(DATE_CREATED);
      break;
  }
}

void ApplyDatePage(HWND page) {
  CriteriaSettings& criteria = WorkingCriteria;
  if (criteria.dateFlags == 0) return;
  criteria.dateCount = static_cast<uint16_t>(GetDlgItemInt(page, IDC_DATE_COUNT, nullptr, FALSE));
  criteria.dateUnit = static_cast<uint8_t>(Selection(page, IDC_DATE_UNIT));
  const uint64_t minutes = criteria.dateUnit < DATE_UNIT_COUNT ? MINUTES_PER_UNIT[criteria.dateUnit] : 0;
  SYSTEMTIME now;
  GetSystemTime(&now);
  FILETIME time;
  SystemTimeToFileTime(&now, &time);
  const uint64_t ticks = ((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) -
                         uint64_t(criteria.dateCount) * minutes * TICKS_PER_MINUTE;
  WorkingPrepared.dateCutoff.dwLowDateTime = static_cast<DWORD>(ticks);
  WorkingPrepared.dateCutoff.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

INT_PTR CALLBACK DatePageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitDatePage(page);
      return FALSE;
    case WM_COMMAND:
      if (Clicked(wParam)) OnDateCommand(LOWORD(wParam));
      ApplyDateDescriptor(page);
      return TRUE;
    case WM_CRITERIA_APPLY:
      ApplyDatePage(page);
      return TRUE;
  }
  return FALSE;
}

const PageKind PAGES[CRITERIA_PAGE_COUNT] = {
    {IDS_PAGE_SIZE, IDD_SIZE_PAGE, SizePageProc},
    {IDS_PAGE_NAME, IDD_NAME_PAGE, NamePageProc},
    {IDS_PAGE_DATE, IDD_DATE_PAGE, DatePageProc},
};

}  // namespace

void CreateCriteriaPages(HWND tabs, CriteriaPages* pages) {
  RECT client = {};
  GetClientRect(tabs, &client);
  for (int i = 0; i < CRITERIA_PAGE_COUNT; ++i) {
    std::string label = ResourceString(PAGES[i].label);
    TCITEMA tab = {};
    tab.mask = TCIF_TEXT | TCIF_PARAM;
    tab.pszText = &label[0];
    tab.lParam = i;
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
    HWND page = CreateDialogParamA(AppInstance, MAKEINTRESOURCEA(PAGES[i].templateId), tabs, PAGES[i].procedure, 0);
    if (page)
      MoveWindow(page, PAGE_LEFT, PAGE_TOP, client.right - PAGE_WIDTH_LESS, client.bottom - PAGE_HEIGHT_LESS, FALSE);
    pages->page[i] = page;
  }
}

void ShowCriteriaPage(HWND tabs, const CriteriaPages& pages, int index) {
  SendMessageA(tabs, TCM_SETCURSEL, index, 0);
  for (HWND page : pages.page)
    if (page) ShowWindow(page, SW_HIDE);
  if (index >= 0 && index < CRITERIA_PAGE_COUNT && pages.page[index]) ShowWindow(pages.page[index], SW_SHOW);
}

int OnCriteriaTabChange(HWND tabs, const CriteriaPages& pages) {
  const int selected = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  if (selected >= 0) ShowCriteriaPage(tabs, pages, selected);
  return selected;
}

void ApplyCriteriaPages(const CriteriaPages& pages) {
  for (HWND page : pages.page)
    if (page) SendMessageA(page, WM_CRITERIA_APPLY, 0, 0);
}

void DestroyCriteriaPages(CriteriaPages* pages) {
  for (HWND& page : pages->page) {
    if (page) DestroyWindow(page);
    page = nullptr;
  }
}

ShownSize ShownByteValue(double bytes) {
  ShownSize shown = {0, 0};
  while (bytes >= BYTES_PER_UNIT) {
    bytes /= BYTES_PER_UNIT;
    ++shown.unit;
  }
  shown.number = static_cast<unsigned>(bytes);
  if (shown.number < bytes) ++shown.number;
  return shown;
}
