#include "model/tree_items.h"

#include <cstring>

#include "model/folder_node.h"

FolderNode* NodeFromItem(HWND tree, HTREEITEM item) {
  if (!item) return nullptr;
  TVITEMA tv = {};
  tv.mask = TVIF_HANDLE | TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<FolderNode*>(tv.lParam);
}

void SetHasChildren(HWND tree, HTREEITEM item, int flag) {
  if (!item) return;
  TVITEMA tv = {};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = flag;
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

namespace {

TVINSERTSTRUCTA FolderInsertion(HTREEITEM parent, const char* text, int image, int selectedImage, FolderNode* node) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_FIRST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text);
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.lParam = reinterpret_cast<LPARAM>(node);
  return insert;
}

HTREEITEM SendInsertion(HWND tree, TVINSERTSTRUCTA* insert) {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(insert)));
}

}  // namespace

HTREEITEM InsertFolderItem(HWND tree, HTREEITEM parent, const char* text, int image, int selectedImage,
                           FolderNode* node) {
  TVINSERTSTRUCTA insert = FolderInsertion(parent, text, image, selectedImage, node);
  return SendInsertion(tree, &insert);
}

HTREEITEM InsertFolderItemWithButton(HWND tree, HTREEITEM parent, const char* text, int image, int selectedImage,
                                     FolderNode* node) {
  TVINSERTSTRUCTA insert = FolderInsertion(parent, text, image, selectedImage, node);
  insert.item.mask |= TVIF_CHILDREN;
  insert.item.cChildren = 1;
  return SendInsertion(tree, &insert);
}

FolderNode* ParentNode(HWND tree, HTREEITEM item) { return NodeFromItem(tree, ParentItem(tree, item)); }

void ItemText(HWND tree, HTREEITEM item, char* out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  TVITEMA text = {};
  text.mask = TVIF_HANDLE | TVIF_TEXT;
  text.hItem = item;
  text.pszText = out;
  text.cchTextMax = size;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&text));
  out[size - 1] = 0;
}

void DeleteNodeItem(HWND tree, FolderNode* node) {
  if (IsFolderNode(node) && node->mainItem)
    SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->mainItem));
}

bool ItemRect(HWND tree, HTREEITEM item, bool labelOnly, RECT* rect) {
  // The message takes the item handle in the rectangle it fills.
  std::memset(rect, 0, sizeof *rect);
  std::memcpy(rect, &item, sizeof item);
  return SendMessageA(tree, TVM_GETITEMRECT, labelOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(rect)) != 0;
}
