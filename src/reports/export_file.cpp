#include "reports/export_file.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <string>

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "reports/report_source.h"
#include "resource.h"

namespace {

constexpr char FILE_FILTERS[] = "Text Files (*.txt)\0*.TXT\0All Files (*.*)\0*.*\0";
constexpr char LINE_END[] = "\r\n";
constexpr int LABEL_MAX = 261;  // 260 characters and the terminator

struct ExportDialogState {
  ReportOptions* options;
  bool branchOffered;
};

void ShowOptions(HWND dialog, const ExportDialogState& state) {
  CheckRadioButton(dialog, IDC_REPORT_WHOLE_TREE, IDC_REPORT_BRANCH,
                   state.options->wholeTree ? IDC_REPORT_WHOLE_TREE : IDC_REPORT_BRANCH);
  CheckDlgButton(dialog, IDC_REPORT_SHOWN_ONLY, state.options->allLevels ? BST_UNCHECKED : BST_CHECKED);
  EnableWindow(GetDlgItem(dialog, IDC_REPORT_BRANCH), state.branchOffered);
}

// The hook of the options template below the save dialog's own controls.
UINT_PTR CALLBACK ExportOptionsHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* state = reinterpret_cast<ExportDialogState*>(reinterpret_cast<OPENFILENAMEA*>(lParam)->lCustData);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    ShowOptions(dialog, *state);
    return FALSE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  auto* state = reinterpret_cast<ExportDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!state) return FALSE;
  switch (LOWORD(wParam)) {
    case IDC_REPORT_WHOLE_TREE:
    case IDC_REPORT_BRANCH:
      state->options->wholeTree = IsDlgButtonChecked(dialog, IDC_REPORT_WHOLE_TREE) == BST_CHECKED;
      break;
    case IDC_REPORT_SHOWN_ONLY:
      state->options->allLevels = IsDlgButtonChecked(dialog, IDC_REPORT_SHOWN_ONLY) != BST_CHECKED;
      break;
  }
  return FALSE;
}

bool AskForFile(HWND owner, ExportDialogState* state, char (&path)[MAX_PATH]) {
  const std::string title = ResourceString(IDS_EXPORT_TITLE);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = AppInstance;
  dialog.lpstrFilter = FILE_FILTERS;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  dialog.lCustData = reinterpret_cast<LPARAM>(state);
  dialog.lpfnHook = ExportOptionsHook;
  dialog.lpTemplateName = MAKEINTRESOURCEA(IDD_EXPORT_OPTIONS);
  return GetSaveFileNameA(&dialog) != FALSE;
}

class ExportFile {
 public:
  explicit ExportFile(const char* path)
      : file_(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ExportFile() {
    if (opened()) CloseHandle(file_);
  }
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  bool opened() const { return file_ != INVALID_HANDLE_VALUE; }
  // A failed write only leaves the file short.
  void Write(const std::string& text) const {
    DWORD written = 0;
    WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

 private:
  HANDLE file_;
};

// The header's titles in order, each followed by a TAB, then the level's title.
std::string TitleLine(HWND header) {
  std::string line;
  const int items = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
  for (int index = 0; index < items; ++index) line += HeaderItemTitle(header, index) + '\t';
  return line + "\tNested Level" + LINE_END;
}

bool IsKnownSizeColumn(uint32_t id) {
  return id == COLUMN_TOTAL || id == COLUMN_OWN_FILES || id == COLUMN_SUBFOLDERS || id == COLUMN_CAPACITY;
}

// One detail field without its TAB: exact bytes and counts with their mark,
// or the date.
std::string Field(const ColumnInfo& column, FolderNode* node, const NodeSizeTriple& sizes, double parentTotal) {
  const RowCell cell = RowCellOf(column, node, sizes);
  if (cell.isDate) return cell.date;
  if (column.id == COLUMN_CAPACITY && node->kind != NODE_DRIVE_ROOT) return std::string();
  char text[NUMBER_TEXT_MAX + 1];
  text[0] = cell.complete ? ' ' : '>';
  if (IsKnownSizeColumn(column.id)) {
    double base = 0;
    if (column.flags & COLUMN_PERCENTAGE) base = node->root == node ? AsDriveRoot(node)->totalBytes : parentTotal;
    FormatSizeWithPercentage(cell.value, base, true, text + 1, sizeof text - 1);
  } else if (column.id == COLUMN_FILE_COUNT || column.id == COLUMN_FOLDER_COUNT) {
    FormatCount(cell.value, text + 1, sizeof text - 1);
  } else {
    return std::string();  // RowCellOf reported the unknown column
  }
  return text;
}

// A folder's line.  A header item without its column record leaves the line
// unfinished, as the row painter stops there too.
std::string FolderLine(HWND tree, HTREEITEM item, int level, const PaintColumn* columns, int count) {
  char label[LABEL_MAX];
  ItemText(tree, item, label, sizeof label);
  std::string line = label;
  line += '\t';
  FolderNode* node = NodeFromItem(tree, item);
  const bool valid = IsFolderNode(node);
  const bool scanned = valid && (node->scanState == SCAN_RUNNING || node->scanState == SCAN_DONE);
  const NodeSizeTriple sizes = scanned ? NodeSizes(node) : NodeSizeTriple{};
  FolderNode* parent = scanned ? ParentNode(tree, item) : nullptr;
  const double parentTotal = IsFolderNode(parent) ? static_cast<double>(NodeSizes(parent).total) : 0;
  for (int i = 0; i < count; ++i) {
    if (!scanned) {
      line += "---\t";
      continue;
    }
    if (!columns[i].column) {
      DiagnosticSink(1, "No info on column.");
      return line;
    }
    line += Field(*columns[i].column, node, sizes, parentTotal);
    line += '\t';
  }
  return line + std::to_string(level) + LINE_END;
}

}  // namespace

bool ExportTreeCommand(HWND owner) {
  HWND tree = ActiveTree();
  if (!tree) return false;
  const HTREEITEM caret = ReportCaret(tree);
  ReportOptions options;
  options.wholeTree = caret == nullptr;
  ExportDialogState state = {&options, caret != nullptr};
  char path[MAX_PATH] = "";
  if (!AskForFile(owner, &state, path)) return false;
  ExportFile file(path);
  if (!file.opened()) return false;

  HWND header = ColumnHeader();
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  const int count = header ? ReadHeaderColumns(header, columns, MAX_DETAIL_COLUMNS) : 0;
  file.Write(TitleLine(header));
  const HTREEITEM start = options.wholeTree ? TopItem(tree) : caret;
  WalkReportItems(tree, start, options.allLevels, false,
                  [&](int level, HTREEITEM item) { file.Write(FolderLine(tree, item, level, columns, count)); });
  return true;
}
