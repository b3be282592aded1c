// Driver reports, laid out byte for byte as the driver fills them, applied to
// a scanned tree on 4 096-byte clusters; and the driver's absence here.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/folder_node.h"
#include "model/monitor_driver.h"
#include "model/monitor_reports.h"
#include "model/scanner.h"
#include "shell/ansi_paths.h"
#include "support/folder_chain_test.h"

namespace {

// kind, sizeBefore, sizeAfter at 0/4/8, path at 12 (300 bytes), newPath at 312.
std::vector<BYTE> Record(uint32_t kind, uint32_t before, uint32_t after, const std::string& path,
                         const std::string& newPath = "") {
  std::vector<BYTE> bytes(312 + newPath.size() + 1, 0);
  const uint32_t head[3] = {kind, before, after};
  std::memcpy(bytes.data(), head, sizeof head);
  std::memcpy(bytes.data() + 12, path.c_str(), path.size() + 1);
  std::memcpy(bytes.data() + 312, newPath.c_str(), newPath.size() + 1);
  return bytes;
}

void Deliver(const std::vector<BYTE>& record) {
  MonitorReportCallback(reinterpret_cast<DriverReport*>(const_cast<BYTE*>(record.data())));
}

constexpr uint32_t UNKNOWN = 0xFFFFFFFF;

class MonitorReportTest : public FolderChainTest {
 protected:
  void SetUp() override {
    FolderChainTest::SetUp();
    temp.MakeFolder("sub");
    temp.MakeFile("sub\\d.bin", 5000);
    temp.MakeFolder("other");
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    sub = panes.Child(folder, "sub");
    other = panes.Child(folder, "other");
    ASSERT_NE(nullptr, sub);
    ASSERT_NE(nullptr, other);
    Snapshot();
  }
  void Snapshot() {
    subAllocated = sub->ownAllocated;
    otherAllocated = other->ownAllocated;
    folderBytes = folder->subtreeBytes;
    folderAllocated = folder->subtreeAllocated;
    driveBytes = drive->subtreeBytes;
    driveAllocated = drive->subtreeAllocated;
  }
  // Every ancestor of the changed folder moved by the same amounts.
  void ExpectAncestorsMovedBy(int64_t bytes, int64_t allocated) {
    EXPECT_EQ(folderBytes + bytes, folder->subtreeBytes);
    EXPECT_EQ(folderAllocated + allocated, folder->subtreeAllocated);
    EXPECT_EQ(driveBytes + bytes, drive->subtreeBytes);
    EXPECT_EQ(driveAllocated + allocated, drive->subtreeAllocated);
  }

  FolderNode* sub = nullptr;
  FolderNode* other = nullptr;
  int64_t subAllocated = 0, otherAllocated = 0;  // each folder holds a cluster of its own
  int64_t folderBytes = 0, folderAllocated = 0, driveBytes = 0, driveAllocated = 0;
};

TEST_F(MonitorReportTest, CreatedFileCountsInWithBothMeasuresUpToTheDrive) {
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, temp.Path("sub\\new.bin")));
  EXPECT_EQ(2, sub->fileCount);
  EXPECT_EQ(15000, sub->ownBytes);
  EXPECT_EQ(subAllocated + 12288, sub->ownAllocated);
  ExpectAncestorsMovedBy(10000, 12288);
}

TEST_F(MonitorReportTest, ResizedFileChangesSizesButNotTheCount) {
  Deliver(Record(REPORT_WRITTEN, 5000, 4200, temp.Path("sub\\d.bin")));
  EXPECT_EQ(4200, sub->ownBytes);
  EXPECT_EQ(subAllocated, sub->ownAllocated) << "still two clusters";
  EXPECT_EQ(1, sub->fileCount);
  ExpectAncestorsMovedBy(-800, 0);

  Snapshot();
  Deliver(Record(REPORT_WRITTEN, 4200, 1000, temp.Path("sub\\d.bin")));
  EXPECT_EQ(1000, sub->ownBytes);
  EXPECT_EQ(subAllocated - 4096, sub->ownAllocated) << "one cluster fewer";
  ExpectAncestorsMovedBy(-3200, -4096);
}

TEST_F(MonitorReportTest, DeletedFileCountsOutUnlessItsSizeIsUnknown) {
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, temp.Path("sub\\d.bin")));
  EXPECT_EQ(1, sub->fileCount);
  EXPECT_EQ(5000, sub->ownBytes);

  Deliver(Record(REPORT_DELETED, 5000, 0, temp.Path("sub\\d.bin")));
  EXPECT_EQ(0, sub->fileCount);
  EXPECT_EQ(0, sub->ownBytes);
  EXPECT_EQ(subAllocated - 8192, sub->ownAllocated);
  ExpectAncestorsMovedBy(-5000, -8192);
}

TEST_F(MonitorReportTest, FileMovedBetweenFoldersTakesItsSizeAlongAndARenameInPlaceChangesNothing) {
  MoveFileA(temp.Path("sub\\d.bin").c_str(), temp.Path("other\\d.bin").c_str());
  Deliver(Record(REPORT_RENAMED, 5000, 0, temp.Path("sub\\d.bin"), temp.Path("other\\d.bin")));
  EXPECT_EQ(0, sub->fileCount);
  EXPECT_EQ(0, sub->ownBytes);
  EXPECT_EQ(1, other->fileCount);
  EXPECT_EQ(5000, other->ownBytes);
  EXPECT_EQ(otherAllocated + 8192, other->ownAllocated);
  ExpectAncestorsMovedBy(0, 0);

  MoveFileA(temp.Path("other\\d.bin").c_str(), temp.Path("other\\e.bin").c_str());
  Deliver(Record(REPORT_RENAMED, 5000, 0, temp.Path("other\\d.bin"), temp.Path("OTHER\\e.bin")));
  EXPECT_EQ(1, other->fileCount);
  EXPECT_EQ(5000, other->ownBytes);

  // A report whose new path has gone again cannot be placed: nothing moves.
  Deliver(Record(REPORT_RENAMED, 5000, 0, temp.Path("other\\e.bin"), temp.Path("sub\\missing.bin")));
  EXPECT_EQ(1, other->fileCount);
}

TEST_F(MonitorReportTest, FolderMovedBetweenFoldersRescansBoth) {
  temp.MakeFolder("sub\\inner");
  temp.MakeFile("sub\\inner\\x.bin", 300);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  ASSERT_NE(nullptr, panes.Child(sub, "inner"));
  MoveFileA(temp.Path("sub\\inner").c_str(), temp.Path("other\\inner").c_str());
  Deliver(Record(REPORT_RENAMED, UNKNOWN, 0, temp.Path("sub\\inner"), temp.Path("other\\inner")));
  EXPECT_EQ(nullptr, panes.Child(sub, "inner"));
  EXPECT_NE(nullptr, panes.Child(other, "inner"));
}

TEST_F(MonitorReportTest, WildcardDeletionAndKindsOneAndTwoRescanTheFolder) {
  temp.MakeFile("sub\\late.tmp", 100);  // on disk, not yet reported
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, temp.Path("sub\\*.tmp")));
  EXPECT_EQ(2, sub->fileCount) << "the rescan finds what the pattern could not name";
  EXPECT_EQ(5100, sub->ownBytes);

  temp.Remove("sub\\late.tmp");
  Deliver(Record(REPORT_RESCAN_TOO, 0, 0, temp.Path("sub\\late.tmp")));
  EXPECT_EQ(1, sub->fileCount);
  temp.MakeFile("other\\y.bin", 10);
  Deliver(Record(REPORT_RESCAN, 0, 0, temp.Path("other\\y.bin")));
  EXPECT_EQ(1, other->fileCount);
}

TEST_F(MonitorReportTest, ReportsOutsideTheTreeOrOfUnknownKindChangeNothing) {
  TempFolder elsewhere;
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, elsewhere.Path("new.bin")));
  Deliver(Record(9, UNKNOWN, 10000, temp.Path("sub\\new.bin")));
  MonitorReportCallback(nullptr);
  EXPECT_EQ(1, sub->fileCount);
  ExpectAncestorsMovedBy(0, 0);

  // A path that fills the whole field without a terminator is cut, not overrun.
  std::vector<BYTE> full = Record(REPORT_WRITTEN, UNKNOWN, 10, "");
  std::memset(full.data() + 12, 'x', 300);
  Deliver(full);
  ExpectAncestorsMovedBy(0, 0);
}

std::string Stripped(const char* path) {
  char buffer[MAX_PATH];
  lstrcpynA(buffer, path, sizeof buffer);
  StripLastComponent(buffer);
  return buffer;
}

TEST(StripLastComponent, KeepsTheFolderOrTheDriveRoot) {
  EXPECT_EQ("C:\\", Stripped("C:\\"));
  EXPECT_EQ("C:", Stripped("C:"));
  EXPECT_EQ("C:\\", Stripped("C:\\a.txt"));
  EXPECT_EQ("C:\\dir", Stripped("C:\\dir\\a.txt"));
  EXPECT_EQ("C:\\dir\\sub", Stripped("C:\\dir\\sub\\"));
  if (!IsDBCSLeadByte(0x81)) GTEST_SKIP() << "needs a double-byte code page";
  // 0x81 0x5C is one character whose second byte looks like a backslash.
  EXPECT_EQ("C:\\dir", Stripped("C:\\dir\\x\x81\x5Cy.txt"));
}

TEST(MonitorDriver, AbsentDriverLeavesNoFileBehindAndNotificationsTakeOver) {
  char device[MAX_PATH + 16];
  ASSERT_TRUE(MonitorDeviceName(device, sizeof device));
  const std::string name = device;
  ASSERT_EQ(0u, name.find("\\\\.\\"));
  ASSERT_EQ(name.size() - std::strlen("\\KALVERT.VXD"), name.rfind("\\KALVERT.VXD"));
  const std::string file = name.substr(4);
  // Here the device name is an ordinary path: the open alone would succeed.
  HANDLE plain = CreateFileA(device, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, plain) << GetLastError();
  if (plain != INVALID_HANDLE_VALUE) CloseHandle(plain);
  EXPECT_FALSE(StartMonitorDriver()) << "no driver takes the registration here";
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << "the open's file is gone again";
  EXPECT_FALSE(StartMonitorDriver());
  StopMonitorDriver();
}

}  // namespace
