// The disk information dialog as the user reads it.
#include <gtest/gtest.h>

#include <string>

#include "app/disk_info_dialog.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/fixed_geometry.h"
#include "support/test_panes.h"

namespace {

std::string ControlText(HWND dialog, int id) {
  char text[256] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

TEST(DiskInformation, GeometryAndSpaceInBothForms) {
  FixedGeometry geometry;  // 8 sectors of 512 bytes, 4,000 clusters
  ScopedDriveQueries installed(&geometry);
  TestPanes panes;
  FolderNode* top = panes.AddTopNode();
  DriveRootNode* drive = panes.AddDriveRoot(top, "C:\\");
  std::string clusterSize, capacity, freeSpace, used, type, clusters;
  {
    DialogAnswerer read([&](HWND dialog) {
      clusterSize = ControlText(dialog, IDC_DISK_CLUSTER_SIZE);
      capacity = ControlText(dialog, IDC_DISK_CAPACITY);
      freeSpace = ControlText(dialog, IDC_DISK_FREE);
      used = ControlText(dialog, IDC_DISK_USED);
      type = ControlText(dialog, IDC_DISK_TYPE);
      clusters = ControlText(dialog, IDC_DISK_CLUSTERS);
      return IDOK;
    });
    ShowDiskInformation(panes.window(), drive);
    ASSERT_EQ(1u, read.seen().size()) << "the dialog opened once";
  }
  EXPECT_EQ("4,096 (4.00KB)", clusterSize);
  EXPECT_EQ("4,000", clusters);
  EXPECT_EQ("16,384,000 (15.6MB)", capacity);
  EXPECT_EQ("4,096,000 (3.91MB)", freeSpace);
  EXPECT_EQ("12,288,000 (11.7MB)", used) << "used is capacity minus free";
  EXPECT_EQ(ResourceString(IDS_DRIVE_FIXED), type);
  EXPECT_EQ(UINT(IDS_DRIVE_UNKNOWN), DriveTypeTextId(77));
  EXPECT_EQ(UINT(IDS_DRIVE_CDROM), DriveTypeTextId(DRIVE_CDROM));

  // The top node has no drive: nothing opens.
  DialogAnswerer none(IDOK);
  ShowDiskInformation(panes.window(), top);
  EXPECT_TRUE(none.seen().empty());
}

TEST(DiskInformation, DriveWithoutMediumGivesTheErrorBoxOnly) {
  TestPanes panes;
  FolderNode* top = panes.AddTopNode();
  DriveRootNode* empty = panes.AddDriveRoot(top, "R:\\");
  if (!empty->absoluteIdList) GTEST_SKIP() << "the shell does not parse a drive without medium";
  DialogAnswerer answer(IDOK);
  ShowDiskInformation(panes.window(), empty);
  ASSERT_EQ(1u, answer.seen().size());
  EXPECT_EQ("ERROR : No information available.", answer.seen()[0].caption);
  EXPECT_EQ(0u, answer.seen()[0].text.find("Cannot get information for drive."));
}

}  // namespace
