// What the export and the printout read: the folders of a branch of the
// active tree, each before its children with its level below the starting
// folder, and the column titles of the header.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

// The choices of the export and print dialogs, for one report.
struct ReportOptions {
  bool wholeTree = false;  // from the first root item instead of the selected branch
  bool allLevels = false;  // every folder, not only those the user can see
};

using ReportVisit = std::function<void(int level, HTREEITEM item)>;

// Visits |start| at level 0 and its descendants, each before its children:
// every one when |allLevels|, else only the children of expanded folders.
// |withSiblings|: the start item's later siblings follow, as other roots of a
// whole tree.
void WalkReportItems(HWND tree, HTREEITEM start, bool allLevels, bool withSiblings, const ReportVisit& visit);

// The selected folder of |tree|, or null.
HTREEITEM ReportCaret(HWND tree);

// The title of the header's item |index| (0 is the name column).
std::string HeaderItemTitle(HWND header, int index);
