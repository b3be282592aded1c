// The status bar's texts for a drive's folder and for the top node.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "app/resource_text.h"
#include "model/scanner.h"
#include "pane/pane_controls.h"
#include "pane/status_text.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/folder_chain_test.h"

namespace {

std::string PartText(HWND bar, int part) {
  char text[512] = "";
  SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
  return text;
}

using StatusTexts = FolderChainTest;  // 16,384,000 bytes, 4,096,000 free

TEST_F(StatusTexts, FolderOnADriveAndTheTopNode) {
  ApplyDefaultSettings(&Settings);
  temp.MakeFile("f.bin", 5000);
  ASSERT_EQ(1, ScanSubtree(folder, true, nullptr));
  HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, panes.window(), nullptr,
                             nullptr, nullptr);
  int edges[STATUS_PARTS] = {300, 500, 650, 800, -1};
  SendMessageA(bar, SB_SETPARTS, STATUS_PARTS, reinterpret_cast<LPARAM>(edges));
  SetFocus(panes.tree());
  ASSERT_EQ(panes.tree(), GetFocus());

  RefreshStatusTexts(bar, folder);
  const std::string space = PartText(bar, 0);
  EXPECT_NE(std::string::npos, space.find("3.91MB")) << space;
  EXPECT_NE(std::string::npos, space.find("15.6MB")) << space;
  EXPECT_EQ(panes.ItemText(folder) + " (12.0KB)", PartText(bar, 1)) << "one cluster for the folder, two for the file";
  EXPECT_EQ(ResourceString(IDS_STATUS_VIEW) + ResourceString(IDS_STATUS_VIEW_NORMAL), PartText(bar, 2));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_TREE), PartText(bar, 4));

  RefreshStatusTexts(bar, top);  // sums over the fixed and network drives
  EXPECT_NE(std::string::npos, PartText(bar, 0).find("15.6MB"));
  EXPECT_EQ(" ", PartText(bar, 1));

  // Without the focus on the tree, the folder parts keep what they showed.
  SetFocus(bar);
  FilePaneActive = true;
  RefreshStatusTexts(bar, folder);
  EXPECT_EQ(" ", PartText(bar, 1));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_FILE_PANE), PartText(bar, 4));
  FilePaneActive = false;
  DestroyWindow(bar);
}

}  // namespace
