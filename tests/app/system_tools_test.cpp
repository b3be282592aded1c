// The disk and system tools reached from the menus, and the About box.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "support/main_window_test.h"

namespace {

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
      EXPECT_TRUE(PumpUntil([] { return !OwnChildren().empty(); }, 10000)) << tool.command;
      PumpUntil([] { return EnumWindows(CloseChildWindow, 0), OwnChildren().empty(); }, 10000);
    }
    const bool ended = PumpUntil([] { return OwnChildren().empty(); }, 10000);
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
