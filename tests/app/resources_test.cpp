// The main window's resources as the program finds them in its own module:
// menu, accelerators, pane host template, toolbar texts and images, in both
// languages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>
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

struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

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
    if (item.hSubMenu) {
      CollectCommands(item.hSubMenu, commands);
    } else if (!(item.fType & MFT_SEPARATOR)) {
      (*commands)[item.wID] = text;
    }
  }
}

std::map<UINT, std::wstring> MenuCommands(LANGID language) {
  std::map<UINT, std::wstring> commands;
  const void* resource = ResourceIn(language, RT_MENU, IDR_MAIN_MENU);
  if (!resource) return commands;
  UniqueMenu menu(LoadMenuIndirectA(resource));
  if (menu) CollectCommands(menu.get(), &commands);
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

SIZE BitmapSize(int id) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info = {};
  if (bitmap) GetObjectA(bitmap, sizeof info, &info);
  DeleteObject(bitmap);
  return SIZE{info.bmWidth, info.bmHeight};
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(MainMenu, BothLanguagesOfferTheSameCommandsAndShowAKeyExactlyForTheBoundOnes) {
  const std::set<UINT> expected = {IDM_DISK_INFORMATION,
                                   IDM_PROPERTIES,
                                   IDM_MOVE_TO,
                                   IDM_COPY_TO,
                                   IDM_RECYCLE,
                                   IDM_DELETE,
                                   IDM_RENAME,
                                   IDM_CREATE_FOLDER,
                                   IDM_COPY_DISK,
                                   IDM_LABEL_DISK,
                                   IDM_FORMAT_DISK,
                                   IDM_MAP_NETWORK_DRIVE,
                                   IDM_DISCONNECT_NETWORK_DRIVE,
                                   IDM_SCAN_DISK,
                                   IDM_STOP_SCAN,
                                   IDM_EXPORT_TO_FILE,
                                   IDM_PRINT_TREE,
                                   IDM_CLOSE,
                                   IDM_UNDO,
                                   IDM_CUT,
                                   IDM_COPY,
                                   IDM_PASTE,
                                   IDM_EXPAND_ONE_LEVEL,
                                   IDM_EXPAND_ALL,
                                   IDM_COLLAPSE_BRANCH,
                                   IDM_COLLAPSE_ALL,
                                   IDM_OPTIONS,
                                   IDM_FOLDER_DETAILS,
                                   IDM_CUSTOMIZE_TOOLBAR,
                                   IDM_SAVE_SETTINGS_NOW,
                                   IDM_SAVE_SETTINGS_ON_EXIT,
                                   IDM_SIZE_REPORTED,
                                   IDM_SIZE_ON_DISK,
                                   IDM_EXACT_BYTES,
                                   IDM_SHOW_TOOLBAR,
                                   IDM_SHOW_FILE_PANE,
                                   IDM_SHOW_STATUS_BAR,
                                   IDM_SHOW_TABS,
                                   IDM_VIEW_NORMAL,
                                   IDM_VIEW_FIND_RESULTS,
                                   IDM_REFRESH,
                                   IDM_FIND_FOLDERS,
                                   IDM_TAG_FOLDERS,
                                   IDM_CLEAR_ALL_TAGS,
                                   IDM_ADD_REMOVE_PROGRAMS,
                                   IDM_RECYCLE_BIN_SETTINGS,
                                   IDM_EMPTY_RECYCLE_BIN,
                                   IDM_HELP,
                                   IDM_ABOUT};
  std::set<UINT> bound;
  for (const Binding& binding : Accelerators(SIMPLIFIED)) bound.insert(std::get<2>(binding));

  for (LANGID language : LANGUAGES) {
    SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << language);
    std::map<UINT, std::wstring> commands = MenuCommands(language);
    std::set<UINT> ids;
    for (const auto& [id, text] : commands) {
      ids.insert(id);
      EXPECT_EQ(bound.count(id) == 1, text.find(L'\t') != std::wstring::npos)
          << "command " << id << ": a shown key exactly when the accelerator table binds one";
    }
    EXPECT_EQ(expected, ids);
  }
  EXPECT_EQ(L"扫描磁盘(&A)...\tF6", MenuCommands(SIMPLIFIED)[IDM_SCAN_DISK]);
  EXPECT_EQ(L"掃描磁碟(&A)...\tF6", MenuCommands(TRADITIONAL)[IDM_SCAN_DISK]);
}

TEST(Accelerators, BothLanguagesBindTheKeysOfTheCommandTable) {
  const int CONTROL = FVIRTKEY | FCONTROL, PLAIN = FVIRTKEY;
  const std::vector<Binding> expected = {
      {CONTROL, 'B', IDM_EXACT_BYTES},
      {CONTROL, 'C', IDM_COPY},
      {CONTROL, 'R', IDM_SIZE_REPORTED},
      {CONTROL, 'S', IDM_SIZE_ON_DISK},
      {CONTROL, 'T', IDM_TAG_FOLDERS},
      {CONTROL, 'V', IDM_PASTE},
      {CONTROL, 'X', IDM_CUT},
      {CONTROL, VK_ADD, IDM_EXPAND_ONE_LEVEL},
      {CONTROL, VK_MULTIPLY, IDM_EXPAND_ALL},
      {CONTROL, VK_SUBTRACT, IDM_COLLAPSE_BRANCH},
      {CONTROL, VK_DIVIDE, IDM_COLLAPSE_ALL},
      {PLAIN, VK_DELETE, IDM_RECYCLE},
      {PLAIN | FSHIFT, VK_DELETE, IDM_DELETE},
      {PLAIN, VK_INSERT, IDM_CREATE_FOLDER},
      {PLAIN | FALT, VK_RETURN, IDM_PROPERTIES},
      {PLAIN, VK_F2, IDM_RENAME},
      {PLAIN, VK_F3, IDM_FIND_FOLDERS},
      {PLAIN, VK_F5, IDM_REFRESH},
      {PLAIN, VK_F6, IDM_SCAN_DISK},
      {PLAIN, VK_F7, IDM_MOVE_TO},
      {PLAIN, VK_F8, IDM_COPY_TO},
  };
  EXPECT_EQ(expected, Accelerators(SIMPLIFIED));
  EXPECT_EQ(expected, Accelerators(TRADITIONAL));
}

TEST(Toolbar, EveryButtonHasATooltipAndACustomiseTextInBothLanguages) {
  const UINT buttons[] = {IDM_STOP_SCAN,
                          IDM_SCAN_DISK,
                          IDM_FIND_FOLDERS,
                          IDM_TAG_FOLDERS,
                          IDM_MOVE_TO,
                          IDM_COPY_TO,
                          IDM_CREATE_FOLDER,
                          IDM_CUT,
                          IDM_COPY,
                          IDM_PASTE,
                          IDM_UNDO,
                          IDM_RECYCLE,
                          IDM_RENAME,
                          IDM_PROPERTIES,
                          IDM_SHOW_FILE_PANE,
                          IDM_FILE_PANE_LARGE_ICONS,
                          IDM_FILE_PANE_SMALL_ICONS,
                          IDM_FILE_PANE_LIST,
                          IDM_FILE_PANE_DETAILS,
                          IDM_ADD_REMOVE_PROGRAMS,
                          IDM_EMPTY_RECYCLE_BIN,
                          IDM_COPY_DISK,
                          IDM_LABEL_DISK,
                          IDM_FORMAT_DISK,
                          IDM_FIND_FILES,
                          IDM_HELP,
                          IDM_MAP_NETWORK_DRIVE,
                          IDM_DISCONNECT_NETWORK_DRIVE};
  for (LANGID language : LANGUAGES) {
    for (UINT id : buttons) {
      EXPECT_FALSE(StringIn(language, id).empty()) << "tooltip " << id << " in 0x" << std::hex << language;
      EXPECT_FALSE(StringIn(language, id + IDS_BUTTON_DESCRIPTION_OFFSET).empty())
          << "customise text " << id << " in 0x" << std::hex << language;
    }
  }
  EXPECT_EQ(L"文件 - 扫描磁盘", StringIn(SIMPLIFIED, IDM_SCAN_DISK + IDS_BUTTON_DESCRIPTION_OFFSET));
  EXPECT_EQ(L"还原", StringIn(SIMPLIFIED, IDM_UNDO));
  EXPECT_EQ(L"查找结果", StringIn(SIMPLIFIED, IDS_TAB_FIND_RESULTS));
}

TEST(Images, StripArrowsIconAndCursorHaveTheirSizes) {
  SIZE strip = BitmapSize(IDB_TOOLBAR);
  EXPECT_EQ(TOOLBAR_IMAGE_SIZE * TOOLBAR_IMAGE_COUNT, strip.cx);
  EXPECT_EQ(TOOLBAR_IMAGE_SIZE, strip.cy);
  for (int arrow : {IDB_SORT_ASCENDING, IDB_SORT_DESCENDING}) {
    SIZE size = BitmapSize(arrow);
    EXPECT_EQ(SORT_ARROW_SIZE, size.cx) << "arrow " << arrow;
    EXPECT_EQ(SORT_ARROW_SIZE, size.cy) << "arrow " << arrow;
  }
  HMODULE module = GetModuleHandleA(nullptr);
  HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(IDI_PELVANOR), IMAGE_ICON, 16, 16, 0);
  EXPECT_TRUE(icon) << "the small icon the window class asks for";
  DestroyIcon(static_cast<HICON>(icon));
  EXPECT_TRUE(LoadCursorA(module, MAKEINTRESOURCEA(IDCUR_SPLITTER)));
}

TEST(PaneHost, TemplateHoldsBothTreesAndTheScrollBarInBothLanguages) {
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  for (LANGID language : LANGUAGES) {
    SCOPED_TRACE(testing::Message() << "language 0x" << std::hex << language);
    auto dialog = static_cast<LPCDLGTEMPLATEA>(ResourceIn(language, RT_DIALOG, IDD_PANE_HOST));
    ASSERT_TRUE(dialog);
    HWND host = CreateDialogIndirectParamA(nullptr, dialog, owner, IgnoreEverything, 0);
    ASSERT_TRUE(host);
    for (int tree : {IDC_MAIN_TREE, IDC_FIND_RESULTS_TREE}) {
      // Under DS_3DLOOK the dialog manager trades a control's border for a sunken edge.
      HWND control = GetDlgItem(host, tree);
      EXPECT_EQ(0x5281002F, GetWindowLongA(control, GWL_STYLE) | WS_BORDER) << "tree " << tree;
      EXPECT_TRUE(GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "tree " << tree;
    }
    char className[32] = "";
    GetClassNameA(GetDlgItem(host, IDC_PANE_SCROLLBAR), className, sizeof className);
    EXPECT_STRCASEEQ("ScrollBar", className);
    DestroyWindow(host);
  }
  DestroyWindow(owner);
}

// The ids of a dialog's controls and their window texts, as created.
std::map<int, std::wstring> DialogControls(HWND owner, LANGID language, int id) {
  std::map<int, std::wstring> controls;
  auto dialog = static_cast<LPCDLGTEMPLATEA>(ResourceIn(language, RT_DIALOG, id));
  if (!dialog) return controls;
  HWND made = CreateDialogIndirectParamA(nullptr, dialog, owner, IgnoreEverything, 0);
  if (!made) return controls;
  for (HWND child = GetWindow(made, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[128] = L"";
    GetWindowTextW(child, text, ARRAYSIZE(text));
    controls[GetDlgCtrlID(child)] += text;
  }
  DestroyWindow(made);
  return controls;
}

TEST(Dialogs, ScanAndDiskInformationExistInBothLanguagesWithTheSameControls) {
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  for (int id : {IDD_SCAN, IDD_DISK_INFORMATION, IDD_EXPORT_OPTIONS, IDD_PRINT_TREE}) {
    SCOPED_TRACE(testing::Message() << "dialog " << id);
    const std::map<int, std::wstring> simplified = DialogControls(owner, SIMPLIFIED, id);
    const std::map<int, std::wstring> traditional = DialogControls(owner, TRADITIONAL, id);
    ASSERT_FALSE(simplified.empty());
    ASSERT_EQ(simplified.size(), traditional.size());
    for (const auto& entry : simplified) EXPECT_EQ(1u, traditional.count(entry.first)) << "control " << entry.first;
  }
  EXPECT_EQ(L"扫描(&S)", DialogControls(owner, SIMPLIFIED, IDD_SCAN)[IDOK]);
  EXPECT_EQ(L"确定", DialogControls(owner, SIMPLIFIED, IDD_DISK_INFORMATION)[IDOK]);
  EXPECT_EQ(L"確定", DialogControls(owner, TRADITIONAL, IDD_DISK_INFORMATION)[IDOK]);
  DestroyWindow(owner);
}

}  // namespace
