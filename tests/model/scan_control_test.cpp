// Scan workers on real drives: one scan per drive side by side, stop, restart, exit and the scan commands.
#include <cstring>

#include "app/resource_text.h"
#include "app/scan_dialog.h"
#include "model/scan_control.h"
#include "model/worker_table.h"
#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/folder_chain_test.h"
#include "support/node_lock_holder.h"

namespace {

// What the message boxes said, "caption: text" each, one after the other.
std::string Said(const DialogAnswerer& answer) {
  std::string said;
  for (const SeenDialog& box : answer.seen()) said += (said.empty() ? "" : " / ") + box.caption + ": " + box.text;
  return said;
}

class ScanControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyDefaultSettings(&Settings);
    top = panes.AddTopNode();
    driveC = panes.AddDriveRoot(top, "C:\\");
    driveD = panes.AddDriveRoot(top, "D:\\");
    onC.Make({"a.bin:5000", "sub", "sub\\b.bin:3000", "sub\\deeper"});
    onD.Make({"x.bin:7000", "sub", "sub\\y.bin:100"});
    folderC = panes.AddFolder(driveC, onC.Path());
    folderD = panes.AddFolder(driveD, onD.Path());
  }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 0; })) << "a worker did not end";
    CurrentFolder = nullptr;
  }

  static bool Complete(FolderNode* node) { return Progress(node).find("counted complete") != std::string::npos; }
  void ExpectScannedC() {
    EXPECT_EQ(SizesText(1, 5000, 3 * 4096, 3000, 3 * 4096) + " done counted complete, 1 of 1 reported",
              Sizes(folderC) + " " + Progress(folderC));
  }

  Recorder log;
  FixedGeometry geometry;  // 4 096-byte clusters on both drives
  ScopedDriveQueries installed{&geometry};
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
  EXPECT_EQ(SizesText(0, 0, 0, 8000, 6 * 4096), Sizes(driveC)) << "both enumerations count once";
  EXPECT_EQ(SizesText(0, 0, 0, 7100, 5 * 4096), Sizes(driveD));
}

TEST_F(ScanControlTest, ARestartedScanMeetingTheStoppedOneInsideItsTreeFinishesBoth) {
  onD.Make({"sub\\inner", "sub\\inner\\f.bin:11"});
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
  EXPECT_EQ(SizesText(1, 7000, 3 * 4096, 111, 4 * 4096), Sizes(folderD));
  EXPECT_TRUE(Complete(folderD));
}

TEST_F(ScanControlTest, ExitStopsARunningScanWithinOneFolderAndThenNothingStarts) {
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
  EXPECT_EQ("done counted, 0 of 1 reported", Progress(folderC));
  FolderNode* sub = panes.Child(folderC, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ("unscanned, 0 of 0 reported", Progress(sub)) << "queued folders stay unscanned";
  ShuttingDown = true;  // a device timer or a rescan may still fire while the shutdown pumps
  EXPECT_EQ(nullptr, StartWorker(FolderScanWorker, folderC));
  ShuttingDown = false;
  EXPECT_EQ(0, WorkerCount()) << "nothing starts once the window is closing";
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
      EXPECT_EQ(ResourceString(IDS_WINDOW_TITLE) + ": " + ResourceString(IDS_SCAN_ALREADY_RUNNING), Said(answer));
    }
    {
      DialogAnswerer no(IDNO);
      EXPECT_EQ(0, StopDriveScan(top));
      EXPECT_NE(std::string::npos, Said(no).find(ResourceString(IDS_STOP_ALL_SCANS_QUESTION))) << Said(no);
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
  EXPECT_NE(std::string::npos, Said(answer).find(ResourceString(IDS_CHOOSE_DRIVE_TO_SCAN))) << Said(answer);
}

// The scan dialog as the user meets it, driven through its controls.
TEST_F(ScanControlTest, ScanDialogOffersTheFolderOnlyBelowTheDriveRoot) {
  CurrentFolder = driveC;
  Settings.scanScope = 1;
  auto enabled = [](HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) ? "on " : "off "; };
  std::string seen;
  {
    DialogAnswerer cancel([&](HWND dialog) {
      seen = std::to_string(IsDlgButtonChecked(dialog, IDC_SCAN_CURRENT_DRIVE)) + " " +
             enabled(dialog, IDC_SCAN_CURRENT_FOLDER) + enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
      return IDCANCEL;
    });
    ScanDiskCommand(panes.window());
  }
  EXPECT_EQ("1 off off ", seen) << "a drive root scans the drive";
  EXPECT_EQ(0, Settings.scanScope);
  EXPECT_EQ(0, WorkerCount());

  CurrentFolder = folderC;
  char label[600] = "";
  DialogAnswerer scanFolder([&](HWND dialog) {
    GetDlgItemTextA(dialog, IDC_SCAN_FOLDER_PATH, label, sizeof label);
    seen = std::string(enabled(dialog, IDC_SCAN_CURRENT_FOLDER)) + enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
    SendDlgItemMessageA(dialog, IDC_SCAN_CURRENT_FOLDER, BM_CLICK, 0, 0);
    seen += enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
    return IDOK;
  });
  ScanDiskCommand(panes.window());
  ASSERT_TRUE(PumpUntil([&] { return WorkerCount() == 0 && Complete(folderC); }));
  EXPECT_EQ("on off on ", seen) << "choosing the folder offers its subfolders";
  EXPECT_EQ(1, Settings.scanScope);
  ExpectScannedC();
  EXPECT_EQ(0, driveC->flags & FILES_COUNTED) << "only the folder was scanned";
  EXPECT_EQ(0u, std::string(label).find("C:\\ ")) << label;
  EXPECT_NE(nullptr, std::strstr(label, "\\ Pv")) << "word capitals: " << label;
}

TEST(ScanPathLabel, RoomToWrapAfterEachSeparatorWithinTheBuffer) {
  char out[600];
  FormatScanPathLabel("d:\\data\\2nd-try\\", out, sizeof out);
  EXPECT_STREQ("D:\\ Data\\ 2nd-Try\\ ", out);
  FormatScanPathLabel("c:\\abcdef", out, 8);
  EXPECT_STREQ("C:\\ Abc", out) << "bounded by the buffer";
}

}  // namespace
