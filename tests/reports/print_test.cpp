// Printing on the test printer: the pages as text, the dialog, Cancel and a failing port.
#include <cctype>
#include <cstdio>

#include "pane/formatting.h"
#include "support/main_window_test.h"
#include "support/test_printer.h"

namespace {

// More folders than one page holds at 8 points on A4.
constexpr int FOLDERS = 90;

std::string FolderName(int index) {
  char name[8];
  std::snprintf(name, sizeof name, "f%02d", index);
  return name;
}

// Runs of spaces as one, as the text of a page does not keep widths.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

std::vector<std::string> Pages(const std::string& text) {
  std::vector<std::string> pages;
  for (size_t start = 0, end; (end = text.find('\f', start)) != std::string::npos; start = end + 1)
    pages.push_back(Squeezed(text.substr(start, end - start)));
  return pages;
}

std::string PageHeader(int page) {
  char date[DATE_TEXT_MAX];
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  FormatShortDate(now, date, sizeof date);
  char header[128];
  std::snprintf(header, sizeof header, ResourceString(IDS_PRINT_PAGE_HEADER).c_str(), date, page);
  return Squeezed(header);
}

class PrintTest : public MainWindowTest {
 protected:
  // f00 is the largest folder and comes first; its own subfolder stays
  // collapsed, so it is not printed.
  void SetUp() override {
    for (int i = 0; i < FOLDERS; ++i) {
      temp.MakeFolder(FolderName(i));
      temp.MakeFile(FolderName(i) + "\\data.bin", (FOLDERS - i) * 1000);
    }
    temp.MakeFolder("f00\\below");
    Open();
  }

  // Prints through the dialog, answered with |command|, after choosing the
  // whole tree and every folder when |everything|; returns the dialogs seen.
  std::vector<SeenDialog> Print(int command, bool everything = false) {
    DialogAnswerer answerer([&](HWND dialog) {
      if (GetDlgItem(dialog, IDC_REPORT_SHOWN_ONLY)) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_REPORT_PAGES))) << "no page range";
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_REPORT_SHOWN_ONLY));
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_REPORT_BRANCH)) << "the selected folder's branch";
      }
      if (everything) {
        SendMessageA(GetDlgItem(dialog, IDC_REPORT_WHOLE_TREE), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDC_REPORT_SHOWN_ONLY), BM_CLICK, 0, 0);
      }
      return command;
    });
    Command(IDM_PRINT_TREE);
    return answerer.seen();
  }
};

TEST_F(PrintTest, PagesRepeatTheHeaderAndListTheShownFoldersInOrder) {
  TestPrinter printer;
  ASSERT_TRUE(printer.installed());
  ASSERT_EQ(1u, Print(IDCANCEL).size());
  EXPECT_EQ("", printer.PrintedText()) << "a cancelled dialog prints nothing";

  ASSERT_EQ(1u, Print(IDOK).size());
  const std::vector<std::string> pages = Pages(printer.PrintedText());
  ASSERT_EQ(2u, pages.size()) << printer.PrintedText();
  std::string path = temp.Path();
  path.pop_back();
  const std::string title = ResourceString(IDS_WINDOW_TITLE) + " - " + path;
  for (int page = 1; page <= 2; ++page) {
    SCOPED_TRACE(testing::Message() << "page " << page);
    const std::string& text = pages[page - 1];
    EXPECT_NE(std::string::npos, text.find(title + PageHeader(page))) << text;
    EXPECT_NE(std::string::npos, text.find(ResourceString(IDS_COLUMN_NAME))) << "column titles";
    size_t folder = text.find('f');
    while (folder != std::string::npos && !(isdigit(text[folder + 1]) && isdigit(text[folder + 2])))
      folder = text.find('f', folder + 1);
    EXPECT_LT(text.find(ResourceString(IDS_COLUMN_MODIFIED)), folder) << "the titles stand above the folders";
  }
  const std::string all = pages[0] + pages[1];
  size_t at = all.find(path.substr(path.rfind('\\') + 1));
  for (int i = 0; i < FOLDERS && at != std::string::npos; ++i) {
    const size_t next = all.find(FolderName(i), at);
    EXPECT_NE(std::string::npos, next) << FolderName(i) << " in order";
    at = next;
  }
  EXPECT_NE(std::string::npos, pages[1].find(FolderName(FOLDERS - 1))) << "the last folders on the second page";
  EXPECT_EQ(std::string::npos, all.find("below")) << "a collapsed folder's children are not shown";

  // Deep names are cut at the name column as on screen: the user widens it.
  RECT tree;
  GetClientRect(Panes.mainTree, &tree);
  ResizeNameColumn(tree.right * 2 / 3);
  ASSERT_EQ(1u, Print(IDOK, true).size());
  const std::string whole = printer.PrintedText();
  EXPECT_EQ(0u, Squeezed(whole).find(WindowText(window) + PageHeader(1)))
      << "the computer has no path: " << whole.substr(0, 300);
  EXPECT_NE(std::string::npos, whole.find("below")) << "every level";

  // A port that fails the job: no message, and nothing the job made is left.
  const int before = LiveGdiObjects();
  TestPrinter failing(true);
  ASSERT_TRUE(failing.installed());
  EXPECT_EQ(1u, Print(IDOK).size()) << "only the print dialog";
  EXPECT_EQ(before, LiveGdiObjects());
}

}  // namespace
