// The drive list under the top item on a prefix with one drive of each kind
// (C: and D: fixed, F: removable, R: CD-ROM without medium, Z: network).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"
#include "support/dialog_answerer.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

namespace {

constexpr uint32_t BIT_C = 1u << 3, BIT_D = 1u << 4, BIT_F = 1u << 6;

class RootListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyDefaultSettings(&Settings);
    autoAddFixedDrives = false;
    StartFolderGiven = false;
    startPath[0] = 0;
  }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return WorkerCount() == 0; })) << "a scan did not end";
    StartFolderGiven = false;
    startPath[0] = 0;
  }

  // The drive roots listed under the top item, in tree order.
  std::vector<DriveRootNode*> Drives() const {
    std::vector<DriveRootNode*> drives;
    HWND tree = panes.tree();
    for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item)) {
      FolderNode* node = NodeFromItem(tree, item);
      if (IsDriveRoot(node) && node->kind == NODE_DRIVE_ROOT) drives.push_back(AsDriveRoot(node));
    }
    return drives;
  }
  std::string Letters() const {
    std::string letters;
    for (DriveRootNode* drive : Drives()) letters += char('@' + drive->driveNumber);
    return letters;
  }
  DriveRootNode* Drive(char letter) const {
    for (DriveRootNode* drive : Drives())
      if (drive->driveNumber == letter - '@') return drive;
    return nullptr;
  }

  TestPanes panes;
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
  FolderNode* top = TopNode();
  ASSERT_NE(nullptr, top);
  EXPECT_EQ(top, NodeFromItem(panes.tree(), TopItem(panes.tree())));
  EXPECT_EQ(top, NodeFromItem(panes.findTree(), TopItem(panes.findTree()))) << "both trees get the top node";
  EXPECT_GT(RowHeight, 0);

  const std::string letters = Letters();
  for (char letter : std::string("CDFRZ")) EXPECT_NE(std::string::npos, letters.find(letter)) << letters;
  EXPECT_EQ(BIT_C | BIT_D, Settings.scanDrives);
  EXPECT_EQ(UINT(DRIVE_CDROM), Drive('R')->driveType);
  EXPECT_EQ(UINT(DRIVE_REMOTE), Drive('Z')->driveType);

  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  EXPECT_EQ(SCAN_DONE, Drive('C')->scanState);
  EXPECT_EQ(SCAN_DONE, Drive('D')->scanState);
  for (char letter : std::string("FRZ")) EXPECT_EQ(SCAN_NONE, Drive(letter)->scanState) << letter;
}

TEST_F(RootListTest, RebuildKeepsDrivesTheirTotalsAndHidesWhatIsNotChosen) {
  TempFolder onD("D:\\");
  onD.MakeFile("kept.bin", 12345);
  Settings.scanDrives = BIT_D;
  BuildRootList();
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));
  DriveRootNode* d = Drive('D');
  ASSERT_NE(nullptr, d);
  ASSERT_EQ(SCAN_DONE, d->scanState);
  const int64_t bytes = d->subtreeBytes;
  EXPECT_GE(bytes, 12345);
  EXPECT_EQ(SCAN_NONE, Drive('C')->scanState) << "C: is not among the chosen drives";
  EXPECT_EQ(nullptr, panes.Child(d, "loop-back")) << "links are not followed";

  // A drive root the system no longer reports leaves at the next rebuild.
  DriveRootNode* gone = CreateDriveRootNode();
  gone->absoluteIdList = gone->relativeIdList = IdListFromPath("C:\\windows\\", nullptr, nullptr);
  gone->driveNumber = 'Q' - '@';
  gone->mainItem = InsertFolderItem(panes.tree(), TopNode()->mainItem, "Q:", 0, 0, gone);
  TopNode()->subfolderCount += 1;
  ASSERT_NE(std::string::npos, Letters().find('Q'));
  BuildRootList();
  EXPECT_EQ(0, WorkerCount()) << "a rebuild does not rescan";
  EXPECT_FALSE(IsFolderNode(gone));
  EXPECT_EQ(std::string::npos, Letters().find('Q'));
  EXPECT_EQ(d, Drive('D'));
  EXPECT_EQ(bytes, d->subtreeBytes);
  EXPECT_NE(std::string::npos, Letters().find('C')) << "C: stays listed while nothing is hidden";

  Settings.showOnlyScanDrives = 1;
  BuildRootList();
  EXPECT_EQ("D", Letters());
  EXPECT_EQ(d, Drive('D'));

  Settings.scanDrives |= BIT_F;
  BuildRootList();
  const std::string letters = Letters();
  EXPECT_EQ(2u, letters.size()) << letters;
  EXPECT_NE(std::string::npos, letters.find('F')) << "the hidden drive comes back once chosen";
}

TEST_F(RootListTest, StartPathShowsOnlyItsChainAndScansTheDeepestFolder) {
  TempFolder onD("D:\\");
  onD.Make({"DATA", "DATA\\PROJECTS", "DATA\\PROJECTS\\plan.bin:4321", "DATA\\outside.bin:999"});
  const std::string path = onD.Path("DATA\\PROJECTS");
  lstrcpynA(startPath, path.c_str(), MAX_PATH);
  StartFolderGiven = true;
  Settings.showOnlyScanDrives = 1;  // ignored for a start path

  BuildRootList();
  EXPECT_EQ("D", Letters());
  ASSERT_TRUE(PumpUntil([] { return WorkerCount() == 0; }));

  // Top, D:, then one item per level down to PROJECTS.
  HWND tree = panes.tree();
  FolderNode* node = Drive('D');
  std::string chain;
  FolderNode* deepest = nullptr;
  while (HTREEITEM child = FirstChildItem(tree, node->mainItem)) {
    EXPECT_EQ(nullptr, NextSiblingItem(tree, child)) << "only the chain is shown above the deepest folder";
    deepest = NodeFromItem(tree, child);
    chain += panes.ItemText(deepest) + "\\";
    if (panes.ItemText(deepest) == "PROJECTS") break;
    node = deepest;
  }
  ASSERT_NE(nullptr, deepest);
  EXPECT_EQ("PROJECTS", panes.ItemText(deepest)) << chain;
  EXPECT_EQ(SCAN_DONE, deepest->scanState);
  EXPECT_EQ(4321, deepest->ownBytes);
  EXPECT_EQ(1, deepest->fileCount);
  FolderNode* data = ParentNode(tree, deepest->mainItem);
  EXPECT_EQ("DATA", panes.ItemText(data));
  EXPECT_EQ(0, data->fileCount) << "DATA itself is not scanned";
  EXPECT_NE(0u, data->lastWrite.dwHighDateTime) << "folders on the path have their own dates";
  EXPECT_EQ(4321, data->subtreeBytes);
  EXPECT_EQ(4321, Drive('D')->subtreeBytes);
}

}  // namespace
