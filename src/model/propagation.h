// Upward bookkeeping of totals and completeness.  Ancestors' totals change
// only by signed deltas; nothing re-sums a subtree.
#pragma once
#include <cstddef>
#include <cstdint>

struct FolderNode;

// Adds the deltas to every ancestor's subtree totals up to the drive root and
// counts the node's completion into its parent.
void PropagateDelta(FolderNode* child, int64_t bytesDelta, int64_t allocatedDelta);
// The same with the child's ancestors already known, nearest first, as far as
// its drive root: a tree item never changes its parent, so the chain a folder
// was found under stays its chain, and no tree message is needed to walk it.
void PropagateDeltaAlong(FolderNode* child, FolderNode* const* ancestors, size_t count, int64_t bytesDelta,
                         int64_t allocatedDelta);

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
