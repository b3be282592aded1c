// A folder's shell context menu in the main tree, and the Send To menu from a Send To folder of the test's own.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "shell/send_to_menu.h"
#include "support/main_window_test.h"
#include "support/spy_folder.h"

namespace {

struct MenuLine {
  UINT id;
  std::string text;  // an owner-drawn entry's display name
  bool greyed;
  HMENU subMenu;
  SendToEntry* entry;  // a Send To entry's data
};

std::vector<MenuLine> ReadMenu(HMENU menu) {
  std::vector<MenuLine> lines;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info = {};
    char text[MAX_PATH] = "";
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, i, TRUE, &info);
    auto* entry = reinterpret_cast<SendToEntry*>(info.dwItemData);
    if ((info.fType & MFT_OWNERDRAW) && entry) lstrcpynA(text, entry->displayName, sizeof text);
    lines.push_back({info.wID, text, (info.fState & MFS_GRAYED) != 0, info.hSubMenu, entry});
  }
  return lines;
}

// A shortcut in the Send To folder, made as the shell makes one.
void MakeShortcut(const std::string& link, const std::string& target) {
  IShellLinkA* shortcut = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                            reinterpret_cast<void**>(&shortcut)));
  shortcut->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  EXPECT_HRESULT_SUCCEEDED(file->Save(Widen(link).c_str(), TRUE));
  file->Release();
  shortcut->Release();
}

class ContextMenu : public MainWindowTest {
 protected:
  // The user's Send To folder becomes |relative| in the scratch folder.
  void UseSendTo(const std::string& relative) {
    const std::string path = temp.Path(relative);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyA(HKEY_CURRENT_USER,
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", &key));
    RegSetValueExA(key, "SendTo", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
  }

  // Right-clicks |node|'s label and reads the menu that opens; |pick| as MenuPicker's entry.
  std::vector<MenuLine> RightClick(FolderNode* node, int pick = -1) {
    std::vector<MenuLine> shown;
    MenuPicker picker(pick, [&](HMENU menu) { shown = ReadMenu(menu); });
    RECT label = {};
    SendMessageA(Panes.mainTree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(node->mainItem));
    ItemRect(Panes.mainTree, node->mainItem, true, &label);
    POINT client = {(label.left + label.right) / 2, (label.top + label.bottom) / 2}, screen = client;
    ClientToScreen(Panes.mainTree, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(Panes.mainTree, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    SendMessageA(Panes.mainTree, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
    EXPECT_EQ(1, picker.picked()) << "the menu opened";
    return shown;
  }
};

TEST_F(ContextMenu, RenameTwoBeforeTheEndEditsTheLabelAndSendToListsAndDeliversToItsEntries) {
  temp.Make({"plain", "to", "to\\zeta", "to\\alpha", "to\\beta", "to\\beta\\inner:1", "to\\gamma:1", "to\\delta:1",
             "to2", "target", "payload", "payload\\data.bin:10"});
  UseSendTo("to");
  Open();
  FolderNode* plain = Child("plain");
  std::vector<MenuLine> menu = RightClick(plain);
  ASSERT_GE(menu.size(), 3u);
  ASSERT_EQ(UINT(IDM_RENAME), menu[menu.size() - 3].id);
  EXPECT_EQ(Narrow(L"更改文件名(&M)"), menu[menu.size() - 3].text);
  EXPECT_EQ(1, std::count_if(menu.begin(), menu.end(), [](const MenuLine& l) { return l.id == IDM_RENAME; }));

  int renameAt = 0;  // counted as the keys count: separators skipped
  for (size_t i = 0; i + 3 < menu.size(); ++i) renameAt += menu[i].id != 0;
  RightClick(plain, renameAt);
  EXPECT_TRUE(PumpUntil([] { return SendMessageA(Panes.mainTree, TVM_GETEDITCONTROL, 0, 0) != 0; }, 10000))
      << "the label editor opened";
  SendMessageA(Panes.mainTree, TVM_ENDEDITLABELNOW, TRUE, 0);

  // A drive's name is its label, which the drive's properties change.
  menu = RightClick(start->root);
  EXPECT_FALSE(menu.empty());
  EXPECT_EQ(0, std::count_if(menu.begin(), menu.end(), [](const MenuLine& l) { return l.id == IDM_RENAME; }));

  HMENU sendTo = CreateSendToMenu();
  ASSERT_NE(nullptr, sendTo);
  const std::vector<MenuLine> top = ReadMenu(sendTo);
  std::vector<std::string> names;
  std::vector<UINT> ids;
  for (const MenuLine& line : top) {
    names.push_back(line.text);
    if (!line.subMenu) ids.push_back(line.id);
  }
  EXPECT_EQ((std::vector<std::string>{"alpha", "beta", "zeta", "delta", "gamma"}), names);
  ASSERT_NE(nullptr, top[0].subMenu);
  const std::vector<MenuLine> empty = ReadMenu(top[0].subMenu);
  ASSERT_EQ(1u, empty.size()) << "an empty folder";
  EXPECT_EQ(SEND_TO_EMPTY_COMMAND, empty[0].id);
  EXPECT_EQ("(Empty)", empty[0].text);
  EXPECT_TRUE(empty[0].greyed);
  const std::vector<MenuLine> inner = ReadMenu(top[1].subMenu);
  ASSERT_EQ(1u, inner.size());
  EXPECT_EQ("inner", inner[0].text);
  ids.push_back(inner[0].id);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ((std::vector<UINT>{SEND_TO_FIRST_COMMAND, SEND_TO_FIRST_COMMAND + 1, SEND_TO_FIRST_COMMAND + 2}), ids);
  EXPECT_EQ(6, LiveSendToEntries());
  DestroySendToMenu(sendTo);
  EXPECT_EQ(0, LiveSendToEntries());
  EXPECT_FALSE(IsMenu(sendTo));

  // A Send To folder holding a shortcut to a folder: the current folder is delivered there.
  MakeShortcut(temp.Path("to2\\target.lnk"), temp.Path("target"));
  UseSendTo("to2");
  Select(Child("payload"));
  sendTo = CreateSendToMenu();
  ASSERT_NE(nullptr, sendTo);
  EXPECT_FALSE(HandleSendToCommand(window, sendTo, SEND_TO_FIRST_COMMAND + 1)) << "no such entry";
  // The shell's target of a shortcut does nothing with a drop under Wine, so
  // the test reads what reached it.
  SendToEntry* entry = ReadMenu(sendTo)[0].entry;
  ASSERT_NE(nullptr, entry);
  SpyFolder spy(entry->folder);
  IShellFolder* real = entry->folder;
  entry->folder = &spy;
  EXPECT_TRUE(HandleSendToCommand(window, sendTo, SEND_TO_FIRST_COMMAND));
  entry->folder = real;
  const std::string payload = temp.Path("payload");
  EXPECT_EQ((std::vector<std::string>{"enter target", "drop target: " + payload}), spy.events);
  DestroySendToMenu(sendTo);
}

}  // namespace
