// Holds a node's lock from another thread, as a busy scan would, until released.
#pragma once
#include <windows.h>

struct FolderNode;

class NodeLockHolder {
 public:
  explicit NodeLockHolder(FolderNode* node);
  ~NodeLockHolder();  // releases if still held
  NodeLockHolder(const NodeLockHolder&) = delete;
  NodeLockHolder& operator=(const NodeLockHolder&) = delete;
  void Release();

 private:
  static DWORD WINAPI Hold(void* self);
  FolderNode* node_;
  HANDLE locked_;
  HANDLE release_;
  HANDLE thread_;
};
