// A fixture for tests on one scratch folder: the top node, the folder's drive
// and a node for the folder directly under it, on a drive whose geometry is
// fixed at 4 096-byte clusters; with what the model's tests name.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"
#include "support/canvas.h"
#include "support/fixed_geometry.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

class FolderChainTest : public ::testing::Test {
 protected:
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

// A node's numbers as one text, so one expectation checks and shows them all:
// "3 files, 9096/16384 own, 5000/12288 below" (bytes/allocated) ...
inline std::string SizesText(int64_t files, int64_t own, int64_t ownAllocated, int64_t below, int64_t belowAllocated) {
  return std::to_string(files) + " files, " + std::to_string(own) + "/" + std::to_string(ownAllocated) + " own, " +
         std::to_string(below) + "/" + std::to_string(belowAllocated) + " below";
}
inline std::string Sizes(const FolderNode* node) {
  return SizesText(node->fileCount, node->ownBytes, node->ownAllocated, node->subtreeBytes, node->subtreeAllocated);
}
// ... and "done counted complete, 1 of 2 reported" (of the subfolders).
inline std::string Progress(const FolderNode* node) {
  static const char* const states[] = {"unscanned", "done", "running"};
  return std::string(states[node->scanState % 3]) + (node->flags & FILES_COUNTED ? " counted" : "") +
         (node->flags & SUBTREE_COMPLETE ? " complete" : "") + ", " + std::to_string(node->subFoldersCalculated) +
         " of " + std::to_string(node->subfolderCount) + " reported";
}
