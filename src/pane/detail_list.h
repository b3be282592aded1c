// Keeps each tree view and its detail list in step: every visible tree item
// has exactly one list entry, in the same order, so entry i is painted level
// with the i-th visible item.  Also the expand and collapse commands.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <string>

struct FolderNode;

constexpr int DETAIL_LIST_ID = 10001;
constexpr int DETAIL_LIST_LEFT = 350;  // the name column's width until the columns say otherwise

// Creates the owner-drawn list inside |tree| and subclasses both.  |findPair|
// selects which listed flag and item handle of a node the pair uses.
HWND CreateDetailList(HWND tree, bool findPair);

// What other rooms plug in: row painting, the sort order, the popup menu
// over the pane, the name-width cache and the horizontal scroll bar.
using PaintRowFunction = void (*)(const DRAWITEMSTRUCT* item);
// The sort parameter for sorting |parent|'s children, asked just before.
using SortParameterFunction = LPARAM (*)(HWND tree, HTREEITEM parent);
using PopupMenuFunction = void (*)(HWND owner, POINT screen, int column);
using PaneEventFunction = void (*)();
extern PaintRowFunction PaintRowHook;
extern PFNTVCOMPARE SortCompareHook;  // null: branches keep their order
extern SortParameterFunction SortParameterHook;
extern PopupMenuFunction PanePopupHook;
extern PaneEventFunction ResetNameWidthHook;
extern PaneEventFunction PlaceScrollBarHook;

// Runs |run| on the thread that owns |tree| (the user-interface thread),
// while a worker calling it waits; a direct call on that thread.
void RunOnTreeThread(HWND tree, const std::function<void()>& run);

// Redraw of both lists is off while any freeze is open.
void FreezeListRedraw();
void ThawListRedraw();

// WM_NOTIFY from a tree view of a pair; returns true when handled (|result| set).
bool OnPaneTreeNotify(const NMHDR* header, LRESULT* result);

// One level of an unscanned folder is enumerated before it opens, then its
// children are sorted.
void PrepareNodeForExpansion(HWND tree, HTREEITEM item);
// After TVN_ITEMEXPANDED (or a TVM_EXPAND sent by the commands); from any
// thread, carried out on the tree's own.
void SyncListAfterExpand(HWND tree, HTREEITEM item, UINT action);

// The commands 45207 to 45210 on the caret item (or the first root).
void ExpandOneLevelCommand();
void ExpandAllCommand();  // on a worker that sends each step to the tree
void CollapseBranchCommand();
void CollapseAllCommand();  // on a worker that sends each step to the tree

// Finds the item of |path| (case-insensitive) from |start| (null: the drives).
HTREEITEM SelectByPath(HWND tree, const char* path, HTREEITEM start, bool select, bool expand);
// Depth-first over every descendant of |start|, expanded or not.
FolderNode* FindNodeByIdList(HWND tree, HTREEITEM start, LPCITEMIDLIST list);

// Command 45224: reports every visible item whose entry is missing or wrong.
void VerifyPairing();
