#include "pane/sorting.h"

#include <shlobj.h>

#include <cstring>

#include "model/folder_node.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "pane/column_info.h"
#include "pane/columns.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"

namespace {

template <typename T>
int Sign(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// The desktop compares two lists item by item and, while the items match,
// binds each level to compare the rest there; for two folders under the same
// byte-equal parent list that ends in the parent folder comparing their last
// items, which is asked here directly instead of binding every level anew.
bool CompareSiblings(const FolderNode* a, const FolderNode* b, int* result) {
  UINT prefixA = 0, prefixB = 0;
  if (!a->parentFolder || !EndsWithItem(a->absoluteIdList, a->relativeIdList, &prefixA) ||
      !EndsWithItem(b->absoluteIdList, b->relativeIdList, &prefixB) || prefixA != prefixB ||
      std::memcmp(a->absoluteIdList, b->absoluteIdList, prefixA) != 0)
    return false;
  HRESULT compared = a->parentFolder->CompareIDs(0, a->relativeIdList, b->relativeIdList);
  *result = FAILED(compared) ? 0 : static_cast<short>(HRESULT_CODE(compared));
  return true;
}

int CompareNames(const FolderNode* a, const FolderNode* b) {
  if (IdListBytesEqual(a->absoluteIdList, b->absoluteIdList)) return 0;  // equal bytes, equal items
  int siblings = 0;
  if (CompareSiblings(a, b, &siblings)) return siblings;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return 0;
  HRESULT result = desktop->CompareIDs(0, a->absoluteIdList, b->absoluteIdList);
  desktop->Release();
  if (FAILED(result)) return 0;
  return static_cast<short>(HRESULT_CODE(result));
}

int PrimaryResult(uint32_t id, const FolderNode* a, const FolderNode* b) {
  switch (id) {
    case COLUMN_TOTAL:
      return Sign(NodeSizes(a).total, NodeSizes(b).total);
    case COLUMN_OWN_FILES:
      return Sign(NodeSizes(a).own, NodeSizes(b).own);
    case COLUMN_SUBFOLDERS:
      return Sign(NodeSizes(a).subtree, NodeSizes(b).subtree);
    case COLUMN_NAME:
      return CompareNames(a, b);
    case COLUMN_FOLDER_COUNT:
      return Sign(a->subfolderCount, b->subfolderCount);
    case COLUMN_FILE_COUNT:
      return Sign(a->fileCount, b->fileCount);
    case COLUMN_ACCESSED:
      return CompareFileTime(&a->lastAccess, &b->lastAccess);
    case COLUMN_MODIFIED:
      return CompareFileTime(&a->lastWrite, &b->lastWrite);
    case COLUMN_CREATED:
      return CompareFileTime(&a->created, &b->created);
    default:
      return 0;  // capacity has no order of its own
  }
}

LPARAM CurrentSortParameter() { return reinterpret_cast<LPARAM>(SortColumn()); }

}  // namespace

int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM sortColumn) {
  auto* column = reinterpret_cast<const ColumnInfo*>(sortColumn);
  auto* a = reinterpret_cast<const FolderNode*>(first);
  auto* b = reinterpret_cast<const FolderNode*>(second);
  if (!column || !IsFolderNode(a) || !IsFolderNode(b)) return 0;
  int result = PrimaryResult(column->id, a, b);
  if (result != 0 && !column->ascending) result = -result;
  if (result != 0) return result;
  return CompareNames(a, b);  // ties by name, ascending in both directions
}

void InstallSorting() {
  SortCompareHook = CompareNodes;
  SortParameterHook = CurrentSortParameter;
}

bool OnSortHeaderClick(const NMHEADERA* click) {
  ColumnInfo* column = nullptr;
  if (click->pitem && (click->pitem->mask & HDI_LPARAM)) column = reinterpret_cast<ColumnInfo*>(click->pitem->lParam);
  if (!column) {
    HDITEMA item = {};
    item.mask = HDI_LPARAM;
    if (SendMessageA(click->hdr.hwndFrom, HDM_GETITEMA, click->iItem, reinterpret_cast<LPARAM>(&item)))
      column = reinterpret_cast<ColumnInfo*>(item.lParam);
  }
  // Header item 0 is the name column, whose record the header may not carry.
  if (!column && click->iItem == 0) column = NameColumn();
  if (!column) return false;
  if (column == SortColumn()) column->ascending = !column->ascending;
  if (column->id == COLUMN_CAPACITY) return true;
  SetSortColumn(column);
  HWND tree = ActiveTree();
  if (tree) ResortBranch(tree, TopItem(tree));
  return true;
}
