// Scan workers on real drives: one scan per drive side by side, stop, restart, exit and the scan commands.
#include <cstring>

#include "app/scan_dialog.h"
#include "model/scan_control.h"
#include "support/main_window_test.h"
#include "support/node_lock_holder.h"

namespace {

// What the message boxes said, "caption: text" each, one after the other.
std::string Said(const DialogAnswerer& answer) {
  std::string said;
  for (const SeenDialog& box : answer.seen()) said += (said.empty() ? "" : " / ") + box.caption + ": " + box.text;
  return said;
}

class ScanControlTest : public FolderChainTest {
 protected:
  void SetUp() override {
    FolderChainTest::SetUp();
    temp.Make({"a.bin:5000", "sub", "sub\\b.bin:3000", "sub\\deeper"});
    onD.Make({"x.bin:7000", "sub", "sub\\y.bin:100"});
    driveD = DriveRoot('D');
    folderD = AddFolder(driveD, onD.Path());
  }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 0; })) << "a worker did not end";
  }

  static bool Complete(FolderNode* node) { return Progress(node).find("counted complete") != std::string::npos; }
  void ExpectScanned() {
    EXPECT_EQ(SizesText(1, 5000, 3 * 4096, 3000, 3 * 4096) + " done counted complete, 1 of 1 reported",
              Sizes(folder) + " " + Progress(folder));
  }

  TempFolder onD{"D:\\"};
  DriveRootNode* driveD = nullptr;
  FolderNode* folderD = nullptr;
};

TEST_F(ScanControlTest, DrivesScanSideBySideOneScanEachAndAStoppedDriveTakesANewOne) {
  {
    NodeLockHolder busy(folder);  // the C: scan waits for this folder
    ASSERT_NE(nullptr, StartWorker(FolderScanWorker, folder));
    ASSERT_TRUE(PumpUntil([&] { return drive->activeScan != nullptr; }));
    WorkerRecord* first = drive->activeScan;
    StartWorker(DriveScanWorker, drive);  // a second scan of C: ends at once without scanning
    ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 1; }));
    EXPECT_EQ(1, ActiveScans);
    EXPECT_EQ(SCAN_NONE, drive->scanState);
    // D: runs to its end while C:'s scan is still in progress.
    ASSERT_NE(nullptr, StartWorker(FolderScanWorker, folderD));
    ASSERT_TRUE(PumpUntil([&] { return Complete(folderD) && WorkerCount() == 1; }));
    EXPECT_EQ(first, drive->activeScan);
    EXPECT_EQ(SCAN_NONE, folder->scanState);

    EXPECT_EQ(1, StopDriveScan(folder));
    EXPECT_EQ(nullptr, drive->activeScan);
    EXPECT_EQ(0, StopDriveScan(folder)) << "nothing left to stop";
    StartWorker(FolderScanWorker, folder);
    ASSERT_TRUE(PumpUntil([&] { return drive->activeScan && drive->activeScan != first; }));
    EXPECT_EQ(2, WorkerCount());
  }
  // The old worker finishes its folder and stops; the new one scans it all.
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ(0, ActiveScans);
  EXPECT_EQ(nullptr, drive->activeScan);
  ExpectScanned();
  EXPECT_EQ(SizesText(0, 0, 0, 8000, 6 * 4096), Sizes(drive)) << "both enumerations count once";
  EXPECT_EQ(SizesText(0, 0, 0, 7100, 5 * 4096), Sizes(driveD));
}

TEST_F(ScanControlTest, ARestartedScanMeetingTheStoppedOneInsideItsTreeFinishesBoth) {
  onD.Make({"sub\\inner", "sub\\inner\\f.bin:11"});
  StartWorker(FolderScanWorker, folderD);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  FolderNode* sub = ChildOf(folderD, "sub");
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

  NodeLockHolder busy(folder);
  StartWorker(FolderScanWorker, folder);
  ASSERT_TRUE(PumpUntil([&] { return drive->activeScan != nullptr; }));
  WorkerRecord* worker = drive->activeScan;
  busy.ReleaseWhen([&] { return worker->stopRequested != 0; });  // inside StopAllWorkers' pump
  StopAllWorkers();

  EXPECT_EQ(0, WorkerCount());
  EXPECT_FALSE(recorded.Has("All Threads did not terminate normally."));
  EXPECT_EQ("done counted, 0 of 1 reported", Progress(folder));
  FolderNode* sub = ChildOf(folder, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ("unscanned, 0 of 0 reported", Progress(sub)) << "queued folders stay unscanned";
  ShuttingDown = true;  // a device timer or a rescan may still fire while the shutdown pumps
  EXPECT_EQ(nullptr, StartWorker(FolderScanWorker, folder));
  ShuttingDown = false;
  EXPECT_EQ(0, WorkerCount()) << "nothing starts once the window is closing";
}

TEST_F(ScanControlTest, CommandsFollowTheCurrentFolderAndStopWithoutADriveAsksFirst) {
  CurrentFolder = folder;
  EXPECT_TRUE(CanStartScanOnCurrentDrive());
  EXPECT_FALSE(CurrentDriveIsScanning());
  {
    NodeLockHolder busyC(folder), busyD(folderD);
    RescanCurrentFolderCommand();  // 45000
    StartWorker(FolderScanWorker, folderD);
    ASSERT_TRUE(PumpUntil([&] { return CurrentDriveIsScanning() && driveD->activeScan; }));
    EXPECT_FALSE(CanStartScanOnCurrentDrive());

    {
      // 45212 on a drive that is being scanned says so instead of opening the dialog.
      DialogAnswerer answer(IDOK);
      ScanDiskCommand(window);
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
  Select(top);
  DialogAnswerer answer(IDOK);
  ScanDiskCommand(window);
  EXPECT_NE(std::string::npos, Said(answer).find(ResourceString(IDS_CHOOSE_DRIVE_TO_SCAN))) << Said(answer);
}

// The scan dialog as the user meets it, driven through its controls.
TEST_F(ScanControlTest, ScanDialogOffersTheFolderOnlyBelowTheDriveRootAndLabelsItsPathToWrap) {
  CurrentFolder = drive;
  Settings.scanScope = 1;
  auto enabled = [](HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) ? "on " : "off "; };
  std::string seen;
  {
    DialogAnswerer cancel([&](HWND dialog) {
      seen = std::to_string(IsDlgButtonChecked(dialog, IDC_SCAN_CURRENT_DRIVE)) + " " +
             enabled(dialog, IDC_SCAN_CURRENT_FOLDER) + enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
      return IDCANCEL;
    });
    ScanDiskCommand(window);
  }
  EXPECT_EQ("1 off off ", seen) << "a drive root scans the drive";
  EXPECT_EQ(0, Settings.scanScope);
  EXPECT_EQ(0, WorkerCount());

  CurrentFolder = folder;
  char label[600] = "";
  DialogAnswerer scanFolder([&](HWND dialog) {
    GetDlgItemTextA(dialog, IDC_SCAN_FOLDER_PATH, label, sizeof label);
    seen = std::string(enabled(dialog, IDC_SCAN_CURRENT_FOLDER)) + enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
    SendDlgItemMessageA(dialog, IDC_SCAN_CURRENT_FOLDER, BM_CLICK, 0, 0);
    seen += enabled(dialog, IDC_SCAN_INCLUDE_SUBFOLDERS);
    return IDOK;
  });
  ScanDiskCommand(window);
  ASSERT_TRUE(PumpUntil([&] { return WorkerCount() == 0 && Complete(folder); }));
  EXPECT_EQ("on off on ", seen) << "choosing the folder offers its subfolders";
  EXPECT_EQ(1, Settings.scanScope);
  ExpectScanned();
  EXPECT_EQ(0, drive->flags & FILES_COUNTED) << "only the folder was scanned";
  EXPECT_EQ(0u, std::string(label).find("C:\\ ")) << label;
  EXPECT_NE(nullptr, std::strstr(label, "\\ Pv")) << "word capitals: " << label;
  // Room to wrap after each separator, within the buffer.
  FormatScanPathLabel("d:\\data\\2nd-try\\", label, sizeof label);
  EXPECT_STREQ("D:\\ Data\\ 2nd-Try\\ ", label);
  FormatScanPathLabel("c:\\abcdef", label, 8);
  EXPECT_STREQ("C:\\ Abc", label) << "bounded by the buffer";
}

}  // namespace
