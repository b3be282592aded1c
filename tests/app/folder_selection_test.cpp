// The window title for the current folder.
#include <gtest/gtest.h>

#include <string>

#include "app/folder_selection.h"

namespace {

TEST(WindowTitle, PathInWordCapitals) {
  const std::string tooLong = "c:\\" + std::string(300, 'a');
  const struct {
    std::string path, title;
  } CASES[] = {
      {"d:\\data\\2nd-try", "Brisklane Pelvanor -> D:\\Data\\2nd-Try"},
      {"c:\\PROGRAM FILES\\my-app", "Brisklane Pelvanor -> C:\\Program Files\\My-App"},
      {tooLong, "Brisklane Pelvanor -> " + tooLong.substr(0, MAX_PATH)},  // past 260: as it is, cut
  };
  for (const auto& c : CASES) {
    char title[600];
    FormatWindowTitle(c.path.c_str(), title, sizeof title);
    EXPECT_EQ(c.title, title) << c.path;
  }
}

}  // namespace
