// Fills the folder tree with real numbers: one enumeration lists a folder's
// entries once, sizes its files, creates or reuses a node per subfolder and
// reports the change of its own totals upward.
#pragma once
#include <cstdint>

struct FolderNode;
struct NodeList;
struct WorkerRecord;

// How much one enumeration changed the folder's own totals.
struct OwnDelta {
  int64_t bytes;
  int64_t allocated;
};

// Returns 1 when the folder could be listed, 0 when not.  |delta|, when
// given, receives the change of the folder's own totals, measured under the
// folder's lock so that two scans meeting in one folder report it once each
// way rather than twice.
int EnumerateFolder(FolderNode* node, uint32_t clusterSize, NodeList* queue, bool descendKnown,
                    OwnDelta* delta = nullptr);

// Breadth-first scan from |node|; |worker|'s stop flag is read between folders.
int ScanSubtree(FolderNode* node, bool descendKnown, WorkerRecord* worker);

// Enumerates one folder without descending (expanding an unscanned folder, refresh).
int ScanOneLevel(FolderNode* node);
