#include "support/node_lock_holder.h"

#include "model/folder_node.h"

namespace {
NodeLockHolder* g_timed = nullptr;
}

NodeLockHolder::NodeLockHolder(FolderNode* node)
    : node_(node),
      locked_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      release_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_(CreateThread(nullptr, 0, Hold, this, 0, nullptr)) {
  WaitForSingleObject(locked_, INFINITE);
}

NodeLockHolder::~NodeLockHolder() {
  if (timer_) KillTimer(nullptr, timer_);
  if (g_timed == this) g_timed = nullptr;
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

void NodeLockHolder::ReleaseWhen(std::function<bool()> when, std::function<void()> then) {
  when_ = std::move(when);
  then_ = std::move(then);
  g_timed = this;
  timer_ = SetTimer(nullptr, 0, 20, OnTimer);
}

void CALLBACK NodeLockHolder::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  NodeLockHolder* self = g_timed;
  if (!self || !self->when_()) return;
  KillTimer(nullptr, timer);
  self->timer_ = 0;
  g_timed = nullptr;
  self->Release();
  if (self->then_) self->then_();
}

DWORD WINAPI NodeLockHolder::Hold(void* parameter) {
  auto* self = static_cast<NodeLockHolder*>(parameter);
  LockNode(self->node_);
  SetEvent(self->locked_);
  WaitForSingleObject(self->release_, INFINITE);
  UnlockNode(self->node_);
  return 0;
}
