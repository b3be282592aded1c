// Drive geometry by each of the three methods, drives without a medium, and
// the capacity sums over local drives.
#include <gtest/gtest.h>

#include "model/folder_node.h"
#include "model/volume.h"
#include "support/fixed_geometry.h"
#include "support/test_panes.h"

namespace {

class VolumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    top = panes.AddTopNode();
    drive = panes.AddDriveRoot(top, "C:\\");
  }
  void TearDown() override { CurrentDriveMethod = DRIVE_METHOD_EX; }

  TestPanes panes;
  FolderNode* top = nullptr;
  DriveRootNode* drive = nullptr;
};

TEST(DriveMethodChoice, FollowsThePlatform) {
  DriveMethod method = DRIVE_METHOD_PLAIN;
  EXPECT_TRUE(SelectDriveMethod(VER_PLATFORM_WIN32_NT, 5, 2600, &method));
  EXPECT_EQ(DRIVE_METHOD_EX, method);
  EXPECT_TRUE(SelectDriveMethod(VER_PLATFORM_WIN32_WINDOWS, 4, 0x040003B6, &method));  // 95, build 950
  EXPECT_EQ(DRIVE_METHOD_PLAIN, method);
  EXPECT_TRUE(SelectDriveMethod(VER_PLATFORM_WIN32_WINDOWS, 4, 0x04000457, &method));  // OSR2, build 1111
  EXPECT_EQ(DRIVE_METHOD_VWIN32, method);
  EXPECT_FALSE(SelectDriveMethod(VER_PLATFORM_WIN32_NT, 3, 1057, &method));
  EXPECT_FALSE(SelectDriveMethod(VER_PLATFORM_WIN32s, 4, 0, &method));
  EXPECT_TRUE(DetectDriveMethod());
  EXPECT_EQ(DRIVE_METHOD_EX, CurrentDriveMethod) << "Wine reports an NT system";
}

TEST_F(VolumeTest, ClusterSizeFromSectorsEitherWay) {
  FixedGeometry geometry;
  ScopedDriveQueries installed(&geometry);
  for (DriveMethod method : {DRIVE_METHOD_PLAIN, DRIVE_METHOD_VWIN32, DRIVE_METHOD_EX}) {
    CurrentDriveMethod = method;
    EXPECT_EQ(4096u, ClusterSize(drive)) << "method " << int(method);
    EXPECT_EQ(8u, drive->sectorsPerCluster);
    EXPECT_EQ(512u, drive->bytesPerSector);
    EXPECT_NE(0, drive->flags & DRIVE_INFO_VALID);
  }
}

TEST_F(VolumeTest, CapacityBeyond4GiBIsExactByEveryMethod) {
  FixedGeometry geometry;
  geometry.sectorsPerCluster = 64;
  geometry.totalClusters = 2000000;
  geometry.freeClusters = 500000;
  geometry.exTotal = 80000000000ull;
  geometry.exAvailable = 12345678901ull;
  ScopedDriveQueries installed(&geometry);

  for (DriveMethod method : {DRIVE_METHOD_PLAIN, DRIVE_METHOD_VWIN32}) {
    CurrentDriveMethod = method;
    ASSERT_TRUE(RefreshDriveInfo(drive)) << "method " << int(method);
    EXPECT_EQ(65536000000.0, drive->totalBytes);
    EXPECT_EQ(16384000000.0, drive->freeBytes);
    EXPECT_EQ(2000000u, drive->totalClusters);
  }
  CurrentDriveMethod = DRIVE_METHOD_EX;
  ASSERT_TRUE(RefreshDriveInfo(drive));
  EXPECT_EQ(80000000000.0, drive->totalBytes);
  EXPECT_EQ(12345678901.0, drive->freeBytes);
  EXPECT_EQ(32768u, drive->sectorsPerCluster * drive->bytesPerSector);
}

TEST_F(VolumeTest, FailedQueryClearsTheValidMarkButKeepsTheDriveType) {
  FixedGeometry geometry;
  ScopedDriveQueries installed(&geometry);
  ASSERT_TRUE(RefreshDriveInfo(drive));
  geometry.fail = true;
  for (DriveMethod method : {DRIVE_METHOD_PLAIN, DRIVE_METHOD_VWIN32, DRIVE_METHOD_EX}) {
    CurrentDriveMethod = method;
    drive->flags |= DRIVE_INFO_VALID;
    EXPECT_FALSE(RefreshDriveInfo(drive));
    EXPECT_EQ(0, drive->flags & DRIVE_INFO_VALID);
    EXPECT_EQ(UINT(DRIVE_FIXED), drive->driveType);
  }
  EXPECT_EQ(0u, ClusterSize(drive));
}

TEST_F(VolumeTest, RemovableDriveWithoutMediumFailsQuietly) {
  // R: is mapped by the test harness as a CD-ROM drive with nothing in it.
  ASSERT_EQ(UINT(DRIVE_CDROM), GetDriveTypeA("R:\\")) << "the harness did not map drive R:";
  DriveRootNode* empty = panes.AddDriveRoot(top, "R:\\");
  if (!empty->absoluteIdList) GTEST_SKIP() << "the shell does not parse a drive without medium";
  EXPECT_FALSE(RefreshDriveInfo(empty));
  EXPECT_EQ(0, empty->flags & DRIVE_INFO_VALID);
  EXPECT_EQ(UINT(DRIVE_CDROM), empty->driveType);
  EXPECT_EQ(0u, ClusterSize(empty));
}

TEST_F(VolumeTest, TotalsCountFixedAndNetworkDrivesOnly) {
  FixedGeometry geometry;
  ScopedDriveQueries installed(&geometry);
  DriveRootNode* cdrom = panes.AddDriveRoot(top, "R:\\");
  // The root list refreshes each drive as it adds it; that sets the types.
  ASSERT_TRUE(RefreshDriveInfo(drive));
  if (cdrom->absoluteIdList) {
    EXPECT_TRUE(RefreshDriveInfo(cdrom));
  }
  SpaceTotals totals = TotalsOverLocalDrives();
  // Only C: counts: the fixed geometry answers for every drive, but R: is a CD-ROM.
  EXPECT_EQ(double(geometry.exTotal), totals.capacity);
  EXPECT_EQ(double(geometry.exAvailable), totals.freeBytes);
}

TEST(ClusterRounding, WholeClustersIn32BitArithmetic) {
  EXPECT_EQ(0u, RoundToClusters(0, 4096));
  EXPECT_EQ(4096u, RoundToClusters(4096, 4096));
  EXPECT_EQ(8192u, RoundToClusters(5000, 4096));
  EXPECT_EQ(0u, RoundToClusters(5000, 0));
  EXPECT_EQ(0u, RoundToClusters(0xFFFFFFFFu, 4096)) << "wraps like the 32-bit sizes it rounds";
}

}  // namespace
