// Scan workers on real drives: concurrency between drives, one scan per
// drive, stop and restart, the orderly stop at exit and the scan commands.
#include <gtest/gtest.h>

#include <string>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/scan_dialog.h"
#include "model/folder_node.h"
#include "model/scan_control.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/diagnostic_log.h"
#include "support/dialog_answerer.h"
#include "support/node_lock_holder.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

class ScanControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyDefaultSettings(&Settings);
    top = panes.AddTopNode();
    driveC = panes.AddDriveRoot(top, "C:\\");
    driveD = panes.AddDriveRoot(top, "D:\\");
    onC.MakeFile("a.bin", 5000);
    onC.MakeFolder("sub");
    onC.MakeFile("sub\\b.bin", 3000);
    onC.MakeFolder("sub\\deeper");
    onD.MakeFile("x.bin", 7000);
    onD.MakeFolder("sub");
    onD.MakeFile("sub\\y.bin", 100);
    folderC = panes.AddFolder(driveC, onC.Path());
    folderD = panes.AddFolder(driveD, onD.Path());
  }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 0; })) << "a worker did not end";
    CurrentFolder = nullptr;
  }

  static bool Complete(FolderNode* node) {
    return (node->flags & (FILES_COUNTED | SUBTREE_COMPLETE)) == (FILES_COUNTED | SUBTREE_COMPLETE);
  }
  void ExpectScannedC() {
    EXPECT_EQ(5000, folderC->ownBytes);
    EXPECT_EQ(3000, folderC->subtreeBytes);
    EXPECT_TRUE(Complete(folderC));
    EXPECT_EQ(1, folderC->subfolderCount);
  }

  DiagnosticLog log;
  TestPanes panes;
  TempFolder onC;
  TempFolder onD{"D:\\"};
  FolderNode* top = nullptr;
  DriveRootNode* driveC = nullptr;
  DriveRootNode* driveD = nullptr;
  FolderNode* folderC = nullptr;
  FolderNode* folderD = nullptr;
};

TEST_F(ScanControlTest, DrivesScanSideBySideOneScanEachAndAStoppedDriveTakesANewOne) {
  {
    NodeLockHolder busy(folderC);  // the C: scan waits for this folder
    ASSERT_NE(nullptr, StartWorker(FolderScanWorker, folderC));
    ASSERT_TRUE(PumpUntil([&] { return driveC->activeScan != nullptr; }));
    WorkerRecord* first = driveC->activeScan;
    StartWorker(DriveScanWorker, driveC);  // a second scan of C: ends at once without scanning
    ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 1; }));
    EXPECT_EQ(1, ActiveScans);
    EXPECT_EQ(SCAN_NONE, driveC->scanState);
    // D: runs to its end while C:'s scan is still in progress.
    ASSERT_NE(nullptr, StartWorker(FolderScanWorker, folderD));
    ASSERT_TRUE(PumpUntil([&] { return Complete(folderD) && !driveD->activeScan; }));
    EXPECT_EQ(first, driveC->activeScan);
    EXPECT_EQ(SCAN_NONE, folderC->scanState);

    EXPECT_EQ(1, StopDriveScan(folderC));
    EXPECT_EQ(nullptr, driveC->activeScan);
    EXPECT_EQ(0, StopDriveScan(folderC)) << "nothing left to stop";
    StartWorker(FolderScanWorker, folderC);
    ASSERT_TRUE(PumpUntil([&] { return driveC->activeScan && driveC->activeScan != first; }));
    EXPECT_EQ(2, WorkerCount());
  }
  // The old worker finishes its folder and stops; the new one scans it all.
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ(0, ActiveScans);
  EXPECT_EQ(nullptr, driveC->activeScan);
  ExpectScannedC();
  EXPECT_EQ(8000, driveC->subtreeBytes) << "both enumerations count once";
  EXPECT_EQ(7000, folderD->ownBytes);
  EXPECT_EQ(7100, driveD->subtreeBytes);
}

TEST_F(ScanControlTest, ARestartedScanMeetingTheStoppedOneInsideItsTreeFinishesBoth) {
  onD.MakeFolder("sub\\inner");
  onD.MakeFile("sub\\inner\\f.bin", 11);
  StartWorker(FolderScanWorker, folderD);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  FolderNode* sub = ChildNamed(panes.tree(), folderD, "sub");
  ASSERT_NE(nullptr, sub);
  {
    // The new scan waits for the folder first; the stopped one, listing
    // "sub", then waits for it too.  Once the folder is free the new scan
    // lists it and resets "sub", which the stopped scan still holds.
    NodeLockHolder busy(folderD);
    StartWorker(FolderScanWorker, folderD);
    ASSERT_TRUE(PumpUntil([&] { return driveD->activeScan != nullptr; }));
    Sleep(50);  // lets it reach the lock; without the wait the test proves less, never fails
    StopDriveScan(folderD);
    StartWorker(FolderScanWorker, sub);
    ASSERT_TRUE(PumpUntil([&] { return driveD->activeScan != nullptr; }));
    Sleep(50);
  }
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }, 20000)) << "the two scans wait for each other";
  EXPECT_EQ(7000, folderD->ownBytes);
  EXPECT_EQ(111, folderD->subtreeBytes);
  EXPECT_TRUE(Complete(folderD));
}

TEST_F(ScanControlTest, NothingStartsOnceTheWindowIsClosing) {
  ShuttingDown = true;  // a device timer or a rescan may still fire while the shutdown pumps
  EXPECT_EQ(nullptr, StartWorker(FolderScanWorker, folderC));
  ShuttingDown = false;
  EXPECT_EQ(0, WorkerCount());
}

TEST_F(ScanControlTest, ExitStopsARunningScanWithinOneFolderWithoutTerminating) {
  StopAllWorkers();  // with nothing running it returns at once
  EXPECT_EQ(0, WorkerCount());

  NodeLockHolder busy(folderC);
  StartWorker(FolderScanWorker, folderC);
  ASSERT_TRUE(PumpUntil([&] { return driveC->activeScan != nullptr; }));
  WorkerRecord* worker = driveC->activeScan;
  busy.ReleaseWhen([&] { return worker->stopRequested != 0; });  // inside StopAllWorkers' pump
  StopAllWorkers();

  EXPECT_EQ(0, WorkerCount());
  EXPECT_FALSE(log.Has("All Threads did not terminate normally."));
  EXPECT_EQ(SCAN_DONE, folderC->scanState);
  EXPECT_NE(0, folderC->flags & FILES_COUNTED);
  FolderNode* sub = panes.Child(folderC, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(SCAN_NONE, sub->scanState) << "queued folders stay unscanned";
}

TEST_F(ScanControlTest, CommandsFollowTheCurrentFolderAndStopWithoutADriveAsksFirst) {
  CurrentFolder = folderC;
  EXPECT_TRUE(CanStartScanOnCurrentDrive());
  EXPECT_FALSE(CurrentDriveIsScanning());
  {
    NodeLockHolder busyC(folderC), busyD(folderD);
    RescanCurrentFolderCommand();  // 45000
    StartWorker(FolderScanWorker, folderD);
    ASSERT_TRUE(PumpUntil([&] { return CurrentDriveIsScanning() && driveD->activeScan; }));
    EXPECT_FALSE(CanStartScanOnCurrentDrive());

    {
      // 45212 on a drive that is being scanned says so instead of opening the dialog.
      DialogAnswerer answer(IDOK);
      ScanDiskCommand(panes.window());
      ASSERT_EQ(1u, answer.seen().size());
      EXPECT_EQ(ResourceString(IDS_SCAN_ALREADY_RUNNING), answer.seen()[0].text);
      EXPECT_EQ(ResourceString(IDS_WINDOW_TITLE), answer.seen()[0].caption);
    }
    {
      DialogAnswerer no(IDNO);
      EXPECT_EQ(0, StopDriveScan(top));
      ASSERT_EQ(1u, no.seen().size());
      EXPECT_EQ(ResourceString(IDS_STOP_ALL_SCANS_QUESTION), no.seen()[0].text);
      EXPECT_TRUE(CurrentDriveIsScanning() && driveD->activeScan);
    }
    Settings.stopAllScans = 0;
    StopScanCommand();  // 45215, only the current drive
    EXPECT_FALSE(CurrentDriveIsScanning());
    EXPECT_NE(nullptr, driveD->activeScan);
    DialogAnswerer yes(IDYES);
    StopDriveScan(nullptr);
    EXPECT_EQ(nullptr, driveD->activeScan);
  }
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));

  // With the top item selected, 45212 asks for a drive.
  TreeView_SelectItem(panes.tree(), top->mainItem);
  DialogAnswerer answer(IDOK);
  ScanDiskCommand(panes.window());
  ASSERT_EQ(1u, answer.seen().size());
  EXPECT_EQ(ResourceString(IDS_CHOOSE_DRIVE_TO_SCAN), answer.seen()[0].text);
}

// The scan dialog as the user meets it, driven through its controls.
TEST_F(ScanControlTest, ScanDialogOffersTheFolderOnlyBelowTheDriveRoot) {
  CurrentFolder = driveC;
  Settings.scanScope = 1;
  bool checked = false;
  {
    DialogAnswerer cancel([&](HWND dialog) {
      checked = true;
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_SCAN_CURRENT_DRIVE)) << "a drive root scans the drive";
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN_CURRENT_FOLDER)));
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS)));
      return IDCANCEL;
    });
    ScanDiskCommand(panes.window());
  }
  EXPECT_TRUE(checked);
  EXPECT_EQ(0, Settings.scanScope);
  EXPECT_EQ(0, WorkerCount());

  CurrentFolder = folderC;
  std::string label;
  DialogAnswerer scanFolder([&](HWND dialog) {
    char text[600];
    GetDlgItemTextA(dialog, IDC_SCAN_FOLDER_PATH, text, sizeof text);
    label = text;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN_CURRENT_FOLDER)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS)));
    SendDlgItemMessageA(dialog, IDC_SCAN_CURRENT_FOLDER, BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS)));
    return IDOK;
  });
  ScanDiskCommand(panes.window());
  ASSERT_TRUE(PumpUntil([&] { return WorkerCount() == 0 && Complete(folderC); }));
  EXPECT_EQ(1, Settings.scanScope);
  ExpectScannedC();
  EXPECT_EQ(0, driveC->flags & FILES_COUNTED) << "only the folder was scanned";
  EXPECT_EQ(0u, label.find("C:\\ ")) << label;
  EXPECT_NE(std::string::npos, label.find("\\ Pv")) << "word capitals: " << label;
}

TEST(ScanPathLabel, WordCapitalsAndRoomToWrap) {
  char out[600];
  FormatScanPathLabel("c:\\PROGRAM FILES\\my-app", out, sizeof out);
  EXPECT_STREQ("C:\\ Program Files\\ My-App", out);
  FormatScanPathLabel("d:\\data\\2nd-try\\", out, sizeof out);
  EXPECT_STREQ("D:\\ Data\\ 2nd-Try\\ ", out);
  FormatScanPathLabel("c:\\abcdef", out, 8);
  EXPECT_STREQ("C:\\ Abc", out) << "bounded by the buffer";
}

}  // namespace
