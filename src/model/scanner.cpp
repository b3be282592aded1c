#include "model/scanner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/folder_node.h"
#include "model/node_list.h"
#include "model/propagation.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "model/worker_record.h"
#include "pane/pane_controls.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {
// Attributes kept with each folder for the file commands.
constexpr ULONG FOLDER_ATTRIBUTE_REQUEST = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                           SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// The name the folder is reached by.  A name the ANSI code page cannot hold
// comes back with '?' in it, which as a path is a wildcard and could name
// another folder; its short name is held by every code page, and the shell
// parses it to the folder's own list.  Null when there is no short name.
const char* ReachableName(const WIN32_FIND_DATAA& entry) {
  if (!std::strchr(entry.cFileName, '?')) return entry.cFileName;
  return entry.cAlternateFileName[0] ? entry.cAlternateFileName : nullptr;
}

void RaiseTime(FILETIME* stored, const FILETIME& candidate) {
  if (CompareFileTime(&candidate, stored) > 0) *stored = candidate;
}

// Where the subfolders an enumeration queues go, each with its path (ending
// in a backslash) and the offset of its name in that path, so that nobody
// asks the shell for a path already known.
class ChildSink {
 public:
  virtual void Add(FolderNode* child, const char* childPath, size_t nameStart) = 0;

 protected:
  ~ChildSink() = default;
};

// The public form's sink: the caller's node queue.
class QueueSink final : public ChildSink {
 public:
  explicit QueueSink(NodeList* queue) : queue_(queue) {}
  void Add(FolderNode* child, const char*, size_t) override { queue_->Append(child); }

 private:
  NodeList* queue_;
};

// The relative lists of a folder's subfolders from one enumeration of its
// shell folder, found again by the names the listing gives, so that each
// subfolder costs no parse of its own.
class EnumeratedSubfolders {
 public:
  explicit EnumeratedSubfolders(IShellFolder* folder) : folder_(folder) {
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK || !items) return;
    LPITEMIDLIST item = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &item, &fetched) == S_OK && item) {
      char name[SHELL_TEXT_MAX];
      if (DisplayNameOf(folder, item, SHGDN_INFOLDER | SHGDN_FORPARSING, name))
        entries_.push_back({name, item});
      else
        FreeIdList(item);
      item = nullptr;
    }
    items->Release();
    std::sort(entries_.begin(), entries_.end(),
              [](const Entry& a, const Entry& b) { return std::strcmp(a.name.c_str(), b.name.c_str()) < 0; });
  }
  EnumeratedSubfolders(const EnumeratedSubfolders&) = delete;
  EnumeratedSubfolders& operator=(const EnumeratedSubfolders&) = delete;
  ~EnumeratedSubfolders() {
    for (const Entry& entry : entries_) FreeIdList(entry.list);
  }

  // The list named |name| with the folder's answer to the attribute request
  // in |*attributes|, owned by the caller; null when the enumeration missed it.
  LPITEMIDLIST Take(const char* name, ULONG* attributes) {
    auto at = std::lower_bound(entries_.begin(), entries_.end(), name, [](const Entry& entry, const char* key) {
      return std::strcmp(entry.name.c_str(), key) < 0;
    });
    for (; at != entries_.end() && at->name == name; ++at) {
      if (!at->list) continue;
      LPITEMIDLIST list = at->list;
      at->list = nullptr;
      ULONG answer = *attributes;
      LPCITEMIDLIST lists[] = {list};
      if (FAILED(folder_->GetAttributesOf(1, lists, &answer))) {
        FreeIdList(list);
        return nullptr;
      }
      *attributes = answer;
      return list;
    }
    return nullptr;
  }

 private:
  struct Entry {
    std::string name;
    LPITEMIDLIST list;
  };
  IShellFolder* folder_;
  std::vector<Entry> entries_;
};

// A subfolder seen for the first time, waiting for its tree item.
struct NewSubfolder {
  FolderNode* node;
  std::string name;
  TVITEMA icons;
};

// Creates the node of a subfolder seen for the first time; its tree item is
// inserted with the others of the listing.  Takes ownership of |absolute|;
// |relative| points into its end.
NewSubfolder AddSubfolder(FolderNode* parent, IShellFolder* folder, const WIN32_FIND_DATAA& entry,
                          const char* childPath, LPITEMIDLIST absolute, LPITEMIDLIST relative, ULONG attributes) {
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

  NewSubfolder added = {child, std::string(), {}};
  char name[SHELL_TEXT_MAX];
  added.name = DisplayNameOf(folder, relative, SHGDN_NORMAL, name) ? name : entry.cFileName;
  FolderIcons(absolute, childPath, entry.dwFileAttributes, &added.icons);
  parent->subfolderCount += 1;
  return added;
}

// Refreshes the times of a known subfolder from its parent's listing.
void TakeEntryTimes(FolderNode* child, const WIN32_FIND_DATAA& entry) {
  child->created = entry.ftCreationTime;
  child->lastAccess = entry.ftLastAccessTime;
  child->lastWrite = entry.ftLastWriteTime;
  if (entry.ftLastWriteTime.dwHighDateTime == 0) child->lastWrite = entry.ftCreationTime;
  if (child->lastAccess.dwHighDateTime == 0) child->lastAccess = entry.ftCreationTime;
}

// The folder's shell folder.  Binding the absolute list from the desktop
// binds every folder on the way down and asks the last one for this one; the
// parent's folder, which the node keeps, is that last one.
void BindListedFolder(FolderNode* node, IShellFolder** folder) {
  *folder = nullptr;
  if (node->parentFolder && node->relativeIdList &&
      SUCCEEDED(node->parentFolder->BindToObject(node->relativeIdList, nullptr, IID_IShellFolder,
                                                 reinterpret_cast<void**>(folder))) &&
      *folder)
    return;
  FolderFromIdList(node->absoluteIdList, folder);
}

// The folder's path from its identifier list, ending in a backslash.
bool FolderPath(FolderNode* node, char (&path)[MAX_PATH]) { return FileSystemPath(node->absoluteIdList, path, true); }

// EnumerateFolder on a folder whose path (ending in a backslash) is known.
int ListFolder(FolderNode* node, const char* path, uint32_t clusterSize, ChildSink* sink, bool descendKnown,
               OwnDelta* delta) {
  char pattern[MAX_PATH];
  if (std::snprintf(pattern, sizeof pattern, "%s*.*", path) >= int(sizeof pattern)) return 0;

  // The old children are taken under the lock: a stopped scan and its
  // successor may enumerate the same folder, and a list taken before the
  // other one's insertions would add every subfolder a second time.  A
  // folder found by this scan may still wait for its own item.
  if (IsFolderNode(node) && !node->mainItem) FlushTreeUpdates();
  LockNode(node);
  // The folder may have been removed while we waited; children inserted under
  // a vanished item would land at the top of the tree.
  if (!IsFolderNode(node) || !node->mainItem) {
    UnlockNode(node);
    return 0;
  }
  const int64_t bytesBefore = node->ownBytes;
  const int64_t allocatedBefore = node->ownAllocated;
  HWND tree = Panes.mainTree;
  LocalNodeList oldChildren;
  // Known children are reset once this folder is unlocked: resetting locks
  // the child and then its ancestors, and a scan inside the child taking the
  // same path would otherwise wait for us while we wait for it.
  std::vector<FolderNode*> toReset;
  // The count follows every insertion and deletion of a child item under this
  // lock, so a folder counted without subfolders has no child items to list.
  if (node->subfolderCount > 0) {
    FlushTreeUpdates();  // insertions under this folder still queued are children too
    for (HTREEITEM item = FirstChildItem(tree, node->mainItem); item; item = NextSiblingItem(tree, item)) {
      FolderNode* child = NodeFromItem(tree, item);
      if (IsFolderNode(child)) oldChildren.Append(child);
    }
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
    RepaintNode(node, REPAINT_ROW);

    IShellFolder* folder = nullptr;  // bound at the first subfolder, once per enumeration
    bool folderTried = false;
    std::unique_ptr<EnumeratedSubfolders> enumerated;
    const size_t nameStart = std::strlen(path);
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
      const char* childName = ReachableName(entry);
      if (!childName) continue;
      char childPath[MAX_PATH];
      // The child's own search pattern must still fit the ANSI path limit.
      int childLength = std::snprintf(childPath, sizeof childPath, "%s%s\\", path, childName);
      if (childLength < 0 || childLength + 3 >= int(sizeof childPath)) continue;
      if (!folderTried) {
        folderTried = true;
        BindListedFolder(node, &folder);
        if (folder) enumerated = std::make_unique<EnumeratedSubfolders>(folder);
      }
      if (!folder) continue;
      // The desktop parses a full path down to this folder and asks it for the
      // last element's attributes, so parsing the name here answers the same;
      // the parent's list followed by the child's is the list it would build.
      // The folder builds the lists it enumerates from the same directory
      // entries as those it parses, and parsing asks GetAttributesOf for the
      // attributes: an enumerated list with its attributes is the parsed one.
      ULONG attributes = FOLDER_ATTRIBUTE_REQUEST;
      LPITEMIDLIST relative = enumerated->Take(childName, &attributes);
      if (!relative) relative = IdListFromPath(childName, folder, &attributes);
      LPITEMIDLIST absolute = relative ? ConcatIdLists(node->absoluteIdList, relative) : nullptr;
      if (!absolute || !relative) {
        FreeIdList(absolute);
        FreeIdList(relative);
        continue;
      }

      FolderNode* existing = hadSubfolders ? oldChildren.TakeByIdList(absolute) : nullptr;
      if (existing) {
        if (descendKnown) {
          toReset.push_back(existing);
          TakeEntryTimes(existing, entry);
          if (sink) sink->Add(existing, childPath, nameStart);
          SetNodeHasChildren(tree, existing, 1);
        }
        FreeIdList(absolute);
        FreeIdList(relative);
        continue;
      }
      // The absolute list ends with a copy of the relative one, terminator
      // and all: that copy is the same list without an allocation of its own.
      LPITEMIDLIST tail = reinterpret_cast<LPITEMIDLIST>(reinterpret_cast<BYTE*>(absolute) + IdListSize(absolute) -
                                                         IdListSize(relative));
      FreeIdList(relative);
      const NewSubfolder added = AddSubfolder(node, folder, entry, childPath, absolute, tail, attributes);
      InsertSubfolderItem(tree, node, {added.name.c_str(), added.icons.iImage, added.icons.iSelectedImage, added.node});
      if (sink) sink->Add(added.node, childPath, nameStart);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    enumerated.reset();
    if (folder) folder->Release();
  }

  node->flags |= FILES_COUNTED;
  // A finished folder that found a new subfolder is finished no longer.
  bool unfinished = false;
  if (node->subfolderCount == 0) {
    SetNodeHasChildren(tree, node, 0);
    node->flags |= SUBTREE_COMPLETE;
  } else {
    SetNodeHasChildren(tree, node, 1);
    unfinished = (node->flags & SUBTREE_COMPLETE) && node->subFoldersCalculated < node->subfolderCount;
  }
  node->scanState = SCAN_DONE;
  if (delta) *delta = {node->ownBytes - bytesBefore, node->ownAllocated - allocatedBefore};
  UnlockNode(node);

  if (unfinished) WithdrawCompletion(node);
  for (FolderNode* child : toReset) ResetCompleteness(child);

  // Whatever was not seen again no longer exists (or none was, when listing
  // failed); it goes after the updates already made.
  FolderNode* gone = oldChildren.PopFront();
  if (gone) FlushTreeUpdates();
  for (; gone; gone = oldChildren.PopFront()) DeleteNodeItem(Panes.mainTree, gone);

  RepaintNode(node, REPAINT_ITEM | REPAINT_ROW);
  return result;
}

// A subtree scan's own record of what it found: each folder's parent (so the
// upward propagation needs no tree messages) and its name (so each queued
// folder's path is put together rather than asked of the shell).
class SubtreeWalk final : public ChildSink {
 public:
  // The start's ancestors as far as its drive root, asked of the tree once.
  explicit SubtreeWalk(FolderNode* start, const char* startPath) : startPath_(startPath) {
    FolderNode* node = start;
    while (node->kind != NODE_DRIVE_ROOT) {
      node = ParentNode(Panes.mainTree, node->mainItem);
      if (!IsFolderNode(node)) break;
      above_.push_back(node);
    }
    for (size_t i = above_.size(); i-- > 0;) Record(above_[i], LastIndex(), "", 0);
    startIndex_ = Record(start, LastIndex(), "", 0);
    pending_.push_back(startIndex_);
  }

  // The next folder to enumerate and its path; false when none is left.
  bool Next(FolderNode** node, std::string* path) {
    if (pending_.empty()) return false;
    current_ = pending_.front();
    pending_.pop_front();
    *node = seen_[current_].node;
    PathOf(current_, path);
    return true;
  }

  void Add(FolderNode* child, const char* childPath, size_t nameStart) override {
    const size_t end = std::strlen(childPath) - 1;  // the trailing backslash
    pending_.push_back(Record(child, current_, childPath + nameStart, end - nameStart));
  }

  // The start's ancestors, nearest first.
  const std::vector<FolderNode*>& Above() const { return above_; }

  // The current folder's ancestors, nearest first.
  const std::vector<FolderNode*>& Ancestors() {
    ancestors_.clear();
    for (uint32_t i = seen_[current_].parent; i != NO_PARENT; i = seen_[i].parent) ancestors_.push_back(seen_[i].node);
    return ancestors_;
  }

 private:
  static constexpr uint32_t NO_PARENT = UINT32_MAX;

  // Small records and one buffer of names: the walk lives only as long as
  // the scan, but the heap it grew stays with the process.
  struct Seen {
    FolderNode* node;
    uint32_t parent;
    uint32_t name;  // offset in names_, empty for the start and above it
  };

  uint32_t LastIndex() const { return seen_.empty() ? NO_PARENT : uint32_t(seen_.size() - 1); }

  uint32_t Record(FolderNode* node, uint32_t parent, const char* name, size_t length) {
    seen_.push_back({node, parent, uint32_t(names_.size())});
    names_.append(name, length);
    names_ += '\0';
    return uint32_t(seen_.size() - 1);
  }

  void PathOf(uint32_t index, std::string* path) const {
    chain_.clear();
    for (; index != startIndex_; index = seen_[index].parent) chain_.push_back(seen_[index].name);
    *path = startPath_;
    for (size_t i = chain_.size(); i-- > 0;) {
      *path += names_.c_str() + chain_[i];
      *path += '\\';
    }
  }

  std::string startPath_;
  std::vector<FolderNode*> above_;
  std::vector<Seen> seen_;
  std::string names_;
  std::deque<uint32_t> pending_;
  std::vector<FolderNode*> ancestors_;
  mutable std::vector<uint32_t> chain_;
  uint32_t startIndex_ = 0;
  uint32_t current_ = 0;
};

}  // namespace

int EnumerateFolder(FolderNode* node, uint32_t clusterSize, NodeList* queue, bool descendKnown, OwnDelta* delta) {
  if (delta) *delta = {0, 0};
  if (!IsFolderNode(node) || !node->absoluteIdList) return 0;
  char path[MAX_PATH];
  if (!FolderPath(node, path)) return 0;
  QueueSink sink(queue);
  return ListFolder(node, path, clusterSize, queue ? &sink : nullptr, descendKnown, delta);
}

int ScanSubtree(FolderNode* node, bool descendKnown, WorkerRecord* worker) {
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return 0;
  uint32_t clusterSize = ClusterSize(node);
  if (!(node->root->flags & DRIVE_INFO_VALID)) return 0;

  char startPath[MAX_PATH];
  const bool startListable = node->absoluteIdList && FolderPath(node, startPath);
  SubtreeWalk walk(node, startListable ? startPath : "");
  FolderNode* start = node;
  FolderNode* current = nullptr;
  std::string path;
  int result = 0;
  bool first = true;
  PendingPropagation pending;
  while (walk.Next(&current, &path)) {
    if (IsFolderNode(current)) {
      // A folder with known subfolders may take completions back from its
      // ancestors, and a folder that cannot be listed leaves them: either
      // comes after the earlier folders' deltas and completions have arrived.
      if (current->subfolderCount != 0) pending.Flush();
      OwnDelta delta = {0, 0};
      result =
          (first && !startListable) ? 0 : ListFolder(current, path.c_str(), clusterSize, &walk, descendKnown, &delta);
      if (result) {
        const std::vector<FolderNode*>& ancestors = walk.Ancestors();
        pending.Add(current, delta.bytes, delta.allocated, ancestors.data(), ancestors.size());
      } else {
        pending.Flush();
        if (current == start) start = nullptr;
        if (current->kind == NODE_DRIVE_ROOT) break;
        FlushTreeUpdates();
        DeleteNodeItem(Panes.mainTree, current);  // vanished, or cannot be listed
      }
    }
    first = false;
    if (worker && worker->stopRequested) break;
  }
  pending.Flush();
  // Resetting a known subfolder marked every ancestor as being scanned until
  // completions come back up; on a drive not wholly scanned they never would,
  // so those above the start are done again once this scan is over (the lock
  // waits out a listing of one of them, which ends done anyway).
  for (FolderNode* ancestor : walk.Above()) {
    LockNode(ancestor);
    if (IsFolderNode(ancestor) && ancestor->scanState == SCAN_RUNNING) ancestor->scanState = SCAN_DONE;
    UnlockNode(ancestor);
  }
  FlushTreeUpdates();  // the branch is sorted and shown whole
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
    FlushTreeUpdates();
    ResortBranch(Panes.mainTree, node->mainItem);
    AlignListTop();
  } else {
    FlushTreeUpdates();
    DeleteNodeItem(Panes.mainTree, node);
  }
  return result;
}
