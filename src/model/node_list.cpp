#include "model/node_list.h"

#include "model/folder_node.h"
#include "shell/shell_items.h"

void NodeList::Init() {
  head = nullptr;
  tail = nullptr;
  lock = nullptr;
}

void NodeList::Acquire() {
  if (!lock) {
    HANDLE fresh = CreateMutexA(nullptr, FALSE, nullptr);
    if (InterlockedCompareExchangePointer(&lock, fresh, nullptr) != nullptr) CloseHandle(fresh);
  }
  WaitForSingleObject(lock, INFINITE);
}

// A list that was never appended to has no lock yet and nothing to give: the
// operations that only take answer it without making one, which saves a scan
// a mutex for every folder it lists.
bool NodeList::AcquireIfUsed() {
  if (!InterlockedCompareExchangePointer(&lock, nullptr, nullptr)) return false;
  WaitForSingleObject(lock, INFINITE);
  return true;
}

void NodeList::Release() { ReleaseMutex(lock); }

NodeListEntry* NodeList::Append(FolderNode* value) {
  Acquire();
  auto* entry = new NodeListEntry{value, nullptr};
  if (tail)
    tail->next = entry;
  else
    head = entry;
  tail = entry;
  Release();
  return entry;
}

FolderNode* NodeList::PopFront() {
  if (!AcquireIfUsed()) return nullptr;
  FolderNode* value = nullptr;
  if (NodeListEntry* entry = head) {
    head = entry->next;
    if (!head) tail = nullptr;
    value = entry->value;
    delete entry;
  }
  Release();
  return value;
}

FolderNode* NodeList::SearchByIdList(LPCITEMIDLIST list, bool take) {
  if (!list) return nullptr;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return nullptr;
  if (!AcquireIfUsed()) {
    desktop->Release();
    return nullptr;
  }
  FolderNode* found = nullptr;
  NodeListEntry* previous = nullptr;
  for (NodeListEntry* entry = head; entry; previous = entry, entry = entry->next) {
    FolderNode* node = entry->value;
    if (!IsFolderNode(node) || !SameIdList(desktop, node->absoluteIdList, list)) continue;
    found = node;
    if (take) {
      (previous ? previous->next : head) = entry->next;
      if (tail == entry) tail = previous;
      delete entry;
    }
    break;
  }
  Release();
  desktop->Release();
  return found;
}

FolderNode* NodeList::TakeByIdList(LPCITEMIDLIST list) { return SearchByIdList(list, true); }

FolderNode* NodeList::FindByIdList(LPCITEMIDLIST list) { return SearchByIdList(list, false); }

void NodeList::Clear() {
  if (!AcquireIfUsed()) return;
  NodeListEntry* entry = head;
  head = tail = nullptr;
  Release();
  while (entry) {
    NodeListEntry* next = entry->next;
    delete entry;
    entry = next;
  }
}
