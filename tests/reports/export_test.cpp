// Export through the real save dialog, the file compared byte for byte with what the user should find.
#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cstring>

#include "pane/formatting.h"
#include "support/main_window_test.h"

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
    std::string path = temp.Path();
    path.pop_back();
    const std::string name = path.substr(path.rfind('\\') + 1);
    int depth = 0;
    if (c.Chose('w') || c.Chose('d')) {
      // From the computer down to the scratch folder's parent, each with its total so far.
      std::vector<std::string> labels = {TreeItemText(Panes.mainTree, TopItem(Panes.mainTree)),
                                         TreeItemText(Panes.mainTree, start->root->mainItem)};
      for (size_t from = 3, end; (end = path.find('\\', from)) != std::string::npos; from = end + 1)
        labels.push_back(path.substr(from, end - from));
      for (const std::string& label : labels) {
        text += label + (depth ? "\t>6,442,454,092\t" : "\t---\t") + std::to_string(depth) + "\r\n";
        ++depth;
      }
    }
    char date[DATE_TEXT_MAX];
    FormatShortDate(start->lastWrite, date, sizeof date);
    for (const auto& [row, level] : c.rows) {
      std::string line = row;
      if (line[0] == '@') line.replace(0, 1, name);
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

}  // namespace
