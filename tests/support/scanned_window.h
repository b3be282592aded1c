// The real main window on a scanned temporary tree, as the program starts
// with that folder on its command line, every branch expanded:
//   A\            empty
//   Temp\         10 240 bytes
//   x.tmp\        20 480 bytes
//   big\          3 MB, and inner\ 200 KB below it
//   D1\           D1a\ and D1b\ below it
// Sizes are the files' own (the reported-size measure).  Register
// ScratchCurrentUser in the test program before using it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

struct FolderNode;

class ScannedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The node of |relative| ("big\\inner") below the scanned folder.
  FolderNode* Node(const std::string& relative) const;
  // Sends a menu command to the main window and lets the workers it starts end.
  void Command(UINT id) const;

  TempFolder temp;
  HWND window = nullptr;
  FolderNode* top = nullptr;   // the computer
  FolderNode* root = nullptr;  // the scanned folder
};

// The page of a Tag or Find dialog that holds control |id|.
HWND PageWith(HWND dialog, int id);
std::string Text(HWND dialog, int id);
// The texts of |parent|'s child items, in tree order.
std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent);
// A click on a button, and a choice in a drop-down list, as the user makes them.
void Click(HWND dialog, int id);
void Choose(HWND dialog, int id, int index);
