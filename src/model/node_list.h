// A locked singly linked list of node pointers: scan queues, old children
// during a rescan, watched folders and retired records.
#pragma once
#include <windows.h>
#include <shlobj.h>

struct FolderNode;

struct NodeListEntry {
  FolderNode* value;
  NodeListEntry* next;
};

struct NodeList {
  NodeListEntry* head;
  NodeListEntry* tail;
  HANDLE lock;  // created on first use, kept for the list's lifetime

  void Init();
  bool IsEmpty() const { return head == nullptr; }
  NodeListEntry* Append(FolderNode* value);
  FolderNode* PopFront();
  // First node whose absoluteIdList the desktop reports equal to |list|.
  FolderNode* TakeByIdList(LPCITEMIDLIST list);
  FolderNode* FindByIdList(LPCITEMIDLIST list);
  void Clear();  // frees the entries, never the values

 protected:
  void Acquire();
  bool AcquireIfUsed();
  void Release();
  FolderNode* SearchByIdList(LPCITEMIDLIST list, bool take);
};

// A list that lives in one function: its lock is closed when it goes out of scope.
struct LocalNodeList : NodeList {
  LocalNodeList() { Init(); }
  ~LocalNodeList() {
    Clear();
    if (lock) CloseHandle(lock);
  }
  LocalNodeList(const LocalNodeList&) = delete;
  LocalNodeList& operator=(const LocalNodeList&) = delete;
};
