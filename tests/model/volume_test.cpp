// Drive geometry by each of the three methods, drives without a medium, and capacity sums.
#include "model/volume.h"
#include "support/main_window_test.h"

namespace {

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
