// The main window's resources as the program finds them in its own module:
// menu, accelerators, dialogs, toolbar texts and images, in both languages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

constexpr LANGID SIMPLIFIED = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID TRADITIONAL = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
constexpr LANGID LANGUAGES[] = {SIMPLIFIED, TRADITIONAL};

// The resource's bytes in exactly this language, or null.
const void* ResourceIn(LANGID language, LPCSTR type, int id, DWORD* size = nullptr) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), language);
  if (!found) return nullptr;
  if (size) *size = SizeofResource(module, found);
  return LockResource(LoadResource(module, found));
}

// Command id -> item text of every command in the menu and its submenus.
void CollectCommands(HMENU menu, std::map<UINT, std::wstring>* commands) {
  for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
    wchar_t text[128] = L"";
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    item.dwTypeData = text;
    item.cch = ARRAYSIZE(text);
    ASSERT_TRUE(GetMenuItemInfoW(menu, i, TRUE, &item));
    if (item.hSubMenu)
      CollectCommands(item.hSubMenu, commands);
    else if (!(item.fType & MFT_SEPARATOR))
      (*commands)[item.wID] = text;
  }
}

std::map<UINT, std::wstring> MenuCommands(LANGID language) {
  std::map<UINT, std::wstring> commands;
  const void* resource = ResourceIn(language, RT_MENU, IDR_MAIN_MENU);
  HMENU menu = resource ? LoadMenuIndirectA(resource) : nullptr;
  if (menu) CollectCommands(menu, &commands);
  DestroyMenu(menu);
  return commands;
}

// (modifier flags, key, command) of each accelerator, in table order.
using Binding = std::tuple<int, int, int>;

std::vector<Binding> Accelerators(LANGID language) {
  struct Entry {  // the accelerator resource's own record
    WORD flags, key, command, padding;
  };
  std::vector<Binding> bindings;
  DWORD size = 0;
  auto entry = static_cast<const Entry*>(ResourceIn(language, RT_ACCELERATOR, IDR_ACCELERATORS, &size));
  for (DWORD i = 0; entry && i < size / sizeof(Entry); ++i) {
    bindings.emplace_back(entry[i].flags & ~0x80, entry[i].key, entry[i].command);  // 0x80 marks the last entry
    if (entry[i].flags & 0x80) break;
  }
  return bindings;
}

// The string with |id| in exactly this language (LoadString would follow the thread's language).
std::wstring StringIn(LANGID language, UINT id) {
  auto block = static_cast<const WCHAR*>(ResourceIn(language, RT_STRING, id / 16 + 1));
  if (!block) return L"";
  for (UINT i = 0; i < id % 16; ++i) block += 1 + *block;
  return std::wstring(block + 1, *block);
}

TEST(MainMenu, BothLanguagesOfferTheSameCommandsAndBindTheSameKeysAndShowTheBoundOnes) {
  // clang-format off
  const std::set<UINT> commands = {
      IDM_DISK_INFORMATION, IDM_PROPERTIES, IDM_MOVE_TO, IDM_COPY_TO, IDM_RECYCLE, IDM_DELETE, IDM_RENAME,
      IDM_CREATE_FOLDER, IDM_COPY_DISK, IDM_LABEL_DISK, IDM_FORMAT_DISK, IDM_MAP_NETWORK_DRIVE,
      IDM_DISCONNECT_NETWORK_DRIVE, IDM_SCAN_DISK, IDM_STOP_SCAN, IDM_EXPORT_TO_FILE, IDM_PRINT_TREE, IDM_CLOSE,
      IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_EXPAND_ONE_LEVEL, IDM_EXPAND_ALL, IDM_COLLAPSE_BRANCH,
      IDM_COLLAPSE_ALL, IDM_OPTIONS, IDM_FOLDER_DETAILS, IDM_CUSTOMIZE_TOOLBAR, IDM_SAVE_SETTINGS_NOW,
      IDM_SAVE_SETTINGS_ON_EXIT, IDM_SIZE_REPORTED, IDM_SIZE_ON_DISK, IDM_EXACT_BYTES, IDM_SHOW_TOOLBAR,
      IDM_SHOW_FILE_PANE, IDM_SHOW_STATUS_BAR, IDM_SHOW_TABS, IDM_VIEW_NORMAL, IDM_VIEW_FIND_RESULTS, IDM_REFRESH,
      IDM_FIND_FOLDERS, IDM_TAG_FOLDERS, IDM_CLEAR_ALL_TAGS, IDM_ADD_REMOVE_PROGRAMS, IDM_RECYCLE_BIN_SETTINGS,
      IDM_EMPTY_RECYCLE_BIN, IDM_HELP, IDM_ABOUT};
  const int CONTROL = FVIRTKEY | FCONTROL, PLAIN = FVIRTKEY;
  const std::vector<Binding> keys = {
      {CONTROL, 'B', IDM_EXACT_BYTES}, {CONTROL, 'C', IDM_COPY}, {CONTROL, 'R', IDM_SIZE_REPORTED},
      {CONTROL, 'S', IDM_SIZE_ON_DISK}, {CONTROL, 'T', IDM_TAG_FOLDERS}, {CONTROL, 'V', IDM_PASTE},
      {CONTROL, 'X', IDM_CUT}, {CONTROL, VK_ADD, IDM_EXPAND_ONE_LEVEL}, {CONTROL, VK_MULTIPLY, IDM_EXPAND_ALL},
      {CONTROL, VK_SUBTRACT, IDM_COLLAPSE_BRANCH}, {CONTROL, VK_DIVIDE, IDM_COLLAPSE_ALL},
      {PLAIN, VK_DELETE, IDM_RECYCLE}, {PLAIN | FSHIFT, VK_DELETE, IDM_DELETE}, {PLAIN, VK_INSERT, IDM_CREATE_FOLDER},
      {PLAIN | FALT, VK_RETURN, IDM_PROPERTIES}, {PLAIN, VK_F2, IDM_RENAME}, {PLAIN, VK_F3, IDM_FIND_FOLDERS},
      {PLAIN, VK_F5, IDM_REFRESH}, {PLAIN, VK_F6, IDM_SCAN_DISK}, {PLAIN, VK_F7, IDM_MOVE_TO},
      {PLAIN, VK_F8, IDM_COPY_TO}};
  // clang-format on
  std::set<UINT> bound;
  for (const Binding& binding : keys) bound.insert(std::get<2>(binding));
  for (LANGID language : LANGUAGES) {
    EXPECT_EQ(keys, Accelerators(language)) << "in 0x" << std::hex << language;
    std::set<UINT> ids;
    for (const auto& [id, text] : MenuCommands(language)) {
      ids.insert(id);
      EXPECT_EQ(bound.count(id) == 1, text.find(L'\t') != std::wstring::npos)
          << "command " << id << " in 0x" << std::hex << language << ": a key shown exactly when one is bound";
    }
    EXPECT_EQ(commands, ids) << "in 0x" << std::hex << language;
  }
  EXPECT_EQ(L"扫描磁盘(&A)...\tF6", MenuCommands(SIMPLIFIED)[IDM_SCAN_DISK]);
  EXPECT_EQ(L"掃描磁碟(&A)...\tF6", MenuCommands(TRADITIONAL)[IDM_SCAN_DISK]);
}

TEST(Strings, EveryStringIsInBothLanguages) {
  int count = 0;
  for (UINT id = 0; id <= 0xFFFF; ++id) {
    const bool simplified = !StringIn(SIMPLIFIED, id).empty();
    EXPECT_EQ(simplified, !StringIn(TRADITIONAL, id).empty()) << "string " << id << " in one language only";
    count += simplified;
  }
  EXPECT_GT(count, 50);
  EXPECT_EQ(L"文件 - 扫描磁盘", StringIn(SIMPLIFIED, IDM_SCAN_DISK + IDS_BUTTON_DESCRIPTION_OFFSET));
  EXPECT_EQ(L"还原", StringIn(SIMPLIFIED, IDM_UNDO));
  EXPECT_EQ(L"查找结果", StringIn(SIMPLIFIED, IDS_TAB_FIND_RESULTS));
}

TEST(Images, StripArrowsIconAndCursorHaveTheirSizes) {
  const struct {
    int id, width, height;
  } BITMAPS[] = {{IDB_TOOLBAR, TOOLBAR_IMAGE_SIZE * TOOLBAR_IMAGE_COUNT, TOOLBAR_IMAGE_SIZE},
                 {IDB_SORT_ASCENDING, SORT_ARROW_SIZE, SORT_ARROW_SIZE},
                 {IDB_SORT_DESCENDING, SORT_ARROW_SIZE, SORT_ARROW_SIZE}};
  HMODULE module = GetModuleHandleA(nullptr);
  for (const auto& b : BITMAPS) {
    HANDLE bitmap = LoadImageA(module, MAKEINTRESOURCEA(b.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    EXPECT_EQ(std::make_pair(b.width, b.height), std::make_pair(int(info.bmWidth), int(info.bmHeight))) << b.id;
  }
  HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(IDI_PELVANOR), IMAGE_ICON, 16, 16, 0);
  EXPECT_TRUE(icon) << "the small icon the window class asks for";
  DestroyIcon(static_cast<HICON>(icon));
  EXPECT_TRUE(LoadCursorA(module, MAKEINTRESOURCEA(IDCUR_SPLITTER)));
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Each dialog made from its template in both languages, |check|ed while it is open.
template <typename Check>
void ForEachDialog(int id, Check check) {
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
  for (LANGID language : LANGUAGES) {
    auto dialog = static_cast<LPCDLGTEMPLATEA>(ResourceIn(language, RT_DIALOG, id));
    HWND made = dialog ? CreateDialogIndirectParamA(nullptr, dialog, owner, IgnoreEverything, 0) : nullptr;
    EXPECT_TRUE(made) << "dialog " << id << " in 0x" << std::hex << language;
    if (made) check(language, made);
    DestroyWindow(made);
  }
  DestroyWindow(owner);
}

TEST(Dialogs, PaneHostScanAndDiskInformationHaveTheSameControlsInBothLanguages) {
  ForEachDialog(IDD_PANE_HOST, [](LANGID, HWND host) {
    for (int tree : {IDC_MAIN_TREE, IDC_FIND_RESULTS_TREE}) {
      // Under DS_3DLOOK the dialog manager trades a control's border for a sunken edge.
      HWND control = GetDlgItem(host, tree);
      EXPECT_EQ(0x5281002F, GetWindowLongA(control, GWL_STYLE) | WS_BORDER) << "tree " << tree;
      EXPECT_TRUE(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "tree " << tree;
    }
    char className[32] = "";
    GetClassNameA(GetDlgItem(host, IDC_PANE_SCROLLBAR), className, sizeof className);
    EXPECT_STRCASEEQ("ScrollBar", className);
  });
  // The ids of each dialog's controls and their window texts, per language.
  std::map<int, std::map<LANGID, std::map<int, std::wstring>>> controls;
  for (int id : {IDD_SCAN, IDD_DISK_INFORMATION, IDD_EXPORT_OPTIONS, IDD_PRINT_TREE}) {
    ForEachDialog(id, [&](LANGID language, HWND made) {
      for (HWND child = GetWindow(made, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[128] = L"";
        GetWindowTextW(child, text, ARRAYSIZE(text));
        controls[id][language][GetDlgCtrlID(child)] += text;
      }
    });
    std::set<int> simplified, traditional;
    for (const auto& control : controls[id][SIMPLIFIED]) simplified.insert(control.first);
    for (const auto& control : controls[id][TRADITIONAL]) traditional.insert(control.first);
    EXPECT_FALSE(simplified.empty()) << "dialog " << id;
    EXPECT_EQ(simplified, traditional) << "dialog " << id;
  }
  EXPECT_EQ(L"扫描(&S)", controls[IDD_SCAN][SIMPLIFIED][IDOK]);
  EXPECT_EQ(L"确定", controls[IDD_DISK_INFORMATION][SIMPLIFIED][IDOK]);
  EXPECT_EQ(L"確定", controls[IDD_DISK_INFORMATION][TRADITIONAL][IDOK]);
}

}  // namespace
