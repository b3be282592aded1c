// Holds a node's lock from another thread, as a busy scan would, until released.
#pragma once
#include <windows.h>

#include <functional>

struct FolderNode;

class NodeLockHolder {
 public:
  explicit NodeLockHolder(FolderNode* node);
  ~NodeLockHolder();  // releases if still held
  NodeLockHolder(const NodeLockHolder&) = delete;
  NodeLockHolder& operator=(const NodeLockHolder&) = delete;
  void Release();
  // Releases from a thread timer once |when| holds, so from inside whatever
  // wait of the code under test serves this thread's messages; then runs |then|.
  void ReleaseWhen(std::function<bool()> when, std::function<void()> then = nullptr);

 private:
  static DWORD WINAPI Hold(void* self);
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  FolderNode* node_;
  HANDLE locked_;
  HANDLE release_;
  HANDLE thread_;
  std::function<bool()> when_;
  std::function<void()> then_;
  UINT_PTR timer_ = 0;
};
