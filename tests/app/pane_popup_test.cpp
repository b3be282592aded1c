// The popup menu over a column of the folder pane.
#include <gtest/gtest.h>

#include "app/pane_popup.h"
#include "app/resource_text.h"
#include "resource.h"

namespace {

TEST(PanePopup, EntriesNameTheColumnUnderTheMouse) {
  HMENU menu = BuildPanePopup(3);
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(6, GetMenuItemCount(menu));
  const UINT expected[] = {IDM_DISK_INFORMATION, 0, IDM_FOLDER_DETAILS_PAGE_FIRST + 3, 0, IDM_FIND_FOLDERS,
                           IDM_TAG_FOLDERS};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], GetMenuItemID(menu, i)) << "entry " << i;
  char text[128] = "";
  GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(ResourceString(IDS_POPUP_FOLDER_DETAILS), text);
  DestroyMenu(menu);
}

}  // namespace
