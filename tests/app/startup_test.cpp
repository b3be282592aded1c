// The folder named on the command line, and where a window closed minimised or maximised reopens.
#include "app/startup.h"
#include "settings/settings_store.h"
#include "support/main_window_test.h"

namespace {

std::string CurrentDirectory() {
  char current[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof current, current);
  return current;
}

TEST(Startup, AQuotedOrRelativeCommandLineFolderBecomesTheAbsoluteStartFolder) {
  TempFolder temp;
  temp.MakeFolder("with blank");
  const std::string base = temp.Path();  // ends in a backslash
  const std::string folder = base + "with blank";
  const std::string before = CurrentDirectory();
  const struct {
    std::string line;
    std::string start;  // empty: the line names no folder
  } CASES[] = {
      {"\"" + folder + "\"", folder}, {"with blank", folder},     {"  \"with blank\"  ", folder},
      {"with blank\\", folder},       {"\"no such folder\"", ""}, {"\"\"", ""},
  };
  for (const auto& c : CASES) {
    SetCurrentDirectoryA(base.c_str());  // where the program was started
    StartFolderGiven = false;
    startPath[0] = 0;
    TakeCommandLineFolder(c.line.c_str());
    EXPECT_EQ(c.start, startPath) << c.line;
    EXPECT_EQ(!c.start.empty(), StartFolderGiven) << c.line;
    EXPECT_EQ(c.start.empty() ? base.substr(0, base.size() - 1) : c.start, CurrentDirectory()) << c.line;
  }
  StartFolderGiven = false;
  startPath[0] = 0;
  SetCurrentDirectoryA(before.c_str());
}

class StartupWindow : public MainWindowTest {};

TEST_F(StartupWindow, AWindowClosedMinimisedOrMaximisedReopensVisibleAtItsSize) {
  const RECT restored = {60, 40, 860, 640};
  const struct {
    const char* closed;
    int shows[2];  // what the user did before closing; 0 for nothing more
    bool maximised;
  } CASES[] = {
      {"minimised", {SW_MINIMIZE, 0}, false},
      {"maximised", {SW_MAXIMIZE, 0}, true},
      {"minimised from maximised", {SW_MAXIMIZE, SW_MINIMIZE}, true},
  };
  for (const auto& c : CASES) {
    FirstRunSettings();
    saveOnExit = 1;
    Open();
    MoveWindow(window, restored.left, restored.top, restored.right - restored.left, restored.bottom - restored.top,
               TRUE);
    for (int show : c.shows)
      if (show) ShowWindow(window, show);
    Restart();
    EXPECT_TRUE(IsWindowVisible(window)) << c.closed;
    EXPECT_FALSE(IsIconic(window)) << c.closed;
    EXPECT_EQ(c.maximised, IsZoomed(window) != FALSE) << c.closed;
    if (c.maximised) ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(RectText(restored), RectText(PlaceIn(nullptr, window))) << c.closed;
    Close();
  }
}

}  // namespace
