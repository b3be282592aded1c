#include "pane/pane_controls.h"

#include <algorithm>
#include <vector>

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

// Invalidates the rows of |node|'s ancestors up to its drive root, stopping
// at the first one already in |*done| (its own ancestors are done too).
void InvalidateAncestorRows(FolderNode* node, std::vector<HTREEITEM>* done) {
  if (!IsFolderNode(node) || node->kind == NODE_DRIVE_ROOT) return;
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = ParentItem(tree, node->mainItem); item; item = ParentItem(tree, item)) {
    if (done) {
      if (std::find(done->begin(), done->end(), item) != done->end()) return;
      done->push_back(item);
    }
    FolderNode* ancestor = NodeFromItem(tree, item);
    if (!IsFolderNode(ancestor)) return;
    InvalidateNodeRow(ancestor);
    if (ancestor->kind == NODE_DRIVE_ROOT) return;
  }
}

void RepaintNow(FolderNode* node, UINT what) {
  if (what & REPAINT_ROW) InvalidateNodeRow(node);
  if (what & REPAINT_ITEM) InvalidateNodeItem(node);
  if (what & REPAINT_ANCESTORS) InvalidateAncestorRows(node, nullptr);
}

// A scan finishes folders far faster than anyone reads their ancestors'
// running totals, and under Wine repainting those rows after every folder
// took two fifths of a scan's time.  So the ancestors a worker asks for are
// gathered and repainted together a tenth of a second later: the same rows
// from the same records, painted less often.
constexpr UINT_PTR ANCESTOR_TIMER = 1;
constexpr UINT ANCESTOR_DELAY_MS = 100;
constexpr size_t ANCESTOR_NODES_MAX = 32;

std::vector<FolderNode*> g_ancestorNodes;
bool g_ancestorsOfAll = false;  // too many, or dropped: the whole list instead
bool g_ancestorTimer = false;

void RepaintQueuedAncestors(HWND relay) {
  if (g_ancestorTimer) KillTimer(relay, ANCESTOR_TIMER);
  g_ancestorTimer = false;
  if (g_ancestorsOfAll) {
    if (HWND list = ActiveList()) InvalidateRect(list, nullptr, FALSE);
  } else {
    std::vector<HTREEITEM> done;
    for (FolderNode* node : g_ancestorNodes) InvalidateAncestorRows(node, &done);
  }
  g_ancestorNodes.clear();
  g_ancestorsOfAll = false;
}

void QueueAncestorRepaint(HWND relay, FolderNode* node) {
  if (std::find(g_ancestorNodes.begin(), g_ancestorNodes.end(), node) == g_ancestorNodes.end()) {
    if (g_ancestorNodes.size() < ANCESTOR_NODES_MAX)
      g_ancestorNodes.push_back(node);
    else
      g_ancestorsOfAll = true;
  }
  if (!g_ancestorTimer) g_ancestorTimer = SetTimer(relay, ANCESTOR_TIMER, ANCESTOR_DELAY_MS, nullptr) != 0;
  if (!g_ancestorTimer) RepaintQueuedAncestors(relay);
}

LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_REPAINT_NODE: {
      auto* node = reinterpret_cast<FolderNode*>(lParam);
      const auto what = static_cast<UINT>(wParam);
      RepaintNow(node, what & ~REPAINT_ANCESTORS);
      if (what & REPAINT_ANCESTORS) QueueAncestorRepaint(window, node);
      return 0;
    }
    case WM_TIMER:
      if (wParam == ANCESTOR_TIMER) RepaintQueuedAncestors(window);
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
  // The gathered nodes may be among the records about to be freed.
  if (!g_ancestorNodes.empty()) g_ancestorsOfAll = true;
  g_ancestorNodes.clear();
}
