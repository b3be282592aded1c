// The real main window, started on a scratch folder as the command line names
// it, from first-run settings in a scratch registry.  Tests of each room
// derive their own suite from it (class Startup : public MainWindowTest {}).
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/canvas.h"
#include "support/temp_folder.h"

struct FolderNode;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { FirstRunSettings(); }
  ~MainWindowTest() override;

  // No stored settings, defaults in memory, as on the first run.
  static void FirstRunSettings();

  // Creates the main window as the program does, from the settings in memory,
  // on |relative| in the scratch folder, and waits until that folder is
  // scanned and current (and, with no monitor driver, watched).
  void Open(const std::string& relative = "");
  // Closes it (if still open) as the user does, which saves the settings;
  // true when the closing asked the program to end with exit code 0.
  bool Close();
  // Closes it and opens it again from the settings as saved.
  void Restart();
  // A command as the menu sends it; returns once the workers it started ended.
  void Command(UINT id);
  // The child of |parent| (the start folder when null) whose item reads |name|.
  FolderNode* Child(const std::string& name, FolderNode* parent = nullptr) const;
  // Selects |node| in the main tree, as a click does.
  void Select(FolderNode* node);

  TempFolder temp;
  Recorder recorded;
  HWND window = nullptr;
  FolderNode* start = nullptr;  // the folder the window was opened on

 private:
  std::string relative_;
};

// Pumps messages for |ms|, for checking that nothing more happens.
void PumpFor(DWORD ms);
// "left,top right,bottom", and where |child| is in |window|'s client area.
std::string RectText(const RECT& rect);
RECT PlaceIn(HWND window, HWND child);
