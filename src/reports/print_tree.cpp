#include "reports/print_tree.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/formatting.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "reports/report_source.h"
#include "resource.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {

constexpr char PRINT_FONT_FACE[] = "Arial";
constexpr int PRINT_FONT_POINTS = 8;
constexpr int POINTS_PER_INCH = 72;
constexpr int FALLBACK_LINE_HEIGHT = 10;
constexpr int MIN_LINES_PER_PAGE = 6;
// Lines of a page: the header on line 0, the column titles on line 2, the
// folders from line 4 while the line stays within the page less three.
constexpr int TITLES_LINE = 2;
constexpr int LINE_BEFORE_FOLDERS = 3;
constexpr int LINES_KEPT_FREE = 3;
constexpr int HEADER_TAB_STOPS = 5;
constexpr int MAX_TAB_STOPS = 14;
constexpr int INDENT_CHARACTERS = 3;  // per level
constexpr int NAME_OFFSET_CHARACTERS = 3;
constexpr double ICON_WIDTH_CHARACTERS = 2.2;
constexpr double ICON_HEIGHT_LINES = 0.85;
constexpr int DOCUMENT_NAME_MAX = 30;
constexpr int CAPTION_MAX = 700;
constexpr char CLASS_ID_PREFIX[] = "::";  // a parsing name that is no file-system path
constexpr DWORD OS2_TABLE = 0x322F534F;   // "OS/2", the table's tag as GetFontData takes it
constexpr DWORD OS2_WEIGHT_CLASS = 4;     // big-endian usWeightClass
constexpr int SIMULATED_BOLD_STRIKES_PER_INCH = 100;

// The hook of the print dialog: the check box starts from the options, and
// every command (OK included) reads the radio buttons back.
UINT_PTR CALLBACK PrintOptionsHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* options = reinterpret_cast<ReportOptions*>(reinterpret_cast<PRINTDLGA*>(lParam)->lCustData);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(options));
    CheckDlgButton(dialog, IDC_REPORT_SHOWN_ONLY, options->allLevels ? BST_UNCHECKED : BST_CHECKED);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  auto* options = reinterpret_cast<ReportOptions*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!options) return FALSE;
  options->wholeTree = IsDlgButtonChecked(dialog, IDC_REPORT_WHOLE_TREE) == BST_CHECKED;
  if (LOWORD(wParam) == IDC_REPORT_SHOWN_ONLY)
    options->allLevels = IsDlgButtonChecked(dialog, IDC_REPORT_SHOWN_ONLY) != BST_CHECKED;
  return FALSE;
}

// What one job creates, released in reverse order on every path: the fonts
// (after the printer context has its own font back), the printer context and
// the dialog's device blocks.
class PrintJobObjects {
 public:
  explicit PrintJobObjects(const PRINTDLGA& dialog)
      : dc_(dialog.hDC), devMode_(dialog.hDevMode), devNames_(dialog.hDevNames) {}
  ~PrintJobObjects() {
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (bold_) DeleteObject(bold_);
    if (normal_) DeleteObject(normal_);
    if (dc_) DeleteDC(dc_);
    if (devMode_) GlobalFree(devMode_);
    if (devNames_) GlobalFree(devNames_);
  }
  PrintJobObjects(const PrintJobObjects&) = delete;
  PrintJobObjects& operator=(const PrintJobObjects&) = delete;

  HDC dc() const { return dc_; }
  // Both fonts at 8 points of the printer's resolution; the normal one is
  // selected, the printer's own kept to be given back.
  void MakeFonts() {
    normal_ = MakeFont(FW_NORMAL);
    bold_ = MakeFont(FW_BOLD);
    SelectBold();
    boldStrike_ = FaceIsBold() ? 0 : std::max(1, GetDeviceCaps(dc_, LOGPIXELSX) / SIMULATED_BOLD_STRIKES_PER_INCH);
    SelectNormal();
  }
  void SelectNormal() { Select(normal_); }
  void SelectBold() { Select(bold_); }
  // Where the face has no bold of its own and the driver makes none (Wine's
  // PostScript driver prints its regular glyphs), bold text is struck twice,
  // this many pixels apart; 0 for a real bold face.
  int boldStrike() const { return boldStrike_; }

 private:
  HFONT MakeFont(int weight) const {
    const int height = -(GetDeviceCaps(dc_, LOGPIXELSY) * PRINT_FONT_POINTS / POINTS_PER_INCH);
    // The default character set, so the texts of the Chinese code pages print.
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, PRINT_FONT_FACE);
  }
  // The selected face's own weight, from its font file: the metrics of a
  // simulated bold already say bold.
  bool FaceIsBold() const {
    BYTE weight[2];
    if (GetFontData(dc_, OS2_TABLE, OS2_WEIGHT_CLASS, weight, sizeof weight) != sizeof weight) return true;
    return (weight[0] << 8 | weight[1]) >= FW_SEMIBOLD;
  }
  void Select(HFONT font) {
    if (!font) return;
    HGDIOBJ old = SelectObject(dc_, font);
    if (!oldFont_) oldFont_ = old;
  }

  HDC dc_;
  HGLOBAL devMode_;
  HGLOBAL devNames_;
  HFONT normal_ = nullptr;
  HFONT bold_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  int boldStrike_ = 0;
};

// Wine's PostScript driver never returns from DrawIconEx on its own context:
// the icon is drawn on white in memory and copied to the page.
void DrawIconOnPage(HDC dc, HICON icon, int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return;
  BITMAPINFO format = {};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = memory ? CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    StretchDIBits(dc, x, y, width, height, 0, 0, width, height, bits, &format, DIB_RGB_COLORS, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  if (memory) DeleteDC(memory);
}

int HeaderItemWidth(HWND header, int index) {
  HDITEMA item = {};
  item.mask = HDI_WIDTH;
  return SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)) ? item.cxy : 0;
}

// The page as the printer measures it, and the screen's columns scaled to it.
struct PageLayout {
  int lineHeight;
  int characterWidth;
  int pageWidth;
  int leftMargin;
  int linesPerPage;
  double scale;  // printed pixels per pixel of the tree's width on screen
  int nameWidth;
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  int columnCount;
  int tabStops[MAX_TAB_STOPS];  // right-aligned, at each detail column's right edge
  int tabStopCount;
};

PageLayout MeasurePage(HDC dc, HWND tree, HWND header) {
  PageLayout page = {};
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  page.lineHeight = metrics.tmHeight < 1 ? FALLBACK_LINE_HEIGHT : metrics.tmHeight;
  page.characterWidth = metrics.tmAveCharWidth;
  page.pageWidth = GetDeviceCaps(dc, HORZRES);
  page.leftMargin = GetDeviceCaps(dc, LOGPIXELSX) / 2;
  page.linesPerPage = std::max(MIN_LINES_PER_PAGE, GetDeviceCaps(dc, VERTRES) / page.lineHeight);
  RECT client = {};
  GetClientRect(tree, &client);
  page.scale = client.right > 0 ? static_cast<double>(page.pageWidth) / client.right : 1.0;
  page.nameWidth = static_cast<int>(HeaderItemWidth(header, 0) * page.scale);
  page.columnCount = header ? ReadHeaderColumns(header, page.columns, MAX_DETAIL_COLUMNS) : 0;
  int right = page.nameWidth;
  for (int i = 0; i < page.columnCount && i < MAX_TAB_STOPS; ++i) {
    right += static_cast<int>(page.columns[i].width * page.scale);
    page.tabStops[page.tabStopCount++] = -right;
  }
  return page;
}

// "Brisklane Pelvanor - C:\path", or the main window's caption when the
// folder has no path (the computer's parsing name is only its class id).
std::string TitleText(HWND owner, FolderNode* start) {
  char path[SHELL_TEXT_MAX];
  if (IsFolderNode(start) && start->parentFolder &&
      DisplayNameOf(start->parentFolder, start->relativeIdList, SHGDN_FORPARSING, path) &&
      std::strncmp(path, CLASS_ID_PREFIX, sizeof CLASS_ID_PREFIX - 1) != 0)
    return ResourceString(IDS_WINDOW_TITLE) + " - " + path;
  char caption[CAPTION_MAX] = "";
  GetWindowTextA(owner, caption, sizeof caption);
  return caption;
}

class TreePrinter {
 public:
  TreePrinter(HDC dc, PrintJobObjects* objects, HWND tree, const PageLayout& page, std::string title)
      : dc_(dc), objects_(objects), tree_(tree), page_(page), title_(std::move(title)) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FormatShortDate(now, date_, sizeof date_);
  }

  void PrintPageTop() {
    objects_->SelectBold();
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    char pageText[DATE_TEXT_MAX + 64];
    std::snprintf(pageText, sizeof pageText, ResourceString(IDS_PRINT_PAGE_HEADER).c_str(), date_, pageNumber_);
    const std::string text = title_ + pageText;
    InBold([&](int shift) {
      TabbedTextOutA(dc_, page_.leftMargin + shift, 0, text.c_str(), static_cast<int>(text.size()),
                     std::min(HEADER_TAB_STOPS, page_.tabStopCount), page_.tabStops, page_.leftMargin + shift);
    });
    PrintColumnTitles();
    objects_->SelectNormal();
  }

  // One folder's line; false when the next page could not be started.
  bool PrintFolder(int level, HTREEITEM item) {
    ++line_;
    const int y = line_ * page_.lineHeight;
    const int x = page_.leftMargin + INDENT_CHARACTERS * level * page_.characterWidth;
    FolderNode* node = NodeFromItem(tree_, item);
    PrintIconAndName(node, item, x, y);
    if (IsFolderNode(node))
      PaintRow(tree_, node, dc_, {page_.nameWidth, y, y + page_.lineHeight}, page_.columns, page_.columnCount,
               page_.scale);
    if (line_ <= page_.linesPerPage - LINES_KEPT_FREE) return true;
    if (EndPage(dc_) <= 0 || StartPage(dc_) <= 0) return false;
    // A new page may start from the printer's own font.
    objects_->SelectNormal();
    ++pageNumber_;
    line_ = LINE_BEFORE_FOLDERS;
    PrintPageTop();
    return true;
  }

 private:
  void PrintColumnTitles() {
    const int top = TITLES_LINE * page_.lineHeight;
    const std::string name = HeaderItemTitle(ColumnHeader(), 0);
    InBold(
        [&](int shift) { TextOutA(dc_, page_.leftMargin + shift, top, name.c_str(), static_cast<int>(name.size())); });
    const int margin = CellTextMargin(page_.scale);
    int left = page_.nameWidth;
    for (int i = 0; i < page_.columnCount; ++i) {
      const int width = static_cast<int>(page_.columns[i].width * page_.scale);
      const std::string title = HeaderItemTitle(ColumnHeader(), i + 1);
      // Kept clear of the next title as the values are of the next cell.
      RECT clip = {left + margin, top, left + width - margin, top + page_.lineHeight};
      if (clip.right > clip.left)
        InBold([&](int shift) {
          ExtTextOutA(dc_, clip.left + shift, top, ETO_CLIPPED, &clip, title.c_str(), static_cast<UINT>(title.size()),
                      nullptr);
        });
      left += width;
    }
  }

  template <typename Draw>
  void InBold(Draw draw) const {
    draw(0);
    if (objects_->boldStrike()) draw(objects_->boldStrike());
  }

  void PrintIconAndName(FolderNode* node, HTREEITEM item, int x, int y) {
    SHFILEINFOA info = {};
    const bool known = IsFolderNode(node) && node->absoluteIdList &&
                       SHGetFileInfoA(reinterpret_cast<LPCSTR>(node->absoluteIdList), 0, &info, sizeof info,
                                      SHGFI_PIDL | SHGFI_ICON | SHGFI_DISPLAYNAME);
    if (known && info.hIcon) {
      DrawIconOnPage(dc_, info.hIcon, x, y, static_cast<int>(page_.characterWidth * ICON_WIDTH_CHARACTERS),
                     static_cast<int>(page_.lineHeight * ICON_HEIGHT_LINES));
      DestroyIcon(info.hIcon);
    }
    // Without the shell's answer the folder keeps the tree's label.
    if (!known) ItemText(tree_, item, info.szDisplayName, sizeof info.szDisplayName);
    const char* separator = LastSeparator(info.szDisplayName);
    const char* name = separator ? separator + 1 : info.szDisplayName;
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    // A deep folder's name is cut before the first detail cell, not painted
    // over by its bar.
    const int nameLeft = x + NAME_OFFSET_CHARACTERS * page_.characterWidth;
    const RECT room = {nameLeft, y, page_.nameWidth - CellTextMargin(page_.scale), y + page_.lineHeight};
    if (room.right > room.left) ExtTextOutA(dc_, nameLeft, y, ETO_CLIPPED, &room, name, lstrlenA(name), nullptr);
  }

  HDC dc_;
  PrintJobObjects* objects_;
  HWND tree_;
  const PageLayout& page_;
  std::string title_;
  char date_[DATE_TEXT_MAX] = "";
  int pageNumber_ = 1;
  int line_ = LINE_BEFORE_FOLDERS;
};

void PrintFolders(HWND owner, HWND tree, HTREEITEM start, const ReportOptions& options, PrintJobObjects* objects) {
  HDC dc = objects->dc();
  const std::string documentName = ResourceString(IDS_APP_CAPTION).substr(0, DOCUMENT_NAME_MAX);
  DOCINFOA document = {sizeof document, documentName.c_str(), nullptr, nullptr, 0};
  if (StartDocA(dc, &document) <= 0) return;
  if (StartPage(dc) <= 0) {
    AbortDoc(dc);
    return;
  }
  objects->MakeFonts();
  const PageLayout page = MeasurePage(dc, tree, ColumnHeader());
  TreePrinter printer(dc, objects, tree, page, TitleText(owner, NodeFromItem(tree, start)));
  printer.PrintPageTop();
  bool printing = true;
  WalkReportItems(tree, start, options.allLevels, options.wholeTree, [&](int level, HTREEITEM item) {
    if (printing) printing = printer.PrintFolder(level, item);
  });
  if (printing && EndPage(dc) > 0)
    EndDoc(dc);
  else
    AbortDoc(dc);
}

}  // namespace

void PrintTreeCommand(HWND owner) {
  HWND tree = ActiveTree();
  if (!tree) return;
  const HTREEITEM first = TopItem(tree);
  const HTREEITEM caret = ReportCaret(tree);
  const bool branchOffered = caret && caret != first;
  ReportOptions options;

  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.hInstance = AppInstance;
  dialog.Flags = PD_COLLATE | PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_ENABLEPRINTTEMPLATE |
                 PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE | (branchOffered ? PD_SELECTION : PD_NOSELECTION);
  dialog.nCopies = 1;
  dialog.lCustData = reinterpret_cast<LPARAM>(&options);
  dialog.lpfnPrintHook = PrintOptionsHook;
  dialog.lpPrintTemplateName = MAKEINTRESOURCEA(IDD_PRINT_TREE);
  const bool confirmed = PrintDlgA(&dialog) != FALSE;
  PrintJobObjects objects(dialog);
  if (!confirmed || !objects.dc()) return;
  const HTREEITEM start = options.wholeTree || !branchOffered ? first : caret;
  PrintFolders(owner, tree, start, options, &objects);
}
