// The window title for the current folder.
#include <gtest/gtest.h>

#include <string>

#include "app/folder_selection.h"

namespace {

TEST(WindowTitle, PathInWordCapitals) {
  char title[600];
  FormatWindowTitle("d:\\data\\2nd-try", title, sizeof title);
  EXPECT_STREQ("Brisklane Pelvanor -> D:\\Data\\2nd-Try", title);
  FormatWindowTitle("c:\\PROGRAM FILES\\my-app", title, sizeof title);
  EXPECT_STREQ("Brisklane Pelvanor -> C:\\Program Files\\My-App", title);
  const std::string tooLong = "c:\\" + std::string(300, 'a');
  FormatWindowTitle(tooLong.c_str(), title, sizeof title);
  EXPECT_EQ(0u, std::string(title).find("Brisklane Pelvanor -> c:\\aaa")) << "a path past 260 stays as it is";
}

}  // namespace
