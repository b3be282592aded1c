// Change-notification watching, used when the monitor driver is missing: the
// selected folder and its parent are watched, and a change there rescans the
// folder once the changes have paused.
#pragma once
#include <windows.h>

struct FolderNode;
struct WorkerRecord;

// The parameter of one watcher: slot 0 watches the selection (or, once that
// fails, its parent), slot 1 the parent.
struct WatchBlock {
  HANDLE handles[2];
  BYTE count;
  FolderNode* nodes[2];
  char paths[2][MAX_PATH];  // renewing a notification opens the folder again
  bool listed;              // its nodes are still counted in the watched folders
  HANDLE stopped;           // set with the stop flag, so a replaced watcher ends at once
};

constexpr DWORD WATCH_FILTER = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE;
constexpr UINT WATCH_SELECTION_DELAY_MS = 1000;
constexpr UINT WATCH_PARENT_DELAY_MS = 500;

// For a newly selected folder: watches it and its parent (unless already
// watched) on a new watcher, and stops the watcher from two selections ago.
// A folder that can no longer be watched and no longer exists leaves the tree.
void WatchSelection(FolderNode* node);
// Stops every watcher and watches |node| and its parent afresh (the refresh
// command: a watch whose folder was replaced on disk watches nothing).
void RenewWatches(FolderNode* node);

DWORD WINAPI WatcherWorker(void* record);

// The main window's debounce timer; its identifier is the node to rescan.
void CALLBACK RescanTimer(HWND window, UINT message, UINT_PTR timer, DWORD time);

// Whether |node| currently has a change notification.
bool IsWatched(FolderNode* node);
// Rescans started by the debounce timers so far.
LONG WatchRescanCount();
