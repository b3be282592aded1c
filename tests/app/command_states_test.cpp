// Which commands the menu offers for the top node, a drive root, a folder and while a scan runs.
#include "app/command_states.h"
#include "model/scan_control.h"
#include "support/node_lock_holder.h"
#include "support/main_window_test.h"

namespace {

const UINT COMMANDS[] = {IDM_MOVE_TO,   IDM_COPY_TO,       IDM_RECYCLE,   IDM_DELETE,         IDM_RENAME,
                         IDM_CUT,       IDM_COPY,          IDM_PASTE,     IDM_CREATE_FOLDER,  IDM_DISK_INFORMATION,
                         IDM_SCAN_DISK, IDM_RESCAN_FOLDER, IDM_STOP_SCAN, IDM_STOP_DRIVE_SCAN};

// One character per command of COMMANDS: '+' enabled, '-' greyed.
std::string States(FolderNode* node, HMENU menu) {
  UpdateCommandStates(node, menu, nullptr);
  std::string states;
  for (UINT id : COMMANDS) states += GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED) ? '-' : '+';
  return states;
}

using CommandStates = MainWindowTest;

TEST_F(CommandStates, TopNodeDriveRootFolderAndScanningDrive) {
  Open();
  DriveRootNode* drive = AsDriveRoot(start->root);
  HMENU menu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(nullptr, menu);
  // The menu bar has no items for these two; added here they must follow the scan.
  for (UINT id : {IDM_RESCAN_FOLDER, IDM_STOP_DRIVE_SCAN}) AppendMenuA(menu, MF_STRING, id, "scan");

  EXPECT_EQ("--------------", States(top, menu)) << "the top node";
  EXPECT_EQ("-------+++++--", States(drive, menu)) << "a drive root: paste, new folder, disk and scans";
  EXPECT_EQ("++++++++++++--", States(start, menu)) << "a folder";
  {
    NodeLockHolder busy(start);
    StartWorker(FolderScanWorker, start);
    ASSERT_TRUE(PumpUntil([&] { return drive->activeScan != nullptr; }));
    EXPECT_EQ("++++++++++--++", States(start, menu)) << "while the drive is scanned only the stops";
  }
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ("++++++++++++--", States(start, menu)) << "after the scan";

  Settings.SizeMode = 0;
  Settings.ShowSizesInUnits = 0;
  UpdateMenuChecks(menu, nullptr);
  for (UINT id : {IDM_SIZE_REPORTED, IDM_SIZE_ON_DISK, IDM_EXACT_BYTES})
    EXPECT_EQ(id != IDM_SIZE_ON_DISK, (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0) << id;
  DestroyMenu(menu);
}

}  // namespace
