// The drive list on a prefix with C: and D: fixed, F: removable, R: an empty CD-ROM and Z: network, and each
// drive's geometry by the three methods and capacity sums.
#include "model/root_list.h"
#include "model/volume.h"
#include "support/main_window_test.h"

namespace {

constexpr uint32_t BIT_C = 1u << 3, BIT_D = 1u << 4, BIT_F = 1u << 6;

class RootListTest : public MainWindowTest {
 protected:
  void SetUp() override { OpenDrives(); }

  // The drives' letters, each followed by "+" once its scan is done.
  static std::string Letters() {
    std::string letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
      if (DriveRootNode* drive = DriveRoot(letter))
        letters += std::string(1, letter) + (drive->scanState == SCAN_DONE ? "+" : "");
    return letters;
  }
};

TEST(RootListPaths, PrefixesLevelByLevelInTheCodePage) {
  const std::string name = NameEndingInBackslashByte();
  ASSERT_FALSE(name.empty());
  const std::string deep = "C:\\" + name + "\\x";  // the name's last byte is no separator
  auto prefix = [](const std::string& path, int level, size_t size = MAX_PATH) {
    char out[MAX_PATH];
    return PathPrefix(path.c_str(), level, out, size) ? std::string(out) : std::string("<none>");
  };
  EXPECT_EQ("C:\\", prefix("C:\\WINDOWS\\system32", 1));
  EXPECT_EQ("C:\\WINDOWS", prefix("C:\\WINDOWS\\system32", 2));
  EXPECT_EQ("C:\\WINDOWS\\system32", prefix("C:\\WINDOWS\\system32\\", 3));
  EXPECT_EQ("<none>", prefix("C:\\WINDOWS\\system32", 4));
  EXPECT_EQ("<none>", prefix("C:\\WINDOWS", 2, 5)) << "bounded by the buffer";
  EXPECT_EQ("C:\\" + name, prefix(deep, 2));
  EXPECT_EQ(deep, prefix(deep, 3));
  EXPECT_EQ("<none>", prefix(deep, 4));
}

TEST_F(RootListTest, FirstRunScansExactlyTheFixedDisksAndRemembersThem) {
  autoAddFixedDrives = true;
  BuildRootList();
  ASSERT_NE(nullptr, TopNode());
  EXPECT_EQ(top, TopNode());
  EXPECT_EQ(top, NodeFromItem(Panes.findTree, TopItem(Panes.findTree))) << "both trees get the top node";
  EXPECT_GT(RowHeight, 0);
  EXPECT_EQ(BIT_C | BIT_D, Settings.scanDrives);
  EXPECT_EQ(UINT(DRIVE_CDROM), DriveRoot('R')->driveType);
  EXPECT_EQ(UINT(DRIVE_REMOTE), DriveRoot('Z')->driveType);
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ("C+D+FRZ", Letters());
}

TEST_F(RootListTest, RebuildKeepsDrivesTheirTotalsAndHidesWhatIsNotChosen) {
  TempFolder onD("D:\\");
  onD.MakeFile("kept.bin", 12345);
  Settings.scanDrives = BIT_D;
  BuildRootList();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ("CD+FRZ", Letters()) << "only the chosen drive is scanned";
  DriveRootNode* d = DriveRoot('D');
  const int64_t bytes = d->subtreeBytes;
  EXPECT_GE(bytes, 12345);
  EXPECT_EQ(nullptr, ChildOf(d, "loop-back")) << "links are not followed";

  // A drive root the system no longer reports leaves at the next rebuild.
  DriveRootNode* gone = CreateDriveRootNode();
  gone->absoluteIdList = gone->relativeIdList = IdListFromPath("C:\\windows\\", nullptr, nullptr);
  gone->driveNumber = 'Q' - '@';
  gone->mainItem = InsertFolderItem(Panes.mainTree, top->mainItem, "Q:", 0, 0, gone);
  top->subfolderCount += 1;
  ASSERT_EQ("CD+FQRZ", Letters());
  BuildRootList();
  EXPECT_EQ(0, WorkerCount()) << "a rebuild does not rescan";
  EXPECT_FALSE(IsFolderNode(gone));
  EXPECT_EQ("CD+FRZ", Letters());
  EXPECT_EQ(d, DriveRoot('D'));
  EXPECT_EQ(bytes, d->subtreeBytes);

  Settings.showOnlyScanDrives = 1;
  BuildRootList();
  EXPECT_EQ("D+", Letters());
  EXPECT_EQ(d, DriveRoot('D'));
  Settings.scanDrives |= BIT_F;
  BuildRootList();
  EXPECT_EQ("D+F", Letters()) << "a hidden drive comes back once chosen";
}

TEST_F(RootListTest, StartPathShowsOnlyItsChainAndScansTheDeepestFolder) {
  TempFolder onD("D:\\");
  onD.Make({"DATA", "DATA\\PROJECTS", "DATA\\PROJECTS\\plan.bin:4321", "DATA\\outside.bin:999"});
  lstrcpynA(startPath, onD.Path("DATA\\PROJECTS").c_str(), MAX_PATH);
  StartFolderGiven = true;
  Settings.showOnlyScanDrives = 1;  // ignored for a start path
  BuildRootList();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ("D+", Letters());

  // Top, D:, then one item per level down to PROJECTS.
  HWND tree = Panes.mainTree;
  FolderNode* node = DriveRoot('D');
  std::string chain;
  while (HTREEITEM child = FirstChildItem(tree, node->mainItem)) {
    EXPECT_EQ(nullptr, NextSiblingItem(tree, child)) << "only the chain is shown above the deepest folder";
    node = NodeFromItem(tree, child);
    chain += TreeItemText(Panes.mainTree, node->mainItem) + "\\";
    if (TreeItemText(Panes.mainTree, node->mainItem) == "PROJECTS") break;
  }
  ASSERT_EQ("PROJECTS", TreeItemText(Panes.mainTree, node->mainItem)) << chain;
  EXPECT_EQ("done counted complete, 0 of 0 reported", Progress(node));
  EXPECT_EQ(4321, node->ownBytes);
  FolderNode* data = ParentNode(tree, node->mainItem);
  EXPECT_EQ("DATA", TreeItemText(Panes.mainTree, data->mainItem));
  EXPECT_EQ(0, data->fileCount) << "DATA itself is not scanned";
  EXPECT_NE(0u, data->lastWrite.dwHighDateTime) << "folders on the path have their own dates";
  EXPECT_EQ(4321, data->subtreeBytes);
  EXPECT_EQ(4321, DriveRoot('D')->subtreeBytes);
}

class VolumeTest : public FolderChainTest {
 protected:
  void TearDown() override { CurrentDriveMethod = DRIVE_METHOD_EX; }
};

constexpr DriveMethod EVERY_METHOD[] = {DRIVE_METHOD_PLAIN, DRIVE_METHOD_VWIN32, DRIVE_METHOD_EX};

TEST(DriveMethodChoice, FollowsThePlatform) {
  auto chosen = [](DWORD platform, DWORD major, DWORD build) {
    DriveMethod method = DRIVE_METHOD_EX;
    return SelectDriveMethod(platform, major, build, &method) ? int(method) : -1;
  };
  EXPECT_EQ(DRIVE_METHOD_EX, chosen(VER_PLATFORM_WIN32_NT, 5, 2600));
  EXPECT_EQ(DRIVE_METHOD_PLAIN, chosen(VER_PLATFORM_WIN32_WINDOWS, 4, 0x040003B6));  // 95, build 950
  EXPECT_EQ(DRIVE_METHOD_PLAIN, chosen(VER_PLATFORM_WIN32_WINDOWS, 4, 0x040003E8));  // build 1000
  EXPECT_EQ(DRIVE_METHOD_VWIN32, chosen(VER_PLATFORM_WIN32_WINDOWS, 4, 0x040003E9));
  EXPECT_EQ(DRIVE_METHOD_VWIN32, chosen(VER_PLATFORM_WIN32_WINDOWS, 4, 0x04000457));  // OSR2, build 1111
  EXPECT_EQ(-1, chosen(VER_PLATFORM_WIN32_NT, 3, 1057));
  EXPECT_EQ(-1, chosen(VER_PLATFORM_WIN32s, 4, 0));
  EXPECT_TRUE(DetectDriveMethod());
  EXPECT_EQ(DRIVE_METHOD_EX, CurrentDriveMethod) << "Wine reports an NT system";
}

TEST_F(VolumeTest, GeometryAndCapacityBeyond4GiBAreExactByEveryMethodUnlessTheQueryFails) {
  geometry.sectorsPerCluster = 64;
  geometry.totalClusters = 2000000;
  geometry.freeClusters = 500000;
  geometry.exTotal = 80000000000ull;
  geometry.exAvailable = 12345678901ull;
  for (DriveMethod method : EVERY_METHOD) {
    CurrentDriveMethod = method;
    const bool ex = method == DRIVE_METHOD_EX;
    EXPECT_EQ(32768u, ClusterSize(drive)) << "method " << int(method);
    EXPECT_EQ(std::make_tuple(true, 64u, 512u, 2000000u),
              std::make_tuple((drive->flags & DRIVE_INFO_VALID) != 0, drive->sectorsPerCluster, drive->bytesPerSector,
                              drive->totalClusters));
    EXPECT_EQ(ex ? std::make_pair(80000000000.0, 12345678901.0) : std::make_pair(65536000000.0, 16384000000.0),
              std::make_pair(drive->totalBytes, drive->freeBytes))
        << "method " << int(method);
  }
  geometry.fail = true;  // a failed query clears the valid mark but keeps the drive type
  for (DriveMethod method : EVERY_METHOD) {
    CurrentDriveMethod = method;
    drive->flags |= DRIVE_INFO_VALID;
    EXPECT_EQ(0u, ClusterSize(drive)) << "method " << int(method);
    EXPECT_EQ(std::make_pair(false, UINT(DRIVE_FIXED)),
              std::make_pair((drive->flags & DRIVE_INFO_VALID) != 0, drive->driveType));
  }
}

TEST_F(VolumeTest, DriveWithoutMediumFailsQuietlyAndOnlyFixedAndNetworkDrivesCount) {
  // The test prefix maps R: as a CD-ROM drive; the fixed geometry answers for every drive.
  DriveRootNode* cdrom = DriveRoot('R');
  ASSERT_NE(nullptr, cdrom) << "drive R: is not mapped";
  ASSERT_TRUE(RefreshDriveInfo(cdrom));
  const SpaceTotals totals = TotalsOverLocalDrives();
  EXPECT_EQ(std::make_pair(3.0 * geometry.exTotal, 3.0 * geometry.exAvailable),
            std::make_pair(totals.capacity, totals.freeBytes))
      << "C:, D: and Z:, not F: or R:";

  ScopedDriveQueries system(nullptr);  // R: has nothing in it
  EXPECT_FALSE(RefreshDriveInfo(cdrom));
  EXPECT_EQ(std::make_tuple(false, UINT(DRIVE_CDROM), 0u),
            std::make_tuple((cdrom->flags & DRIVE_INFO_VALID) != 0, cdrom->driveType, ClusterSize(cdrom)));
}

TEST(ClusterRounding, WholeClustersIn32BitArithmetic) {
  // The last wraps like the 32-bit sizes it rounds.
  const std::vector<uint32_t> rounded = {RoundToClusters(0, 4096),    RoundToClusters(1, 4096),
                                         RoundToClusters(4096, 4096), RoundToClusters(4097, 4096),
                                         RoundToClusters(5000, 0),    RoundToClusters(0xFFFFFFFFu, 4096)};
  EXPECT_EQ((std::vector<uint32_t>{0, 4096, 4096, 8192, 0, 0}), rounded);
}

}  // namespace
