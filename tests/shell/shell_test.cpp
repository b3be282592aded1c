// The shell seen from the main tree: identifier lists and display names in each of the shell's return forms, drags
// and drops through the tree's drop target as OLE drives it, a folder's context menu and the Send To menu.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "shell/drag_drop.h"
#include "shell/send_to_menu.h"
#include "support/main_window_test.h"
#include "support/spy_folder.h"

namespace {

IShellFolder* Desktop() {
  static IShellFolder* desktop = nullptr;
  if (!desktop) SHGetDesktopFolder(&desktop);
  return desktop;
}

// Answers GetDisplayNameOf with |answer|; a wide answer is a copy of |wide|.
class NamingFolder : public SpyFolder {
 public:
  NamingFolder() : SpyFolder(Desktop()) {}
  STRRET answer = {};
  std::wstring wide;

  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET* out) override {
    *out = answer;
    const size_t bytes = (wide.size() + 1) * sizeof(WCHAR);
    if (answer.uType == STRRET_WSTR) out->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (answer.uType == STRRET_WSTR) std::memcpy(out->pOleStr, wide.c_str(), bytes);
    return S_OK;
  }
};

TEST(DisplayNames, EveryReturnFormEndsInTheBufferWithoutOverrunningIt) {
  NamingFolder folder;
  char out[SHELL_TEXT_MAX + 8];
  auto name = [&](UINT form, LPCITEMIDLIST item = nullptr) {
    folder.answer.uType = form;
    std::memset(out, '#', sizeof out);
    return std::to_string(DisplayNameOf(&folder, item, SHGDN_NORMAL, out)) + " " + out;
  };
  lstrcpyA(folder.answer.cStr, "C form");
  EXPECT_EQ("1 C form", name(STRRET_CSTR));
  folder.wide = L"wide form";
  EXPECT_EQ("1 wide form", name(STRRET_WSTR));
  // The offset form points into the identifier list itself.
  BYTE item[16] = {14, 0, 0, 0, 'i', 'n', ' ', 'i', 't', 'e', 'm', 0, 0, 0, 0, 0};
  folder.answer.uOffset = 4;
  EXPECT_EQ("1 in item", name(STRRET_OFFSET, reinterpret_cast<LPCITEMIDLIST>(item)));
  folder.wide = std::wstring(400, L'w');
  EXPECT_EQ("0 ", name(STRRET_WSTR).substr(0, 2)) << "too long for the buffer";
  EXPECT_LT(std::strlen(out), size_t(SHELL_TEXT_MAX));
  EXPECT_EQ('#', out[SHELL_TEXT_MAX]) << "nothing is written past it";
  EXPECT_EQ(0, DisplayNameOf(nullptr, nullptr, SHGDN_NORMAL, out));
  EXPECT_STREQ("", out);
}

TEST(ShellItems, IdentifierListSizesCountTheTerminatorJoinsKeepBothAndPathsGoThroughTheShellAndBack) {
  BYTE two[10] = {5, 0, 'a', 'b', 'c', 3, 0, 'd', 0, 0};  // items of 5 and 3 bytes
  auto* list = reinterpret_cast<LPCITEMIDLIST>(two);
  EXPECT_EQ(std::make_pair(0u, 10u), std::make_pair(IdListSize(nullptr), IdListSize(list)));
  EXPECT_EQ(two + 5, reinterpret_cast<const BYTE*>(NextIdItem(list)));
  LPITEMIDLIST both = ConcatIdLists(list, list);
  const std::string whole(reinterpret_cast<const char*>(two), 10);
  EXPECT_EQ(whole.substr(0, 8) + whole, std::string(reinterpret_cast<const char*>(both), IdListSize(both)));
  FreeIdList(both);

  TempFolder temp;
  // A Chinese name in the ANSI code page must survive the round trip.
  const std::string chinese = Narrow(L"\u6570\u636E");
  ASSERT_FALSE(chinese.empty()) << "the tests run in a Chinese code page";
  temp.MakeFolder(chinese);
  const std::string path = temp.Path(chinese);
  IShellFolder* parent = nullptr;
  ASSERT_EQ(S_OK, FolderFromPath(temp.Path().c_str(), &parent));
  LPITEMIDLIST relative = IdListFromPath(chinese.c_str(), parent, nullptr);
  ASSERT_NE(nullptr, relative);
  char name[SHELL_TEXT_MAX];
  ASSERT_EQ(1, DisplayNameOf(parent, relative, SHGDN_NORMAL, name));
  EXPECT_EQ(chinese, name);
  ASSERT_EQ(1, DisplayNameOf(parent, relative, SHGDN_FORPARSING, name));
  EXPECT_EQ(0, lstrcmpiA(path.c_str(), name));
  FreeIdList(relative);
  parent->Release();

  EXPECT_EQ(nullptr, IdListFromPath(temp.Path("missing").c_str(), nullptr, nullptr));
  IShellFolder* none = reinterpret_cast<IShellFolder*>(1);
  EXPECT_TRUE(FAILED(FolderFromPath(temp.Path("missing").c_str(), &none)));
  EXPECT_EQ(nullptr, none);
}

constexpr DWORD ANY_EFFECT = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST(DropSource, EscapeCancelsReleasingBothButtonsDropsAndAHeldButtonGoesOn) {
  const struct {
    BOOL escape;
    DWORD keys;
    HRESULT expected;
  } CASES[] = {
      {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, 0, DRAGDROP_S_DROP},
      {FALSE, MK_CONTROL, DRAGDROP_S_DROP},
      {FALSE, MK_LBUTTON, S_OK},
      {FALSE, MK_RBUTTON, S_OK},
  };
  TreeDropSource* source = new TreeDropSource;
  for (const auto& c : CASES)
    EXPECT_EQ(c.expected, source->QueryContinueDrag(c.escape, c.keys)) << c.escape << " " << c.keys;
  EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source->GiveFeedback(DROPEFFECT_MOVE));
  void* other = source;
  EXPECT_EQ(E_NOINTERFACE, source->QueryInterface(IID_IDropTarget, &other));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(0u, source->Release());
}

class DropOnTree : public MainWindowTest {
 protected:
  void SetUp() override {
    temp.Make({"a", "b", "c", "c\\inner", "d", "d\\inner", "from", "from\\f.txt:10"});
    Open();
    SendMessageA(Panes.mainTree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(start->mainItem));
    target = MainTreeDropTarget();
    ASSERT_NE(nullptr, target);
    data = ShellDataObject(temp.Path("from\\f.txt"));
    ASSERT_NE(nullptr, data);
  }
  void TearDown() override {
    if (data) data->Release();
  }

  // The screen point on |node|'s label, where the cursor is put as well.
  POINTL On(FolderNode* node) {
    RECT label = {};
    ItemRect(Panes.mainTree, node->mainItem, true, &label);
    POINT at = {(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    ClientToScreen(Panes.mainTree, &at);
    SetCursorPos(at.x, at.y);
    return {at.x, at.y};
  }
  DWORD Over(POINTL at) {
    DWORD effect = ANY_EFFECT;
    EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, at, &effect));
    return effect;
  }
  HTREEITEM Highlighted() const { return TreeNext(Panes.mainTree, nullptr, TVGN_DROPHILITE); }
  bool Expanded(FolderNode* node) const {
    return SendMessageA(Panes.mainTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->mainItem), TVIS_EXPANDED) != 0;
  }

  IDropTarget* target = nullptr;
  IDataObject* data = nullptr;
};

// The copy or move itself is the shell's: Wine's folder target only logs the
// drop, so the test reads that the drop with the file reached b's target.
TEST_F(DropOnTree, EachFolderHasTheShellsTargetInTurnTheDropGoesToTheLastAndRestingOpensAFolder) {
  FolderNode *a = Child("a"), *b = Child("b");
  SpyFolder spy(a->parentFolder);
  IShellFolder* real = a->parentFolder;
  a->parentFolder = b->parentFolder = &spy;
  DWORD effect = ANY_EFFECT;
  EXPECT_EQ(S_OK, target->DragEnter(data, MK_LBUTTON, On(a), &effect));
  EXPECT_EQ(DWORD(DROPEFFECT_MOVE), effect);
  EXPECT_NE(DWORD(DROPEFFECT_NONE), Over(On(a))) << "the shell's answer for the folder";
  EXPECT_EQ(a->mainItem, Highlighted());
  Over(On(b));
  EXPECT_EQ(b->mainItem, Highlighted());
  RECT tree;
  GetClientRect(Panes.mainTree, &tree);
  POINT below = {30, tree.bottom - 10};
  ClientToScreen(Panes.mainTree, &below);
  EXPECT_EQ(DWORD(DROPEFFECT_NONE), Over({below.x, below.y})) << "empty space";
  EXPECT_EQ(nullptr, Highlighted());
  Over(On(b));
  effect = DROPEFFECT_MOVE;
  EXPECT_EQ(S_OK, target->Drop(data, MK_LBUTTON, On(b), &effect));
  EXPECT_EQ(nullptr, Highlighted());
  a->parentFolder = b->parentFolder = real;
  const std::string dropped = "drop b: " + temp.Path("from\\f.txt");
  EXPECT_EQ((std::vector<std::string>{"enter a", "over a", "leave a", "enter b", "over b", "leave b", "enter b",
                                      "over b", dropped}),
            spy.events);

  // Passing over a collapsed folder within the second starts no second timer.
  FolderNode *c = Child("c"), *d = Child("d");
  ASSERT_FALSE(Expanded(c));
  effect = ANY_EFFECT;
  target->DragEnter(data, MK_LBUTTON, On(c), &effect);
  Over(On(c));
  Over(On(d));  // within the second: c's timer is stopped with its target, none starts for d
  PumpFor(HOVER_EXPAND_MS + 500);
  EXPECT_FALSE(Expanded(c));
  EXPECT_FALSE(Expanded(d));
  Over(On(d));
  EXPECT_TRUE(PumpUntil([&] { return Expanded(d); }, 10000)) << "resting a second opens the folder";
  EXPECT_FALSE(Expanded(c));
  EXPECT_EQ(S_OK, target->DragLeave());
  EXPECT_EQ(nullptr, Highlighted());
}

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
