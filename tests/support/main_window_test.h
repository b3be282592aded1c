// The real main window from first-run settings in a scratch registry, either
// started on a scratch folder as the command line names it or, for the
// model's tests, with the drives listed and a folder chain of their own; and
// the helpers their tests share, with what nearly every such test names.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "shell/shell_items.h"
#include "support/canvas.h"
#include "support/dialog_answerer.h"
#include "support/fixed_geometry.h"
#include "support/temp_folder.h"

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { FirstRunSettings(); }
  ~MainWindowTest() override;

  // No stored settings, defaults in memory, as on the first run.
  static void FirstRunSettings();

  // Creates the main window as the program does, from the settings in memory,
  // on |relative| in the scratch folder, waits until that folder is scanned
  // and current (and, with no monitor driver, watched) and expands it.
  void Open(const std::string& relative = "");
  // Creates the main window with every drive listed and none scanned.
  void OpenDrives();
  // Opens on this tree in reported sizes, every branch expanded:
  //   A\ empty, Temp\ 10 240 bytes, x.tmp\ 20 480 bytes,
  //   big\ 3 MB with inner\ 200 KB below it, D1\ with D1a\ and D1b\ below it.
  void OpenScannedTree();
  // Closes it (if still open) as the user does, which saves the settings;
  // true when the closing asked the program to end with exit code 0.
  bool Close();
  // Closes it and opens it again from the settings as saved.
  void Restart();
  // A command as the menu sends it; returns once the workers it started ended.
  void Command(UINT id);
  // The folder at |relative| ("big\\inner") below |parent| (the start folder when null).
  FolderNode* Child(const std::string& relative, FolderNode* parent = nullptr) const;
  // Selects |node| in the main tree, as a click does.
  void Select(FolderNode* node);

  TempFolder temp;
  Recorder recorded;
  HWND window = nullptr;
  FolderNode* top = nullptr;    // the computer
  FolderNode* start = nullptr;  // the folder the window was opened on

 private:
  std::string relative_;
};

// The window with every drive listed and none scanned, on drives whose
// geometry is fixed at 4 096-byte clusters: the scratch folder's drive,
// selected, and a node for the folder directly under it, not yet scanned.
class FolderChainTest : public MainWindowTest {
 protected:
  void SetUp() override;

  FixedGeometry geometry;
  ScopedDriveQueries installed{&geometry};
  DriveRootNode* drive = nullptr;
  FolderNode* folder = nullptr;
};

// The drive root of |letter| under the top node; a folder node for |path|
// directly under |parent|'s item, not yet scanned.
DriveRootNode* DriveRoot(char letter);
FolderNode* AddFolder(FolderNode* parent, const std::string& path);
// The text of a tree item; the main tree's folder at |relative| ("a\\b")
// below |parent|, split at separators only (a trail byte may be 0x5C); the
// texts of |parent|'s child items in tree order; whether |node| has a button.
std::string TreeItemText(HWND tree, HTREEITEM item);
FolderNode* ChildOf(FolderNode* parent, const std::string& relative);
std::vector<std::string> ChildTexts(HWND tree, HTREEITEM parent);
bool HasButton(FolderNode* node);

// Pumps messages for |ms|, for checking that nothing more happens.
void PumpFor(DWORD ms);
// "left,top right,bottom", and where |child| is in |window|'s client area.
std::string RectText(const RECT& rect);
RECT PlaceIn(HWND window, HWND child);
// A control's text; the page of a Tag or Find dialog that holds control |id|.
std::string Text(HWND dialog, int id);
HWND PageWith(HWND dialog, int id);
// The main tree's items whose ancestors are all expanded, in tree order,
// once it is checked that detail entry i holds the i-th and nothing else is listed.
std::vector<HTREEITEM> ExpectListPaired(const std::string& step);
// A click on a button, and a choice in a drop-down list, as the user makes them.
void Click(HWND dialog, int id);
void Choose(HWND dialog, int id, int index);

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
