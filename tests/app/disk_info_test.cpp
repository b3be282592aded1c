// The disk information dialog as the user reads it.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/disk_info_dialog.h"
#include "model/folder_node.h"
#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/fixed_geometry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

TEST(DiskInformation, GeometryAndSpaceInBothFormsOrAnErrorBoxWhenTheDriveCannotBeRead) {
  FixedGeometry geometry;  // 8 sectors of 512 bytes, 4,000 clusters, 1,000 free
  ScopedDriveQueries installed(&geometry);
  TestPanes panes;
  FolderNode* top = panes.AddTopNode();
  DriveRootNode* drive = panes.AddDriveRoot(top, "C:\\");
  const std::map<int, std::string> expected = {
      {IDC_DISK_CLUSTER_SIZE, "4,096 (4.00KB)"},  {IDC_DISK_CLUSTERS, "4,000"},
      {IDC_DISK_CAPACITY, "16,384,000 (15.6MB)"}, {IDC_DISK_FREE, "4,096,000 (3.91MB)"},
      {IDC_DISK_USED, "12,288,000 (11.7MB)"},     {IDC_DISK_TYPE, Narrow(L"本地磁盘")},
      {IDC_DISK_BYTES_PER_SECTOR, "512"},         {IDC_DISK_SECTORS_PER_CLUSTER, "8"},
  };
  std::map<int, std::string> shown;
  {
    DialogAnswerer read([&](HWND dialog) {
      for (const auto& control : expected) {
        char text[256] = "";
        GetDlgItemTextA(dialog, control.first, text, sizeof text);
        shown[control.first] = text;
      }
      return IDOK;
    });
    ShowDiskInformation(panes.window(), drive);
    ASSERT_EQ(1u, read.seen().size()) << "the dialog opened once";
  }
  EXPECT_EQ(expected, shown) << "used is capacity minus free";
  EXPECT_EQ(UINT(IDS_DRIVE_UNKNOWN), DriveTypeTextId(77));
  EXPECT_EQ(UINT(IDS_DRIVE_CDROM), DriveTypeTextId(DRIVE_CDROM));

  DialogAnswerer answer(IDOK);
  ShowDiskInformation(panes.window(), top);
  EXPECT_TRUE(answer.seen().empty()) << "the top node has no drive: nothing opens";
  geometry.fail = true;  // as a drive without its medium
  ShowDiskInformation(panes.window(), drive);
  ASSERT_EQ(1u, answer.seen().size());
  EXPECT_EQ("ERROR : No information available.", answer.seen()[0].caption);
  EXPECT_EQ(0u, answer.seen()[0].text.find("Cannot get information for drive.")) << "and no dialog";
}

}  // namespace
