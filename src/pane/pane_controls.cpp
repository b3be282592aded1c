#include "pane/pane_controls.h"

#include "model/folder_node.h"
#include "model/tree_items.h"

PaneControls Panes = {};
bool FindResultsMode = false;
FolderNode* CurrentFolder = nullptr;
int RowHeight = 16;
bool FilePaneActive = false;
ResortBranchFunction ResortBranchHook = nullptr;

namespace {

HTREEITEM ActiveItemOf(FolderNode* node) { return FindResultsMode ? node->findItem : node->mainItem; }

constexpr char RELAY_CLASS[] = "PelvanorRepaintRelay";
// wParam: the REPAINT_ flags; lParam: the FolderNode (records outlive the queue).
constexpr UINT WM_REPAINT_NODE = WM_APP + 0x41;
// wParam: 0; lParam: the SubfolderBatch, which the sender keeps until the reply.
constexpr UINT WM_INSERT_SUBFOLDERS = WM_APP + 0x42;

struct SubfolderBatch {
  HWND tree;
  HTREEITEM parent;
  const FolderItemInsertion* items;
  size_t count;
  bool inserted;
};

HWND g_relay = nullptr;
DWORD g_relayThread = 0;

void RepaintNow(FolderNode* node, UINT what) {
  if (what & REPAINT_ROW) InvalidateNodeRow(node);
  if (what & REPAINT_ITEM) InvalidateNodeItem(node);
  if (!(what & REPAINT_ANCESTORS) || !IsFolderNode(node) || node->kind == NODE_DRIVE_ROOT) return;
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = ParentItem(tree, node->mainItem); item; item = ParentItem(tree, item)) {
    FolderNode* ancestor = NodeFromItem(tree, item);
    if (!IsFolderNode(ancestor)) return;
    InvalidateNodeRow(ancestor);
    if (ancestor->kind == NODE_DRIVE_ROOT) return;
  }
}

LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_REPAINT_NODE:
      RepaintNow(reinterpret_cast<FolderNode*>(lParam), static_cast<UINT>(wParam));
      return 0;
    case WM_INSERT_SUBFOLDERS: {
      auto* batch = reinterpret_cast<SubfolderBatch*>(lParam);
      InsertFolderItemsWithButtons(batch->tree, batch->parent, batch->items, batch->count);
      batch->inserted = true;
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void InvalidateNodeRow(FolderNode* node) {
  HWND list = ActiveList();
  if (!list) return;
  if (!IsFolderNode(node)) {
    InvalidateRect(list, nullptr, FALSE);
    return;
  }
  HTREEITEM item = ActiveItemOf(node);
  if (!item) return;
  RECT band;
  if (!ItemRect(ActiveTree(), item, false, &band)) return;
  RECT client;
  GetClientRect(ActiveTree(), &client);
  band.left = 0;
  band.right = client.right;
  InvalidateRect(list, &band, FALSE);
}

void InvalidateNodeItem(FolderNode* node) {
  if (!IsFolderNode(node)) {
    if (Panes.mainTree) InvalidateRect(Panes.mainTree, nullptr, FALSE);
    return;
  }
  HWND tree = ActiveTree();
  HTREEITEM item = ActiveItemOf(node);
  if (!tree || !item) return;
  RECT rect;
  if (ItemRect(tree, item, false, &rect)) InvalidateRect(tree, &rect, FALSE);
}

void AlignListTop() {
  HWND tree = ActiveTree();
  HWND list = ActiveList();
  if (!tree || !list) return;
  auto first = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0));
  if (!first) return;
  LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(first));
  if (index != LB_ERR) SendMessageA(list, LB_SETTOPINDEX, index, 0);
}

void ResortBranch(HWND tree, HTREEITEM start) {
  if (ResortBranchHook) ResortBranchHook(tree, start);
}

void RepaintNode(FolderNode* node, UINT what) {
  if (g_relay && GetCurrentThreadId() != g_relayThread &&
      PostMessageA(g_relay, WM_REPAINT_NODE, what, reinterpret_cast<LPARAM>(node)))
    return;
  RepaintNow(node, what);
}

void InsertSubfolderItems(HWND tree, HTREEITEM parent, const FolderItemInsertion* items, size_t count) {
  if (count == 0) return;
  // The relay's thread owns the tree, so its insertions are the ones the
  // worker's messages would have made, in the same order.
  if (g_relay && GetCurrentThreadId() != g_relayThread && GetWindowThreadProcessId(tree, nullptr) == g_relayThread) {
    SubfolderBatch batch = {tree, parent, items, count, false};
    SendMessageA(g_relay, WM_INSERT_SUBFOLDERS, 0, reinterpret_cast<LPARAM>(&batch));
    if (batch.inserted) return;
  }
  InsertFolderItemsWithButtons(tree, parent, items, count);
}

void StartRepaintRelay() {
  if (g_relay && IsWindow(g_relay)) return;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = RelayProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = RELAY_CLASS;
  RegisterClassA(&cls);
  g_relay = CreateWindowExA(0, RELAY_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
  g_relayThread = g_relay ? GetCurrentThreadId() : 0;
}

void DiscardQueuedRepaints() {
  if (!g_relay || GetCurrentThreadId() != g_relayThread) return;
  MSG msg;
  while (PeekMessageA(&msg, g_relay, WM_REPAINT_NODE, WM_REPAINT_NODE, PM_REMOVE)) {
  }
}
