// The two scan workers and the commands that start and stop scans.
#pragma once
#include <windows.h>

struct FolderNode;

// Scan workers currently inside a scan (the stop command is enabled while above 0).
extern volatile LONG ActiveScans;

// Thread routines for StartWorker; the record's param is a drive root or a folder.
DWORD WINAPI DriveScanWorker(void* record);
DWORD WINAPI FolderScanWorker(void* record);

// Stops the scan of |node|'s drive (asking to stop all when there is no drive);
// 1 when a running scan was asked to stop.
int StopDriveScan(FolderNode* node);
void StopAllScans();

// Commands of the main window.
void ScanDiskCommand(HWND owner);        // 45212: opens the scan dialog
void StopScanCommand();                  // 45215
void RescanCurrentFolderCommand();       // 45000
void StopCurrentDriveScanCommand();      // 45001

// Whether 45212 and 45000 (scan allowed) and 45001 (a scan to stop) apply to
// the current folder's drive.
bool CanStartScanOnCurrentDrive();
bool CurrentDriveIsScanning();
