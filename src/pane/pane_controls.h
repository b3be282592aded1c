// The two tree views and their paired detail lists, as the model and the
// scanner reach them.  The main window sets the handles when it creates the
// panes (tests set them on their own windows).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstddef>

struct FolderNode;

struct PaneControls {
  HWND mainTree;
  HWND mainList;  // detail list paired with the main tree
  HWND findTree;  // find-results tree
  HWND findList;
};
extern PaneControls Panes;
extern bool FindResultsMode;  // the find-results tree is the one shown
// Height of one tree item, and so of one detail-list entry, as the tree
// last gave it (16 before any tree is paired).
extern int RowHeight;
// The file pane has had the keyboard focus more recently than the folder pane.
extern bool FilePaneActive;
// The folder the user has selected in the active tree; null before any.
extern FolderNode* CurrentFolder;

inline HWND ActiveTree() { return FindResultsMode ? Panes.findTree : Panes.mainTree; }
inline HWND ActiveList() { return FindResultsMode ? Panes.findList : Panes.mainList; }

// Repaints the node's row in the active detail list (the whole list for an
// invalid node); the second form repaints its tree item instead.
void InvalidateNodeRow(FolderNode* node);
void InvalidateNodeItem(FolderNode* node);

// What a worker asks to be repainted when a folder's numbers change.
constexpr UINT REPAINT_ROW = 0x1;        // the node's detail row
constexpr UINT REPAINT_ITEM = 0x2;       // the node's tree item
constexpr UINT REPAINT_ANCESTORS = 0x4;  // the rows of its ancestors up to its drive root
// The repaints of |what| for |node|.  From another thread they join the
// worker's tree updates below; the user-interface thread answers the row
// questions on its own controls and repaints the rows of ancestors gathered a
// tenth of a second later.  On the user-interface thread (or before the relay
// exists) they happen at once.
void RepaintNode(FolderNode* node, UINT what);
struct FolderItemInsertion;

// Changes a scan makes to the main tree.  From another thread they are queued
// for the user-interface thread, which owns the tree, and carried out there in
// the order they were made, while the worker goes on; a new subfolder's
// |mainItem| is set once its item is in.  On the user-interface thread they
// happen at once.
void InsertSubfolderItem(HWND tree, FolderNode* parent, const FolderItemInsertion& item);
void SetNodeHasChildren(HWND tree, FolderNode* node, int flag);
// Returns once every queued update has been carried out, so the caller can
// read the tree it changed.
void FlushTreeUpdates();
// Creates the relay that carries out the queued updates; user-interface thread only.
void StartRepaintRelay();
// Drops the updates still queued, before retired records are freed (the
// subfolders never inserted are retired with them); the gathered ancestors'
// rows become one repaint of the whole list.
void DiscardQueuedRepaints();

// Sets the active list's top entry to the tree's first visible item.
void AlignListTop();

// Re-sorts the expanded part of a branch by the current sort column.  The
// sorting code installs itself here; until then branches keep their order.
using ResortBranchFunction = void (*)(HWND tree, HTREEITEM start);
extern ResortBranchFunction ResortBranchHook;
void ResortBranch(HWND tree, HTREEITEM start);
