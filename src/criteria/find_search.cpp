#include "criteria/find_search.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/process_state.h"
#include "app/resource_text.h"
#include "app/text_case.h"
#include "criteria/criteria_settings.h"
#include "criteria/find_dialog.h"
#include "criteria/find_view.h"
#include "criteria/matching.h"
#include "model/folder_node.h"
#include "model/root_list.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/detail_list.h"
#include "pane/pane_controls.h"
#include "pane/row_painter.h"
#include "resource.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

WorkerRecord* volatile FindSearchWorker = nullptr;
uint8_t MergeResults = 0;

namespace {

// A drive root's scanBeforeSearch: the answer to the question about it.
constexpr uint32_t SCAN_BEFORE_SEARCH = 1;
constexpr uint32_t SEARCH_WITHOUT_SCAN = 2;
constexpr DWORD WAIT_FOR_SCAN_MS = 100;
// Main-tree items read in one request to the interface thread: a request
// costs a thread switch, an item a few microseconds there.
constexpr size_t WALK_BATCH = 256;

void OnInterfaceThread(const std::function<void()>& run) {
  if (Panes.mainTree) RunOnTreeThread(Panes.mainTree, run);
}

bool Stopped(const WorkerRecord* record) { return record->stopRequested != 0; }
void Stop(WorkerRecord* record) { InterlockedExchange(&record->stopRequested, 1); }

bool IsFinal(const FolderNode* node) { return (node->flags & FILES_COUNTED) && (node->flags & SUBTREE_COMPLETE); }

DriveRootNode* DriveOf(FolderNode* node) {
  FolderNode* root = node->root;
  return IsDriveRoot(root) && root->kind == NODE_DRIVE_ROOT ? AsDriveRoot(root) : nullptr;
}

// --- Before the walk (interface thread) ------------------------------------------

// Asks, drive by drive, whether a drive the search covers but whose scan is
// not complete should be scanned as the search passes; Cancel stops the search.
void AskAboutUnscannedDrives(WorkerRecord* record, FolderNode* start) {
  HWND tree = Panes.mainTree;
  bool asking = IsFolderNode(start);
  for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (!IsDriveRoot(node) || node->kind != NODE_DRIVE_ROOT) continue;
    DriveRootNode* drive = AsDriveRoot(node);
    drive->scanBeforeSearch = SEARCH_WITHOUT_SCAN;
    const bool covered = !start->root || start->root == drive;
    if (!asking || !covered || (drive->flags & SUBTREE_COMPLETE)) continue;
    char name[SHELL_TEXT_MAX] = "";
    DisplayNameOf(drive->parentFolder, drive->relativeIdList, SHGDN_NORMAL, name);
    char question[1024];
    std::snprintf(question, sizeof question, ResourceString(IDS_DRIVE_NOT_SCANNED_QUESTION).c_str(), name);
    const int answer =
        MessageBoxA(MainWindow, question, ResourceString(IDS_WINDOW_TITLE).c_str(), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) {
      drive->scanBeforeSearch = SCAN_BEFORE_SEARCH;
    } else if (answer != IDNO) {
      Stop(record);
      asking = false;
    }
  }
}

// Only the first expansion sorts the top item's children (the tree tells its
// owner only then), so later results stand newest first.
void ExpandTopItem(HWND tree) {
  HTREEITEM top = TopItem(tree);
  if (!top) return;
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  SyncListAfterExpand(tree, top, TVE_EXPAND);
}

// A new search without merging starts from the top item alone.
void ClearResults() {
  HWND tree = Panes.findTree;
  HTREEITEM top = TopItem(tree);
  if (!top) return;
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
  if (FindResultsMode) {
    SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(top));
    SyncListAfterExpand(tree, top, TVE_COLLAPSE);
  }
  while (HTREEITEM child = FirstChildItem(tree, top))
    if (!SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) break;
}

// --- Adding what was found (interface thread) -------------------------------------

void ItemImages(HWND tree, HTREEITEM handle, int* image, int* selectedImage) {
  TVITEMA item = {};
  item.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.hItem = handle;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  *image = item.iImage;
  *selectedImage = item.iSelectedImage;
}

// A find-results item for |node|, as the first child of |parent|.
HTREEITEM InsertResult(HTREEITEM parent, FolderNode* node, const char* text) {
  int image = 0;
  int selectedImage = 0;
  ItemImages(Panes.mainTree, node->mainItem, &image, &selectedImage);
  node->inFindList = 0;
  node->findItem = InsertFolderItem(Panes.findTree, parent, text, image, selectedImage, node);
  return node->findItem;
}

// The main-tree items from the top item down to |node|'s.
std::vector<HTREEITEM> MainChain(FolderNode* node) {
  std::vector<HTREEITEM> chain;
  for (HTREEITEM item = node->mainItem; item; item = ParentItem(Panes.mainTree, item))
    chain.insert(chain.begin(), item);
  return chain;
}

int ComponentCount(const char* path) {
  char prefix[MAX_PATH];
  int count = 0;
  while (PathPrefix(path, count + 1, prefix, sizeof prefix)) ++count;
  return count;
}

// Tree display: the folder below every one of its parents from its drive
// down, each inserted once and shared by later finds below it.  |path| is
// the folder's full path.
void AddWithParents(FolderNode* node, const char* path) {
  HWND findTree = Panes.findTree;
  HWND mainTree = Panes.mainTree;
  HTREEITEM parent = TopItem(findTree);
  if (!parent) return;
  // The main tree's items follow the folders' paths: the item of a path's
  // first n components is the folder's ancestor n levels below the top,
  // which is what FindPathItem would find, without asking the shell for
  // the path of every item on the way.
  const std::vector<HTREEITEM> chain = MainChain(node);
  const bool chainFollowsPath = int(chain.size()) == ComponentCount(path) + 1;
  char prefix[MAX_PATH];
  for (int level = 1; PathPrefix(path, level, prefix, sizeof prefix); ++level) {
    HTREEITEM main = chainFollowsPath ? chain[level] : FindPathItem(mainTree, prefix);
    FolderNode* folder = NodeFromItem(mainTree, main);
    if (!main || !IsFolderNode(folder)) return;
    // In results made only in tree display, a folder's item is the one below
    // |parent| or there is none; merged list entries need the path search.
    HTREEITEM found = folder->findItem;
    if (found && ParentItem(findTree, found) != parent) found = FindPathItem(findTree, prefix);
    if (found) {
      parent = found;
      continue;
    }
    char name[SHELL_TEXT_MAX] = "";
    DisplayNameOf(folder->parentFolder, folder->relativeIdList, SHGDN_NORMAL, name);
    parent = InsertResult(parent, folder, name);
  }
}

// List display: one entry with the full path, newest first.
void AddAsPath(FolderNode* node, const char* fullPath) {
  HTREEITEM top = TopItem(Panes.findTree);
  if (!top || !node->mainItem) return;
  if (MergeResults && node->findItem && ParentItem(Panes.findTree, node->findItem) == top) return;
  InsertResult(top, node, fullPath);
}

// --- The walk (search thread) -----------------------------------------------------

// Where the walk stands: the last item it reached, with its record so the
// item can be checked before the tree is asked about it again.
struct WalkStep {
  HTREEITEM item;
  FolderNode* node;
};

// The item after |item| in a walk of |start|'s branch, parents before children.
HTREEITEM NextInBranch(HWND tree, HTREEITEM item, HTREEITEM start) {
  if (HTREEITEM child = FirstChildItem(tree, item)) return child;
  for (; item && item != start; item = ParentItem(tree, item))
    if (HTREEITEM next = NextSiblingItem(tree, item)) return next;
  return nullptr;
}

// The next items of the walk, |from| itself first when |includeFrom|.  An
// item whose folder left the tree meanwhile ends the walk.
std::vector<WalkStep> NextSteps(HTREEITEM start, WalkStep from, bool includeFrom) {
  std::vector<WalkStep> steps;
  OnInterfaceThread([&] {
    if (!IsFolderNode(from.node) || from.node->mainItem != from.item) return;
    HWND tree = Panes.mainTree;
    HTREEITEM item = includeFrom ? from.item : NextInBranch(tree, from.item, start);
    for (; item && steps.size() < WALK_BATCH; item = NextInBranch(tree, item, start))
      steps.push_back({item, NodeFromItem(tree, item)});
  });
  return steps;
}

void AddFound(FolderNode* node) {
  // The parent folder names a folder's full path as the desktop and the path
  // of its identifier list do, in microseconds where those take a fifth of a
  // millisecond under Wine.
  char path[SHELL_TEXT_MAX];
  if (!DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_FORPARSING, path)) return;
  char shown[SHELL_TEXT_MAX];
  lstrcpynA(shown, path, sizeof shown);
  WordCapitals(shown);
  OnInterfaceThread([&] {
    FindDialogShowPath(shown);
    if (!IsFolderNode(node)) return;
    if (WorkingCriteria.showAsTree)
      AddWithParents(node, path);
    else
      AddAsPath(node, shown);
  });
}

// Waits while a scan of the folder's drive still counts it, scans it now when
// the user asked for that, then adds it to the results when it matches.
// True when it scanned the folder: its new subfolders come next in the walk.
bool CheckFoundFolder(WorkerRecord* record, FolderNode* node) {
  if (!IsFolderNode(node)) return false;
  bool scanned = false;
  if (DriveRootNode* drive = DriveOf(node)) {
    while (!Stopped(record) && drive->activeScan && IsFolderNode(node) && !IsFinal(node)) Sleep(WAIT_FOR_SCAN_MS);
    if (!Stopped(record) && IsFolderNode(node) && !IsFinal(node) && drive->scanBeforeSearch == SCAN_BEFORE_SEARCH) {
      ScanSubtree(node, false, record);
      scanned = true;
    }
  }
  if (IsFolderNode(node) && MatchFolder(WorkingCriteria, WorkingPrepared, node)) AddFound(node);
  return scanned;
}

void Walk(WorkerRecord* record, FolderNode* start) {
  const HTREEITEM startItem = start->mainItem;
  WalkStep position = {startItem, start};
  bool includePosition = true;
  while (!Stopped(record)) {
    const std::vector<WalkStep> steps = NextSteps(startItem, position, includePosition);
    if (steps.empty()) return;
    includePosition = false;
    for (const WalkStep& step : steps) {
      if (Stopped(record)) return;
      position = step;
      if (CheckFoundFolder(record, step.node)) break;  // read on from its new items
    }
  }
}

void Search(WorkerRecord* record, FolderNode* start) {
  if (MainWindow) SendMessageA(MainWindow, WM_SHOW_FIND_RESULTS, 0, 0);
  OnInterfaceThread([&] {
    ResetLargestCapacitySeen();
    AskAboutUnscannedDrives(record, start);
  });
  if (!Stopped(record)) {
    OnInterfaceThread(FindDialogSearching);
    if (!MergeResults) OnInterfaceThread(ClearResults);
    if (IsFolderNode(start)) Walk(record, start);
    OnInterfaceThread([&] {
      if (SendMessageA(Panes.findTree, TVM_GETCOUNT, 0, 0) < 2) {
        Stop(record);
        FindDialogNothingFound();
      } else {
        ExpandTopItem(ActiveTree());
      }
    });
  }
  OnInterfaceThread([&] { FindDialogSearchEnded(Stopped(record)); });
}

}  // namespace

DWORD WINAPI RunFindSearch(void* parameter) {
  auto* record = static_cast<WorkerRecord*>(parameter);
  FindSearchWorker = record;
  auto* start = static_cast<FolderNode*>(record->param);
  if (IsFolderNode(start) && Panes.mainTree && Panes.findTree && TopItem(Panes.mainTree)) Search(record, start);
  // A search stopped by Exit may end after the next one has begun.
  InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&FindSearchWorker), nullptr, record);
  FinishWorker(record);
  return 0;
}

HTREEITEM FindPathItem(HWND tree, const char* path) {
  char target[MAX_PATH];
  lstrcpynA(target, path, sizeof target);
  UpperCaseAscii(target);
  const size_t length = std::strlen(target);
  for (HTREEITEM branch = FirstChildItem(tree, TopItem(tree)); branch; branch = NextSiblingItem(tree, branch)) {
    HTREEITEM item = branch;
    while (item) {
      FolderNode* node = NodeFromItem(tree, item);
      char own[SHELL_TEXT_MAX];
      if (IsFolderNode(node) && DisplayNameOf(node->parentFolder, node->relativeIdList, SHGDN_FORPARSING, own)) {
        UpperCaseAscii(own);
        const size_t n = std::strlen(own);
        const bool leading = n <= length && std::memcmp(own, target, n) == 0 &&
                             (EndsWithSeparator(own) || target[n] == '\\' || target[n] == 0);
        if (leading && n == length) return item;
        if (leading) {
          item = FirstChildItem(tree, item);
          if (!item) return nullptr;
          continue;
        }
      }
      item = NextSiblingItem(tree, item);
    }
  }
  return nullptr;
}
