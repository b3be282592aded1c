#include "model/scanner.h"

#include <cstdio>
#include <cstring>

#include "model/folder_node.h"
#include "model/node_list.h"
#include "model/propagation.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "model/worker_record.h"
#include "pane/pane_controls.h"
#include "shell/shell_items.h"

namespace {

// Attributes kept with each folder for the file commands.
constexpr ULONG FOLDER_ATTRIBUTE_REQUEST = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                           SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// A name the ANSI code page cannot hold comes back with '?' in it, which as a
// path is a wildcard and could name another folder.  The shell keeps the long
// name in the identifier list, so a short name would not survive either: the
// folder is skipped.
bool HoldsUnrepresentableName(const WIN32_FIND_DATAA& entry) { return std::strchr(entry.cFileName, '?') != nullptr; }

void RaiseTime(FILETIME* stored, const FILETIME& candidate) {
  if (CompareFileTime(&candidate, stored) > 0) *stored = candidate;
}

void DeleteNodeItem(FolderNode* node) {
  if (IsFolderNode(node) && node->mainItem)
    SendMessageA(Panes.mainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->mainItem));
}

// Creates the node and tree item of a subfolder seen for the first time.
// Takes ownership of both identifier lists.
FolderNode* AddSubfolder(FolderNode* parent, IShellFolder* folder, const WIN32_FIND_DATAA& entry,
                         LPITEMIDLIST absolute, LPITEMIDLIST relative, ULONG attributes) {
  FolderNode* child = CreateFolderNode();
  child->created = entry.ftCreationTime;
  child->lastAccess = entry.ftLastAccessTime;
  child->lastWrite = entry.ftLastWriteTime;
  child->root = parent->root;
  child->scanState = SCAN_NONE;
  child->shellAttributes = attributes;
  child->parentFolder = folder;
  folder->AddRef();
  child->absoluteIdList = absolute;
  child->relativeIdList = relative;

  char name[SHELL_TEXT_MAX];
  if (!DisplayNameOf(folder, relative, SHGDN_NORMAL, name)) {
    std::strncpy(name, entry.cFileName, sizeof name - 1);
    name[sizeof name - 1] = 0;
  }
  TVITEMA icons = {};
  ItemIcons(absolute, &icons);
  child->mainItem = InsertFolderItem(Panes.mainTree, parent->mainItem, name, icons.iImage, icons.iSelectedImage,
                                     child);
  parent->subfolderCount += 1;
  return child;
}

// Refreshes the times of a known subfolder from its parent's listing.
void TakeEntryTimes(FolderNode* child, const WIN32_FIND_DATAA& entry) {
  child->created = entry.ftCreationTime;
  child->lastAccess = entry.ftLastAccessTime;
  child->lastWrite = entry.ftLastWriteTime;
  if (entry.ftLastWriteTime.dwHighDateTime == 0) child->lastWrite = entry.ftCreationTime;
  if (child->lastAccess.dwHighDateTime == 0) child->lastAccess = entry.ftCreationTime;
}

}  // namespace

int EnumerateFolder(FolderNode* node, uint32_t clusterSize, NodeList* queue, bool descendKnown, OwnDelta* delta) {
  if (delta) *delta = {0, 0};
  if (!IsFolderNode(node) || !node->absoluteIdList) return 0;
  char path[MAX_PATH];
  if (!SHGetPathFromIDListA(node->absoluteIdList, path)) return 0;
  size_t length = std::strlen(path);
  if (length == 0 || path[length - 1] != '\\') {
    if (length + 1 >= sizeof path) return 0;
    path[length++] = '\\';
    path[length] = 0;
  }
  char pattern[MAX_PATH];
  if (std::snprintf(pattern, sizeof pattern, "%s*.*", path) >= int(sizeof pattern)) return 0;

  // The old children are taken under the lock: a stopped scan and its
  // successor may enumerate the same folder, and a list taken before the
  // other one's insertions would add every subfolder a second time.
  LockNode(node);
  const int64_t bytesBefore = node->ownBytes;
  const int64_t allocatedBefore = node->ownAllocated;
  HWND tree = Panes.mainTree;
  LocalNodeList oldChildren;
  for (HTREEITEM item = FirstChildItem(tree, node->mainItem); item; item = NextSiblingItem(tree, item)) {
    FolderNode* child = NodeFromItem(tree, item);
    if (IsFolderNode(child)) oldChildren.Append(child);
  }

  int result = 0;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search != INVALID_HANDLE_VALUE) {
    result = 1;
    node->flags &= ~FILES_COUNTED;
    node->fileCount = 0;
    node->ownBytes = 0;
    node->ownAllocated = clusterSize;
    node->scanState = SCAN_RUNNING;
    const bool hadSubfolders = node->subfolderCount > 0;
    InvalidateNodeRow(node);

    IShellFolder* folder = nullptr;  // bound at the first subfolder, once per enumeration
    bool folderTried = false;
    do {
      if (IsDotEntry(entry.cFileName)) continue;
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Only the low 32 bits of the size count, as the file's reported size.
        node->fileCount += 1;
        node->ownBytes += entry.nFileSizeLow;
        node->ownAllocated += RoundToClusters(entry.nFileSizeLow, clusterSize);
        RaiseTime(&node->lastAccess, entry.ftLastAccessTime);
        RaiseTime(&node->lastWrite, entry.ftLastWriteTime);
        continue;
      }

      // Junctions and symbolic links lead to folders counted elsewhere, or
      // back up the tree without end.
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      if (HoldsUnrepresentableName(entry)) continue;
      const char* childName = entry.cFileName;
      char childPath[MAX_PATH];
      // The child's own search pattern must still fit the ANSI path limit.
      int childLength = std::snprintf(childPath, sizeof childPath, "%s%s\\", path, childName);
      if (childLength < 0 || childLength + 3 >= int(sizeof childPath)) continue;
      if (!folderTried) {
        folderTried = true;
        FolderFromPath(path, &folder);
      }
      if (!folder) continue;
      LPITEMIDLIST relative = IdListFromPath(childName, folder, nullptr);
      ULONG attributes = FOLDER_ATTRIBUTE_REQUEST;
      LPITEMIDLIST absolute = IdListFromPath(childPath, nullptr, &attributes);
      if (!absolute || !relative) {
        FreeIdList(absolute);
        FreeIdList(relative);
        continue;
      }

      FolderNode* existing = hadSubfolders ? oldChildren.TakeByIdList(absolute) : nullptr;
      if (existing) {
        if (descendKnown) {
          ResetCompleteness(existing);
          TakeEntryTimes(existing, entry);
          if (queue) queue->Append(existing);
          SetHasChildren(tree, existing->mainItem, 1);
        }
        FreeIdList(absolute);
        FreeIdList(relative);
        continue;
      }
      FolderNode* child = AddSubfolder(node, folder, entry, absolute, relative, attributes);
      if (queue) queue->Append(child);
      SetHasChildren(tree, child->mainItem, 1);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    if (folder) folder->Release();
  }

  node->flags |= FILES_COUNTED;
  if (node->subfolderCount == 0) {
    SetHasChildren(tree, node->mainItem, 0);
    node->flags |= SUBTREE_COMPLETE;
  } else {
    SetHasChildren(tree, node->mainItem, 1);
  }
  node->scanState = SCAN_DONE;
  if (delta) *delta = {node->ownBytes - bytesBefore, node->ownAllocated - allocatedBefore};
  UnlockNode(node);

  // Whatever was not seen again no longer exists (or none was, when listing failed).
  while (FolderNode* gone = oldChildren.PopFront()) DeleteNodeItem(gone);

  InvalidateNodeItem(node);
  InvalidateNodeRow(node);
  return result;
}

int ScanSubtree(FolderNode* node, bool descendKnown, WorkerRecord* worker) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return 0;
  uint32_t clusterSize = ClusterSize(node);
  if (!(node->root->flags & DRIVE_INFO_VALID)) return 0;

  LocalNodeList queue;
  FolderNode* start = node;
  FolderNode* current = node;
  int result = 0;
  while (current) {
    if (IsFolderNode(current)) {
      OwnDelta delta;
      result = EnumerateFolder(current, clusterSize, &queue, descendKnown, &delta);
      if (result) {
        PropagateDelta(current, delta.bytes, delta.allocated);
      } else {
        if (current == start) start = nullptr;
        if (current->kind == NODE_DRIVE_ROOT) break;
        DeleteNodeItem(current);  // vanished, or cannot be listed
      }
    }
    if (worker && worker->stopRequested) break;
    current = queue.PopFront();
  }
  queue.Clear();
  if (IsFolderNode(start)) {
    start->scanState = SCAN_DONE;
    ResortBranch(Panes.mainTree, start->mainItem);
  }
  AlignListTop();
  return result;
}

int ScanOneLevel(FolderNode* node) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return 0;
  uint32_t clusterSize = ClusterSize(node);
  if (!(node->root->flags & DRIVE_INFO_VALID)) return 0;
  OwnDelta delta;
  int result = EnumerateFolder(node, clusterSize, nullptr, false, &delta);
  if (result) {
    PropagateDelta(node, delta.bytes, delta.allocated);
    LockNode(node);
    node->scanState = SCAN_DONE;
    UnlockNode(node);
    ResortBranch(Panes.mainTree, node->mainItem);
    AlignListTop();
  } else {
    DeleteNodeItem(node);
  }
  return result;
}
