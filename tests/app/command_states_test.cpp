// Which commands the menu offers for the top node, a drive root and an
// ordinary folder, and while a scan runs.
#include <gtest/gtest.h>

#include "app/command_states.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/scan_control.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/node_lock_holder.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

bool Enabled(HMENU menu, UINT id) { return !(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }

TEST(CommandStates, TopNodeDriveRootAndFolder) {
  ApplyDefaultSettings(&Settings);
  TempFolder temp;
  TestPanes panes;
  FolderNode* top = panes.AddTopNode();
  DriveRootNode* drive = panes.AddDriveRoot(top, temp.Path());
  FolderNode* folder = panes.AddFolder(drive, temp.Path());
  HMENU menu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
  ASSERT_NE(nullptr, menu);
  // The menu bar has no item for 45001; one added here must follow the scan.
  AppendMenuA(menu, MF_STRING, IDM_STOP_DRIVE_SCAN, "stop");
  const UINT fileCommands[] = {IDM_MOVE_TO, IDM_COPY_TO, IDM_RECYCLE, IDM_DELETE, IDM_RENAME, IDM_CUT, IDM_COPY};

  UpdateCommandStates(top, menu, nullptr);
  for (UINT id : fileCommands) EXPECT_FALSE(Enabled(menu, id)) << id << " on the top node";
  for (UINT id : {IDM_PASTE, IDM_CREATE_FOLDER, IDM_DISK_INFORMATION, IDM_SCAN_DISK, IDM_RESCAN_FOLDER})
    EXPECT_FALSE(Enabled(menu, id)) << id << " on the top node";

  UpdateCommandStates(drive, menu, nullptr);
  for (UINT id : fileCommands) EXPECT_FALSE(Enabled(menu, id)) << id << " on a drive root";
  for (UINT id : {IDM_PASTE, IDM_CREATE_FOLDER, IDM_DISK_INFORMATION, IDM_SCAN_DISK})
    EXPECT_TRUE(Enabled(menu, id)) << id << " on a drive root";

  UpdateCommandStates(folder, menu, nullptr);
  for (UINT id : fileCommands) EXPECT_TRUE(Enabled(menu, id)) << id << " on a folder";
  EXPECT_FALSE(Enabled(menu, IDM_STOP_SCAN));
  EXPECT_FALSE(Enabled(menu, IDM_STOP_DRIVE_SCAN));

  {
    NodeLockHolder busy(folder);
    CurrentFolder = folder;
    StartWorker(FolderScanWorker, folder);
    ASSERT_TRUE(PumpUntil([&] { return drive->activeScan != nullptr; }));
    UpdateCommandStates(folder, menu, nullptr);
    EXPECT_FALSE(Enabled(menu, IDM_SCAN_DISK)) << "the drive is being scanned";
    EXPECT_FALSE(Enabled(menu, IDM_RESCAN_FOLDER));
    EXPECT_TRUE(Enabled(menu, IDM_STOP_SCAN));
    EXPECT_TRUE(Enabled(menu, IDM_STOP_DRIVE_SCAN));
  }
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  UpdateCommandStates(folder, menu, nullptr);
  EXPECT_TRUE(Enabled(menu, IDM_SCAN_DISK));
  EXPECT_FALSE(Enabled(menu, IDM_STOP_SCAN));

  Settings.SizeMode = 0;
  Settings.ShowSizesInUnits = 0;
  UpdateMenuChecks(menu, nullptr);
  EXPECT_TRUE(GetMenuState(menu, IDM_SIZE_REPORTED, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(menu, IDM_SIZE_ON_DISK, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(menu, IDM_EXACT_BYTES, MF_BYCOMMAND) & MF_CHECKED);
  CurrentFolder = nullptr;
  DestroyMenu(menu);
}

}  // namespace
