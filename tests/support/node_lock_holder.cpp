#include "support/node_lock_holder.h"

#include "model/folder_node.h"

NodeLockHolder::NodeLockHolder(FolderNode* node)
    : node_(node),
      locked_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_(CreateThread(nullptr, 0, Hold, this, 0, nullptr)) {
  WaitForSingleObject(locked_, INFINITE);
}

NodeLockHolder::~NodeLockHolder() {
  Release();
  CloseHandle(locked_);
  CloseHandle(release_);
}

void NodeLockHolder::Release() {
  if (!thread_) return;
  SetEvent(release_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI NodeLockHolder::Hold(void* parameter) {
  auto* self = static_cast<NodeLockHolder*>(parameter);
  LockNode(self->node_);
  SetEvent(self->locked_);
  WaitForSingleObject(self->release_, INFINITE);
  UnlockNode(self->node_);
  return 0;
}
