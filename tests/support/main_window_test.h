// The real main window, started on a scratch folder as the command line names
// it, from first-run settings in a scratch registry, and the helpers its
// tests share, with what nearly every such test names.  Each room's suite
// derives from it (class X : public MainWindowTest {}).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/columns.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/canvas.h"
#include "support/dialog_answerer.h"
#include "support/temp_folder.h"
#include "support/test_panes.h"

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
