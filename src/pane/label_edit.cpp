#include "pane/label_edit.h"

#include <shlobj.h>

#include "model/folder_node.h"
#include "model/tree_items.h"

namespace {

bool CanRename(FolderNode* node) {
  // As for the rename command, which is off on the top node and the drives.
  if (!IsFolderNode(node) || !IsDriveRoot(node->root) || node->root == node) return false;
  if (!node->parentFolder || !node->relativeIdList) return false;
  LPCITEMIDLIST items[] = {node->relativeIdList};
  SFGAOF attributes = SFGAO_CANRENAME;
  return SUCCEEDED(node->parentFolder->GetAttributesOf(1, items, &attributes)) && (attributes & SFGAO_CANRENAME);
}

}  // namespace

bool RefuseLabelEdit(HWND tree, HTREEITEM item) {
  if (CanRename(NodeFromItem(tree, item))) return false;
  MessageBeep(MB_ICONEXCLAMATION);
  return true;
}

void CloseLabelEditor(HWND tree) {
  if (SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)) SendMessageA(tree, TVM_ENDEDITLABELNOW, TRUE, 0);
}
