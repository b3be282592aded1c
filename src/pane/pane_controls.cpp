#include "pane/pane_controls.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "model/folder_node.h"
#include "model/node_removal.h"
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
// Posted when the first of a run of tree updates is queued, and while a
// worker waits for them.
constexpr UINT WM_TREE_UPDATES = WM_APP + 0x41;

HWND g_relay = nullptr;
DWORD g_relayThread = 0;

bool OffRelayThread() { return g_relay && GetCurrentThreadId() != g_relayThread; }

// A worker's change to the main tree, carried out in order on the thread
// that owns the tree.  The worker goes on listing meanwhile; it waits only
// when it must read what it changed (FlushTreeUpdates).
struct TreeUpdate {
  enum Kind : uint8_t { INSERT, HAS_CHILDREN, REPAINT } kind;
  HWND tree;
  FolderNode* node;    // the new subfolder (INSERT), else the folder changed
  FolderNode* parent;  // INSERT only
  int value;           // the flag (HAS_CHILDREN), the REPAINT_ flags (REPAINT)
  int image;
  int selectedImage;
  std::string text;
};

// Beyond this many waiting updates a worker waits for them, so that a slow
// interface thread slows the scan instead of gathering a backlog.
constexpr size_t TREE_UPDATES_MAX = 1024;

struct TreeUpdateQueue {
  TreeUpdateQueue() {
    InitializeCriticalSection(&lock);
    caughtUp = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  CRITICAL_SECTION lock;
  std::deque<TreeUpdate> waiting;
  uint64_t queued = 0;   // updates ever queued
  uint64_t applied = 0;  // of those, carried out
  int waiters = 0;       // workers waiting for |applied| to reach a count
  HANDLE caughtUp;       // set after a round while workers wait
  bool running = false;  // a wake is posted or the round timer is set
  int idleRounds = 0;    // rounds in a row that found nothing waiting
};

TreeUpdateQueue& Updates() {
  static TreeUpdateQueue queue;
  return queue;
}

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

// A subfolder whose parent's item went away before its own was inserted is
// retired as node removal would have retired it: it never had an item.
void ApplyInsertion(const TreeUpdate& update) {
  FolderNode* child = update.node;
  if (IsFolderNode(update.parent) && update.parent->mainItem) {
    child->mainItem = InsertFolderItemWithButton(update.tree, update.parent->mainItem, update.text.c_str(),
                                                 update.image, update.selectedImage, child);
    return;
  }
  child->magic = 0;
  RetiredNodes.Append(child);
}

void ApplyTreeUpdate(const TreeUpdate& update) {
  switch (update.kind) {
    case TreeUpdate::INSERT:
      ApplyInsertion(update);
      break;
    case TreeUpdate::HAS_CHILDREN:
      if (IsFolderNode(update.node)) SetHasChildren(update.tree, update.node->mainItem, update.value);
      break;
    case TreeUpdate::REPAINT:
      RepaintNow(update.node, UINT(update.value) & ~REPAINT_ANCESTORS);
      if (update.value & REPAINT_ANCESTORS) QueueAncestorRepaint(g_relay, update.node);
      break;
  }
}

// Carries out the waiting updates in order, one at a time; with |roundMs|,
// stops after that long and leaves the rest for the next round.  Returns
// how many it carried out.
size_t ApplyTreeUpdates(DWORD roundMs = 0) {
  TreeUpdateQueue& queue = Updates();
  const DWORD start = GetTickCount();
  for (size_t done = 1;; ++done) {
    EnterCriticalSection(&queue.lock);
    if (queue.waiting.empty()) {
      LeaveCriticalSection(&queue.lock);
      return done - 1;
    }
    TreeUpdate update = std::move(queue.waiting.front());
    queue.waiting.pop_front();
    LeaveCriticalSection(&queue.lock);
    ApplyTreeUpdate(update);
    EnterCriticalSection(&queue.lock);
    queue.applied += 1;
    LeaveCriticalSection(&queue.lock);
    if (roundMs && GetTickCount() - start >= roundMs) return done;
  }
}

// A scan makes updates far faster than anyone reads them, and every message
// to the interface thread is a round trip through the window server under
// Wine.  So the first update of a run posts one wake; from then on the
// updates are carried out in rounds of a few milliseconds on a timer, with
// painting and input between them, or one round after another while a worker
// waits for them.  The run ends after a few rounds that find nothing waiting:
// a worker often outpaces the rounds only in bursts, and ending at the first
// empty round made it post a wake for nearly every update.
constexpr UINT_PTR UPDATES_TIMER = 2;
constexpr UINT UPDATES_INTERVAL_MS = 30;
constexpr DWORD UPDATES_ROUND_MS = 15;
constexpr int UPDATES_IDLE_ROUNDS = 3;

void ApplyUpdatesRound(HWND relay) {
  TreeUpdateQueue& queue = Updates();
  const size_t applied = ApplyTreeUpdates(UPDATES_ROUND_MS);
  EnterCriticalSection(&queue.lock);
  const bool idle = queue.waiting.empty();
  const bool hurried = !idle && queue.waiters > 0;
  queue.idleRounds = applied == 0 ? queue.idleRounds + 1 : 0;
  const bool ended = queue.idleRounds >= UPDATES_IDLE_ROUNDS;
  if (ended) queue.running = false;
  if (queue.waiters > 0) SetEvent(queue.caughtUp);
  LeaveCriticalSection(&queue.lock);
  if (ended)
    KillTimer(relay, UPDATES_TIMER);
  else if (!hurried || !PostMessageA(relay, WM_TREE_UPDATES, 0, 0))
    SetTimer(relay, UPDATES_TIMER, UPDATES_INTERVAL_MS, nullptr);
}

// Waits until the interface thread has carried out every update queued so
// far (from |queue|'s lock, which the caller holds and this releases).
void WaitForUpdates(TreeUpdateQueue& queue) {
  const uint64_t target = queue.queued;
  if (queue.applied >= target) {
    LeaveCriticalSection(&queue.lock);
    return;
  }
  queue.waiters += 1;
  ResetEvent(queue.caughtUp);
  queue.running = true;
  LeaveCriticalSection(&queue.lock);
  PostMessageA(g_relay, WM_TREE_UPDATES, 0, 0);
  for (;;) {
    // The relay goes with the interface at exit; nobody is left to wait for.
    const bool woken = WaitForSingleObject(queue.caughtUp, 100) == WAIT_OBJECT_0;
    EnterCriticalSection(&queue.lock);
    const bool done = queue.applied >= target || !IsWindow(g_relay);
    if (!done && woken) ResetEvent(queue.caughtUp);
    if (done) queue.waiters -= 1;
    LeaveCriticalSection(&queue.lock);
    if (done) return;
  }
}

void QueueTreeUpdate(TreeUpdate&& update) {
  TreeUpdateQueue& queue = Updates();
  EnterCriticalSection(&queue.lock);
  queue.waiting.push_back(std::move(update));
  queue.queued += 1;
  if (queue.waiting.size() >= TREE_UPDATES_MAX) {
    WaitForUpdates(queue);
    return;
  }
  const bool wake = !queue.running;
  queue.running = true;
  LeaveCriticalSection(&queue.lock);
  if (wake) PostMessageA(g_relay, WM_TREE_UPDATES, 0, 0);
}

LRESULT CALLBACK RelayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == ANCESTOR_TIMER) RepaintQueuedAncestors(window);
      if (wParam == UPDATES_TIMER) ApplyUpdatesRound(window);
      return 0;
    case WM_TREE_UPDATES:
      ApplyUpdatesRound(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The relay's thread owns the tree, so the updates it carries out are the
// messages the worker would have sent, in the same order; only the worker
// no longer waits for each.  On the tree's own thread an update is carried
// out at once, by the same code.
void SubmitTreeUpdate(HWND tree, TreeUpdate&& update) {
  if (OffRelayThread() && GetWindowThreadProcessId(tree, nullptr) == g_relayThread)
    QueueTreeUpdate(std::move(update));
  else
    ApplyTreeUpdate(update);
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
  if (OffRelayThread()) {
    QueueTreeUpdate({TreeUpdate::REPAINT, nullptr, node, nullptr, int(what), 0, 0, std::string()});
    return;
  }
  RepaintNow(node, what);
}

void InsertSubfolderItem(HWND tree, FolderNode* parent, const FolderItemInsertion& item) {
  SubmitTreeUpdate(tree, {TreeUpdate::INSERT, tree, item.node, parent, 0, item.image, item.selectedImage, item.text});
}

void SetNodeHasChildren(HWND tree, FolderNode* node, int flag) {
  SubmitTreeUpdate(tree, {TreeUpdate::HAS_CHILDREN, tree, node, nullptr, flag, 0, 0, std::string()});
}

void FlushTreeUpdates() {
  if (!g_relay) return;
  if (!OffRelayThread()) {
    ApplyTreeUpdates();
    return;
  }
  TreeUpdateQueue& queue = Updates();
  EnterCriticalSection(&queue.lock);
  WaitForUpdates(queue);
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
  TreeUpdateQueue& queue = Updates();
  EnterCriticalSection(&queue.lock);
  std::deque<TreeUpdate> dropped;
  dropped.swap(queue.waiting);
  queue.applied += dropped.size();  // nobody waits for them any longer
  if (queue.waiters > 0) SetEvent(queue.caughtUp);
  LeaveCriticalSection(&queue.lock);
  // Subfolders never inserted are freed with the retired records.
  for (const TreeUpdate& update : dropped)
    if (update.kind == TreeUpdate::INSERT && IsFolderNode(update.node)) {
      update.node->magic = 0;
      RetiredNodes.Append(update.node);
    }
  // The gathered nodes may be among the records about to be freed.
  if (!g_ancestorNodes.empty()) g_ancestorsOfAll = true;
  g_ancestorNodes.clear();
}
