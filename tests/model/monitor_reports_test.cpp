// Driver reports, laid out byte for byte as the driver fills them, applied to a scanned tree.
#include <array>
#include <cstring>

#include "model/monitor_driver.h"
#include "model/monitor_reports.h"
#include "shell/ansi_paths.h"
#include "support/main_window_test.h"

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
    temp.Make({"sub", "sub\\d.bin:5000", "other"});
    ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
    sub = ChildOf(folder, "sub");
    other = ChildOf(folder, "other");
    ASSERT_TRUE(sub && other);
    last = State();
  }
  std::array<int64_t, 10> State() const {
    return {sub->fileCount,           sub->ownBytes,          other->fileCount,     other->ownBytes,
            sub->ownAllocated,        other->ownAllocated,    folder->subtreeBytes, drive->subtreeBytes,
            folder->subtreeAllocated, drive->subtreeAllocated};
  }
  // Each folder, and every ancestor by their sum, moved by these amounts since the last check.
  void ExpectChange(const char* what, int64_t subFiles, int64_t subBytes, int64_t subAllocated, int64_t otherFiles = 0,
                    int64_t otherBytes = 0, int64_t otherAllocated = 0) {
    const int64_t bytes = subBytes + otherBytes, allocated = subAllocated + otherAllocated;
    const int64_t deltas[10] = {subFiles,       subBytes, otherFiles, otherBytes, subAllocated,
                                otherAllocated, bytes,    bytes,      allocated,  allocated};
    std::array<int64_t, 10> expected = last;
    for (size_t i = 0; i < expected.size(); ++i) expected[i] += deltas[i];
    last = State();
    EXPECT_EQ(expected, last) << what;
  }

  FolderNode* sub = nullptr;
  FolderNode* other = nullptr;
  std::array<int64_t, 10> last = {};
};

TEST_F(MonitorReportTest, MovedFoldersPatternsAndKindsOneAndTwoRescanAndFileReportsChangeEveryAncestor) {
  temp.MakeFolder("sub\\inner");
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  MoveFileA(temp.Path("sub\\inner").c_str(), temp.Path("other\\inner").c_str());
  Deliver(Record(REPORT_RENAMED, UNKNOWN, 0, temp.Path("sub\\inner"), temp.Path("other\\inner")));
  EXPECT_EQ(nullptr, ChildOf(sub, "inner"));
  EXPECT_NE(nullptr, ChildOf(other, "inner")) << "a moved folder rescans both folders";

  temp.MakeFile("sub\\late.tmp", 100);  // on disk, not yet reported
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, temp.Path("sub\\*.tmp")));
  EXPECT_EQ(SizesText(2, 5100, 4 * 4096, 0, 0), Sizes(sub)) << "the rescan finds what the pattern could not name";
  temp.Remove("sub\\late.tmp");
  Deliver(Record(REPORT_RESCAN_TOO, 0, 0, temp.Path("sub\\late.tmp")));
  EXPECT_EQ(1, sub->fileCount);
  temp.MakeFile("other\\y.bin", 10);
  Deliver(Record(REPORT_RESCAN, 0, 0, temp.Path("other\\y.bin")));
  EXPECT_EQ(1, other->fileCount);

  last = State();
  const std::string d = temp.Path("sub\\d.bin"), created = temp.Path("sub\\new.bin"), moved = temp.Path("other\\d.bin");
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, created));
  ExpectChange("created", 1, 10000, 12288);
  Deliver(Record(REPORT_WRITTEN, 5000, 4200, d));
  ExpectChange("resized within its two clusters", 0, -800, 0);
  Deliver(Record(REPORT_WRITTEN, 4200, 1000, d));
  ExpectChange("resized to one cluster", 0, -3200, -4096);
  Deliver(Record(REPORT_DELETED, UNKNOWN, 0, created));
  ExpectChange("deleted without a size", 0, 0, 0);
  Deliver(Record(REPORT_DELETED, 10000, 0, created));
  ExpectChange("deleted", -1, -10000, -12288);

  MoveFileA(d.c_str(), moved.c_str());
  Deliver(Record(REPORT_RENAMED, 1000, 0, d, moved));
  ExpectChange("moved to the other folder", -1, -1000, -4096, 1, 1000, 4096);
  MoveFileA(moved.c_str(), temp.Path("other\\e.bin").c_str());
  Deliver(Record(REPORT_RENAMED, 1000, 0, moved, temp.Path("OTHER\\e.bin")));
  ExpectChange("renamed in place", 0, 0, 0);
  Deliver(Record(REPORT_RENAMED, 1000, 0, temp.Path("other\\e.bin"), temp.Path("sub\\missing.bin")));
  ExpectChange("renamed to a path that has gone again", 0, 0, 0);

  TempFolder elsewhere;
  Deliver(Record(REPORT_WRITTEN, UNKNOWN, 10000, elsewhere.Path("new.bin")));
  Deliver(Record(9, UNKNOWN, 10000, created));
  MonitorReportCallback(nullptr);
  // A path that fills the whole field without a terminator is cut, not overrun.
  std::vector<BYTE> full = Record(REPORT_WRITTEN, UNKNOWN, 10, "");
  std::memset(full.data() + 12, 'x', 300);
  Deliver(full);
  ExpectChange("outside the tree, of an unknown kind, none, or overlong", 0, 0, 0);
}

TEST(StripLastComponent, KeepsTheFolderOrTheDriveRootInTheCodePage) {
  const std::string name = NameEndingInBackslashByte();
  ASSERT_FALSE(name.empty());
  const std::pair<std::string, std::string> CASES[] = {{"C:\\", "C:\\"},
                                                       {"C:", "C:"},
                                                       {"C:\\a.txt", "C:\\"},
                                                       {"C:\\dir\\sub\\", "C:\\dir\\sub"},
                                                       {"C:\\dir\\" + name, "C:\\dir"},
                                                       {"C:\\dir\\" + name + "\\a.txt", "C:\\dir\\" + name}};
  for (const auto& [path, stripped] : CASES) {
    char buffer[MAX_PATH];
    lstrcpynA(buffer, path.c_str(), sizeof buffer);
    StripLastComponent(buffer);
    EXPECT_EQ(stripped, buffer) << path;
  }
}

TEST(MonitorDriver, AbsentDriverLeavesNoFileBehindAndNotificationsTakeOver) {
  char device[MAX_PATH + 16];
  ASSERT_TRUE(MonitorDeviceName(device, sizeof device));
  const std::string name = device, file = name.substr(4);
  ASSERT_EQ(0u, name.find("\\\\.\\"));
  ASSERT_EQ(name.size() - 12, name.rfind("\\KALVERT.VXD"));
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
