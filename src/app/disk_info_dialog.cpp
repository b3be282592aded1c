#include "app/disk_info_dialog.h"

#include <algorithm>
#include <cstring>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/volume.h"
#include "pane/formatting.h"
#include "resource.h"
#include "shell/shell_items.h"

namespace {

constexpr char NO_INFORMATION_TEXT[] =
    "Cannot get information for drive. If it is a removable media drive, verify that a disk is present.";
constexpr char NO_INFORMATION_CAPTION[] = "ERROR : No information available.";

// "4,096 (4.00KB)": the exact count, then the size in units.
void SetBytesAndSize(HWND dialog, int control, double bytes) {
  char number[NUMBER_TEXT_MAX], size[NUMBER_TEXT_MAX], text[2 * NUMBER_TEXT_MAX + 4];
  FormatGroupedNumber(bytes > 0 ? static_cast<uint64_t>(bytes) : 0, number, sizeof number);
  FormatSize(bytes, size, sizeof size);
  lstrcpynA(text, number, sizeof text);
  std::strncat(text, " (", sizeof text - std::strlen(text) - 1);
  std::strncat(text, size, sizeof text - std::strlen(text) - 1);
  std::strncat(text, ")", sizeof text - std::strlen(text) - 1);
  SetDlgItemTextA(dialog, control, text);
}

void SetNumber(HWND dialog, int control, uint64_t value) {
  char number[NUMBER_TEXT_MAX];
  SetDlgItemTextA(dialog, control, FormatGroupedNumber(value, number, sizeof number));
}

void FillControls(HWND dialog, DriveRootNode* drive) {
  IShellFolder* desktop = nullptr;
  char name[SHELL_TEXT_MAX] = "";
  if (SUCCEEDED(SHGetDesktopFolder(&desktop))) {
    DisplayNameOf(desktop, drive->absoluteIdList, SHGDN_NORMAL, name);
    desktop->Release();
  }
  SetDlgItemTextA(dialog, IDC_DISK_NAME, name);
  SetDlgItemTextA(dialog, IDC_DISK_TYPE, ResourceString(DriveTypeTextId(drive->driveType)).c_str());
  SetNumber(dialog, IDC_DISK_BYTES_PER_SECTOR, drive->bytesPerSector);
  SetNumber(dialog, IDC_DISK_SECTORS_PER_CLUSTER, drive->sectorsPerCluster);
  SetBytesAndSize(dialog, IDC_DISK_CLUSTER_SIZE, double(drive->sectorsPerCluster) * drive->bytesPerSector);
  SetNumber(dialog, IDC_DISK_CLUSTERS, drive->totalClusters);
  SetBytesAndSize(dialog, IDC_DISK_CAPACITY, drive->totalBytes);
  SetBytesAndSize(dialog, IDC_DISK_FREE, drive->freeBytes);
  SetBytesAndSize(dialog, IDC_DISK_USED, drive->totalBytes - drive->freeBytes);
}

}  // namespace

// Over the main window, where the user is looking, kept inside the work area
// of its screen.
void CentreOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) owner = MainWindow;
  RECT around, box;
  if (!owner || !GetWindowRect(owner, &around) || !GetWindowRect(dialog, &box)) return;
  const int width = box.right - box.left, height = box.bottom - box.top;
  int x = (around.left + around.right - width) / 2;
  int y = (around.top + around.bottom - height) / 2;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

INT_PTR CALLBACK DiskInformationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CentreOverOwner(dialog);
      FillControls(dialog, reinterpret_cast<DriveRootNode*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

UINT DriveTypeTextId(UINT driveType) {
  switch (driveType) {
    case DRIVE_REMOVABLE:
      return IDS_DRIVE_REMOVABLE;
    case DRIVE_FIXED:
      return IDS_DRIVE_FIXED;
    case DRIVE_REMOTE:
      return IDS_DRIVE_REMOTE;
    case DRIVE_CDROM:
      return IDS_DRIVE_CDROM;
    case DRIVE_RAMDISK:
      return IDS_DRIVE_RAMDISK;
    default:
      return IDS_DRIVE_UNKNOWN;
  }
}

void ShowDiskInformation(HWND owner, FolderNode* folder) {
  if (!IsFolderNode(folder) || !IsDriveRoot(folder->root) || folder->root->kind != NODE_DRIVE_ROOT) return;
  DriveRootNode* drive = AsDriveRoot(folder->root);
  if (!RefreshDriveInfo(drive)) {
    MessageBoxA(owner, NO_INFORMATION_TEXT, NO_INFORMATION_CAPTION, MB_ICONHAND);
    return;
  }
  DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_DISK_INFORMATION), owner, DiskInformationProc,
                  reinterpret_cast<LPARAM>(drive));
}
