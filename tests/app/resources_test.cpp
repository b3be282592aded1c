// Menu, accelerators, strings, dialogs and images in the program's module, in both languages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(Resources, MenusKeysAndStringsAreInBothLanguagesAndTheToolbarStripAndSortArrowsHaveTheirSizes) {
  const std::vector<Binding> keys = Accelerators(SIMPLIFIED);
  EXPECT_EQ(keys, Accelerators(TRADITIONAL));
  EXPECT_EQ(21u, keys.size());
  for (const Binding& key : {Binding{FVIRTKEY, VK_F6, IDM_SCAN_DISK}, Binding{FVIRTKEY | FSHIFT, VK_DELETE, IDM_DELETE},
                             Binding{FVIRTKEY | FCONTROL, VK_MULTIPLY, IDM_EXPAND_ALL}})
    EXPECT_EQ(1, std::count(keys.begin(), keys.end(), key)) << std::get<2>(key);
  std::set<UINT> bound, ids[2];
  for (const Binding& binding : keys) bound.insert(std::get<2>(binding));
  for (int i = 0; i < 2; ++i) {
    for (const auto& [id, text] : MenuCommands(LANGUAGES[i])) {
      ids[i].insert(id);
      EXPECT_EQ(bound.count(id) == 1, text.find(L'\t') != std::wstring::npos)
          << "command " << id << " in 0x" << std::hex << LANGUAGES[i] << ": a key shown exactly when one is bound";
    }
  }
  EXPECT_EQ(49u, ids[0].size());
  EXPECT_EQ(ids[0], ids[1]);
  EXPECT_EQ(L"扫描磁盘(&A)...\tF6", MenuCommands(SIMPLIFIED)[IDM_SCAN_DISK]);
  EXPECT_EQ(L"掃描磁碟(&A)...\tF6", MenuCommands(TRADITIONAL)[IDM_SCAN_DISK]);

  // Every string in both languages; the toolbar strip and the sort arrows.
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

  const int BITMAPS[][3] = {{IDB_TOOLBAR, TOOLBAR_IMAGE_SIZE * TOOLBAR_IMAGE_COUNT, TOOLBAR_IMAGE_SIZE},
                            {IDB_SORT_ASCENDING, SORT_ARROW_SIZE, SORT_ARROW_SIZE},
                            {IDB_SORT_DESCENDING, SORT_ARROW_SIZE, SORT_ARROW_SIZE}};
  for (const auto& b : BITMAPS) {
    HANDLE bitmap = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(b[0]), IMAGE_BITMAP, 0, 0, 0);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    DeleteObject(bitmap);
    EXPECT_EQ(std::make_pair(b[1], b[2]), std::make_pair(int(info.bmWidth), int(info.bmHeight))) << b[0];
  }
}

INT_PTR CALLBACK IgnoreEverything(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(Dialogs, EachHasTheSameControlsInBothLanguages) {
  // The ids of each dialog's controls and their window texts, per language.
  std::map<int, std::map<LANGID, std::map<int, std::wstring>>> controls;
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
  for (int id : {IDD_PANE_HOST, IDD_SCAN, IDD_DISK_INFORMATION, IDD_EXPORT_OPTIONS, IDD_PRINT_TREE}) {
    std::set<int> shown[2];
    for (int i = 0; i < 2; ++i) {
      auto dialog = static_cast<LPCDLGTEMPLATEA>(ResourceIn(LANGUAGES[i], RT_DIALOG, id));
      HWND made = dialog ? CreateDialogIndirectParamA(nullptr, dialog, owner, IgnoreEverything, 0) : nullptr;
      ASSERT_TRUE(made) << "dialog " << id << " in 0x" << std::hex << LANGUAGES[i];
      for (HWND child = GetWindow(made, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[128] = L"";
        GetWindowTextW(child, text, ARRAYSIZE(text));
        controls[id][LANGUAGES[i]][GetDlgCtrlID(child)] += text;
        shown[i].insert(GetDlgCtrlID(child));
      }
      DestroyWindow(made);
    }
    EXPECT_FALSE(shown[0].empty()) << "dialog " << id;
    EXPECT_EQ(shown[0], shown[1]) << "dialog " << id;
  }
  DestroyWindow(owner);
  EXPECT_EQ(L"扫描(&S)", controls[IDD_SCAN][SIMPLIFIED][IDOK]);
  EXPECT_EQ(L"確定", controls[IDD_DISK_INFORMATION][TRADITIONAL][IDOK]);
}

}  // namespace
