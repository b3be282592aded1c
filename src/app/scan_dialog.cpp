#include "app/scan_dialog.h"

#include <cstring>

#include "app/help.h"
#include "app/process_state.h"
#include "app/text_case.h"
#include "criteria/dialog_descriptors.h"
#include "model/folder_node.h"
#include "model/scan_control.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"

namespace {

constexpr uint8_t SCOPE_DRIVE = 0;
constexpr uint8_t SCOPE_FOLDER = 1;

bool CurrentIsDriveRoot() { return IsFolderNode(CurrentFolder) && CurrentFolder == CurrentFolder->root; }

// Radio and check states follow the settings after every change of scope.
void ApplyScopeStates(HWND dialog) {
  const bool folderChosen = Settings.scanScope == SCOPE_FOLDER;
  ApplyDescriptor(dialog, "rr D(c)",
                  {IDC_SCAN_CURRENT_DRIVE, !folderChosen, IDC_SCAN_CURRENT_FOLDER, folderChosen, folderChosen,
                   IDC_SCAN_INCLUDE_SUBFOLDERS, Settings.includeKnownSubfolders});
}

void OnInitDialog(HWND dialog) {
  char text[SHELL_TEXT_MAX];
  FolderNode* drive = CurrentFolder->root;
  if (IsFolderNode(drive) && DisplayNameOf(drive->parentFolder, drive->relativeIdList, SHGDN_NORMAL, text))
    SetDlgItemTextA(dialog, IDC_SCAN_DRIVE_NAME, text);
  if (DisplayNameOf(CurrentFolder->parentFolder, CurrentFolder->relativeIdList, SHGDN_FORPARSING, text) ||
      SHGetPathFromIDListA(CurrentFolder->absoluteIdList, text)) {
    char label[2 * MAX_PATH];
    FormatScanPathLabel(text, label, sizeof label);
    SetDlgItemTextA(dialog, IDC_SCAN_FOLDER_PATH, label);
  }
  if (CurrentIsDriveRoot()) Settings.scanScope = SCOPE_DRIVE;
  const bool folderChosen = Settings.scanScope == SCOPE_FOLDER;
  ApplyDescriptor(dialog, "r D(rb D(c))",
                  {IDC_SCAN_CURRENT_DRIVE, !folderChosen, !CurrentIsDriveRoot(), IDC_SCAN_CURRENT_FOLDER,
                   folderChosen, IDC_SCAN_FOLDER_PATH, folderChosen, IDC_SCAN_INCLUDE_SUBFOLDERS,
                   Settings.includeKnownSubfolders});
}

void StartChosenScan() {
  if (Settings.scanScope == SCOPE_DRIVE)
    StartWorker(DriveScanWorker, CurrentFolder->root);
  else
    StartWorker(FolderScanWorker, CurrentFolder);
}

INT_PTR CALLBACK ScanDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_SCAN_CURRENT_DRIVE:
          Settings.scanScope = SCOPE_DRIVE;
          ApplyScopeStates(dialog);
          return TRUE;
        case IDC_SCAN_CURRENT_FOLDER:
          Settings.scanScope = SCOPE_FOLDER;
          ApplyScopeStates(dialog);
          return TRUE;
        case IDC_SCAN_INCLUDE_SUBFOLDERS:
          Settings.includeKnownSubfolders = IsDlgButtonChecked(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS) == BST_CHECKED;
          return TRUE;
        case IDOK:
          StartChosenScan();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_DIALOG_HELP:
          ShowHelp(dialog, HELP_CONTEXT_SCAN);
          return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void FormatScanPathLabel(const char* path, char* out, size_t outSize) {
  if (outSize == 0) return;
  char capitals[MAX_PATH];
  lstrcpynA(capitals, path, sizeof capitals);
  WordCapitals(capitals);
  size_t used = 0;
  for (const char* p = capitals; *p && used + 1 < outSize; ++p) {
    const bool lead = IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1];
    if (lead) {
      if (used + 2 >= outSize) break;
      out[used++] = *p++;
      out[used++] = *p;
      continue;
    }
    out[used++] = *p;
    if (*p == '\\' && used + 1 < outSize) out[used++] = ' ';
  }
  out[used] = 0;
}

INT_PTR ShowScanDialog(HWND owner) {
  if (!IsFolderNode(CurrentFolder) || !IsFolderNode(CurrentFolder->root)) return 0;
  return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_SCAN), owner, ScanDialogProc, 0);
}
