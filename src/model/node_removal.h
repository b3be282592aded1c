// What happens to a record when its tree item is deleted, and the release of
// retired records at exit.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "model/node_list.h"

extern NodeList RetiredNodes;
// Folders under change notification; null until change monitoring sets it.
extern NodeList* WatchedFoldersList;

// TVN_DELETEITEM of the main tree: drops the row, subtracts the node's totals
// from its ancestors and retires the node.
void OnMainTreeDeleteItem(const NMTREEVIEWA* notification);
// TVN_DELETEITEM of the find-results tree: the row and the node's find fields only.
void OnFindTreeDeleteItem(const NMTREEVIEWA* notification);

// After the message loop: frees every retired record.
void ReleaseRetiredNodes();
