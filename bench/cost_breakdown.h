// Where a scan's time goes, per folder: the shell calls the scanner makes,
// timed one by one on a tree of their own, and the messages a scan worker
// sends the user-interface thread, counted and timed there.
#pragma once
#include <string>

struct FolderNode;

// |path| is a freshly made tree and |node| its not yet scanned item: the
// node is scanned with the counters on, then the shell calls are timed on
// the same folders.  Prints its own section.
void PrintCostBreakdown(const std::string& path, FolderNode* node);
