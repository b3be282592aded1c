// The folder pane's columns: values painted inside their cells, narrowed ones showing their start, and the popup over
// a column with the disk information it opens; the disk and system tools reached from the menus, and the About box.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <map>

#include "app/disk_info_dialog.h"
#include "app/pane_popup.h"
#include "app/window_layout.h"
#include "pane/row_painter.h"
#include "pane/status_text.h"
#include "support/column_header.h"
#include "support/main_window_test.h"

namespace {

constexpr int MARGIN = 40;  // room left and right of the row, where nothing may land
constexpr int MAX_SCROLL_STEPS = 2000;
constexpr COLORREF PAPER = RGB(255, 255, 255);

// Paints (recording what is |drawn|) the first |cells| cells of each visible row, each alone at its place
// in the row, in the list font and in the selected row's bold font, and
// checks that nothing lands outside the cell less its right margin.  |whole|:
// every value must fit, drawn right-aligned; otherwise a value too wide
// starts at the cell's left edge and is cut at the right.  Returns how many
// values were cut.
int ExpectCellsInside(std::vector<DrawnText>& drawn, const char* display, bool whole, int cells = MAX_DETAIL_COLUMNS) {
  int cut = 0;
  PaintColumn columns[MAX_DETAIL_COLUMNS];
  const int count = ReadHeaderColumns(ColumnHeader(), columns, MAX_DETAIL_COLUMNS);
  int rowWidth = 0;
  for (int i = 0; i < count; ++i) rowWidth += columns[i].width;
  const int height = static_cast<int>(SendMessageA(Panes.mainList, LB_GETITEMHEIGHT, 0, 0));
  Canvas canvas(rowWidth + 2 * MARGIN, height);
  HWND tree = Panes.mainTree;
  for (HFONT font : {ListFont(), SelectionFont()}) {
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    for (HTREEITEM item = TopItem(tree); item; item = TreeNext(tree, item, TVGN_NEXTVISIBLE)) {
      const std::string row = TreeItemText(tree, item);
      for (int i = 0, left = MARGIN; i < std::min(cells, count); left += columns[i++].width) {
        canvas.Fill();
        drawn.clear();
        PaintRow(tree, NodeFromItem(tree, item), canvas.dc(), {left, 1, height}, &columns[i], 1, 1.0);
        GdiFlush();
        const RECT cell = {left, 0, left + columns[i].width - CELL_TEXT_MARGIN, height};
        EXPECT_EQ(0, canvas.Count(canvas.all(), PAPER, false) - canvas.Count(cell, PAPER, false))
            << display << ", row " << row << ", column " << columns[i].column->id << ", " << columns[i].width
            << " pixels wide: " << (drawn.empty() ? "" : drawn[0].text);
        for (const DrawnText& text : drawn) {
          if (text.align == TA_CENTER) continue;  // the dashes of a drive's dates
          cut += text.align == TA_LEFT;
          EXPECT_EQ(whole ? UINT(TA_RIGHT) : text.align, text.align)
              << display << ", row " << row << ": \"" << text.text << "\" does not fit its " << columns[i].width
              << " pixels";
        }
      }
    }
    SelectObject(canvas.dc(), old);
  }
  return cut;
}

class ColumnPainting : public MainWindowTest {};

TEST_F(ColumnPainting, ValuesStayInTheirCellsAndNarrowedValuesShowTheirStart) {
  // The widest texts: "999 bytes", four digits before KB and MB, and twelve
  // digits of exact bytes; every folder also has a share of its parent.
  const struct {
    const char* name;
    uint64_t size;
  } FILES[] = {{"a", 999}, {"b", 1023999}, {"c", 1048575999}, {"d", 99999999999}};
  for (const auto& file : FILES) {
    temp.MakeFolder(file.name);
    temp.MakeFile(std::string(file.name) + "\\f.bin", file.size);
  }
  Open();
  Command(IDM_EXPAND_ALL);
  for (int i = 0; i < DetailColumnCount(); ++i) {
    DetailColumn(i)->flags &= ~COLUMN_HIDDEN;
    if (DetailColumn(i)->flags & COLUMN_IS_SIZE) DetailColumn(i)->flags |= COLUMN_PERCENTAGE;
  }
  RebuildHeader();

  const struct {
    uint8_t inUnits;
    UINT sizeCommand;
    const char* name;
  } DISPLAYS[] = {
      {1, IDM_SIZE_REPORTED, "units, reported sizes"},
      {1, IDM_SIZE_ON_DISK, "units, disk usage"},
      {0, IDM_SIZE_REPORTED, "exact bytes, reported sizes"},
      {0, IDM_SIZE_ON_DISK, "exact bytes, disk usage"},
  };
  for (const auto& display : DISPLAYS) {
    if (Settings.ShowSizesInUnits != display.inUnits) Command(IDM_EXACT_BYTES);
    Command(display.sizeCommand);
    ExpectCellsInside(recorded.drawn(), display.name, true);

    // Right, a step at a time: the names give up their spare room, then the
    // first detail column narrows until it goes.
    const ColumnInfo* first = DetailColumn(0);
    int cut = 0;
    for (int step = 0; step < MAX_SCROLL_STEPS && HeaderCount() > 1; ++step) {
      if (HeaderItemColumn(1) != first) break;
      cut += ExpectCellsInside(recorded.drawn(), display.name, false, 1);
      if (HasFailure()) return;
      ScrollColumns(SB_LINERIGHT);
    }
    EXPECT_GT(cut, 0) << display.name << ": the narrowing cut values";
    ScrollColumns(SB_THUMBPOSITION, 0);
  }
}

// Far longer than a command takes to arrive; it only ends a failing test.
constexpr DWORD DIALOG_LIMIT_MS = 10000;

POINT Centre(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A right click at |client| in |window|, the button let go where it went
// down, and the popup's first entry chosen; the dialogs it opens are answered.
void RightClickDiskInformation(HWND window, POINT client, const DialogAnswerer& answer) {
  MenuPicker first(0);
  POINT screen = client;
  ClientToScreen(window, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
  EXPECT_EQ(1, first.picked()) << "the popup opened";
  EXPECT_TRUE(PumpUntil([&] { return !answer.seen().empty(); }, DIALOG_LIMIT_MS)) << "no dialog";
}

class DiskInformation : public MainWindowTest {
 protected:
  FixedGeometry geometry;  // 8 sectors of 512 bytes, 4,000 clusters, 1,000 free
  ScopedDriveQueries installed{&geometry};
};

std::string PartText(int part) {
  char text[512] = "";
  SendMessageA(MainStatusBar(), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
  return text;
}

TEST_F(DiskInformation, PopupEntriesNameTheColumnAndTheStatusBarAndTheDialogShowTheDrivesNumbers) {
  HMENU menu = BuildPanePopup(3);
  ASSERT_NE(nullptr, menu);
  const UINT entries[] = {IDM_DISK_INFORMATION, 0, IDM_FOLDER_DETAILS_PAGE_FIRST + 3, 0, IDM_FIND_FOLDERS,
                          IDM_TAG_FOLDERS};
  ASSERT_EQ(6, GetMenuItemCount(menu));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(entries[i], GetMenuItemID(menu, i)) << "entry " << i;
  char text[128] = "";
  GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_EQ(Narrow(L"文件夹详细资料(&D)..."), text);
  DestroyMenu(menu);

  temp.MakeFile("f.bin", 5000);
  Open();
  SetFocus(Panes.mainTree);
  RefreshStatusTexts(MainStatusBar(), start);
  EXPECT_NE(std::string::npos, PartText(0).find("3.91MB")) << PartText(0);
  EXPECT_NE(std::string::npos, PartText(0).find("15.6MB")) << PartText(0);
  EXPECT_EQ(TreeItemText(Panes.mainTree, start->mainItem) + " (12.0KB)", PartText(1))
      << "one cluster for the folder, two for the file";
  EXPECT_EQ(ResourceString(IDS_STATUS_VIEW) + ResourceString(IDS_STATUS_VIEW_NORMAL), PartText(2));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_TREE), PartText(4));
  RefreshStatusTexts(MainStatusBar(), top);
  EXPECT_EQ(" ", PartText(1)) << "the computer has no size of its own";
  // Without the focus on the tree, the folder parts keep what they showed.
  SetFocus(MainStatusBar());
  FilePaneActive = true;
  RefreshStatusTexts(MainStatusBar(), start);
  FilePaneActive = false;
  EXPECT_EQ(" ", PartText(1));
  EXPECT_EQ(ResourceString(IDS_STATUS_ACTIVE_FILE_PANE), PartText(4));

  RECT tree;
  GetClientRect(Panes.mainTree, &tree);
  const struct {
    const char* where;
    HWND window;
    POINT client;
  } CLICKS[] = {
      {"a detail row", Panes.mainList, {10, 5}},
      {"the names' blank space below the last folder", Panes.mainTree, {30, tree.bottom - 10}},
  };
  const std::map<int, std::string> expected = {
      {IDC_DISK_CLUSTER_SIZE, "4,096 (4.00KB)"},  {IDC_DISK_CLUSTERS, "4,000"},
      {IDC_DISK_CAPACITY, "16,384,000 (15.6MB)"}, {IDC_DISK_FREE, "4,096,000 (3.91MB)"},
      {IDC_DISK_USED, "12,288,000 (11.7MB)"},     {IDC_DISK_TYPE, Narrow(L"本地磁盘")},
      {IDC_DISK_BYTES_PER_SECTOR, "512"},         {IDC_DISK_SECTORS_PER_CLUSTER, "8"},
  };
  for (const auto& click : CLICKS) {
    POINT dialogCentre = {};
    std::map<int, std::string> shown;
    DialogAnswerer answer([&](HWND dialog) {
      if (!GetDlgItem(dialog, IDC_DISK_TYPE)) return IDCANCEL;
      dialogCentre = Centre(dialog);
      for (const auto& control : expected) shown[control.first] = Text(dialog, control.first);
      return IDOK;
    });
    RightClickDiskInformation(click.window, click.client, answer);
    EXPECT_EQ(1u, answer.seen().size()) << click.where;
    EXPECT_EQ(expected, shown) << click.where << ": used is capacity minus free";
    const POINT mainCentre = Centre(window);
    EXPECT_NEAR(mainCentre.x, dialogCentre.x, 1) << click.where << ": disk information opens over the main window";
    EXPECT_NEAR(mainCentre.y, dialogCentre.y, 1) << click.where;
  }
  EXPECT_EQ(UINT(IDS_DRIVE_UNKNOWN), DriveTypeTextId(77));
  EXPECT_EQ(UINT(IDS_DRIVE_CDROM), DriveTypeTextId(DRIVE_CDROM));

  DialogAnswerer answer(IDOK);
  Select(NodeFromItem(Panes.mainTree, TopItem(Panes.mainTree)));
  Command(IDM_DISK_INFORMATION);
  EXPECT_TRUE(answer.seen().empty()) << "the top node has no drive: nothing opens";
  Select(start);
  geometry.fail = true;  // as a drive without its medium
  RightClickDiskInformation(Panes.mainList, {10, 5}, answer);
  ASSERT_EQ(1u, answer.seen().size()) << "the error box only";
  EXPECT_EQ("ERROR : No information available.", answer.seen()[0].caption);
  EXPECT_EQ(0u, answer.seen()[0].text.find("Cannot get information for drive."));
}

class SystemTools : public MainWindowTest {
  void SetUp() override { Open(); }
};

TEST_F(SystemTools, AboutShowsTheProgramsVersionValuesAndTheDriveDialogListsRemovableFixedAndUnknownDrives) {
  std::vector<std::string> texts;
  {
    DialogAnswerer about([&](HWND dialog) {
      for (int control : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_NOTE}) texts.push_back(Text(dialog, control));
      return IDOK;
    });
    Command(IDM_ABOUT);
  }
  EXPECT_EQ((std::vector<std::string>{"Brisklane Pelvanor", "2.0.0", "Copyright (C) Tavorin"}), texts);

  for (UINT command : {IDM_FORMAT_DISK, IDM_LABEL_DISK}) {
    std::vector<std::string> roots;
    int selected = -1;
    DialogAnswerer answer([&](HWND dialog) {
      HWND list = GetDlgItem(dialog, IDC_DRIVE_ROOTS);
      if (!list) return IDCANCEL;
      for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char root[8] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(root));
        roots.push_back(root);
      }
      selected = ListView_GetNextItem(GetDlgItem(dialog, IDC_DRIVE_LIST), -1, LVNI_SELECTED);
      return IDCANCEL;
    });
    Command(command);
    std::vector<std::string> expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      const std::string root = std::string(1, letter) + ":\\";
      const UINT type = GetDriveTypeA(root.c_str());
      if ((GetLogicalDrives() >> (letter - 'A') & 1) &&
          (type == DRIVE_UNKNOWN || type == DRIVE_REMOVABLE || type == DRIVE_FIXED))
        expected.push_back(root);
    }
    EXPECT_EQ(expected, roots) << command;
    EXPECT_EQ(0, selected) << "the first drive is chosen";
  }
}

// The processes this one started that are still running.
std::vector<DWORD> OwnChildren() {
  std::vector<DWORD> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == GetCurrentProcessId()) children.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return children;
}

BOOL CALLBACK CloseChildWindow(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  for (DWORD child : OwnChildren())
    if (child == process && IsWindowVisible(window)) PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Under Wine the recycle bin cannot be emptied, and the program says so.  A
// tool either opens its own program (closed again here) or says it is
// missing; nothing it starts may outlive it unasked, since a window left open
// would keep the test run waiting.
TEST_F(SystemTools, TheRecycleBinSaysItCannotBeEmptiedAndEachToolOpensOrSaysItIsMissing) {
  enum Outcome { MISSING, QUIET, NOT_EMPTIED, PROGRAM };
  const std::string says[] = {Narrow(L"这台计算机上没有这个工具。"), "(nothing)", Narrow(L"错误，不能清空回收站。")};
  const struct {
    UINT command;
    Outcome outcome;  // under Wine, whose shell accepts the recycle bin's properties verb and shows nothing
  } tools[] = {{IDM_EMPTY_RECYCLE_BIN, NOT_EMPTIED},
               {IDM_COPY_DISK, MISSING},
               {IDM_FIND_FILES, MISSING},
               {IDM_MAP_NETWORK_DRIVE, MISSING},
               {IDM_DISCONNECT_NETWORK_DRIVE, MISSING},
               {IDM_RECYCLE_BIN_SETTINGS, QUIET},
               {IDM_FIND_COMPUTER, MISSING},
               {IDM_ADD_REMOVE_PROGRAMS, PROGRAM}};
  for (const auto& tool : tools) {
    DialogAnswerer answer(IDCANCEL);
    Command(tool.command);
    if (tool.outcome == PROGRAM) {
      EXPECT_TRUE(PumpUntil([] { return !OwnChildren().empty(); })) << tool.command;
      PumpUntil([] { return EnumWindows(CloseChildWindow, 0), OwnChildren().empty(); });
    }
    const bool ended = PumpUntil([] { return OwnChildren().empty(); });
    EXPECT_TRUE(ended) << tool.command << " left a program running";
    for (DWORD child : OwnChildren()) {
      HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, child);
      TerminateProcess(process, 1);
      CloseHandle(process);
    }
    const std::string said = answer.seen().empty() ? "(nothing)" : answer.seen().back().text;
    const std::string expected = tool.outcome == PROGRAM ? said : says[tool.outcome];
    EXPECT_EQ(expected, said) << tool.command;
  }
}

}  // namespace
