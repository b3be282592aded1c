// The three pages on which the user edits the working criteria (size, name,
// date): modeless child dialogs inside the tab control of the Tag and of the
// Find dialog, which create, switch and destroy them through this room.
#pragma once
#include <windows.h>

// Sent by the host to each page, in tab order, when the user confirms; no
// parameters.  The page writes its controls into the working criteria.
constexpr UINT WM_CRITERIA_APPLY = WM_USER + 123;

constexpr int CRITERIA_PAGE_COUNT = 3;
constexpr int SIZE_PAGE = 0;
constexpr int NAME_PAGE = 1;
constexpr int DATE_PAGE = 2;

struct CriteriaPages {
  HWND page[CRITERIA_PAGE_COUNT];
};

// Appends the three tabs to |tabs| and creates their pages, hidden, filled
// from the working criteria.
void CreateCriteriaPages(HWND tabs, CriteriaPages* pages);
// Selects tab |index| and shows its page alone.
void ShowCriteriaPage(HWND tabs, const CriteriaPages& pages, int index);
// TCN_SELCHANGE: shows the newly selected tab's page alone and returns the
// tab's index, or -1 when no tab is selected (nothing changes then).
int OnCriteriaTabChange(HWND tabs, const CriteriaPages& pages);
// WM_CRITERIA_APPLY to each page in tab order.
void ApplyCriteriaPages(const CriteriaPages& pages);
void DestroyCriteriaPages(CriteriaPages* pages);

// A byte value as the size page shows it: the unit is the number of times
// 1024 divides into it (0 Byte ... 3 GB; 4 and above have no entry), the
// number its value in that unit rounded up.  10 240 000 shows as 10 MB.
struct ShownSize {
  unsigned number;
  int unit;
};
ShownSize ShownByteValue(double bytes);
