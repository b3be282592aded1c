// One record per known folder.  The folder hierarchy is the main tree
// control's hierarchy; each tree item's lParam is its FolderNode.  Records are
// never freed while the program runs: a deleted item's record is retired
// (magic cleared) so late readers fail the validity check instead of faulting.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <cstdint>

struct WorkerRecord;

constexpr uint32_t NODE_MAGIC = 0x12345678;

constexpr uint8_t NODE_FOLDER = 10;
constexpr uint8_t NODE_DRIVE_ROOT = 11;

constexpr uint8_t SCAN_NONE = 0;
constexpr uint8_t SCAN_DONE = 1;
constexpr uint8_t SCAN_RUNNING = 2;

constexpr uint8_t DRIVE_INFO_VALID = 0x01;
constexpr uint8_t FILES_COUNTED = 0x02;
constexpr uint8_t SUBTREE_COMPLETE = 0x04;

constexpr uint32_t DELETED_MARK = 0x1234FFFF;

struct FolderNode {
  uint32_t magic;
  uint8_t kind;
  uint8_t scanState;
  uint8_t inMainList;
  uint8_t inFindList;
  uint8_t flags;
  // 1 while this folder's completion is counted in its parent's
  // subFoldersCalculated; guarded by the parent's lock.  Counting each
  // completion once, and taking back exactly what was counted, keeps the
  // parent's count equal to its finished subfolders whatever order
  // rescans, removals and change reports come in.
  uint8_t completionReported;
  int64_t ownBytes;
  int64_t subtreeBytes;
  int64_t ownAllocated;
  int64_t subtreeAllocated;
  int64_t fileCount;
  int64_t subfolderCount;
  int64_t subFoldersCalculated;
  LPITEMIDLIST absoluteIdList;
  LPITEMIDLIST relativeIdList;
  IShellFolder* parentFolder;
  uint32_t shellAttributes;
  HTREEITEM mainItem;
  HTREEITEM findItem;
  FolderNode* root;
  HANDLE lock;
  FILETIME created;
  FILETIME lastAccess;
  FILETIME lastWrite;
};

// A drive's root folder: the short record continued by the drive's fields.
struct DriveRootNode : FolderNode {
  uint8_t driveNumber;        // 1 = A:, 3 = C:
  uint32_t scanBeforeSearch;  // 0 not asked, 1 scan first, 2 do not
  uint32_t driveType;         // GetDriveTypeA of the root path
  WorkerRecord* activeScan;
  uint32_t sectorsPerCluster;
  uint32_t bytesPerSector;
  uint32_t freeClusters;
  uint32_t totalClusters;
  double totalBytes;
  double freeBytes;
};

FolderNode* CreateFolderNode();
DriveRootNode* CreateDriveRootNode();
// The single top node (the drives folder): no lock, no drive root.
FolderNode* CreateTopNode();

// False for null, retired and unreadable pointers, without faulting.
bool IsFolderNode(const FolderNode* node);
// Checks readability over the long record; does not test kind.
bool IsDriveRoot(const FolderNode* node);
inline DriveRootNode* AsDriveRoot(FolderNode* node) { return static_cast<DriveRootNode*>(node); }

// Waits for the node's lock; on the user-interface thread in 40 ms slices,
// pumping messages in between so workers sending to our controls can go on.
DWORD LockNode(FolderNode* node);
void UnlockNode(FolderNode* node);

// Frees a retired node's identifier lists, lock and memory (exit only).
void FreeNodeRecord(FolderNode* node);
