#include "model/monitor_reports.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "model/folder_node.h"
#include "model/propagation.h"
#include "model/scanner.h"
#include "model/tree_items.h"
#include "model/volume.h"
#include "pane/pane_controls.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {

bool HasWildcard(const char* path) { return std::strpbrk(path, "*?") != nullptr; }

int ItemCount(LPCITEMIDLIST list) {
  int count = 0;
  for (; list && list->mkid.cb; list = NextIdItem(list)) ++count;
  return count;
}

// The first |items| items of |list| as a list of their own, in |buffer|.
void LeadingItems(LPCITEMIDLIST list, int items, std::vector<BYTE>* buffer) {
  LPCITEMIDLIST end = list;
  for (int i = 0; i < items && end->mkid.cb; ++i) end = NextIdItem(end);
  const size_t size = reinterpret_cast<const BYTE*>(end) - reinterpret_cast<const BYTE*>(list);
  buffer->assign(reinterpret_cast<const BYTE*>(list), reinterpret_cast<const BYTE*>(list) + size);
  buffer->push_back(0);
  buffer->push_back(0);
}

// Goes down the main tree only through folders that hold |list|: the same
// node a search of the whole tree finds, at a cost of the depth times the
// siblings rather than of every folder known, once per report.
FolderNode* NodeAlongIdList(HWND tree, IShellFolder* desktop, LPCITEMIDLIST list) {
  const int wanted = ItemCount(list);
  std::vector<BYTE> leading;
  HTREEITEM parent = TopItem(tree);
  for (HTREEITEM item = FirstChildItem(tree, parent); item;) {
    FolderNode* node = NodeFromItem(tree, item);
    const int items = IsFolderNode(node) ? ItemCount(node->absoluteIdList) : 0;
    bool holds = items > 0 && items <= wanted;
    if (holds) {
      LeadingItems(list, items, &leading);
      holds = SameIdList(desktop, node->absoluteIdList, reinterpret_cast<LPCITEMIDLIST>(leading.data()));
    }
    if (holds) {
      if (items == wanted) return node;
      item = FirstChildItem(tree, item);
      continue;
    }
    item = NextSiblingItem(tree, item);
  }
  return nullptr;
}

// The node of the folder at |path| in the main tree, or null.
FolderNode* NodeAtPath(const char* path) {
  HWND tree = Panes.mainTree;
  if (!tree || !path[0]) return nullptr;
  LPITEMIDLIST list = IdListFromPath(path, nullptr, nullptr);
  if (!list) return nullptr;
  FolderNode* node = nullptr;
  IShellFolder* desktop = nullptr;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop))) {
    node = NodeAlongIdList(tree, desktop, list);
    desktop->Release();
  }
  FreeIdList(list);
  return node;
}

// A path from the record: at most |limit| bytes, and always terminated here.
void CopyReportPath(const char* from, size_t limit, char* to, size_t toSize) {
  size_t length = 0;
  while (length < limit && from[length]) ++length;
  if (length >= toSize) length = toSize - 1;
  std::memcpy(to, from, length);
  to[length] = 0;
}

}  // namespace

void ApplyFileDelta(const char* folderPath, uint32_t oldSize, uint32_t newSize, bool removed, bool added) {
  FolderNode* node = NodeAtPath(folderPath);
  if (!IsFolderNode(node) || !IsDriveRoot(node->root)) return;
  const DriveRootNode* root = AsDriveRoot(node->root);
  const uint32_t cluster = root->bytesPerSector * root->sectorsPerCluster;
  const int64_t bytes = static_cast<int64_t>(newSize) - static_cast<int64_t>(oldSize);
  const int64_t allocated =
      static_cast<int64_t>(RoundToClusters(newSize, cluster)) - static_cast<int64_t>(RoundToClusters(oldSize, cluster));
  LockNode(node);
  node->ownBytes += bytes;
  node->ownAllocated += allocated;
  if (removed) node->fileCount -= 1;
  if (added) node->fileCount += 1;
  UnlockNode(node);
  InvalidateNodeRow(node);
  PropagateDelta(node, bytes, allocated);
}

void RescanFolderAt(const char* folderPath) {
  FolderNode* node = NodeAtPath(folderPath);
  if (IsFolderNode(node)) ScanSubtree(node, false, nullptr);
}

void ApplyDriverReport(const DriverReport* report) {
  if (!report) return;
  char folder[sizeof report->path + 1];
  CopyReportPath(report->path, sizeof report->path, folder, sizeof folder);
  switch (report->kind) {
    case REPORT_RESCAN:
    case REPORT_RESCAN_TOO:
      StripLastComponent(folder);
      RescanFolderAt(folder);
      return;
    case REPORT_DELETED:
      if (HasWildcard(folder)) {
        StripLastComponent(folder);
        RescanFolderAt(folder);
      } else if (report->sizeBefore != REPORT_SIZE_UNKNOWN) {
        StripLastComponent(folder);
        ApplyFileDelta(folder, report->sizeBefore, 0, true, false);
      }
      return;
    case REPORT_WRITTEN:
      StripLastComponent(folder);
      if (report->sizeBefore == REPORT_SIZE_UNKNOWN)
        ApplyFileDelta(folder, 0, report->sizeAfter, false, true);
      else
        ApplyFileDelta(folder, report->sizeBefore, report->sizeAfter, false, false);
      return;
    case REPORT_RENAMED: {
      char target[MAX_PATH + 1];
      CopyReportPath(report->newPath, MAX_PATH, target, sizeof target);
      const DWORD attributes = GetFileAttributesA(target);
      StripLastComponent(folder);
      StripLastComponent(target);
      if (attributes == INVALID_FILE_ATTRIBUTES || _stricmp(folder, target) == 0) return;
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RescanFolderAt(folder);
        RescanFolderAt(target);
      } else {
        ApplyFileDelta(folder, report->sizeBefore, 0, true, false);
        ApplyFileDelta(target, 0, report->sizeBefore, false, true);
      }
      return;
    }
    default:
      return;
  }
}
