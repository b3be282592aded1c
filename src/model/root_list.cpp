#include "model/root_list.h"

#include <shlobj.h>

#include <cstring>
#include <initializer_list>

#include "app/process_state.h"
#include "model/folder_node.h"
#include "model/node_list.h"
#include "model/scan_control.h"
#include "model/tree_items.h"
#include "model/worker_table.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"
#include "shell/ansi_paths.h"
#include "shell/shell_items.h"

namespace {

constexpr DWORD DRIVE_STRINGS_SIZE = 500;
constexpr ULONG ROOT_ATTRIBUTE_REQUEST = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANRENAME | SFGAO_CANDELETE |
                                         SFGAO_HASPROPSHEET | SFGAO_DROPTARGET | SFGAO_FILESYSTEM | SFGAO_FOLDER;

FolderNode* g_topNode = nullptr;

// The desktop folder, held for one call.
class Desktop {
 public:
  Desktop() { SHGetDesktopFolder(&folder_); }
  ~Desktop() {
    if (folder_) folder_->Release();
  }
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  IShellFolder* operator->() const { return folder_; }
  IShellFolder* get() const { return folder_; }
  bool SameItem(LPCITEMIDLIST a, LPCITEMIDLIST b) const { return SameIdList(folder_, a, b); }

 private:
  IShellFolder* folder_ = nullptr;
};

void UpdateItem(HWND tree, HTREEITEM item, const char* text, const TVITEMA& icons) {
  if (!tree || !item) return;
  TVITEMA update = {};
  update.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  update.hItem = item;
  update.pszText = const_cast<char*>(text);
  update.iImage = icons.iImage;
  update.iSelectedImage = icons.iSelectedImage;
  SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
}

void NameAndIcons(const Desktop& desktop, LPCITEMIDLIST absolute, char* name, TVITEMA* icons) {
  if (!DisplayNameOf(desktop.get(), absolute, SHGDN_NORMAL, name)) name[0] = 0;
  ItemIcons(absolute, icons);
}

// |path| parsed from the desktop with its attributes, display name and icons;
// null when the shell does not know it.
LPITEMIDLIST ParseFolder(const Desktop& desktop, const char* path, ULONG* attributes, char* name, TVITEMA* icons) {
  *attributes = ROOT_ATTRIBUTE_REQUEST;
  LPITEMIDLIST absolute = IdListFromPath(path, nullptr, attributes);
  if (absolute) NameAndIcons(desktop, absolute, name, icons);
  return absolute;
}

FolderNode* EnsureTopNode(const Desktop& desktop) {
  LPITEMIDLIST drives = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) || !drives) return nullptr;
  char name[SHELL_TEXT_MAX];
  TVITEMA icons = {};
  NameAndIcons(desktop, drives, name, &icons);

  HWND tree = Panes.mainTree;
  FolderNode* top = NodeFromItem(tree, TopItem(tree));
  if (IsFolderNode(top) && desktop.SameItem(top->absoluteIdList, drives)) {
    UpdateItem(tree, top->mainItem, name, icons);
    UpdateItem(Panes.findTree, top->findItem, name, icons);
    FreeIdList(drives);
    g_topNode = top;
    return top;
  }

  top = CreateTopNode();
  top->absoluteIdList = drives;
  top->relativeIdList = drives;
  top->parentFolder = desktop.get();
  top->parentFolder->AddRef();
  top->mainItem = InsertFolderItem(tree, TVI_ROOT, name, icons.iImage, icons.iSelectedImage, top);
  if (Panes.findTree)
    top->findItem = InsertFolderItem(Panes.findTree, TVI_ROOT, name, icons.iImage, icons.iSelectedImage, top);
  g_topNode = top;
  return top;
}

// The child of |parent| whose identifier list equals |list|.
HTREEITEM ChildWithIdList(const Desktop& desktop, HTREEITEM parent, LPCITEMIDLIST list) {
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = FirstChildItem(tree, parent); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node) && desktop.SameItem(node->absoluteIdList, list)) return item;
  }
  return nullptr;
}

// The main-tree item of |path|, found level by level from the top item.
HTREEITEM ItemOfPath(const Desktop& desktop, const char* path) {
  HTREEITEM item = TopItem(Panes.mainTree);
  char prefix[MAX_PATH];
  for (int level = 1; item && PathPrefix(path, level, prefix, sizeof prefix); ++level) {
    LPITEMIDLIST list = IdListFromPath(prefix, nullptr, nullptr);
    if (!list) return nullptr;
    item = ChildWithIdList(desktop, item, list);
    FreeIdList(list);
  }
  return item;
}

// "C:\DATA\PROJECTS" -> "C:\DATA" and "PROJECTS".
bool SplitLastComponent(const char* prefix, char* parent, size_t parentSize, const char** last) {
  const char* slash = LastSeparator(prefix);
  if (!slash || !slash[1]) return false;
  size_t length = static_cast<size_t>(slash - prefix);
  if (length >= parentSize) return false;
  std::memcpy(parent, prefix, length);
  parent[length] = 0;
  *last = slash + 1;
  return true;
}

const char* LastComponent(const char* name) {
  const char* slash = LastSeparator(name);
  return slash && slash[1] ? slash + 1 : name;
}

bool DriveBitSet(uint8_t driveNumber) { return driveNumber < 32 && (Settings.scanDrives >> driveNumber) & 1; }

void StartAutomaticScan(DriveRootNode* drive) {
  if (drive->scanState != SCAN_NONE) return;
  bool scan = DriveBitSet(drive->driveNumber);
  if (!scan && autoAddFixedDrives && drive->driveType == DRIVE_FIXED) {
    Settings.scanDrives |= 1u << drive->driveNumber;
    scan = true;
  }
  if (scan) StartWorker(DriveScanWorker, drive);
}

}  // namespace

FolderNode* TopNode() { return IsFolderNode(g_topNode) ? g_topNode : nullptr; }

bool PathPrefix(const char* path, int level, char* out, size_t outSize) {
  if (!path || level < 1 || outSize == 0) return false;
  char full[MAX_PATH + 1];
  size_t length = std::strlen(path);
  if (length == 0 || length >= MAX_PATH) return false;
  std::memcpy(full, path, length + 1);
  if (!EndsWithSeparator(full)) {
    full[length++] = '\\';
    full[length] = 0;
  }
  int seen = 0;
  for (size_t i = 0; i < length; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(full[i])) && i + 1 < length) {
      ++i;  // a trail byte may equal the backslash in code page 936 and 950
      continue;
    }
    if (full[i] != '\\') continue;
    if (++seen < level) continue;
    // Level 1 keeps its backslash (C:\), deeper levels do not.
    size_t end = level == 1 ? i + 1 : i;
    if (end >= outSize) return false;
    std::memcpy(out, full, end);
    out[end] = 0;
    return true;
  }
  return false;
}

DriveRootNode* AddDriveRoot(const char* rootPath, NodeList* oldRoots) {
  FolderNode* top = TopNode();
  if (!top || !rootPath || !rootPath[0]) return nullptr;
  char letter = rootPath[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  const uint8_t driveNumber = static_cast<uint8_t>(letter - 0x40);

  Desktop desktop;
  ULONG attributes;
  char name[SHELL_TEXT_MAX];
  TVITEMA icons = {};
  LPITEMIDLIST absolute = ParseFolder(desktop, rootPath, &attributes, name, &icons);
  if (!absolute) return nullptr;

  const bool hidden = Settings.showOnlyScanDrives && !StartFolderGiven && !DriveBitSet(driveNumber);
  FolderNode* existing = oldRoots ? oldRoots->TakeByIdList(absolute) : nullptr;
  DriveRootNode* drive = nullptr;
  if (IsDriveRoot(existing) && existing->kind == NODE_DRIVE_ROOT) {
    FreeIdList(absolute);
    if (hidden) {
      SendMessageA(Panes.mainTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(existing->mainItem));
      return nullptr;
    }
    drive = AsDriveRoot(existing);
    drive->shellAttributes = attributes;
    UpdateItem(Panes.mainTree, drive->mainItem, name, icons);
    UpdateItem(Panes.findTree, drive->findItem, name, icons);
  } else {
    if (hidden) {
      FreeIdList(absolute);
      return nullptr;
    }
    drive = CreateDriveRootNode();
    drive->absoluteIdList = absolute;
    drive->shellAttributes = attributes;
    IShellFolder* drives = nullptr;
    if (SUCCEEDED(
            desktop->BindToObject(top->absoluteIdList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&drives)))) {
      ULONG relativeAttributes = ROOT_ATTRIBUTE_REQUEST;
      drive->relativeIdList = IdListFromPath(rootPath, drives, &relativeAttributes);
      if (drive->relativeIdList) drive->shellAttributes = relativeAttributes;
      drive->parentFolder = drives;  // keeps the reference from BindToObject
    }
    if (!drive->relativeIdList) drive->relativeIdList = drive->absoluteIdList;
    drive->driveType = GetDriveTypeA(rootPath);
    drive->mainItem = InsertFolderItem(Panes.mainTree, top->mainItem, name, icons.iImage, icons.iSelectedImage, drive);
    SetHasChildren(Panes.mainTree, drive->mainItem, 1);
    top->subfolderCount += 1;
  }
  drive->driveNumber = driveNumber;
  return drive;
}

FolderNode* AddPathFolder(const char* prefix) {
  Desktop desktop;
  ULONG attributes;
  char name[SHELL_TEXT_MAX];
  TVITEMA icons = {};
  LPITEMIDLIST absolute = ParseFolder(desktop, prefix, &attributes, name, &icons);
  if (!absolute) return nullptr;

  char parentPath[MAX_PATH];
  const char* last = nullptr;
  if (!SplitLastComponent(prefix, parentPath, sizeof parentPath, &last)) {
    FreeIdList(absolute);
    return nullptr;
  }
  if (std::strlen(parentPath) == 2) std::strcat(parentPath, "\\");  // "C:" names the drive's current folder
  HTREEITEM parentItem = ItemOfPath(desktop, parentPath);
  FolderNode* parent = NodeFromItem(Panes.mainTree, parentItem);
  if (!parentItem || !IsFolderNode(parent)) {
    FreeIdList(absolute);
    return nullptr;
  }

  if (HTREEITEM item = ChildWithIdList(desktop, parentItem, absolute)) {
    FolderNode* node = NodeFromItem(Panes.mainTree, item);
    node->shellAttributes = attributes;
    UpdateItem(Panes.mainTree, node->mainItem, LastComponent(name), icons);
    UpdateItem(Panes.findTree, node->findItem, LastComponent(name), icons);
    FreeIdList(absolute);
    return node;
  }

  IShellFolder* folder = nullptr;
  if (FAILED(desktop->BindToObject(parent->absoluteIdList, nullptr, IID_IShellFolder,
                                   reinterpret_cast<void**>(&folder)))) {
    FreeIdList(absolute);
    return nullptr;
  }
  LPITEMIDLIST relative = IdListFromPath(last, folder, nullptr);
  if (!relative) {
    folder->Release();
    FreeIdList(absolute);
    return nullptr;
  }
  FolderNode* node = CreateFolderNode();
  node->root = parent->root;
  node->scanState = SCAN_NONE;
  node->shellAttributes = attributes;
  node->parentFolder = folder;  // keeps the reference from BindToObject
  node->absoluteIdList = absolute;
  node->relativeIdList = relative;
  // No parent listing supplies the times of a folder on the start path.
  WIN32_FILE_ATTRIBUTE_DATA times;
  if (GetFileAttributesExA(prefix, GetFileExInfoStandard, &times)) {
    node->created = times.ftCreationTime;
    node->lastAccess = times.ftLastAccessTime;
    node->lastWrite = times.ftLastWriteTime;
  }
  node->mainItem =
      InsertFolderItem(Panes.mainTree, parentItem, LastComponent(name), icons.iImage, icons.iSelectedImage, node);
  SetHasChildren(Panes.mainTree, node->mainItem, 1);
  SetHasChildren(Panes.mainTree, parentItem, 1);
  parent->subfolderCount += 1;
  parent->scanState = SCAN_DONE;
  return node;
}

void BuildRootList() {
  if (!Panes.mainTree) return;
  Desktop desktop;
  FolderNode* top = EnsureTopNode(desktop);
  if (!top) return;

  char paths[DRIVE_STRINGS_SIZE + 2] = {};
  if (StartFolderGiven) {
    lstrcpynA(paths, startPath, MAX_PATH);
  } else {
    DWORD length = GetLogicalDriveStringsA(DRIVE_STRINGS_SIZE, paths);
    if (length == 0 || length > DRIVE_STRINGS_SIZE) paths[0] = 0;
  }

  LocalNodeList oldRoots;
  HWND tree = Panes.mainTree;
  for (HTREEITEM item = FirstChildItem(tree, top->mainItem); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (IsFolderNode(node)) oldRoots.Append(node);
  }

  for (const char* path = paths; *path; path += std::strlen(path) + 1) {
    DriveRootNode* drive = nullptr;
    FolderNode* deepest = nullptr;
    char prefix[MAX_PATH];
    for (int level = 1; PathPrefix(path, level, prefix, sizeof prefix); ++level) {
      if (level == 1) {
        drive = AddDriveRoot(prefix, &oldRoots);
        if (!drive) break;
      } else {
        deepest = AddPathFolder(prefix);
      }
    }
    if (!drive) continue;
    if (deepest)
      StartWorker(FolderScanWorker, deepest);
    else
      StartAutomaticScan(drive);
  }

  while (FolderNode* gone = oldRoots.PopFront())
    if (IsFolderNode(gone)) SendMessageA(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(gone->mainItem));
}
