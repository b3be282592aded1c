#include "model/propagation.h"

#include <cstdio>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"

namespace {

void ReportNegativeCalculated(int64_t value) {
  char text[64];
  std::snprintf(text, sizeof text, "SubFoldersCalculated %d ", static_cast<int>(value));
  DiagnosticSink(1, text);
}

// One child's completion report withdrawn from |ancestor|.  The direct parent
// never goes below zero; further ancestors lower any non-zero count.
void WithdrawCompletion(FolderNode* ancestor, bool directParent) {
  ancestor->flags &= ~SUBTREE_COMPLETE;
  int64_t& calculated = ancestor->subFoldersCalculated;
  if (directParent ? calculated > 0 : calculated != 0) calculated -= 1;
  if (ancestor->subFoldersCalculated < 0) ReportNegativeCalculated(ancestor->subFoldersCalculated);
}

// Adds the deltas to one ancestor and counts the child's completion there;
// false once the drive root has taken its share.
bool AddToAncestor(FolderNode* child, FolderNode* parent, int64_t bytesDelta, int64_t allocatedDelta) {
  LockNode(parent);
  parent->subtreeBytes += bytesDelta;
  parent->subtreeAllocated += allocatedDelta;
  if ((child->flags & SUBTREE_COMPLETE) && !(parent->flags & SUBTREE_COMPLETE)) {
    parent->subFoldersCalculated += 1;
    if (parent->subFoldersCalculated == parent->subfolderCount) {
      parent->scanState = SCAN_DONE;
      parent->flags |= SUBTREE_COMPLETE;
    }
  }
  UnlockNode(parent);
  return parent->kind != NODE_DRIVE_ROOT;
}

}  // namespace

// Both forms ask for one repaint of the whole chain, rather than one per ancestor.
void PropagateDelta(FolderNode* child, int64_t bytesDelta, int64_t allocatedDelta) {
  HWND tree = Panes.mainTree;
  FolderNode* const first = child;
  bool reached = false;
  while (IsFolderNode(child)) {
    FolderNode* parent = ParentNode(tree, child->mainItem);
    if (!IsFolderNode(parent)) break;
    reached = true;
    if (!AddToAncestor(child, parent, bytesDelta, allocatedDelta)) break;
    child = parent;
  }
  if (reached) RepaintNode(first, REPAINT_ANCESTORS);
}

void PropagateDeltaAlong(FolderNode* child, FolderNode* const* ancestors, size_t count, int64_t bytesDelta,
                         int64_t allocatedDelta) {
  FolderNode* const first = child;
  bool reached = false;
  for (size_t i = 0; i < count && IsFolderNode(child); ++i) {
    FolderNode* parent = ancestors[i];
    if (!IsFolderNode(parent)) break;
    reached = true;
    if (!AddToAncestor(child, parent, bytesDelta, allocatedDelta)) break;
    child = parent;
  }
  if (reached) RepaintNode(first, REPAINT_ANCESTORS);
}

void ResetCompleteness(FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return;
  HWND tree = Panes.mainTree;
  LockNode(node);
  const bool wasComplete = (node->flags & SUBTREE_COMPLETE) != 0;
  HTREEITEM parentItem = ParentItem(tree, node->mainItem);
  if (wasComplete) {
    node->flags &= ~FILES_COUNTED;
    FolderNode* parent = NodeFromItem(tree, parentItem);
    if (!IsFolderNode(parent) || parentItem == TopItem(tree)) {
      UnlockNode(node);
      return;
    }
    LockNode(parent);
    WithdrawCompletion(parent, true);
    UnlockNode(parent);
  }
  node->scanState = SCAN_NONE;
  for (HTREEITEM item = parentItem; item; item = ParentItem(tree, item)) {
    FolderNode* ancestor = NodeFromItem(tree, item);
    if (!IsFolderNode(ancestor)) break;
    LockNode(ancestor);
    ancestor->scanState = SCAN_RUNNING;
    if (wasComplete && (ancestor->flags & SUBTREE_COMPLETE)) WithdrawCompletion(ancestor, false);
    UnlockNode(ancestor);
    if (ancestor->kind == NODE_DRIVE_ROOT) break;
  }
  UnlockNode(node);
}
