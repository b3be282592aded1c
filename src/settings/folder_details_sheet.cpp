#include "settings/folder_details_sheet.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/help.h"
#include "app/resource_text.h"
#include "criteria/dialog_descriptors.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/column_order_page.h"
#include "settings/sheet_pages.h"

namespace {

constexpr UINT SCALE_MIN = 1, SCALE_MAX = 200;
constexpr int WIDTH_MIN = 50, WIDTH_MAX = 32767;
constexpr size_t HIDE_TEXT_MAX = 256;

// The columns as the sheet found them.
ColumnTableBackup g_backup;
// Set while a page fills its own edit controls, whose notifications then
// carry no change of the user's.
bool g_filling = false;

ColumnInfo* PageColumn(HWND page) { return reinterpret_cast<ColumnInfo*>(GetWindowLongPtrA(page, DWLP_USER)); }

void ShowChoices(HWND page, const ColumnInfo& column) {
  const bool bar = column.flags & COLUMN_BAR;
  const bool ofDrive = column.flags & COLUMN_BAR_OF_DRIVE;
  const bool automatic = column.flags & COLUMN_AUTO_SCALE;
  ApplyDescriptor(page, "cccc rrr D(rr D(bb))",
                  {IDC_COLUMN_HIDE,
                   (column.flags & COLUMN_HIDDEN) != 0,
                   IDC_COLUMN_PERCENTAGE,
                   (column.flags & COLUMN_PERCENTAGE) != 0,
                   IDC_COLUMN_EXACT_BYTES,
                   (column.flags & COLUMN_EXACT_BYTES) != 0,
                   IDC_COLUMN_NO_ZERO,
                   !(column.flags & COLUMN_SHOW_ZERO),
                   IDC_COLUMN_NO_BAR,
                   !bar,
                   IDC_COLUMN_BAR,
                   ofDrive,
                   IDC_COLUMN_BAR_OF_PARENT,
                   !ofDrive,
                   bar,
                   IDC_COLUMN_AUTO_SCALE,
                   automatic,
                   IDC_COLUMN_FIXED_SCALE,
                   !automatic,
                   !automatic,
                   IDC_COLUMN_SCALE,
                   IDC_COLUMN_SCALE_SPIN});
}

void OnColumnPageInit(HWND page, ColumnInfo* column) {
  CentreSheetOnce(page);
  SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(column));
  char text[HIDE_TEXT_MAX];
  wsprintfA(text, ResourceString(IDS_HIDE_COLUMN_FORMAT).c_str(), ResourceString(column->id).c_str());
  SetDlgItemTextA(page, IDC_COLUMN_HIDE, text);
  SendDlgItemMessageA(page, IDC_COLUMN_SCALE_SPIN, UDM_SETRANGE32, SCALE_MIN, SCALE_MAX);
  SendDlgItemMessageA(page, IDC_COLUMN_WIDTH_SPIN, UDM_SETRANGE32, WIDTH_MIN, WIDTH_MAX);
}

void OnColumnPageActive(HWND page) {
  const ColumnInfo* column = PageColumn(page);
  ShowChoices(page, *column);
  g_filling = true;
  SendDlgItemMessageA(page, IDC_COLUMN_SCALE_SPIN, UDM_SETPOS32, 0, column->barScale);
  SendDlgItemMessageA(page, IDC_COLUMN_WIDTH_SPIN, UDM_SETPOS32, 0, std::max(column->width, column->contentWidth));
  g_filling = false;
}

void SetFlag(ColumnInfo* column, uint32_t flag, bool on) {
  if (on)
    column->flags |= flag;
  else
    column->flags &= ~flag;
}

// True when the command changed the column.
bool ChangeColumn(HWND page, ColumnInfo* column, int control) {
  auto checked = [page, control] { return IsDlgButtonChecked(page, control) == BST_CHECKED; };
  switch (control) {
    case IDC_COLUMN_HIDE:
      SetFlag(column, COLUMN_HIDDEN, checked());
      return true;
    case IDC_COLUMN_EXACT_BYTES:
      SetFlag(column, COLUMN_EXACT_BYTES, checked());
      return true;
    case IDC_COLUMN_NO_ZERO:
      SetFlag(column, COLUMN_SHOW_ZERO, !checked());
      return true;
    case IDC_COLUMN_PERCENTAGE:
      SetFlag(column, COLUMN_PERCENTAGE, checked());
      return true;
    case IDC_COLUMN_NO_BAR:
      SetFlag(column, COLUMN_BAR, false);
      return true;
    case IDC_COLUMN_BAR:
      SetFlag(column, COLUMN_BAR | COLUMN_BAR_OF_DRIVE, true);
      return true;
    case IDC_COLUMN_AUTO_SCALE:
      SetFlag(column, COLUMN_AUTO_SCALE, true);
      return true;
    case IDC_COLUMN_FIXED_SCALE:
      SetFlag(column, COLUMN_AUTO_SCALE, false);
      return true;
  }
  if (g_filling) return false;
  BOOL read = FALSE;
  const UINT value = GetDlgItemInt(page, control, &read, FALSE);
  if (!read) return false;
  // A scale of 0 or a width of 50 or less is a typing step, not a choice.
  if (control == IDC_COLUMN_SCALE && value != 0) {
    column->barScale = static_cast<uint16_t>(std::min<UINT>(value, UINT16_MAX));
    return true;
  }
  if (control == IDC_COLUMN_WIDTH && value > static_cast<UINT>(WIDTH_MIN)) {
    column->width = static_cast<int32_t>(std::min<UINT>(value, WIDTH_MAX));
    return true;
  }
  return false;
}

INT_PTR CALLBACK ColumnPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnColumnPageInit(page, reinterpret_cast<ColumnInfo*>(PageData(lParam)));
      return TRUE;
    case WM_COMMAND: {
      ColumnInfo* column = PageColumn(page);
      if (!column || !ChangeColumn(page, column, LOWORD(wParam))) return FALSE;
      ShowChoices(page, *column);
      ShowColumnChanges();
      return TRUE;
    }
    case WM_NOTIFY:
      switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
          OnColumnPageActive(page);
          SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
          return TRUE;
        case PSN_RESET:
          CancelColumnChanges();
          return TRUE;
        case PSN_HELP:
          ShowHelp(page, HELP_CONTEXT_FOLDER_DETAILS);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

UINT ColumnTemplate(const ColumnInfo& column) {
  if (column.flags & COLUMN_SIZE_PAGE) return IDD_DETAILS_SIZE_PAGE;
  if (column.flags & COLUMN_IS_DATE) return IDD_DETAILS_DATE_PAGE;
  return IDD_DETAILS_PLAIN_PAGE;
}

}  // namespace

void ShowColumnChanges() {
  RebuildHeader();
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
}

void CancelColumnChanges() { RestoreColumnTable(g_backup); }

INT_PTR ShowFolderDetailsSheet(HWND owner, int start) {
  const int count = DetailColumnCount();
  // The tab titles must outlive the sheet.
  std::vector<std::string> titles(count + 1);
  titles[0] = ResourceString(IDS_ORGANISE_DETAILS);
  std::vector<PROPSHEETPAGEA> pages = {SheetPage(IDD_DETAILS_ORDER_PAGE, ColumnOrderPageProc, 0, titles[0].c_str())};
  for (int i = 0; i < count; ++i) {
    ColumnInfo* column = DetailColumn(i);
    titles[i + 1] = ResourceString(column->id);
    pages.push_back(
        SheetPage(ColumnTemplate(*column), ColumnPageProc, reinterpret_cast<LPARAM>(column), titles[i + 1].c_str()));
  }
  g_backup = BackupColumnTable();
  const int page = start > 0 ? std::min(start - 1, count) : 0;
  return RunSheet(owner, IDS_FOLDER_DETAILS_CAPTION, pages, static_cast<UINT>(page));
}
