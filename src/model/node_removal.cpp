#include "model/node_removal.h"

#include "app/diagnostics.h"
#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/propagation.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"

NodeList RetiredNodes = {};
NodeList* WatchedFoldersList = nullptr;

namespace {

void DeleteRow(HWND list, HTREEITEM item) {
  if (!list) return;
  LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
  if (index != LB_ERR) SendMessageA(list, LB_DELETESTRING, index, 0);
}

FolderNode* NodeOfNotification(const NMTREEVIEWA* notification) {
  if (!(notification->itemOld.mask & TVIF_PARAM)) return nullptr;
  return reinterpret_cast<FolderNode*>(notification->itemOld.lParam);
}

}  // namespace

void OnMainTreeDeleteItem(const NMTREEVIEWA* notification) {
  DeleteRow(Panes.mainList, notification->itemOld.hItem);

  FolderNode* node = NodeOfNotification(notification);
  if (!IsFolderNode(node) || node->shellAttributes == DELETED_MARK) return;
  node->shellAttributes = DELETED_MARK;

  if (node->findItem && Panes.findTree)
    SendMessageA(Panes.findTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->findItem));

  if (!ShuttingDown) {
    // The tree still links the item to its parent while it reports the deletion.
    // A finished folder's counted completion goes with it, or its parent
    // would wait for a report that never comes, or finish too early later.
    WithdrawCompletion(node);
    PropagateDelta(node, -node->ownBytes, -node->ownAllocated);
    FolderNode* parent = ParentNode(Panes.mainTree, notification->itemOld.hItem);
    if (IsFolderNode(parent)) {
      LockNode(parent);
      parent->subfolderCount -= 1;
      if (parent->subfolderCount < 0) DiagnosticSink(1, "Number of subfolders fell below 0");
      UnlockNode(parent);
      FinishIfAllReported(parent);
      // The repaints asked for above name this node, which is retired before
      // they are carried out: the rows above it are asked for by its parent.
      RepaintNode(parent, REPAINT_ROW | REPAINT_ANCESTORS);
    }
  }

  LockNode(node);
  if (WatchedFoldersList) WatchedFoldersList->TakeByIdList(node->absoluteIdList);
  HANDLE lock = node->lock;
  node->magic = 0;
  node->mainItem = nullptr;
  node->findItem = nullptr;
  RetiredNodes.Append(node);
  // UnlockNode refuses a retired node, so release the lock taken above directly.
  if (lock) ReleaseMutex(lock);
}

void OnFindTreeDeleteItem(const NMTREEVIEWA* notification) {
  DeleteRow(Panes.findList, notification->itemOld.hItem);
  FolderNode* node = NodeOfNotification(notification);
  if (!IsFolderNode(node)) return;
  node->inFindList = 0;
  node->findItem = nullptr;
}

void ReleaseRetiredNodes() {
  DiscardQueuedRepaints();
  while (FolderNode* node = RetiredNodes.PopFront()) FreeNodeRecord(node);
}
