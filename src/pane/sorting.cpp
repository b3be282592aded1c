#include "pane/sorting.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

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

// Bytes of the whole items both lists begin with.
UINT SharedItemBytes(LPCITEMIDLIST a, LPCITEMIDLIST b) {
  UINT shared = 0;
  while (a->mkid.cb && a->mkid.cb == b->mkid.cb && std::memcmp(a, b, a->mkid.cb) == 0) {
    shared += a->mkid.cb;
    a = NextIdItem(a);
    b = NextIdItem(b);
  }
  return shared;
}

// The desktop compares two lists item by item and, while the items match,
// binds each level to compare the rest there.  Byte-equal items match, so the
// comparison ends in the folder of the lists' shared part, asking it about
// the rest; that folder is asked here directly instead of binding every level
// anew.  The folder on |a|'s chain directly below the shared part keeps it.
bool CompareInSharedFolder(const FolderNode* a, const FolderNode* b, int* result) {
  if (!a->absoluteIdList || !b->absoluteIdList) return false;
  const UINT shared = SharedItemBytes(a->absoluteIdList, b->absoluteIdList);
  auto restA = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(a->absoluteIdList) + shared);
  auto restB = reinterpret_cast<LPCITEMIDLIST>(reinterpret_cast<const BYTE*>(b->absoluteIdList) + shared);
  if (!shared || !restA->mkid.cb || !restB->mkid.cb) return false;  // the desktop's own, or one holds the other
  for (const FolderNode* below = a; IsFolderNode(below); below = ParentNode(Panes.mainTree, below->mainItem)) {
    UINT prefix = 0;
    if (!below->parentFolder || !EndsWithItem(below->absoluteIdList, below->relativeIdList, &prefix) || prefix < shared)
      return false;
    if (prefix > shared) continue;
    if (std::memcmp(below->absoluteIdList, a->absoluteIdList, shared) != 0) return false;
    HRESULT compared = below->parentFolder->CompareIDs(0, restA, restB);
    *result = FAILED(compared) ? 0 : static_cast<short>(HRESULT_CODE(compared));
    return true;
  }
  return false;
}

int CompareNames(const FolderNode* a, const FolderNode* b) {
  if (IdListBytesEqual(a->absoluteIdList, b->absoluteIdList)) return 0;  // equal bytes, equal items
  int shared = 0;
  if (CompareInSharedFolder(a, b, &shared)) return shared;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return 0;
  HRESULT result = desktop->CompareIDs(0, a->absoluteIdList, b->absoluteIdList);
  desktop->Release();
  if (FAILED(result)) return 0;
  return static_cast<short>(HRESULT_CODE(result));
}

// The comparison with |names| ordering two folders by name.
template <typename Names>
int PrimaryResult(uint32_t id, const FolderNode* a, const FolderNode* b, Names names) {
  switch (id) {
    case COLUMN_TOTAL:
      return Sign(NodeSizes(a).total, NodeSizes(b).total);
    case COLUMN_OWN_FILES:
      return Sign(NodeSizes(a).own, NodeSizes(b).own);
    case COLUMN_SUBFOLDERS:
      return Sign(NodeSizes(a).subtree, NodeSizes(b).subtree);
    case COLUMN_NAME:
      return names(a, b);
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

template <typename Names>
int CompareWith(const ColumnInfo* column, const FolderNode* a, const FolderNode* b, Names names) {
  int result = PrimaryResult(column->id, a, b, names);
  if (result != 0 && !column->ascending) result = -result;
  if (result != 0) return result;
  return names(a, b);  // ties by name, ascending in both directions
}

// One sort of a parent's children.  Comparing two names of different parents
// (found folders listed side by side) walks up the tree to their shared
// folder and asks the shell there, and the tree makes n log n comparisons; so
// the children are first put in order by their item texts, and when n - 1
// shell comparisons confirm that each child comes strictly before the next,
// that order is the only one the comparison allows and the tree is given each
// child's place instead.  Otherwise (texts that the shell orders differently,
// or ties) the tree compares as it always did.
struct SortPlan {
  const ColumnInfo* column = nullptr;
  std::unordered_map<LPARAM, int> places;
};
SortPlan g_plan;  // sorts run one at a time on the tree's own thread

struct Sibling {
  const FolderNode* node;
  std::wstring name;
};

int CompareTexts(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) - CSTR_EQUAL;
}

std::wstring WideItemText(HWND tree, HTREEITEM item) {
  char text[SHELL_TEXT_MAX];
  ItemText(tree, item, text, sizeof text);
  wchar_t wide[SHELL_TEXT_MAX];
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, SHELL_TEXT_MAX);
  return length > 0 ? std::wstring(wide, length - 1) : std::wstring();
}

// Fills |plan.places| when the children's order is settled as above.
void PlanSort(HWND tree, HTREEITEM parent, SortPlan* plan) {
  constexpr size_t SORT_PLAN_MIN_CHILDREN = 16;  // below this the tree's own sort is as cheap
  std::vector<Sibling> siblings;
  for (HTREEITEM child = FirstChildItem(tree, parent); child; child = NextSiblingItem(tree, child)) {
    const FolderNode* node = NodeFromItem(tree, child);
    if (!IsFolderNode(node)) return;
    siblings.push_back({node, WideItemText(tree, child)});
  }
  if (siblings.size() < SORT_PLAN_MIN_CHILDREN) return;
  const ColumnInfo* column = plan->column;
  std::sort(siblings.begin(), siblings.end(), [column](const Sibling& x, const Sibling& y) {
    return CompareWith(column, x.node, y.node,
                       [&x, &y](const FolderNode*, const FolderNode*) { return CompareTexts(x.name, y.name); }) < 0;
  });
  for (size_t i = 1; i < siblings.size(); ++i) {
    if (CompareWith(column, siblings[i - 1].node, siblings[i].node, CompareNames) >= 0) return;
  }
  for (size_t i = 0; i < siblings.size(); ++i)
    plan->places[reinterpret_cast<LPARAM>(siblings[i].node)] = static_cast<int>(i);
}

LPARAM PrepareSort(HWND tree, HTREEITEM parent) {
  g_plan.column = SortColumn();
  std::unordered_map<LPARAM, int>().swap(g_plan.places);  // a long list's places are not kept
  if (g_plan.column) PlanSort(tree, parent, &g_plan);
  return reinterpret_cast<LPARAM>(&g_plan);
}

int CALLBACK CompareInPlan(LPARAM first, LPARAM second, LPARAM planParameter) {
  auto* plan = reinterpret_cast<const SortPlan*>(planParameter);
  if (!plan->places.empty()) {
    auto a = plan->places.find(first), b = plan->places.find(second);
    if (a != plan->places.end() && b != plan->places.end()) return Sign(a->second, b->second);
  }
  return CompareNodes(first, second, reinterpret_cast<LPARAM>(plan->column));
}

}  // namespace

int CALLBACK CompareNodes(LPARAM first, LPARAM second, LPARAM sortColumn) {
  auto* column = reinterpret_cast<const ColumnInfo*>(sortColumn);
  auto* a = reinterpret_cast<const FolderNode*>(first);
  auto* b = reinterpret_cast<const FolderNode*>(second);
  if (!column || !IsFolderNode(a) || !IsFolderNode(b)) return 0;
  return CompareWith(column, a, b, CompareNames);
}

void InstallSorting() {
  SortCompareHook = CompareInPlan;
  SortParameterHook = PrepareSort;
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
  if (!column) return false;
  if (column == SortColumn()) column->ascending = !column->ascending;
  if (column->id == COLUMN_CAPACITY) return true;
  SetSortColumn(column);
  HWND tree = ActiveTree();
  if (tree) ResortBranch(tree, TopItem(tree));
  return true;
}
