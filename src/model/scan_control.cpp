#include "model/scan_control.h"

#include "app/command_state_hook.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/scan_dialog.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"

volatile LONG ActiveScans = 0;

namespace {

DriveRootNode* ValidDriveRoot(FolderNode* node) {
  if (!IsFolderNode(node)) return nullptr;
  FolderNode* root = node->root;
  if (!IsDriveRoot(root) || root->kind != NODE_DRIVE_ROOT) return nullptr;
  return AsDriveRoot(root);
}

// Runs one scan with the drive's activeScan naming this worker.
DWORD RunGuardedScan(WorkerRecord* record, FolderNode* start, DriveRootNode* drive, bool descendKnown) {
  void* volatile* slot = reinterpret_cast<void* volatile*>(&drive->activeScan);
  if (InterlockedCompareExchangePointer(slot, record, nullptr) != nullptr) return 0;
  InterlockedIncrement(&ActiveScans);
  RefreshCommandStates();
  int result = ScanSubtree(start, descendKnown, record);
  InterlockedDecrement(&ActiveScans);
  // A stop may have handed the drive to a newer scan already; leave that one's mark.
  if (IsDriveRoot(drive)) InterlockedCompareExchangePointer(slot, nullptr, record);
  // Before the worker leaves the table: once it is gone, shutdown and anyone
  // waiting for the workers may stop answering the interface thread's messages.
  RefreshCommandStates();
  return static_cast<DWORD>(result);
}

// Scans that were stopped leave "being counted" marks behind; they are final now.
void SettleRunningStates(HWND tree, HTREEITEM first) {
  for (HTREEITEM item = first; item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node) && node->scanState == SCAN_RUNNING) node->scanState = SCAN_DONE;
    SettleRunningStates(tree, FirstChildItem(tree, item));
  }
}

}  // namespace

DWORD WINAPI DriveScanWorker(void* parameter) {
  auto* record = static_cast<WorkerRecord*>(parameter);
  auto* node = static_cast<FolderNode*>(record->param);
  DWORD result = 0;
  if (IsDriveRoot(node) && node->kind == NODE_DRIVE_ROOT)
    result = RunGuardedScan(record, node, AsDriveRoot(node), true);
  FinishWorker(record);
  return result;
}

DWORD WINAPI FolderScanWorker(void* parameter) {
  auto* record = static_cast<WorkerRecord*>(parameter);
  auto* node = static_cast<FolderNode*>(record->param);
  DWORD result = 0;
  if (DriveRootNode* drive = ValidDriveRoot(node))
    result = RunGuardedScan(record, node, drive, Settings.includeKnownSubfolders != 0);
  FinishWorker(record);
  return result;
}

int StopDriveScan(FolderNode* node) {
  DriveRootNode* drive = ValidDriveRoot(node);
  if (!drive) {
    if (ShowMessage(MainWindow, IDS_STOP_ALL_SCANS_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDYES) StopAllScans();
    return 0;
  }
  auto* worker = static_cast<WorkerRecord*>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&drive->activeScan), nullptr));
  if (!worker) return 0;
  RequestStop(worker);
  HWND tree = Panes.mainTree;
  if (tree) SettleRunningStates(tree, FirstChildItem(tree, drive->mainItem));
  if (Panes.mainList) InvalidateRect(Panes.mainList, nullptr, FALSE);
  return 1;
}

void StopAllScans() {
  HWND tree = Panes.mainTree;
  if (!tree) return;
  for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (ValidDriveRoot(node)) StopDriveScan(node);
  }
}

bool CanStartScanOnCurrentDrive() {
  DriveRootNode* drive = ValidDriveRoot(CurrentFolder);
  return drive && !drive->activeScan;
}

bool CurrentDriveIsScanning() {
  DriveRootNode* drive = ValidDriveRoot(CurrentFolder);
  return drive && drive->activeScan;
}

void ScanDiskCommand(HWND owner) {
  HWND tree = ActiveTree();
  HTREEITEM selected = tree ? TreeNext(tree, nullptr, TVGN_CARET) : nullptr;
  if (selected && selected == TopItem(tree)) {
    ShowMessage(owner, IDS_CHOOSE_DRIVE_TO_SCAN, MB_ICONHAND);
    return;
  }
  DriveRootNode* drive = ValidDriveRoot(CurrentFolder);
  if (!drive) return;
  if (drive->activeScan) {
    ShowMessage(owner, IDS_SCAN_ALREADY_RUNNING, MB_ICONINFORMATION);
    return;
  }
  ShowScanDialog(owner);
}

void StopScanCommand() {
  if (Settings.stopAllScans)
    StopAllScans();
  else
    StopDriveScan(CurrentFolder);
}

void RescanCurrentFolderCommand() {
  if (CanStartScanOnCurrentDrive()) StartWorker(FolderScanWorker, CurrentFolder);
}

void StopCurrentDriveScanCommand() { StopDriveScan(CurrentFolder); }
