#include "model/folder_watcher.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/monitor_reports.h"
#include "model/node_list.h"
#include "model/node_removal.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "pane/status_text.h"
#include "resource.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {

constexpr DWORD WATCH_POLL_MS = 1000;

// Guards the watcher references, the watch blocks' slots and their listing:
// a watcher frees its block only after leaving both references under it.
struct WatchLock {
  WatchLock() { InitializeCriticalSection(&section); }
  CRITICAL_SECTION section;
};

CRITICAL_SECTION* TheWatchLock() {
  static WatchLock lock;  // made on first use; the compiler guards the first use
  return &lock.section;
}

volatile LONG g_rescans = 0;

class WatchGuard {
 public:
  WatchGuard() { EnterCriticalSection(TheWatchLock()); }
  ~WatchGuard() { LeaveCriticalSection(TheWatchLock()); }
  WatchGuard(const WatchGuard&) = delete;
  WatchGuard& operator=(const WatchGuard&) = delete;
};

void Unlist(FolderNode* node) {
  if (WatchedFoldersList && IsFolderNode(node)) WatchedFoldersList->TakeByIdList(node->absoluteIdList);
}

// Takes the block's nodes out of the watched folders, once.  Caller holds the lock.
void UnlistBlock(WatchBlock* block) {
  if (!block->listed) return;
  block->listed = false;
  for (int slot = 0; slot < block->count; ++slot) Unlist(block->nodes[slot]);
}

void RestartTimer(FolderNode* node, UINT delay) {
  HWND window = MainWindow;
  if (!window) return;
  KillTimer(window, reinterpret_cast<UINT_PTR>(node));
  SetTimer(window, reinterpret_cast<UINT_PTR>(node), delay, RescanTimer);
}

// Drops slot 0 and lets the parent in slot 1 take its place.  Caller holds the lock.
void DropFirstSlot(WatchBlock* block) {
  if (block->handles[0]) FindCloseChangeNotification(block->handles[0]);
  if (block->listed) Unlist(block->nodes[0]);
  block->handles[0] = block->handles[1];
  block->nodes[0] = block->nodes[1];
  std::memcpy(block->paths[0], block->paths[1], sizeof block->paths[0]);
  block->handles[1] = nullptr;
  block->nodes[1] = nullptr;
  block->count -= 1;
}

void DropSecondSlot(WatchBlock* block) {
  if (block->handles[1]) FindCloseChangeNotification(block->handles[1]);
  if (block->listed) Unlist(block->nodes[1]);
  block->handles[1] = nullptr;
  block->nodes[1] = nullptr;
  block->count = 1;
}

// Waits for the slot's next change.  A notification handle keeps its folder
// open, and a folder deleted while open is removed only when its last handle
// closes: renewing by closing and reopening lets a deleted folder go, and then
// fails as a failed renewal would.
bool Renew(WatchBlock* block, int slot) {
  FindCloseChangeNotification(block->handles[slot]);
  block->handles[slot] = FindFirstChangeNotificationA(block->paths[slot], FALSE, WATCH_FILTER);
  if (block->handles[slot] != INVALID_HANDLE_VALUE) return true;
  block->handles[slot] = nullptr;
  return false;
}

void CloseBlock(WatchBlock* block) {
  for (int slot = 0; slot < block->count; ++slot)
    if (block->handles[slot]) FindCloseChangeNotification(block->handles[slot]);
  block->count = 0;
  if (block->stopped) CloseHandle(block->stopped);
  delete block;
}

// Watches |node| at |path| in the block's next slot.  False when the folder
// could not be watched because it no longer exists.
bool WatchFolder(WatchBlock* block, FolderNode* node, const char* path) {
  if (WatchedFoldersList->FindByIdList(node->absoluteIdList)) return true;
  if (std::strlen(path) >= sizeof block->paths[0]) return true;  // cannot be renewed: left unwatched
  HANDLE handle = FindFirstChangeNotificationA(path, FALSE, WATCH_FILTER);
  if (handle == INVALID_HANDLE_VALUE) return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  block->handles[block->count] = handle;
  block->nodes[block->count] = node;
  std::memcpy(block->paths[block->count], path, std::strlen(path) + 1);
  block->count += 1;
  WatchedFoldersList->Append(node);
  return true;
}

}  // namespace

void WatchSelection(FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root) || !Panes.mainTree) return;
  auto* block = new WatchBlock{};
  block->listed = true;
  block->stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  FolderNode* parent = ParentNode(Panes.mainTree, node->mainItem);
  if (!WatchedFoldersList) {
    WatchedFoldersList = new NodeList{};
    WatchedFoldersList->Init();
  }

  FolderNode* gone[2] = {};
  {
    WatchGuard guard;
    if (WorkerRecord* previous = PreviousWatcher) {
      auto* old = static_cast<WatchBlock*>(previous->param);
      UnlistBlock(old);
      // Quick selections would otherwise leave a watcher per folder waiting
      // out its second, and the worker slots are shared with the scans.
      if (RequestStop(previous) && old->stopped) SetEvent(old->stopped);
    }
    PreviousWatcher = CurrentWatcher;

    char path[MAX_PATH];
    if (FileSystemPath(node->absoluteIdList, path, false)) {
      if (!WatchFolder(block, node, path)) gone[0] = node;
      const bool ownRoot = node->root == node;
      if (IsFolderNode(parent) && !ownRoot) {
        StripLastComponent(path);
        if (!WatchFolder(block, parent, path)) gone[1] = parent;
      }
    }

    if (block->count == 0) {
      CloseBlock(block);
    } else {
      // Under the lock, so a watcher that ends at once finds itself referenced.
      WorkerRecord* watcher = StartWorker(WatcherWorker, block);
      if (watcher) {
        CurrentWatcher = watcher;
      } else {
        UnlistBlock(block);
        CloseBlock(block);
      }
    }
  }
  // Deleting a selected item selects another, which watches anew: done last.
  for (FolderNode* folder : gone)
    if (IsFolderNode(folder) && folder->kind != NODE_DRIVE_ROOT) DeleteNodeItem(Panes.mainTree, folder);
}

void RenewWatches(FolderNode* node) {
  {
    WatchGuard guard;
    for (WorkerRecord* watcher : {PreviousWatcher, CurrentWatcher}) {
      if (!watcher) continue;
      auto* block = static_cast<WatchBlock*>(watcher->param);
      UnlistBlock(block);
      if (RequestStop(watcher) && block->stopped) SetEvent(block->stopped);
    }
    PreviousWatcher = nullptr;
    CurrentWatcher = nullptr;
  }
  WatchSelection(node);
}

DWORD WINAPI WatcherWorker(void* param) {
  auto* record = static_cast<WorkerRecord*>(param);
  auto* block = static_cast<WatchBlock*>(record->param);
  bool running = IsFolderNode(block->nodes[0]);
  if (running && block->count == 2 && !IsFolderNode(block->nodes[1])) {
    WatchGuard guard;
    DropSecondSlot(block);
  }
  while (running) {
    HANDLE waits[3] = {block->handles[0], block->handles[1], nullptr};
    DWORD waitCount = block->count;
    if (block->stopped) waits[waitCount++] = block->stopped;
    const DWORD result = WaitForMultipleObjects(waitCount, waits, FALSE, WATCH_POLL_MS);
    WatchGuard guard;
    if (block->stopped && result == WAIT_OBJECT_0 + block->count) break;
    if (record->stopRequested || ShuttingDown) break;
    if (result == WAIT_OBJECT_0 && !IsFolderNode(block->nodes[0])) {
      // The same for the selected folder: its parent, if watched, takes over.
      if (block->count == 1) break;
      DropFirstSlot(block);
    } else if (result == WAIT_OBJECT_0) {
      RestartTimer(block->nodes[0], WATCH_SELECTION_DELAY_MS);
      if (!Renew(block, 0)) {
        if (block->count == 1) {
          running = false;
        } else {
          DropFirstSlot(block);
          RestartTimer(block->nodes[0], WATCH_PARENT_DELAY_MS);
        }
      }
    } else if (result == WAIT_OBJECT_0 + 1) {
      FolderNode* second = block->nodes[1];
      if (block->count == 2 && IsFolderNode(second) && IsDriveRoot(second->root)) {
        RestartTimer(second, WATCH_PARENT_DELAY_MS);
        if (!Renew(block, 1)) DropSecondSlot(block);
      } else if (block->count == 2) {
        // The parent left the tree: its signalled handle would wake us at
        // once, for ever, with nothing to rescan.
        DropSecondSlot(block);
      }
    } else if (result == WAIT_ABANDONED_0) {
      if (block->count == 2)
        DropFirstSlot(block);
      else
        running = false;
    } else if (result == WAIT_ABANDONED_0 + 1) {
      if (block->count == 2)
        DropSecondSlot(block);
      else
        running = false;
    } else if (result == WAIT_TIMEOUT) {
      running = !record->stopRequested && !ShuttingDown;
      // A folder deleted after the last change waits for our handle to close
      // before it goes; no change reaches us meanwhile.  Renewing once a
      // quiet second lets it go (a change in the instant between the close
      // and the reopen is not seen).
      if (running && block->count == 2 && !Renew(block, 1)) DropSecondSlot(block);
      if (running && !Renew(block, 0)) {
        if (block->count == 1) {
          running = false;
        } else {
          DropFirstSlot(block);
          RestartTimer(block->nodes[0], WATCH_PARENT_DELAY_MS);
        }
      }
    } else {
      running = false;
    }
  }
  {
    WatchGuard guard;
    UnlistBlock(block);
    CloseBlock(block);
    if (CurrentWatcher == record) CurrentWatcher = nullptr;
    if (PreviousWatcher == record) PreviousWatcher = nullptr;
  }
  FinishWorker(record);
  return 0;
}

void CALLBACK RescanTimer(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  auto* node = reinterpret_cast<FolderNode*>(timer);
  // The shutdown pumps messages while it waits for the workers: no new scans then.
  if (ShuttingDown || !IsFolderNode(node)) return;
  InterlockedIncrement(&g_rescans);
  ScanSubtree(node, false, nullptr);
  // The status bar speaks of the selection, whose totals may just have changed.
  if (MainWindow) RefreshStatusTexts(GetDlgItem(MainWindow, IDC_STATUS_BAR), CurrentFolder);
}

bool IsWatched(FolderNode* node) {
  return WatchedFoldersList && IsFolderNode(node) && WatchedFoldersList->FindByIdList(node->absoluteIdList);
}

LONG WatchRescanCount() { return InterlockedCompareExchange(&g_rescans, 0, 0); }
