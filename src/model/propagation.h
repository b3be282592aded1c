// Upward bookkeeping of totals and completeness.  Ancestors' totals change
// only by signed deltas; nothing re-sums a subtree.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>

struct FolderNode;

// Adds the deltas to every ancestor's subtree totals up to the drive root and
// counts the node's completion into its parent.
void PropagateDelta(FolderNode* child, int64_t bytesDelta, int64_t allocatedDelta);
// PropagateDelta for the folders of a breadth-first walk, gathered on their
// way up.  Each ancestor receives the deltas of many folders at once, under
// one lock, instead of one lock per folder and ancestor; it is given them when
// the walk leaves its part of the tree, and at the latest a tenth of a second
// after they were added, so the totals on screen keep up.  What each ancestor
// holds afterwards is what one PropagateDelta per folder would have left: sums
// do not depend on their order, a folder's completion is counted at its
// parent once, after the completions below it, and a parent is finished when
// its count is reached, whichever child reached it.  A folder no longer in the
// tree adds nothing, and nothing passes an ancestor no longer in the tree, as
// with PropagateDelta.
class PendingPropagation {
 public:
  PendingPropagation() = default;
  PendingPropagation(const PendingPropagation&) = delete;
  PendingPropagation& operator=(const PendingPropagation&) = delete;
  ~PendingPropagation() { Flush(); }

  // |ancestors|: the child's, nearest first, as far as its drive root: a tree
  // item never changes its parent, so the chain a folder was found under
  // stays its chain, and no tree message is needed to walk it.
  void Add(FolderNode* child, int64_t bytesDelta, int64_t allocatedDelta, FolderNode* const* ancestors, size_t count);
  // Gives every ancestor what it is owed, before anything else changes them.
  void Flush() { FlushFrom(0); }

 private:
  struct Owed {
    FolderNode* child;  // counted at the ancestor when complete
    int64_t bytes;
    int64_t allocated;
  };
  struct Level {
    FolderNode* node;
    std::vector<Owed> children;
  };

  void FlushFrom(size_t top);
  void FlushLevel(size_t index);

  std::vector<Level> levels_;  // farthest ancestor first
  DWORD lastFlush_ = 0;
};

// Prepares a known subfolder for re-enumeration: it and its ancestors lose
// their final state until completions report upward again.
void ResetCompleteness(FolderNode* node);

// The node is no longer complete (it gained a subfolder, or is being
// removed): its completion, where it was counted, is taken back from its
// parent, and every ancestor finished on the strength of it is unfinished.
void WithdrawCompletion(FolderNode* node);

// After |parent| lost a subfolder: when every one left has reported, the
// parent is finished and its completion goes up the chain.
void FinishIfAllReported(FolderNode* parent);
