#include "shell/context_menu.h"

#include <shlobj.h>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "model/folder_node.h"
#include "pane/pane_controls.h"
#include "resource.h"
#include "shell/com_ptr.h"
#include "shell/send_to_menu.h"
#include "shell/shell_items.h"

namespace {

constexpr UINT FIRST_SHELL_COMMAND = 1;
constexpr UINT LAST_SHELL_COMMAND = 0x7FFF;
constexpr int RENAME_FROM_END = 2;

bool IsShellSendToMenu(HMENU menu) {
  if (!menu || GetMenuItemCount(menu) != 1) return false;
  const UINT id = GetMenuItemID(menu, 0);
  for (UINT sendTo : SHELL_SEND_TO_IDS)
    if (id == sendTo) return true;
  return false;
}

// The shell's Send To submenu, when it has one, becomes the program's.
void ReplaceSendTo(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (!IsShellSendToMenu(GetSubMenu(menu, i))) continue;
    SendToMenu = CreateSendToMenu();
    if (!SendToMenu) return;
    char text[MAX_PATH] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    ModifyMenuA(menu, i, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(SendToMenu), text);
    return;
  }
}

bool CanRename(const FolderNode* node) {
  LPCITEMIDLIST items[] = {node->relativeIdList};
  SFGAOF attributes = SFGAO_CANRENAME;
  return SUCCEEDED(node->parentFolder->GetAttributesOf(1, items, &attributes)) && (attributes & SFGAO_CANRENAME);
}

}  // namespace

void ShowFolderContextMenu(FolderNode* node, POINT point, HTREEITEM item) {
  if (!IsFolderNode(node) || !node->parentFolder || !node->relativeIdList) return;
  HWND tree = ActiveTree();
  LPCITEMIDLIST items[] = {node->relativeIdList};
  ComPtr<IContextMenu> shellMenu;
  if (FAILED(node->parentFolder->GetUIObjectOf(MainWindow, 1, items, IID_IContextMenu, nullptr, shellMenu.OutVoid())) ||
      !shellMenu)
    return;
  ClientToScreen(tree, &point);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  shellMenu->QueryContextMenu(menu, 0, FIRST_SHELL_COMMAND, LAST_SHELL_COMMAND, CMF_EXPLORE);
  ReplaceSendTo(menu);
  if (CanRename(node)) {
    const int count = GetMenuItemCount(menu);
    const UINT position = count > RENAME_FROM_END ? count - RENAME_FROM_END : 0;
    InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, IDM_RENAME, ResourceString(IDS_CONTEXT_RENAME).c_str());
  }
  const UINT id = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, MainWindow, nullptr));
  if (!HandleSendToCommand(MainWindow, SendToMenu, id)) {
    if (id == IDM_RENAME)
      PostMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
    else if (id)
      InvokeMenuVerb(shellMenu.get(), MainWindow, id - FIRST_SHELL_COMMAND);
  }
  if (SendToMenu) DestroySendToMenu(SendToMenu);
  SendToMenu = nullptr;
  DestroyMenu(menu);
}
