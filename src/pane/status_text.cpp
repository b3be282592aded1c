#include "pane/status_text.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/volume.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"

namespace {

enum StatusPart { PART_SPACE, PART_FOLDER, PART_VIEW, PART_SORT, PART_ACTIVE };

void SetPart(HWND bar, int part, const std::string& text) {
  SendMessageA(bar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string SizeText(double bytes) {
  char text[NUMBER_TEXT_MAX];
  return FormatSize(bytes, text, sizeof text);
}

std::string DesktopName(LPCITEMIDLIST list) {
  char name[SHELL_TEXT_MAX] = "";
  IShellFolder* desktop = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop))) {
    DisplayNameOf(desktop, list, SHGDN_NORMAL, name);
    desktop->Release();
  }
  return name;
}

std::string FreeSpaceText(const std::string& name, double freeBytes, double capacity) {
  char text[512];
  std::snprintf(text, sizeof text, ResourceString(IDS_STATUS_FREE_SPACE).c_str(), name.c_str(),
                SizeText(freeBytes).c_str(), SizeText(capacity).c_str());
  return text;
}

void SetFolderParts(HWND bar, FolderNode* folder) {
  FolderNode* root = folder->root;
  if (!IsDriveRoot(root) || root->kind != NODE_DRIVE_ROOT) {
    SpaceTotals totals = TotalsOverLocalDrives();
    SetPart(bar, PART_SPACE, FreeSpaceText(DesktopName(folder->absoluteIdList), totals.freeBytes, totals.capacity));
    SetPart(bar, PART_FOLDER, " ");
    return;
  }
  DriveRootNode* drive = AsDriveRoot(root);
  RefreshDriveInfo(drive);
  SetPart(bar, PART_SPACE, FreeSpaceText(DesktopName(drive->absoluteIdList), drive->freeBytes, drive->totalBytes));
  char name[SHELL_TEXT_MAX] = "";
  if (!DisplayNameOf(folder->parentFolder, folder->relativeIdList, SHGDN_NORMAL, name))
    lstrcpynA(name, DesktopName(folder->absoluteIdList).c_str(), sizeof name);
  char text[SHELL_TEXT_MAX + NUMBER_TEXT_MAX + 4];
  std::snprintf(text, sizeof text, "%s (%s)", name, SizeText(double(NodeSizes(folder).total)).c_str());
  SetPart(bar, PART_FOLDER, text);
}

}  // namespace

void RefreshStatusTexts(HWND statusBar, FolderNode* folder) {
  if (ShuttingDown || !Settings.ShowStatusBar || !statusBar) return;
  SetPart(statusBar, PART_VIEW,
          ResourceString(IDS_STATUS_VIEW) +
              ResourceString(FindResultsMode ? IDS_STATUS_VIEW_FIND_RESULTS : IDS_STATUS_VIEW_NORMAL));
  if (ColumnInfo* sort = SortColumn())
    SetPart(statusBar, PART_SORT, ResourceString(IDS_STATUS_SORT_BY) + ResourceString(sort->id));
  const bool treeHasFocus = GetFocus() == ActiveTree() && ActiveTree();
  if (treeHasFocus) FilePaneActive = false;
  SetPart(statusBar, PART_ACTIVE, ResourceString(FilePaneActive ? IDS_STATUS_ACTIVE_FILE_PANE : IDS_STATUS_ACTIVE_TREE));
  if (IsFolderNode(folder) && treeHasFocus) SetFolderParts(statusBar, folder);
}
