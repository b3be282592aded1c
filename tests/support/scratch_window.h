// The real main window started on a scratch folder, as a user starts the
// program with a folder: the folder's chain of parents is the only branch,
// the folder is scanned and selected, and its children are shown.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

struct FolderNode;

class ScratchWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the window on |temp| and waits for its scan to end.
  void OpenAndScan();
  // The node of |relative| below the scratch folder ("" for itself).
  FolderNode* Node(const std::string& relative) const;
  // Sends one menu command to the window, as the menu does.
  void Command(UINT id) const;

  TempFolder temp;
  HWND window = nullptr;
  FolderNode* scratch = nullptr;  // the scratch folder's node once scanned
};
