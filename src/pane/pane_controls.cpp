#include "pane/pane_controls.h"

#include "model/folder_node.h"
#include "model/tree_items.h"

PaneControls Panes = {};
bool FindResultsMode = false;
FolderNode* CurrentFolder = nullptr;
int RowHeight = 16;
bool FilePaneActive = false;
ResortBranchFunction ResortBranchHook = nullptr;

namespace {

HTREEITEM ActiveItemOf(FolderNode* node) { return FindResultsMode ? node->findItem : node->mainItem; }

}  // namespace

void InvalidateNodeRow(FolderNode* node) {
  HWND list = ActiveList();
  if (!list) return;
  if (!IsFolderNode(node)) {
    InvalidateRect(list, nullptr, FALSE);
    return;
  }
  HTREEITEM item = ActiveItemOf(node);
  if (!item) return;
  RECT band;
  if (!ItemRect(ActiveTree(), item, false, &band)) return;
  RECT client;
  GetClientRect(ActiveTree(), &client);
  band.left = 0;
  band.right = client.right;
  InvalidateRect(list, &band, FALSE);
}

void InvalidateNodeItem(FolderNode* node) {
  if (!IsFolderNode(node)) {
    if (Panes.mainTree) InvalidateRect(Panes.mainTree, nullptr, FALSE);
    return;
  }
  HWND tree = ActiveTree();
  HTREEITEM item = ActiveItemOf(node);
  if (!tree || !item) return;
  RECT rect;
  if (ItemRect(tree, item, false, &rect)) InvalidateRect(tree, &rect, FALSE);
}

void AlignListTop() {
  HWND tree = ActiveTree();
  HWND list = ActiveList();
  if (!tree || !list) return;
  auto first = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
  if (!first) return;
  LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(first));
  if (index != LB_ERR) SendMessageA(list, LB_SETTOPINDEX, index, 0);
}

void ResortBranch(HWND tree, HTREEITEM start) {
  if (ResortBranchHook) ResortBranchHook(tree, start);
}
