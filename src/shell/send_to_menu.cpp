#include "shell/send_to_menu.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "shell/com_ptr.h"
#include "shell/shell_items.h"

HMENU SendToMenu = nullptr;

namespace {

constexpr int MIN_ITEM_HEIGHT = 20;
constexpr int ICON_LEFT = 2;
constexpr int TEXT_LEFT = 22;
constexpr int TEXT_ROOM = 30;  // the icon and the gaps beside the name
constexpr int SMALL_ICON = 16;

IShellFolder* g_sendToFolder = nullptr;
IShellFolder* g_desktop = nullptr;
IMalloc* g_allocator = nullptr;
UINT g_nextCommand = SEND_TO_FIRST_COMMAND;
int g_itemHeight = MIN_ITEM_HEIGHT;
int g_liveEntries = 0;

// The menu font of the system, or the default GUI font when it cannot be made.
class MenuFont {
 public:
  MenuFont() {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      own_ = CreateFontIndirectA(&metrics.lfMenuFont);
  }
  ~MenuFont() {
    if (own_) DeleteObject(own_);
  }
  MenuFont(const MenuFont&) = delete;
  MenuFont& operator=(const MenuFont&) = delete;
  HFONT get() const { return own_ ? own_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

 private:
  HFONT own_ = nullptr;
};

SendToEntry* EntryAt(HMENU menu, int position) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_DATA;
  if (!GetMenuItemInfoA(menu, position, TRUE, &info) || !(info.fType & MFT_OWNERDRAW)) return nullptr;
  return reinterpret_cast<SendToEntry*>(info.dwItemData);
}

SendToEntry* NewEntry(IShellFolder* folder, LPITEMIDLIST item) {
  auto* entry = new SendToEntry{};
  ++g_liveEntries;
  entry->idList = item;
  DisplayNameOf(folder, item, SHGDN_NORMAL, entry->displayName);
  DisplayNameOf(folder, item, SHGDN_FORPARSING, entry->parsePath);
  return entry;
}

void FreeEntry(SendToEntry* entry) {
  if (entry->folder) entry->folder->Release();
  if (g_allocator) g_allocator->Free(entry->idList);
  delete entry;
  --g_liveEntries;
}

void FreeEntries(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    SendToEntry* entry = EntryAt(menu, i);
    if (!entry) continue;
    if (entry->isFolder) FreeEntries(entry->subMenu);
    FreeEntry(entry);
  }
}

void AppendEntries(HMENU menu, std::vector<SendToEntry*>& entries, int width) {
  if (entries.empty()) {
    AppendMenuA(menu, MF_STRING | MF_DISABLED | MF_GRAYED, SEND_TO_EMPTY_COMMAND,
                ResourceString(IDS_SEND_TO_EMPTY).c_str());
    return;
  }
  std::sort(entries.begin(), entries.end(), [](const SendToEntry* a, const SendToEntry* b) {
    if (a->isFolder != b->isFolder) return a->isFolder > b->isFolder;
    return std::strcmp(a->displayName, b->displayName) < 0;
  });
  for (SendToEntry* entry : entries) {
    entry->itemWidth = width;
    const auto data = reinterpret_cast<LPCSTR>(entry);
    if (entry->isFolder)
      AppendMenuA(menu, MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(entry->subMenu), data);
    else
      AppendMenuA(menu, MF_OWNERDRAW, entry->commandId, data);
  }
}

// The menu of the folder |list| under |parent|; |*opened| receives the bound
// folder.  Null when the folder cannot be bound.
HMENU BuildFolderMenu(IShellFolder* parent, LPCITEMIDLIST list, bool popup, HDC dc, IShellFolder** opened) {
  ComPtr<IShellFolder> folder;
  if (FAILED(parent->BindToObject(list, nullptr, IID_IShellFolder, folder.OutVoid())) || !folder) return nullptr;
  HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
  if (!menu) return nullptr;
  std::vector<SendToEntry*> entries;
  int width = TEXT_ROOM;
  ComPtr<IEnumIDList> items;
  const DWORD kinds = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
  if (folder->EnumObjects(MainWindow, kinds, items.Out()) == S_OK && items) {
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    while (entries.size() < SEND_TO_MENU_LIMIT && items->Next(1, &item, &fetched) == S_OK && item) {
      LPCITEMIDLIST asked[] = {item};
      SFGAOF attributes = SFGAO_FOLDER;
      if (FAILED(folder->GetAttributesOf(1, asked, &attributes))) attributes = 0;
      SendToEntry* entry = nullptr;
      if (attributes & SFGAO_FOLDER) {
        IShellFolder* inner = nullptr;
        HMENU subMenu = BuildFolderMenu(folder.get(), item, false, dc, &inner);
        if (!subMenu) {
          g_allocator->Free(item);
          continue;
        }
        entry = NewEntry(folder.get(), item);
        entry->isFolder = 1;
        entry->subMenu = subMenu;
        entry->folder = inner;
      } else {
        entry = NewEntry(folder.get(), item);
        entry->commandId = g_nextCommand++;
        entry->folder = folder.get();
        entry->folder->AddRef();
      }
      entries.push_back(entry);
      SIZE text = {};
      GetTextExtentPoint32A(dc, entry->displayName, lstrlenA(entry->displayName), &text);
      g_itemHeight = std::max<int>(g_itemHeight, text.cy);
      width = std::max<int>(width, text.cx + TEXT_ROOM);
    }
  }
  AppendEntries(menu, entries, width);
  *opened = folder.Detach();
  return menu;
}

void ReleaseShellObjects() {
  if (g_sendToFolder) g_sendToFolder->Release();
  if (g_desktop) g_desktop->Release();
  if (g_allocator) g_allocator->Release();
  g_sendToFolder = nullptr;
  g_desktop = nullptr;
  g_allocator = nullptr;
}

SendToEntry* FindEntry(HMENU menu, UINT id) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    SendToEntry* entry = EntryAt(menu, i);
    if (!entry) continue;
    if (!entry->isFolder && entry->commandId == id) return entry;
    if (entry->isFolder)
      if (SendToEntry* inner = FindEntry(entry->subMenu, id)) return inner;
  }
  return nullptr;
}

// Hands the current folder to the entry's drop target, as a drop there would.
void SendCurrentFolder(HWND owner, const SendToEntry* entry) {
  LPCITEMIDLIST target[] = {entry->idList};
  SFGAOF attributes = SFGAO_FOLDER | SFGAO_DROPTARGET;
  if (FAILED(entry->folder->GetAttributesOf(1, target, &attributes))) attributes = 0;
  if ((attributes & SFGAO_FOLDER) || (entry->parsePath[0] && !(attributes & SFGAO_DROPTARGET))) return;
  HWND tree = ActiveTree();
  FolderNode* node = NodeFromItem(tree, TreeView_GetSelection(tree));
  if (!IsFolderNode(node) || !node->parentFolder || !node->relativeIdList) return;
  LPCITEMIDLIST source[] = {node->relativeIdList};
  ComPtr<IDataObject> data;
  ComPtr<IDropTarget> drop;
  if (FAILED(node->parentFolder->GetUIObjectOf(owner, 1, source, IID_IDataObject, nullptr, data.OutVoid())) || !data)
    return;
  if (FAILED(entry->folder->GetUIObjectOf(owner, 1, target, IID_IDropTarget, nullptr, drop.OutVoid())) || !drop) return;
  constexpr DWORD ANY_EFFECT = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  const POINTL origin = {0, 0};
  DWORD effect = ANY_EFFECT;
  drop->DragEnter(data.get(), MK_LBUTTON, origin, &effect);
  effect = ANY_EFFECT;
  drop->Drop(data.get(), MK_LBUTTON, origin, &effect);
}

}  // namespace

HMENU CreateSendToMenu() {
  if (FAILED(SHGetMalloc(&g_allocator))) g_allocator = nullptr;
  LPITEMIDLIST list = nullptr;
  if (!g_allocator || FAILED(SHGetSpecialFolderLocation(MainWindow, CSIDL_SENDTO, &list)) ||
      FAILED(SHGetDesktopFolder(&g_desktop))) {
    if (list) g_allocator->Free(list);
    ReleaseShellObjects();
    return nullptr;
  }
  g_nextCommand = SEND_TO_FIRST_COMMAND;
  g_itemHeight = MIN_ITEM_HEIGHT;
  HMENU menu = nullptr;
  if (HDC dc = GetDC(MainWindow)) {
    MenuFont font;
    HGDIOBJ old = SelectObject(dc, font.get());
    menu = BuildFolderMenu(g_desktop, list, true, dc, &g_sendToFolder);
    SelectObject(dc, old);
    ReleaseDC(MainWindow, dc);
  }
  g_allocator->Free(list);
  if (!menu) ReleaseShellObjects();
  return menu;
}

void DestroySendToMenu(HMENU menu) {
  FreeEntries(menu);
  DestroyMenu(menu);
  ReleaseShellObjects();
}

bool HandleSendToCommand(HWND owner, HMENU menu, UINT id) {
  if (!menu || id < SEND_TO_FIRST_COMMAND) return false;
  const SendToEntry* entry = FindEntry(menu, id);
  if (!entry) return false;
  SendCurrentFolder(owner, entry);
  return true;
}

void MeasureSendToItem(MEASUREITEMSTRUCT* measure) {
  const auto* entry = reinterpret_cast<const SendToEntry*>(measure->itemData);
  measure->itemHeight = g_itemHeight;
  measure->itemWidth = entry ? entry->itemWidth : TEXT_ROOM;
}

void DrawSendToItem(const DRAWITEMSTRUCT* draw) {
  const auto* entry = reinterpret_cast<const SendToEntry*>(draw->itemData);
  if (!entry) return;
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  HDC dc = draw->hDC;
  const int saved = SaveDC(dc);
  FillRect(dc, &draw->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  SetBkMode(dc, TRANSPARENT);
  MenuFont font;
  SelectObject(dc, font.get());
  RECT text = draw->rcItem;
  text.left += TEXT_LEFT;
  text.bottom = text.top + g_itemHeight;
  DrawTextA(dc, entry->displayName, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SHFILEINFOA info = {};
  auto icons = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA(entry->parsePath, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (icons)
    ImageList_Draw(icons, info.iIcon, dc, draw->rcItem.left + ICON_LEFT,
                   draw->rcItem.top + (g_itemHeight - SMALL_ICON) / 2, ILD_TRANSPARENT);
  RestoreDC(dc, saved);
}

int LiveSendToEntries() { return g_liveEntries; }
