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

// Takes |child|'s counted completion back from |parent|, whose lock the
// caller holds.
void TakeBackReport(FolderNode* child, FolderNode* parent) {
  if (!child->completionReported) return;
  child->completionReported = 0;
  parent->subFoldersCalculated -= 1;
  if (parent->subFoldersCalculated < 0) ReportNegativeCalculated(parent->subFoldersCalculated);
}

// Finishes |parent| when every subfolder has reported; the caller holds its lock.
bool FinishWhenAllReported(FolderNode* parent) {
  if ((parent->flags & SUBTREE_COMPLETE) || parent->subFoldersCalculated != parent->subfolderCount) return false;
  parent->scanState = SCAN_DONE;
  parent->flags |= SUBTREE_COMPLETE;
  return true;
}

// Counts a complete |child| into |parent|, whose lock the caller holds, once.
void CountCompletion(FolderNode* child, FolderNode* parent) {
  if (!(child->flags & SUBTREE_COMPLETE) || child->completionReported) return;
  child->completionReported = 1;
  parent->subFoldersCalculated += 1;
  FinishWhenAllReported(parent);
}

// Adds the deltas to one ancestor and counts the child's completion there,
// once; false once the drive root has taken its share.
bool AddToAncestor(FolderNode* child, FolderNode* parent, int64_t bytesDelta, int64_t allocatedDelta) {
  LockNode(parent);
  parent->subtreeBytes += bytesDelta;
  parent->subtreeAllocated += allocatedDelta;
  CountCompletion(child, parent);
  UnlockNode(parent);
  return parent->kind != NODE_DRIVE_ROOT;
}

// Walks up from |node|'s parent, taking back each link's counted completion
// and unfinishing each ancestor; |running| also marks them as being scanned.
// One ancestor is locked at a time, after the caller's lock on |node| if any.
void UnfinishAncestors(FolderNode* node, bool running) {
  HWND tree = Panes.mainTree;
  const HTREEITEM top = TopItem(tree);
  FolderNode* child = node;
  for (HTREEITEM item = ParentItem(tree, node->mainItem); item && item != top; item = ParentItem(tree, item)) {
    FolderNode* ancestor = NodeFromItem(tree, item);
    if (!IsFolderNode(ancestor)) break;
    LockNode(ancestor);
    if (running) ancestor->scanState = SCAN_RUNNING;
    const bool reported = child->completionReported != 0;
    TakeBackReport(child, ancestor);
    const bool wasComplete = (ancestor->flags & SUBTREE_COMPLETE) != 0;
    ancestor->flags &= ~SUBTREE_COMPLETE;
    UnlockNode(ancestor);
    if (ancestor->kind == NODE_DRIVE_ROOT) break;
    // Above an ancestor that was neither counted nor finished nothing changes.
    if (!running && !reported && !wasComplete) break;
    child = ancestor;
  }
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

namespace {

// How long an ancestor's total may lag behind the folders found below it.
constexpr DWORD PENDING_LAG_MS = 100;

}  // namespace

void PendingPropagation::Add(FolderNode* child, int64_t bytesDelta, int64_t allocatedDelta,
                             FolderNode* const* ancestors, size_t count) {
  if (count == 0) return;
  // The levels this child shares with the ones before it stay; the others
  // are given what they are owed, from the bottom up.
  size_t shared = 0;
  while (shared < levels_.size() && shared < count && levels_[shared].node == ancestors[count - 1 - shared]) ++shared;
  if (levels_.empty()) lastFlush_ = GetTickCount();
  FlushFrom(shared);
  for (size_t i = shared; i < count; ++i) levels_.push_back({ancestors[count - 1 - i], {}});
  levels_.back().children.push_back({child, bytesDelta, allocatedDelta});
  if (GetTickCount() - lastFlush_ >= PENDING_LAG_MS) Flush();
}

void PendingPropagation::FlushFrom(size_t top) {
  while (levels_.size() > top) {
    FlushLevel(levels_.size() - 1);
    levels_.pop_back();
  }
  if (top == 0) lastFlush_ = GetTickCount();
}

void PendingPropagation::FlushLevel(size_t index) {
  Level& level = levels_[index];
  FolderNode* const node = level.node;
  if (level.children.empty() || !IsFolderNode(node)) return;
  int64_t bytes = 0;
  int64_t allocated = 0;
  bool added = false;
  LockNode(node);
  for (const Owed& owed : level.children) {
    if (!IsFolderNode(owed.child)) continue;
    added = true;
    bytes += owed.bytes;
    allocated += owed.allocated;
    CountCompletion(owed.child, node);
  }
  node->subtreeBytes += bytes;
  node->subtreeAllocated += allocated;
  UnlockNode(node);
  if (!added) return;
  RepaintNode(node, REPAINT_ROW);
  // The node's own completion, and the sums, are owed to the level above.
  if (index == 0 || node->kind == NODE_DRIVE_ROOT) return;
  std::vector<Owed>& above = levels_[index - 1].children;
  if (!above.empty() && above.back().child == node) {
    above.back().bytes += bytes;
    above.back().allocated += allocated;
  } else {
    above.push_back({node, bytes, allocated});
  }
}

void ResetCompleteness(FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return;
  LockNode(node);
  // The folder keeps its own finished subtree until its listing says
  // otherwise; only its files are to be counted again.
  if (node->flags & SUBTREE_COMPLETE) node->flags &= ~FILES_COUNTED;
  node->scanState = SCAN_NONE;
  UnfinishAncestors(node, true);
  UnlockNode(node);
}

void WithdrawCompletion(FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return;
  LockNode(node);
  node->flags &= ~SUBTREE_COMPLETE;
  UnfinishAncestors(node, false);
  UnlockNode(node);
  RepaintNode(node, REPAINT_ANCESTORS);
}

void FinishIfAllReported(FolderNode* parent) {
  if (!IsFolderNode(parent) || !IsDriveRoot(parent->root)) return;
  LockNode(parent);
  const bool finished = FinishWhenAllReported(parent);
  UnlockNode(parent);
  if (finished) PropagateDelta(parent, 0, 0);
}
