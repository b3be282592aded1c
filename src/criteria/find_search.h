// The search for folders that meet the find criteria, on a worker thread,
// and the find-results tree it fills: each folder found with its chain of
// parent folders (tree display) or as one entry with its full path (list
// display).  The results' items carry the main tree's own records, so their
// rows show live totals.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

struct WorkerRecord;

// The running search, or null.  Stop and Exit set its stop flag.
extern WorkerRecord* volatile FindSearchWorker;
// 1: the next search adds to the last one's results instead of clearing them.
extern uint8_t MergeResults;

// Thread routine for StartWorker; the record's param is the node to search
// from: a drive root, a folder, or the top node for all drives.
DWORD WINAPI RunFindSearch(void* record);

// The item of |tree| whose folder's path is |path| (letter case aside),
// looked up component by component from the drives; null when there is none.
HTREEITEM FindPathItem(HWND tree, const char* path);
