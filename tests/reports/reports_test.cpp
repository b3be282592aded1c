// Export through the real save dialog, the file compared byte for byte with what the user should find, and
// printing on the test printer: the pages as text, the dialog, Cancel and a failing port.
#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "pane/formatting.h"
#include "support/main_window_test.h"
#include "support/test_printer.h"

namespace {

constexpr uint64_t THREE_GIB = 3ull << 30;  // two make a folder past 4 GiB (sparse files)

using Rows = std::vector<std::pair<const char*, int>>;
struct ExportCase {
  // 'd' nothing selected (the branch choice is disabled), 'w' whole tree
  // clicked in the template, 'a' "only displayed folders" cleared.
  const char* choices;
  const char* scanning;           // a folder still being counted, or null
  std::vector<uint32_t> columns;  // shown, in display order; percentages with the file count
  // The folder lines without their level, "@" for the scratch folder's name and
  // "#" for today's date, and each one's level below the scratch folder.
  Rows rows;
  bool Chose(char choice) const { return std::strchr(choices, choice) != nullptr; }
};

const std::vector<uint32_t> DEFAULTS = {COLUMN_TOTAL, COLUMN_OWN_FILES, COLUMN_MODIFIED};
const Rows TOTALS = {{"@\t 6,442,454,092", 0}, {"big\t 6,442,450,944", 1}, {"small\t 2,148", 1}, {"empty\t 0", 1}};
const Rows SHOWN = {{"@\t 6,442,454,092\t 1,000\t#", 0},
                    {"big\t 6,442,450,944\t 6,442,450,944\t#", 1},
                    {"small\t 2,148\t 2,048\t#", 1},
                    {"empty\t 0\t 0\t#", 1}};

// The first case writes a new file; every later one replaces it after the prompt.
const ExportCase CASES[] = {
    {"wa", nullptr, {COLUMN_TOTAL}, {TOTALS[0], TOTALS[1], TOTALS[2], {"inner\t 100", 2}, TOTALS[3]}},
    {"d", nullptr, {COLUMN_TOTAL}, TOTALS},
    {"", nullptr, DEFAULTS, SHOWN},
    {"a", nullptr, DEFAULTS, {SHOWN[0], SHOWN[1], SHOWN[2], {"inner\t 100\t 100\t#", 2}, SHOWN[3]}},
    {"", "small", DEFAULTS, {SHOWN[0], SHOWN[1], {"small\t>2,148\t>2,048\t#", 1}, SHOWN[3]}},
    {"a",  // a hidden column, percentages, counts and capacity
     nullptr,
     {COLUMN_TOTAL, COLUMN_FILE_COUNT, COLUMN_CAPACITY},
     {{"@\t 6,442,454,092 (100%)\t 1\t", 0},
      {"big\t 6,442,450,944 (100%)\t 2\t", 1},
      {"small\t 2,148 (00%)\t 1\t", 1},
      {"inner\t 100 (05%)\t 1\t", 2},
      {"empty\t 0 (00%)\t 0\t", 1}}},
};

class ExportTest : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make(
        {"top.bin:1000", "big", "small", "small\\k.bin:2048", "small\\inner", "small\\inner\\x.bin:100", "empty"});
    temp.MakeFile("big\\a.bin", THREE_GIB);
    temp.MakeFile("big\\b.bin", THREE_GIB);
    Open();
    Command(IDM_SIZE_REPORTED);
  }

  static void ShowColumns(const ExportCase& c) {
    for (int i = 0; i < DetailColumnCount(); ++i) {
      ColumnInfo* column = DetailColumn(i);
      const bool shown = std::count(c.columns.begin(), c.columns.end(), column->id) > 0;
      const bool percentage = column->id == COLUMN_TOTAL && c.columns.back() == COLUMN_CAPACITY;
      column->flags = (column->flags & ~(COLUMN_HIDDEN | COLUMN_PERCENTAGE)) | (shown ? 0 : COLUMN_HIDDEN) |
                      (percentage ? COLUMN_PERCENTAGE : 0);
    }
    RebuildHeader();
  }

  std::string Expected(const ExportCase& c) const {
    std::string text = ResourceString(IDS_COLUMN_NAME) + "\t";
    for (uint32_t id : c.columns) text += ResourceString(id) + "\t";
    text += "\tNested Level\r\n";
    const std::vector<std::string> names = PathComponents(temp.Path());
    int depth = 0;
    if (c.Chose('w') || c.Chose('d')) {
      // From the computer down to the scratch folder's parent, each with its total so far.
      std::vector<std::string> labels = {TreeItemText(Panes.mainTree, TopItem(Panes.mainTree)),
                                         TreeItemText(Panes.mainTree, start->root->mainItem)};
      labels.insert(labels.end(), names.begin() + 1, names.end() - 1);
      for (const std::string& label : labels) {
        text += label + (depth ? "\t>6,442,454,092\t" : "\t---\t") + std::to_string(depth) + "\r\n";
        ++depth;
      }
    }
    char date[DATE_TEXT_MAX];
    FormatShortDate(start->lastWrite, date, sizeof date);
    for (const auto& [row, level] : c.rows) {
      std::string line = row;
      if (line[0] == '@') line.replace(0, 1, names.back());
      if (line.back() == '#') line.replace(line.size() - 1, 1, date);
      text += line + "\t" + std::to_string(depth + level) + "\r\n";
    }
    return text;
  }
};

TEST_F(ExportTest, FileHoldsTheChosenFoldersWithExactBytesAndTheirLevelsAndCancelWritesNothing) {
  ASSERT_TRUE(Settings.ShowSizesInUnits) << "the window shows 2.00KB where the file has 2,048";
  TempFolder output;
  const std::string file = output.Path("tree.txt");
  {
    DialogAnswerer cancel([&](HWND dialog) {
      SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, file.c_str());
      return IDCANCEL;
    });
    Command(IDM_EXPORT_TO_FILE);
    ASSERT_EQ(1u, cancel.seen().size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << "a cancelled export writes nothing";
  }
  bool first = true;
  for (const ExportCase& c : CASES) {
    SCOPED_TRACE(testing::Message() << "case " << &c - CASES << ", choices \"" << c.choices << "\"");
    ShowColumns(c);
    FolderNode* counted = c.scanning ? Child(c.scanning) : nullptr;
    const FolderNode before = counted ? *counted : FolderNode{};
    if (counted) {
      counted->scanState = SCAN_RUNNING;
      counted->flags &= ~(FILES_COUNTED | SUBTREE_COMPLETE);
    }
    if (c.Chose('d')) TreeView_SelectItem(Panes.mainTree, nullptr);

    bool branchEnabled = false;
    DialogAnswerer answerer([&](HWND dialog) {
      if (!GetDlgItem(dialog, cmb13) && !GetDlgItem(dialog, edt1)) return IDYES;  // the overwrite prompt
      SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, file.c_str());
      HWND options = FindWindowExA(dialog, nullptr, "#32770", nullptr);
      branchEnabled = IsWindowEnabled(GetDlgItem(options, IDC_REPORT_BRANCH));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(options, IDC_REPORT_SHOWN_ONLY));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(options, c.Chose('d') ? IDC_REPORT_WHOLE_TREE : IDC_REPORT_BRANCH));
      if (c.Chose('w')) SendMessageA(GetDlgItem(options, IDC_REPORT_WHOLE_TREE), BM_CLICK, 0, 0);
      if (c.Chose('a')) SendMessageA(GetDlgItem(options, IDC_REPORT_SHOWN_ONLY), BM_CLICK, 0, 0);
      return IDOK;
    });
    Command(IDM_EXPORT_TO_FILE);

    EXPECT_EQ(!c.Chose('d'), branchEnabled);
    ASSERT_EQ(first ? 1u : 2u, answerer.seen().size()) << "the save dialog, then the overwrite prompt";
    EXPECT_EQ(ResourceString(IDS_EXPORT_TITLE), answerer.seen()[0].caption);
    const std::string written = ReadFileBytes(file);
    EXPECT_EQ(Expected(c), written);

    if (counted) *counted = before;
    if (c.Chose('d')) TreeView_SelectItem(Panes.mainTree, start->mainItem);
    first = false;
  }
}

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
  size_t at = all.find(PathComponents(path).back());
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
