#include "model/folder_node.h"

#include <cstdlib>
#include <cstring>

#include "app/process_state.h"
#include "shell/shell_items.h"

namespace {

// Folder records are never freed while the program runs, so they come from
// pages of many records each instead of one heap block apiece: the heap's
// header and rounding would add a tenth to every record.  A record given back
// at exit (or by a test) is kept for the next one asked for.
class FolderRecordPool {
 public:
  FolderRecordPool() { InitializeCriticalSection(&lock_); }
  FolderRecordPool(const FolderRecordPool&) = delete;
  FolderRecordPool& operator=(const FolderRecordPool&) = delete;

  FolderNode* Take() {
    EnterCriticalSection(&lock_);
    FolderNode* record = given_;
    if (record) {
      std::memcpy(&given_, &record->mainItem, sizeof given_);
    } else {
      if (left_ == 0) Refill();
      if (next_) {
        record = reinterpret_cast<FolderNode*>(next_);
        next_ += sizeof(FolderNode);
        --left_;
      }
    }
    LeaveCriticalSection(&lock_);
    if (record) std::memset(record, 0, sizeof(FolderNode));
    return record;
  }

  // A record given back links the next one through its tree item field; its
  // magic is cleared, so a stale pointer still fails IsFolderNode.
  void Give(FolderNode* node) {
    node->magic = 0;
    EnterCriticalSection(&lock_);
    std::memcpy(&node->mainItem, &given_, sizeof given_);
    given_ = node;
    LeaveCriticalSection(&lock_);
  }

 private:
  static constexpr SIZE_T PAGE_BYTES = 64 * 1024;  // the allocation granularity

  void Refill() {
    next_ = static_cast<BYTE*>(VirtualAlloc(nullptr, PAGE_BYTES, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    left_ = next_ ? PAGE_BYTES / sizeof(FolderNode) : 0;
  }

  CRITICAL_SECTION lock_;
  BYTE* next_ = nullptr;
  SIZE_T left_ = 0;
  FolderNode* given_ = nullptr;
};

FolderRecordPool g_folderRecords;

void OutOfMemory() { FatalAppExitA(0, "Out of memory for folder records."); }

FolderNode* AllocateFolderRecord() {
  FolderNode* node = g_folderRecords.Take();
  if (!node) OutOfMemory();
  node->magic = NODE_MAGIC;
  node->kind = NODE_FOLDER;
  return node;
}

// Drive roots are few and longer: each keeps a heap block of its own.
DriveRootNode* AllocateDriveRootRecord() {
  auto* node = static_cast<DriveRootNode*>(std::calloc(1, sizeof(DriveRootNode)));
  if (!node) OutOfMemory();
  node->magic = NODE_MAGIC;
  node->kind = NODE_DRIVE_ROOT;
  return node;
}

}  // namespace

FolderNode* CreateFolderNode() {
  FolderNode* node = AllocateFolderRecord();
  node->lock = CreateMutexA(nullptr, FALSE, nullptr);
  return node;
}

DriveRootNode* CreateDriveRootNode() {
  DriveRootNode* node = AllocateDriveRootRecord();
  node->root = node;
  node->lock = CreateMutexA(nullptr, FALSE, nullptr);
  return node;
}

FolderNode* CreateTopNode() { return AllocateFolderRecord(); }

bool IsFolderNode(const FolderNode* node) {
  return node && !IsBadReadPtr(node, sizeof(FolderNode)) && node->magic == NODE_MAGIC;
}

bool IsDriveRoot(const FolderNode* node) {
  return node && !IsBadReadPtr(node, sizeof(DriveRootNode)) && node->magic == NODE_MAGIC;
}

DWORD LockNode(FolderNode* node) {
  if (!IsFolderNode(node) || !node->lock) return 0;
  if (!OnMainThread()) return WaitForSingleObject(node->lock, INFINITE);
  DWORD result;
  while ((result = WaitForSingleObject(node->lock, 40)) == WAIT_TIMEOUT) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Keep the quit for the main loop; pump again after the next slice.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return result;
}

// A node retired while its caller waited for it is still unlocked: records
// stay readable for the whole run, and only the owner's release counts.
void UnlockNode(FolderNode* node) {
  if (node && !IsBadReadPtr(node, sizeof(FolderNode)) && node->lock) ReleaseMutex(node->lock);
}

void FreeNodeRecord(FolderNode* node) {
  if (!node) return;
  // A subfolder's relative list is the last item of its absolute one.
  if (!IdListHolds(node->absoluteIdList, node->relativeIdList)) FreeIdList(node->relativeIdList);
  FreeIdList(node->absoluteIdList);
  if (node->parentFolder) node->parentFolder->Release();
  if (node->lock) CloseHandle(node->lock);
  if (node->kind == NODE_DRIVE_ROOT)
    std::free(node);
  else
    g_folderRecords.Give(node);
}
