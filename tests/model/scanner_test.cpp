// Scans of real folders into a real tree view (totals, completeness, dates, names, icons and what vanished), and
// scan workers on real drives: one scan per drive side by side, stop, restart, exit and the scan commands.
#include <cstring>
#include <map>

#include "app/scan_dialog.h"
#include "model/scan_control.h"
#include "model/worker_record.h"
#include "support/main_window_test.h"
#include "support/node_lock_holder.h"

namespace {

constexpr int64_t C = 4096;  // the fixed geometry's cluster
const std::string DONE = "done counted complete, ";

class ScanTest : public FolderChainTest {
 protected:
  // a: 0 bytes, b: one whole cluster, c: a cluster and a bit; sub holds d and an empty folder.
  void MakeSample() { temp.Make({"a.bin:0", "b.bin:4096", "c.bin:5000", "sub", "sub\\d.bin:5000", "sub\\empty"}); }
  void ScanAll() { ASSERT_EQ(1, ScanSubtree(folder, true, nullptr)); }
};

TEST_F(ScanTest, FullScanCountsEveryFileInBothMeasuresOnTheRealDrive) {
  ScopedDriveQueries system(nullptr);
  const int64_t c = ClusterSize(folder);
  ASSERT_GT(c, 0);
  EXPECT_EQ(0, c & (c - 1)) << c;
  EXPECT_EQ(UINT(DRIVE_FIXED), drive->driveType);
  EXPECT_GT(drive->totalBytes, drive->freeBytes);
  auto r = [&](int64_t size) { return (size + c - 1) / c * c; };
  MakeSample();
  temp.MakeFile("sub\\huge.bin", (1ull << 32) + 5000);  // only its low part counts
  ScanAll();
  FolderNode* sub = ChildOf(folder, "sub");
  ASSERT_NE(nullptr, sub);
  FolderNode* empty = ChildOf(sub, "empty");
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(SizesText(3, 9096, c + r(4096) + r(5000), 10000, 2 * c + 2 * r(5000)), Sizes(folder));
  EXPECT_EQ(SizesText(2, 10000, c + 2 * r(5000), 0, c), Sizes(sub));
  EXPECT_EQ(SizesText(0, 0, c, 0, 0), Sizes(empty));
  EXPECT_EQ(SizesText(0, 0, 0, 19096, 3 * c + r(4096) + 3 * r(5000)), Sizes(drive));
  EXPECT_EQ(0, top->subtreeBytes) << "propagation stops at the drive root";
  for (FolderNode* node : {folder, sub, empty}) {
    EXPECT_EQ(DONE + (node == empty ? "0 of 0" : "1 of 1") + " reported", Progress(node))
        << TreeItemText(Panes.mainTree, node->mainItem);
    EXPECT_EQ(drive, node->root);
    EXPECT_EQ(node != empty, HasButton(node)) << TreeItemText(Panes.mainTree, node->mainItem);
  }
  Settings.SizeMode = 0;
  EXPECT_EQ(19096, NodeSizes(folder).total);
  Settings.SizeMode = 1;
  EXPECT_EQ(3 * c + r(4096) + 3 * r(5000), NodeSizes(folder).total);
}

TEST_F(ScanTest, RescansChangeTheTotalsByWhatChangedOnDisk) {
  MakeSample();
  ScanAll();
  const std::string before = Sizes(drive) + " | " + Sizes(folder);
  FolderNode* sub = ChildOf(folder, "sub");
  FolderNode* empty = ChildOf(sub, "empty");
  ASSERT_TRUE(sub && empty);
  ScanAll();
  EXPECT_EQ(before, Sizes(drive) + " | " + Sizes(folder)) << "nothing changed on disk";
  EXPECT_EQ(sub, ChildOf(folder, "sub")) << "known children are reused";
  EXPECT_EQ(std::vector<std::string>{"sub"}, ChildTexts(Panes.mainTree, folder->mainItem));
  EXPECT_EQ(DONE + "1 of 1 reported", Progress(folder));
  EXPECT_EQ(DONE + "1 of 1 reported", Progress(sub));

  temp.MakeFile("sub\\d.bin", 9000);  // 5000 -> 9000 bytes, 2 -> 3 clusters
  ScanAll();
  EXPECT_EQ(SizesText(1, 9000, 4 * C, 0, C), Sizes(sub));
  EXPECT_EQ(SizesText(0, 0, 0, 18096, 9 * C), Sizes(drive));

  temp.Make({"sub\\later.bin:100", "fresh", "fresh\\f.bin:300"});  // sub is not descended into: later.bin unseen
  ASSERT_EQ(1, ScanSubtree(folder, false, nullptr));
  FolderNode* fresh = ChildOf(folder, "fresh");
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ(SizesText(1, 300, 2 * C, 0, 0), Sizes(fresh));
  EXPECT_EQ(1, sub->fileCount);
  EXPECT_EQ(SizesText(3, 9096, 4 * C, 9300, 7 * C), Sizes(folder));

  // Root ignores access rights under Wine: a file of the same name makes a folder unlistable.
  temp.Remove("fresh");
  temp.MakeFile("fresh", 10);
  EXPECT_EQ(0, ScanSubtree(fresh, true, nullptr));
  EXPECT_FALSE(IsFolderNode(fresh));
  temp.Remove("sub");
  ASSERT_EQ(1, ScanOneLevel(folder));
  EXPECT_TRUE(ChildTexts(Panes.mainTree, folder->mainItem).empty());
  EXPECT_FALSE(HasButton(folder));
  EXPECT_EQ(0, folder->subfolderCount);
  EXPECT_EQ(SizesText(4, 9106, 5 * C, 0, 0), Sizes(folder));
  EXPECT_EQ(SizesText(0, 0, 0, 9106, 5 * C), Sizes(drive));
  EXPECT_FALSE(IsFolderNode(sub) || IsFolderNode(empty));
}

TEST_F(ScanTest, StoppedScanLeavesTheQueueAndCompletionIsCountedOnce) {
  MakeSample();
  temp.MakeFolder("later");
  WorkerRecord stop = {};
  stop.stopRequested = 1;
  ScanSubtree(folder, true, &stop);  // lists the folder only
  EXPECT_EQ("done counted, 0 of 2 reported", Progress(folder));
  FolderNode* sub = ChildOf(folder, "sub");
  FolderNode* later = ChildOf(folder, "later");
  ASSERT_TRUE(sub && later);
  EXPECT_EQ("unscanned, 0 of 0 reported", Progress(sub));

  ASSERT_EQ(1, ScanSubtree(sub, true, nullptr));
  // Repeated reports from a finished folder must not stand in for "later".
  ASSERT_EQ(1, ScanOneLevel(sub));
  ASSERT_EQ(1, ScanOneLevel(ChildOf(sub, "empty")));
  EXPECT_EQ("done counted, 1 of 2 reported", Progress(folder)) << "later is not scanned yet";
  // Listing the folder again and rescanning sub leaves the ancestors as they were.
  ASSERT_EQ(1, ScanOneLevel(folder));
  ASSERT_EQ(1, ScanSubtree(sub, true, nullptr));
  EXPECT_EQ("done counted, 1 of 2 reported", Progress(folder));
  EXPECT_EQ(DONE + "1 of 1 reported", Progress(sub));
  EXPECT_EQ("done, 0 of 1 reported", Progress(drive));
  ASSERT_EQ(1, ScanSubtree(later, true, nullptr));
  EXPECT_EQ(DONE + "2 of 2 reported", Progress(folder));

  // A finished subfolder deleted on disk takes its report with it, so the
  // next descending scan finishes the folder and the drive again.
  temp.Remove("sub");
  ScanAll();
  EXPECT_EQ(DONE + "1 of 1 reported", Progress(folder));
  EXPECT_EQ("done complete, 1 of 1 reported", Progress(drive));
}

TEST_F(ScanTest, DriveWithoutGeometryStartsNoEnumeration) {
  temp.MakeFile("a.bin", 10);
  geometry.fail = true;
  EXPECT_EQ(0, ScanSubtree(folder, true, nullptr));
  EXPECT_EQ(0, ScanOneLevel(folder));
  EXPECT_EQ("unscanned, 0 of 0 reported", Progress(folder));
  EXPECT_EQ(SizesText(0, 0, 0, 0, 0), Sizes(folder));
  EXPECT_EQ(0, drive->flags & DRIVE_INFO_VALID);
  EXPECT_TRUE(recorded.Has("Cannot get info for the drive."));
}

TEST_F(ScanTest, SubfolderWhosePathWouldPassTheLimitIsSkipped) {
  // Nest until the next level's "name\*.*" no longer fits in MAX_PATH.
  const std::string x(40, 'x');
  std::string relative = "long";
  temp.MakeFolder(relative);
  while (temp.Path(relative).size() + 1 + 40 < MAX_PATH) temp.MakeFolder(relative += "\\" + x);
  temp.MakeFile(relative + "\\f.bin", 77);
  temp.MakeFolder(relative + "\\" + std::string(MAX_PATH - temp.Path(relative).size(), 'y'));  // only as \\?\ path
  ScanAll();
  FolderNode* node = ChildOf(folder, "long");
  while (node && node->subfolderCount > 0) node = ChildOf(node, x);
  ASSERT_NE(nullptr, node);
  EXPECT_EQ(SizesText(1, 77, 2 * C, 0, 0), Sizes(node));
  EXPECT_EQ(DONE + "0 of 0 reported", Progress(node));
  EXPECT_EQ(77, folder->subtreeBytes);
}

TEST_F(ScanTest, SubfoldersCarryTheListsAttributesIconsAndDatesTheDiskGivesThem) {
  const std::string names[] = {"sub", Narrow(L"\u6570\u636E"), "secret", "marked", "unmarked"};
  for (const std::string& name : names) temp.MakeFolder(name);
  // The shell reads a folder's own icon from its desktop.ini only when the
  // folder is read-only or system; a hidden folder answers other attributes.
  const std::string ini = temp.Path("marked\\desktop.ini");
  WritePrivateProfileStringA(".ShellClassInfo", "IconFile", "C:\\windows\\system32\\shell32.dll", ini.c_str());
  WritePrivateProfileStringA(".ShellClassInfo", "IconIndex", "12", ini.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  ASSERT_TRUE(CopyFileA(ini.c_str(), temp.Path("unmarked\\desktop.ini").c_str(), FALSE));
  SetFileAttributesA(temp.Path("secret").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(temp.Path("marked").c_str(), FILE_ATTRIBUTE_READONLY);
  // A folder's dates rise to the latest file inside.
  temp.Make({"sub\\old.bin:10", "sub\\new.bin:10"});
  SYSTEMTIME future = {2031, 3, 0, 14, 12, 0, 0, 0};
  FILETIME late;
  SystemTimeToFileTime(&future, &late);
  HANDLE file = CreateFileA(temp.Path("sub\\new.bin").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, 0);
  SetFileTime(file, nullptr, &late, &late);
  CloseHandle(file);
  WIN32_FILE_ATTRIBUTE_DATA own;
  ASSERT_TRUE(GetFileAttributesExA(temp.Path("sub").c_str(), GetFileExInfoStandard, &own));
  ScanAll();
  FolderNode* sub = ChildOf(folder, "sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ(0, CompareFileTime(&own.ftCreationTime, &sub->created));
  EXPECT_EQ(0, CompareFileTime(&late, &sub->lastWrite));
  EXPECT_EQ(0, CompareFileTime(&late, &sub->lastAccess));
  std::map<std::string, int> icons;
  for (const std::string& name : names) {
    FolderNode* node = ChildOf(folder, name);
    ASSERT_NE(nullptr, node) << name;
    ULONG attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_HASPROPSHEET |
                       SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;
    LPITEMIDLIST parsed = IdListFromPath((temp.Path(name) + "\\").c_str(), nullptr, &attributes);
    EXPECT_TRUE(IdListBytesEqual(parsed, node->absoluteIdList)) << name;
    FreeIdList(parsed);
    EXPECT_EQ(attributes, node->shellAttributes) << name;
    TVITEMA shown = {};
    shown.mask = TVIF_HANDLE | TVIF_IMAGE;
    shown.hItem = node->mainItem;
    SendMessageA(Panes.mainTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&shown));
    icons[name] = shown.iImage;
  }
  EXPECT_NE(icons["sub"], icons["marked"]) << "the marked folder has its own icon";
  for (const char* name : {"secret", "marked"}) SetFileAttributesA(temp.Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

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
