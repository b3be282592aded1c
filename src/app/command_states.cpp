#include "app/command_states.h"

#include <commctrl.h>

#include "app/file_pane.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/scan_control.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/settings_store.h"
#include "shell/file_operations.h"

namespace {

const UINT FILE_PANE_VIEW_BUTTONS[] = {IDM_FILE_PANE_LARGE_ICONS, IDM_FILE_PANE_SMALL_ICONS, IDM_FILE_PANE_LIST,
                                       IDM_FILE_PANE_DETAILS};
// Commands that act on a folder inside a drive, never on a drive itself.
const UINT FOLDER_ONLY_COMMANDS[] = {IDM_MOVE_TO, IDM_COPY_TO, IDM_RECYCLE, IDM_DELETE,
                                     IDM_RENAME,  IDM_CUT,     IDM_COPY,    IDM_PASTE};

void EnableInMenu(HMENU menu, UINT id, bool enable) {
  if (menu) EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
}
void EnableButton(HWND toolbar, UINT id, bool enable) {
  if (toolbar) SendMessageA(toolbar, TB_ENABLEBUTTON, id, MAKELONG(enable ? TRUE : FALSE, 0));
}
void Enable(HMENU menu, HWND toolbar, UINT id, bool enable) {
  EnableInMenu(menu, id, enable);
  EnableButton(toolbar, id, enable);
}
void CheckButton(HWND toolbar, UINT id, bool check) {
  if (toolbar) SendMessageA(toolbar, TB_CHECKBUTTON, id, MAKELONG(check ? TRUE : FALSE, 0));
}
void Check(HMENU menu, UINT id, bool check) {
  CheckMenuItem(menu, id, MF_BYCOMMAND | (check ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace

void UpdateCommandStates(FolderNode* folder, HMENU menu, HWND toolbar) {
  if (ShuttingDown || (!menu && !toolbar)) return;
  const bool filePane = Settings.ShowFilePane == 1;
  CheckButton(toolbar, IDM_SHOW_FILE_PANE, filePane);
  for (UINT id : FILE_PANE_VIEW_BUTTONS) EnableButton(toolbar, id, filePane);
  if (!FilePaneActive) EnableButton(toolbar, IDM_UNDO, false);

  FolderNode* root = IsFolderNode(folder) ? folder->root : nullptr;
  const bool validDrive = IsDriveRoot(root) && root->kind == NODE_DRIVE_ROOT;
  const bool insideDrive = validDrive && folder != root;
  for (UINT id : FOLDER_ONLY_COMMANDS) Enable(menu, toolbar, id, insideDrive);
  if (!root) {
    Enable(menu, toolbar, IDM_CREATE_FOLDER, false);
    Enable(menu, toolbar, IDM_DISK_INFORMATION, false);
  } else {
    Enable(menu, toolbar, IDM_CREATE_FOLDER, true);
    Enable(menu, toolbar, IDM_DISK_INFORMATION, true);
    Enable(menu, toolbar, IDM_PASTE, true);  // pasting into a drive's root is allowed
  }
  const bool scanning = validDrive && AsDriveRoot(root)->activeScan;
  Enable(menu, toolbar, IDM_SCAN_DISK, validDrive && !scanning);
  Enable(menu, toolbar, IDM_RESCAN_FOLDER, validDrive && !scanning);
  Enable(menu, toolbar, IDM_STOP_SCAN, ActiveScans > 0);
  EnableInMenu(menu, IDM_STOP_DRIVE_SCAN, scanning);
  if (filePane && FilePaneViewWindow()) CheckViewModeButton(toolbar, FilePaneViewMode());
}

void UpdateMenuChecks(HMENU menu, HWND toolbar) {
  if (ShuttingDown || !menu) return;
  if (IsFolderNode(CurrentFolder)) UpdateCommandStates(CurrentFolder, menu, toolbar);
  const bool exactBytes = Settings.ShowSizesInUnits == 0;
  Check(menu, IDM_EXACT_BYTES, exactBytes);
  CheckButton(toolbar, IDM_EXACT_BYTES, exactBytes);
  Check(menu, IDM_SAVE_SETTINGS_ON_EXIT, saveOnExit != 0);
  Check(menu, IDM_SHOW_FILE_PANE, Settings.ShowFilePane != 0);
  Check(menu, IDM_SHOW_STATUS_BAR, Settings.ShowStatusBar != 0);
  Check(menu, IDM_SHOW_TOOLBAR, Settings.ShowToolbar != 0);
  Check(menu, IDM_SHOW_TABS, Settings.ShowTabs != 0);
  CheckMenuRadioItem(menu, IDM_SIZE_REPORTED, IDM_SIZE_ON_DISK,
                     Settings.SizeMode == 0 ? IDM_SIZE_REPORTED : IDM_SIZE_ON_DISK, MF_BYCOMMAND);
  CheckButton(toolbar, IDM_SIZE_REPORTED, Settings.SizeMode == 0);
  CheckButton(toolbar, IDM_SIZE_ON_DISK, Settings.SizeMode != 0);
  CheckMenuRadioItem(menu, IDM_VIEW_NORMAL, IDM_VIEW_FIND_RESULTS,
                     FindResultsMode ? IDM_VIEW_FIND_RESULTS : IDM_VIEW_NORMAL, MF_BYCOMMAND);
}
