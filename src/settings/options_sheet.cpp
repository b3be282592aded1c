#include "settings/options_sheet.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "app/help.h"
#include "criteria/dialog_descriptors.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "settings/drives_page.h"
#include "settings/settings_record.h"
#include "settings/sheet_pages.h"

namespace {

constexpr int SWATCH_WIDTH = 256;
constexpr int SWATCH_HEIGHT = 32;
constexpr int CUSTOM_COLOURS = 16;

SettingsRecord* WorkingRecord(HWND page) {
  return reinterpret_cast<SettingsRecord*>(GetWindowLongPtrA(page, DWLP_USER));
}

SettingsRecord* TakeWorkingRecord(HWND page, LPARAM initParam) {
  SetWindowLongPtrA(page, DWLP_USER, PageData(initParam));
  return WorkingRecord(page);
}

// Answers the notifications every page of the sheet handles alike.
bool OnCommonNotify(HWND page, const NMHDR* header) {
  if (header->code != PSN_HELP) return false;
  ShowHelp(page, HELP_CONTEXT_OPTIONS);
  return true;
}

// --- Scan options page ------------------------------------------------------------

INT_PTR CALLBACK ScanPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreSheetOnce(page);
      const SettingsRecord* working = TakeWorkingRecord(page, lParam);
      ApplyDescriptor(page, "crr",
                      {IDC_OPTIONS_INCLUDE_SUBFOLDERS, working->includeKnownSubfolders, IDC_OPTIONS_STOP_ALL,
                       working->stopAllScans, IDC_OPTIONS_STOP_SELECTED, !working->stopAllScans});
      return TRUE;
    }
    case WM_COMMAND: {
      SettingsRecord* working = WorkingRecord(page);
      switch (LOWORD(wParam)) {
        case IDC_OPTIONS_INCLUDE_SUBFOLDERS:
          working->includeKnownSubfolders = IsDlgButtonChecked(page, IDC_OPTIONS_INCLUDE_SUBFOLDERS) == BST_CHECKED;
          return TRUE;
        case IDC_OPTIONS_STOP_ALL:
          working->stopAllScans = 1;
          return TRUE;
        case IDC_OPTIONS_STOP_SELECTED:
          working->stopAllScans = 0;
          return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == PSN_APPLY) {
        Settings = *WorkingRecord(page);
        return TRUE;
      }
      return OnCommonNotify(page, header);
    }
  }
  return FALSE;
}

// --- Colours page -------------------------------------------------------------------

struct Swatch {
  int button;
  int picture;
  COLORREF SettingsRecord::*colour;
  COLORREF (SettingsRecord::*customColours)[CUSTOM_COLOURS];  // null: black every time, not kept
  DWORD flags;
};
const Swatch SWATCHES[] = {
    {IDC_COLOURS_TAGGED, IDC_COLOURS_TAGGED_SWATCH, &SettingsRecord::taggedColour, nullptr,
     CC_RGBINIT | CC_PREVENTFULLOPEN | CC_SHOWHELP},
    {IDC_COLOURS_BAR, IDC_COLOURS_BAR_SWATCH, &SettingsRecord::barColour, &SettingsRecord::barCustomColours,
     CC_RGBINIT | CC_SHOWHELP},
    {IDC_COLOURS_OVERFLOW, IDC_COLOURS_OVERFLOW_SWATCH, &SettingsRecord::overflowColour,
     &SettingsRecord::overflowCustomColours, CC_RGBINIT | CC_SHOWHELP},
};
constexpr int SWATCH_COUNT = sizeof SWATCHES / sizeof SWATCHES[0];

// The swatch bitmaps live as long as the colours page.
HBITMAP g_swatchBitmaps[SWATCH_COUNT] = {};

void FillSwatch(HWND page, int index, COLORREF colour) {
  HWND picture = GetDlgItem(page, SWATCHES[index].picture);
  HDC screen = GetDC(picture);
  if (!screen) return;
  if (!g_swatchBitmaps[index]) g_swatchBitmaps[index] = CreateCompatibleBitmap(screen, SWATCH_WIDTH, SWATCH_HEIGHT);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, g_swatchBitmaps[index]);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all = {0, 0, SWATCH_WIDTH, SWATCH_HEIGHT};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(picture, screen);
  SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_swatchBitmaps[index]));
  InvalidateRect(picture, nullptr, FALSE);
}

void DeleteSwatches() {
  for (HBITMAP& bitmap : g_swatchBitmaps) {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
  }
}

void ChooseSwatchColour(HWND page, int index) {
  const Swatch& swatch = SWATCHES[index];
  SettingsRecord* working = WorkingRecord(page);
  COLORREF blackEveryTime[CUSTOM_COLOURS] = {};
  CHOOSECOLORA choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = page;
  choice.rgbResult = working->*swatch.colour;
  choice.lpCustColors = swatch.customColours ? working->*swatch.customColours : blackEveryTime;
  choice.Flags = swatch.flags;
  if (!ChooseColorA(&choice)) return;
  working->*swatch.colour = choice.rgbResult;
  FillSwatch(page, index, choice.rgbResult);
  InvalidateRect(page, nullptr, TRUE);
}

void ApplyColours(HWND page) {
  Settings = *WorkingRecord(page);
  FreezeListRedraw();
  ApplyBarColours();
  ThawListRedraw();
  for (HWND list : {Panes.mainList, Panes.findList})
    if (list) InvalidateRect(list, nullptr, FALSE);
}

INT_PTR CALLBACK ColoursPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreSheetOnce(page);
      const SettingsRecord* working = TakeWorkingRecord(page, lParam);
      for (int i = 0; i < SWATCH_COUNT; ++i) FillSwatch(page, i, working->*SWATCHES[i].colour);
      return TRUE;
    }
    case WM_COMMAND:
      for (int i = 0; i < SWATCH_COUNT; ++i) {
        if (LOWORD(wParam) != SWATCHES[i].button) continue;
        ChooseSwatchColour(page, i);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == PSN_APPLY) {
        ApplyColours(page);
        return TRUE;
      }
      return OnCommonNotify(page, header);
    }
    case WM_DESTROY:
      DeleteSwatches();
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR ShowOptionsSheet(HWND owner) {
  SettingsRecord working = Settings;
  const LPARAM data = reinterpret_cast<LPARAM>(&working);
  std::vector<PROPSHEETPAGEA> pages = {
      SheetPage(IDD_OPTIONS_SCAN, ScanPageProc, data),
      SheetPage(IDD_OPTIONS_DRIVES, DrivesPageProc, data),
      SheetPage(IDD_OPTIONS_COLOURS, ColoursPageProc, data),
  };
  return RunSheet(owner, IDS_OPTIONS_CAPTION, pages, 0);
}
