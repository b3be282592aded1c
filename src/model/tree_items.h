// Tree-control operations on folder items.  Navigation uses TVM_GETNEXTITEM
// only, so the same calls work from worker threads (they are sent to the
// user-interface thread that owns the control).
#pragma once
#include <windows.h>
#include <commctrl.h>

struct FolderNode;

FolderNode* NodeFromItem(HWND tree, HTREEITEM item);
void SetHasChildren(HWND tree, HTREEITEM item, int flag);
HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const char* text, int image, int selectedImage,
                           FolderNode* node);
// InsertFolderItem followed by SetHasChildren(1), in one message.
HTREEITEM InsertFolderItemWithButton(HWND tree, HTREEITEM parent, const char* text, int image, int selectedImage,
                                     FolderNode* node);

// A subfolder's item as InsertFolderItemWithButton inserts it; |node->mainItem| receives the item.
struct FolderItemInsertion {
  const char* text;
  int image;
  int selectedImage;
  FolderNode* node;
};

inline HTREEITEM TreeNext(HWND tree, HTREEITEM item, UINT code) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}
inline HTREEITEM ParentItem(HWND tree, HTREEITEM item) { return item ? TreeNext(tree, item, TVGN_PARENT) : nullptr; }
inline HTREEITEM FirstChildItem(HWND tree, HTREEITEM item) { return TreeNext(tree, item, TVGN_CHILD); }
inline HTREEITEM NextSiblingItem(HWND tree, HTREEITEM item) { return TreeNext(tree, item, TVGN_NEXT); }
inline HTREEITEM TopItem(HWND tree) { return TreeNext(tree, nullptr, TVGN_ROOT); }

// TVM_GETITEMRECT: the whole line, or the label only; false when the item is
// not shown.
bool ItemRect(HWND tree, HTREEITEM item, bool labelOnly, RECT* rect);

// The node of the item's parent, or null.
FolderNode* ParentNode(HWND tree, HTREEITEM item);

// The item's text into |out| (|size| bytes, always terminated).
void ItemText(HWND tree, HTREEITEM item, char* out, int size);

// Deletes the node's item from |tree| (its TVN_DELETEITEM retires the node).
void DeleteNodeItem(HWND tree, FolderNode* node);
