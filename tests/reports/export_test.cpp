// Export to a text file through the real save dialog, on a scanned scratch
// tree: each case picks its choices in the dialog's template and compares the
// file byte for byte with the text built here.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "support/dialog_answerer.h"
#include "support/scratch_window.h"
#include "support/scratch_registry.h"
#include "support/test_panes.h"

namespace {

::testing::Environment* const g_registry = ::testing::AddGlobalTestEnvironment(new ScratchCurrentUser);

constexpr uint64_t THREE_GIB = 3ull << 30;  // two make a folder past 4 GiB (sparse files)

// The scratch tree: own bytes, total bytes and files of each folder.
struct Folder {
  const char* path;
  uint64_t own;
  uint64_t total;
  int files;
};
const Folder FOLDERS[] = {
    {"", 1000, 1000 + 2 * THREE_GIB + 2148, 1},
    {"big", 2 * THREE_GIB, 2 * THREE_GIB, 2},
    {"small", 2048, 2148, 1},
    {"small\\inner", 100, 100, 1},
    {"empty", 0, 0, 0},
};

const Folder& FolderAt(const std::string& path) {
  return *std::find_if(std::begin(FOLDERS), std::end(FOLDERS), [&](const Folder& f) { return path == f.path; });
}

struct ExportCase {
  const char* name;
  bool deselect;                                  // nothing selected: the branch choice is disabled
  bool wholeTree;                                 // clicked in the template
  bool allLevels;                                 // "only displayed folders" cleared
  const char* scanning;                           // a folder still being counted, or null
  std::vector<uint32_t> columns;                  // shown, in display order
  bool percentages;                               // on the total column
  std::vector<std::pair<const char*, int>> rows;  // folders below the scratch folder and their levels
};

const std::vector<uint32_t> DEFAULT_COLUMNS = {COLUMN_TOTAL, COLUMN_OWN_FILES, COLUMN_MODIFIED};
const std::vector<std::pair<const char*, int>> SHOWN = {{"", 0}, {"big", 1}, {"small", 1}, {"empty", 1}};
const std::vector<std::pair<const char*, int>> EVERY = {
    {"", 0}, {"big", 1}, {"small", 1}, {"small\\inner", 2}, {"empty", 1}};

// The first case writes a new file; every later one replaces it after the prompt.
const ExportCase CASES[] = {
    {"whole tree, all levels", false, true, true, nullptr, {COLUMN_TOTAL}, false, EVERY},
    {"nothing selected", true, false, false, nullptr, {COLUMN_TOTAL}, false, SHOWN},
    {"selected branch, shown folders", false, false, false, nullptr, DEFAULT_COLUMNS, false, SHOWN},
    {"selected branch, all levels", false, false, true, nullptr, DEFAULT_COLUMNS, false, EVERY},
    {"a folder still counted", false, false, false, "small", DEFAULT_COLUMNS, false, SHOWN},
    {"hidden column, percentages, counts and capacity",
     false,
     false,
     true,
     nullptr,
     {COLUMN_TOTAL, COLUMN_FILE_COUNT, COLUMN_CAPACITY},
     true,
     EVERY},
};

std::string Grouped(uint64_t value) {
  char text[NUMBER_TEXT_MAX];
  return FormatGroupedNumber(value, text, sizeof text);
}

std::string ModifiedDate(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  char text[DATE_TEXT_MAX];
  return FormatShortDate(data.ftLastWriteTime, text, sizeof text);
}

class ExportTest : public ScratchWindowTest {
 protected:
  void SetUp() override {
    ScratchWindowTest::SetUp();
    temp.MakeFile("top.bin", 1000);
    temp.MakeFolder("big");
    temp.MakeFile("big\\a.bin", THREE_GIB);
    temp.MakeFile("big\\b.bin", THREE_GIB);
    temp.MakeFolder("small");
    temp.MakeFile("small\\k.bin", 2048);
    temp.MakeFolder("small\\inner");
    temp.MakeFile("small\\inner\\x.bin", 100);
    temp.MakeFolder("empty");
    OpenAndScan();
    Command(IDM_SIZE_REPORTED);
  }

  void ShowColumns(const ExportCase& c) {
    for (int i = 0; i < DetailColumnCount(); ++i) {
      ColumnInfo* column = DetailColumn(i);
      const bool shown = std::count(c.columns.begin(), c.columns.end(), column->id) > 0;
      column->flags = shown ? column->flags & ~COLUMN_HIDDEN : column->flags | COLUMN_HIDDEN;
      if (column->id == COLUMN_TOTAL)
        column->flags = c.percentages ? column->flags | COLUMN_PERCENTAGE : column->flags & ~COLUMN_PERCENTAGE;
    }
    RebuildHeader();
  }

  std::string TitleLine(const ExportCase& c) const {
    std::string line = ResourceString(IDS_COLUMN_NAME) + "\t";
    for (uint32_t id : c.columns) line += ResourceString(id) + "\t";
    return line + "\tNested Level\r\n";
  }

  // The folders above the scratch folder, from the computer down: their
  // labels as the tree shows them, and each one's total so far.
  std::vector<std::string> ChainLines(const ExportCase& c) const {
    std::vector<std::string> lines;
    const std::string partial = "\t>" + Grouped(FOLDERS[0].total) + "\t";
    std::vector<std::string> labels = {TreeItemText(Panes.mainTree, TopItem(Panes.mainTree))};
    HTREEITEM drive = FirstChildItem(Panes.mainTree, TopItem(Panes.mainTree));
    labels.push_back(TreeItemText(Panes.mainTree, drive));
    std::string path = temp.Path();
    path.pop_back();
    for (size_t start = 3, end; (end = path.find('\\', start)) != std::string::npos; start = end + 1)
      labels.push_back(path.substr(start, end - start));
    for (size_t level = 0; level < labels.size(); ++level) {
      std::string fields;
      for (size_t i = 0; i < c.columns.size(); ++i) fields += level == 0 ? "---\t" : partial.substr(1);
      lines.push_back(labels[level] + "\t" + fields + std::to_string(level) + "\r\n");
    }
    return lines;
  }

  std::string FolderLine(const ExportCase& c, const std::string& path, int level) const {
    const Folder& folder = FolderAt(path);
    const std::string parentPath = path.find('\\') == std::string::npos ? "" : path.substr(0, path.rfind('\\'));
    const double parentTotal = double(path.empty() ? folder.total : FolderAt(parentPath).total);
    const char mark = c.scanning && path == c.scanning ? '>' : ' ';
    std::string line = (path.empty() ? temp.Path().substr(temp.Path().rfind('\\', temp.Path().size() - 2) + 1)
                                     : path.substr(path.rfind('\\') + 1));
    if (path.empty()) line.pop_back();
    line += "\t";
    for (uint32_t id : c.columns) {
      if (id == COLUMN_TOTAL) {
        line += mark + Grouped(folder.total);
        char percentage[24];
        std::snprintf(percentage, sizeof percentage, " (%02.0f%%)", folder.total / parentTotal * 100);
        if (c.percentages && parentTotal != 0) line += percentage;
      }
      if (id == COLUMN_OWN_FILES) line += mark + Grouped(folder.own);
      if (id == COLUMN_FILE_COUNT) line += " " + std::to_string(folder.files);
      if (id == COLUMN_MODIFIED) line += ModifiedDate(temp.Path(path));
      line += "\t";
    }
    return line + std::to_string(level) + "\r\n";
  }

  std::string Expected(const ExportCase& c) const {
    std::string text = TitleLine(c);
    int depth = 0;
    if (c.wholeTree || c.deselect) {
      for (const std::string& line : ChainLines(c)) text += line;
      depth = int(ChainLines(c).size());
    }
    for (const auto& row : c.rows) text += FolderLine(c, row.first, depth + row.second);
    return text;
  }
};

TEST_F(ExportTest, FileHoldsTheChosenFoldersWithExactBytesAndTheirLevels) {
  ASSERT_TRUE(Settings.ShowSizesInUnits) << "the window shows 2.00KB where the file has 2,048";
  TempFolder output;
  const std::string file = output.Path("tree.txt");
  bool first = true;
  for (const ExportCase& c : CASES) {
    SCOPED_TRACE(c.name);
    ShowColumns(c);
    FolderNode* counted = c.scanning ? Node(c.scanning) : nullptr;
    const FolderNode before = counted ? *counted : FolderNode{};
    if (counted) {
      counted->scanState = SCAN_RUNNING;
      counted->flags &= ~(FILES_COUNTED | SUBTREE_COMPLETE);
    }
    if (c.deselect) TreeView_SelectItem(Panes.mainTree, nullptr);

    bool branchEnabled = false;
    DialogAnswerer answerer([&](HWND dialog) {
      if (!GetDlgItem(dialog, cmb13) && !GetDlgItem(dialog, edt1)) return IDYES;  // the overwrite prompt
      SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, file.c_str());
      HWND options = FindWindowExA(dialog, nullptr, "#32770", nullptr);
      branchEnabled = IsWindowEnabled(GetDlgItem(options, IDC_REPORT_BRANCH));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(options, IDC_REPORT_SHOWN_ONLY));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(options, c.deselect ? IDC_REPORT_WHOLE_TREE : IDC_REPORT_BRANCH));
      if (c.wholeTree) SendMessageA(GetDlgItem(options, IDC_REPORT_WHOLE_TREE), BM_CLICK, 0, 0);
      if (c.allLevels) SendMessageA(GetDlgItem(options, IDC_REPORT_SHOWN_ONLY), BM_CLICK, 0, 0);
      return IDOK;
    });
    Command(IDM_EXPORT_TO_FILE);

    EXPECT_EQ(!c.deselect, branchEnabled);
    ASSERT_EQ(first ? 1u : 2u, answerer.seen().size()) << "the save dialog, then the overwrite prompt";
    EXPECT_EQ(ResourceString(IDS_EXPORT_TITLE), answerer.seen()[0].caption);
    const std::string written = ReadFileBytes(file);
    EXPECT_EQ(Expected(c), written);
    // Every folder line has the title line's fields: one title per column, then the level.
    const auto titleTabs = std::count(written.begin(), written.begin() + written.find('\n'), '\t');
    for (size_t at = written.find('\n') + 1; at < written.size(); at = written.find('\n', at) + 1)
      EXPECT_EQ(titleTabs - 1, std::count(written.begin() + at, written.begin() + written.find('\n', at), '\t'));

    if (counted) *counted = before;
    if (c.deselect) TreeView_SelectItem(Panes.mainTree, scratch->mainItem);
    first = false;
  }
}

TEST_F(ExportTest, CancellingWritesNothing) {
  TempFolder output;
  DialogAnswerer answerer([&](HWND dialog) {
    SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, output.Path("none.txt").c_str());
    return IDCANCEL;
  });
  Command(IDM_EXPORT_TO_FILE);
  EXPECT_EQ(1u, answerer.seen().size());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(output.Path("none.txt").c_str()));
}

}  // namespace
