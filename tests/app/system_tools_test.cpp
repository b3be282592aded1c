// The disk and system tools reached from the menus, and the About box.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/main_window_test.h"

namespace {

class SystemTools : public MainWindowTest {};

TEST_F(SystemTools, AboutShowsTheProgramsVersionValues) {
  Open();
  std::vector<std::string> texts;
  DialogAnswerer answer([&](HWND dialog) {
    for (int control : {IDC_ABOUT_PRODUCT, IDC_ABOUT_VERSION, IDC_ABOUT_NOTE}) {
      char text[128] = "";
      GetDlgItemTextA(dialog, control, text, sizeof text);
      texts.push_back(text);
    }
    return IDOK;
  });
  Command(IDM_ABOUT);
  EXPECT_EQ((std::vector<std::string>{"Brisklane Pelvanor", "2.0.0", "Copyright (C) Tavorin"}), texts);
}

TEST_F(SystemTools, TheDriveDialogListsOnlyRemovableFixedAndUnknownDrives) {
  Open();
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

TEST_F(SystemTools, EmptyingTheRecycleBinSucceedsOrSaysItCannot) {
  Open();
  for (bool filled : {false, true}) {
    if (filled) {
      temp.MakeFile("gone.bin", 10);
      std::string from = temp.Path("gone.bin") + '\0';
      SHFILEOPSTRUCTA remove = {};
      remove.wFunc = FO_DELETE;
      remove.pFrom = from.c_str();
      remove.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
      SHFileOperationA(&remove);
    }
    DialogAnswerer answer(IDYES);
    Command(IDM_EMPTY_RECYCLE_BIN);
    for (const SeenDialog& seen : answer.seen()) {
      if (seen.text.empty()) continue;
      EXPECT_EQ(Narrow(L"错误，不能清空回收站。"), seen.text) << filled;
    }
  }
}

}  // namespace
