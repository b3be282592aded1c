#include "model/folder_node.h"

#include <cstdlib>

#include "app/process_state.h"
#include "shell/shell_items.h"

namespace {

template <typename T>
T* AllocateNode() {
  auto* node = static_cast<T*>(std::calloc(1, sizeof(T)));
  if (!node) {
    FatalAppExitA(0, "Out of memory for folder records.");
  }
  node->magic = NODE_MAGIC;
  node->kind = NODE_FOLDER;
  return node;
}

}  // namespace

FolderNode* CreateFolderNode() {
  FolderNode* node = AllocateNode<FolderNode>();
  node->lock = CreateMutexA(nullptr, FALSE, nullptr);
  return node;
}

DriveRootNode* CreateDriveRootNode() {
  DriveRootNode* node = AllocateNode<DriveRootNode>();
  node->kind = NODE_DRIVE_ROOT;
  node->root = node;
  node->lock = CreateMutexA(nullptr, FALSE, nullptr);
  return node;
}

FolderNode* CreateTopNode() { return AllocateNode<FolderNode>(); }

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

void UnlockNode(FolderNode* node) {
  if (IsFolderNode(node) && node->lock) ReleaseMutex(node->lock);
}

void FreeNodeRecord(FolderNode* node) {
  if (!node) return;
  if (node->relativeIdList && node->relativeIdList != node->absoluteIdList) FreeIdList(node->relativeIdList);
  FreeIdList(node->absoluteIdList);
  if (node->parentFolder) node->parentFolder->Release();
  if (node->lock) CloseHandle(node->lock);
  std::free(node);
}
