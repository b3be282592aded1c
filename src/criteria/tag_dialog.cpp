#include "criteria/tag_dialog.h"

#include <commctrl.h>

#include "app/disk_info_dialog.h"
#include "app/help.h"
#include "app/process_state.h"
#include "criteria/criteria_pages.h"
#include "criteria/criteria_settings.h"
#include "criteria/matching.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "settings/settings_record.h"

bool TaggingActive = false;

namespace {

// The prepared half of the tag criteria lives only in memory; it is empty
// until the first confirmation.
CriteriaPrepared g_tagPrepared = {};
// The tab shown when the dialog opens again; the stored pageIndex is the
// Find dialog's.
int g_tagPageIndex = 0;
CriteriaPages g_pages = {};

void RepaintShownRows() {
  if (HWND list = ActiveList()) InvalidateRect(list, nullptr, TRUE);
}

void CloseTagDialog(HWND dialog, INT_PTR result) {
  DestroyCriteriaPages(&g_pages);
  EndDialog(dialog, result);
}

INT_PTR CALLBACK TagDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreOverOwner(dialog);
      HWND tabs = GetDlgItem(dialog, IDC_CRITERIA_TABS);
      CreateCriteriaPages(tabs, &g_pages);
      ShowCriteriaPage(tabs, g_pages, g_tagPageIndex);
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_CRITERIA_TABS || header->code != TCN_SELCHANGE) return TRUE;
      const int selected = OnCriteriaTabChange(header->hwndFrom, g_pages);
      if (selected >= 0) g_tagPageIndex = selected;
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ApplyCriteriaPages(g_pages);
          TaggingActive = true;
          CloseTagDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          CloseTagDialog(dialog, 0);
          return TRUE;
        case IDC_DIALOG_HELP:
          ShowHelp(dialog, HELP_CONTEXT_TAG);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool ShowTagDialog(HWND owner) {
  WorkingCriteria = Settings.tagCriteria;
  WorkingPrepared = g_tagPrepared;
  if (DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_TAG), owner, TagDialogProc, 0) != 1) return false;
  Settings.tagCriteria = WorkingCriteria;
  g_tagPrepared = WorkingPrepared;
  IsNodeTaggedHook = IsNodeTagged;
  RepaintShownRows();
  return true;
}

void ClearAllTagsCommand() {
  TaggingActive = false;
  RepaintShownRows();
}

bool IsNodeTagged(FolderNode* node) { return TaggingActive && MatchFolder(Settings.tagCriteria, g_tagPrepared, node); }
