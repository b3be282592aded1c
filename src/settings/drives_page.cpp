#include "settings/drives_page.h"

#include <commctrl.h>
#include <shlobj.h>

#include "app/help.h"
#include "model/root_list.h"
#include "model/tree_items.h"
#include "resource.h"
#include "settings/settings_record.h"
#include "settings/sheet_pages.h"
#include "shell/shell_items.h"

namespace {

constexpr int DRIVE_LETTERS = 26;

// What the tree item of one drive carries.
struct DriveEntry {
  UINT type;    // as GetDriveTypeA reports it
  UINT number;  // 1 for A: to 26 for Z:
};

// One "all drives of a kind" box and the record value it is stored in.
struct DriveGroup {
  int box;
  uint32_t SettingsRecord::*value;
};
const DriveGroup GROUPS[] = {
    {IDC_DRIVES_ALL_REMOVABLE, &SettingsRecord::allRemovable},
    {IDC_DRIVES_ALL_FIXED, &SettingsRecord::allFixed},
    {IDC_DRIVES_ALL_NETWORK, &SettingsRecord::allNetwork},
    {IDC_DRIVES_ALL_OTHER, &SettingsRecord::allOther},
};
constexpr int GROUP_COUNT = sizeof GROUPS / sizeof GROUPS[0];

// Removable, fixed and network drives have their own box; CD-ROMs, RAM disks
// and drives of no known type share the last.
int GroupOf(UINT type) {
  switch (type) {
    case DRIVE_REMOVABLE:
      return 0;
    case DRIVE_FIXED:
      return 1;
    case DRIVE_REMOTE:
      return 2;
    default:
      return 3;
  }
}

struct DrivesPage {
  SettingsRecord* working = nullptr;
  ImageList states;
  bool hideOthers = false;
};
DrivesPage g_page;

HWND Tree(HWND page) { return GetDlgItem(page, IDC_DRIVES_TREE); }

const DriveEntry* EntryOf(HWND tree, HTREEITEM item) {
  TVITEMA data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data))) return nullptr;
  return reinterpret_cast<const DriveEntry*>(data.lParam);
}

void AddDrive(HWND tree, IShellFolder* desktop, UINT number, UINT type) {
  const char root[] = {static_cast<char>('A' + number - 1), ':', '\\', 0};
  char name[SHELL_TEXT_MAX];
  lstrcpynA(name, root, sizeof name);
  TVINSERTSTRUCTA insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  if (LPITEMIDLIST list = IdListFromPath(root, nullptr, nullptr)) {
    if (desktop) DisplayNameOf(desktop, list, SHGDN_NORMAL, name);
    ItemIcons(list, &insert.item);
    FreeIdList(list);
  }
  const bool chosen = (g_page.working->scanDrives & (1u << number)) && g_page.working->*GROUPS[GroupOf(type)].value;
  insert.item.pszText = name;
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = INDEXTOSTATEIMAGEMASK(chosen ? STATE_CHECKED : STATE_UNCHECKED);
  insert.item.lParam = reinterpret_cast<LPARAM>(new DriveEntry{type, number});
  SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
}

void FillDrives(HWND tree) {
  SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  TreeView_SetImageList(tree, SystemSmallIconList(), TVSIL_NORMAL);
  TreeView_SetImageList(tree, g_page.states.get(), TVSIL_STATE);
  IShellFolder* desktop = nullptr;
  SHGetDesktopFolder(&desktop);
  const DWORD present = GetLogicalDrives();
  for (UINT number = 1; number <= DRIVE_LETTERS; ++number) {
    if (!(present & (1u << (number - 1)))) continue;
    const char root[] = {static_cast<char>('A' + number - 1), ':', '\\', 0};
    const UINT type = GetDriveTypeA(root);
    if (type == DRIVE_NO_ROOT_DIR || type > DRIVE_RAMDISK) continue;
    AddDrive(tree, desktop, number, type);
  }
  if (desktop) desktop->Release();
}

// The group boxes and the selected-drives text from the tree's check marks.
void ShowSelection(HWND page) {
  HWND tree = Tree(page);
  int drives[GROUP_COUNT] = {}, checked[GROUP_COUNT] = {};
  char letters[DRIVE_LETTERS + 1];
  for (char& letter : letters) letter = '.';
  letters[DRIVE_LETTERS] = 0;
  for (HTREEITEM item = TopItem(tree); item; item = NextSiblingItem(tree, item)) {
    const DriveEntry* drive = EntryOf(tree, item);
    if (!drive) continue;
    const int group = GroupOf(drive->type);
    ++drives[group];
    if (!IsItemChecked(tree, item)) continue;
    ++checked[group];
    letters[drive->number - 1] = static_cast<char>('A' + drive->number - 1);
  }
  for (int i = 0; i < GROUP_COUNT; ++i) {
    UINT state = BST_INDETERMINATE;
    if (checked[i] == 0)
      state = BST_UNCHECKED;
    else if (checked[i] == drives[i])
      state = BST_CHECKED;
    CheckDlgButton(page, GROUPS[i].box, state);
  }
  SetDlgItemTextA(page, IDC_DRIVES_SELECTED, letters);
}

// A box that was checked clears its drives; unchecked or mixed, it checks them all.
void OnGroupClicked(HWND page, int group) {
  const bool check = IsDlgButtonChecked(page, GROUPS[group].box) != BST_CHECKED;
  HWND tree = Tree(page);
  for (HTREEITEM item = TopItem(tree); item; item = NextSiblingItem(tree, item)) {
    const DriveEntry* drive = EntryOf(tree, item);
    if (drive && GroupOf(drive->type) == group) SetItemChecked(tree, item, check);
  }
  ShowSelection(page);
}

void OnTreeClick(HWND page) {
  HWND tree = Tree(page);
  UINT where = 0;
  HTREEITEM item = ItemAtMessagePos(tree, &where);
  if (!item || !(where & (TVHT_ONITEM | TVHT_ONITEMSTATEICON))) return;
  SetItemChecked(tree, item, !IsItemChecked(tree, item));
  ShowSelection(page);
}

void Apply(HWND page) {
  SettingsRecord* working = g_page.working;
  for (const DriveGroup& group : GROUPS)
    Settings.*group.value = static_cast<uint32_t>(IsDlgButtonChecked(page, group.box));
  HWND tree = Tree(page);
  for (HTREEITEM item = TopItem(tree); item; item = NextSiblingItem(tree, item)) {
    const DriveEntry* drive = EntryOf(tree, item);
    if (!drive) continue;
    if (IsItemChecked(tree, item))
      Settings.scanDrives |= 1u << drive->number;
    else
      Settings.scanDrives &= ~(1u << drive->number);
  }
  TreeView_SetImageList(tree, nullptr, TVSIL_STATE);
  g_page.states.Reset();
  Settings.showOnlyScanDrives = g_page.hideOthers ? 1 : 0;
  for (const DriveGroup& group : GROUPS) working->*group.value = Settings.*group.value;
  working->scanDrives = Settings.scanDrives;
  working->showOnlyScanDrives = Settings.showOnlyScanDrives;
  BuildRootList();
}

bool OnNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_APPLY:
      Apply(page);
      return true;
    case PSN_HELP:
      ShowHelp(page, HELP_CONTEXT_OPTIONS);
      return true;
    case NM_CLICK:
      if (header->idFrom == IDC_DRIVES_TREE) OnTreeClick(page);
      return true;
    case TVN_DELETEITEMA:
    case TVN_DELETEITEMW:
      delete reinterpret_cast<const DriveEntry*>(reinterpret_cast<const NMTREEVIEWA*>(header)->itemOld.lParam);
      return true;
  }
  return false;
}

}  // namespace

INT_PTR CALLBACK DrivesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CentreSheetOnce(page);
      g_page.working = reinterpret_cast<SettingsRecord*>(PageData(lParam));
      g_page.states.Reset(LoadCheckStateImages());
      FillDrives(Tree(page));
      ShowSelection(page);
      g_page.hideOthers = g_page.working->showOnlyScanDrives != 0;
      CheckDlgButton(page, IDC_DRIVES_HIDE_OTHERS, g_page.hideOthers ? BST_CHECKED : BST_UNCHECKED);
      return TRUE;
    case WM_COMMAND:
      for (int i = 0; i < GROUP_COUNT; ++i) {
        if (LOWORD(wParam) != GROUPS[i].box) continue;
        OnGroupClicked(page, i);
        return TRUE;
      }
      if (LOWORD(wParam) != IDC_DRIVES_HIDE_OTHERS) return FALSE;
      g_page.hideOthers = IsDlgButtonChecked(page, IDC_DRIVES_HIDE_OTHERS) == BST_CHECKED;
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_DESTROY:
      // The tree's items go first, so the image list outlives their painting.
      SendMessageA(Tree(page), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      TreeView_SetImageList(Tree(page), nullptr, TVSIL_STATE);
      g_page.states.Reset();
      return FALSE;
  }
  return FALSE;
}
