// A fixture for tests on one scratch folder: the top node, the folder's drive
// and a node for the folder directly under it, on a drive whose geometry is
// fixed at 4 096-byte clusters.
#pragma once
#include <gtest/gtest.h>

#include "model/folder_node.h"
#include "support/fixed_geometry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

class FolderChainTest : public ::testing::Test {
 protected:
  // |paired|: the trees carry their detail lists.
  explicit FolderChainTest(bool paired = false) : panes(paired) {}

  void SetUp() override {
    top = panes.AddTopNode();
    drive = panes.AddDriveRoot(top, temp.Path());
    folder = panes.AddFolder(drive, temp.Path());
  }

  FixedGeometry geometry;
  ScopedDriveQueries installed{&geometry};
  TempFolder temp;
  TestPanes panes;
  FolderNode* top = nullptr;
  DriveRootNode* drive = nullptr;
  FolderNode* folder = nullptr;
};
