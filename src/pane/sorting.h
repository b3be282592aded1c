// The order of sibling folders: by the current sort column, ties by name
// ascending, and the header clicks that choose or reverse the column.
#pragma once
#include <windows.h>
#include <commctrl.h>

struct ColumnInfo;

// A TVM_SORTCHILDRENCB callback: the two item parameters are folder records,
// |sortColumn| the ColumnInfo to sort by.
int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM sortColumn);

// Makes CompareNodes with the current sort column the tree's order (each
// sort of a long list of children planned first, so that the same order costs
// fewer shell comparisons).
void InstallSorting();

// HDN_ITEMCLICK of the column header; false when the item has no column.
bool OnSortHeaderClick(const NMHEADERA* click);
