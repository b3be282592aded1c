// Drive geometry, capacity and free space, and the two size measures.
#pragma once
#include <windows.h>

#include <cstdint>

struct FolderNode;
struct DriveRootNode;

enum DriveMethod : uint8_t {
  DRIVE_METHOD_PLAIN,   // GetDiskFreeSpaceA only
  DRIVE_METHOD_VWIN32,  // FAT32-capable Windows 95 family: the vwin32 device
  DRIVE_METHOD_EX,      // Windows NT: GetDiskFreeSpaceExA
};

// Chooses the method for a platform; false for an unsupported system.
bool SelectDriveMethod(DWORD platformId, DWORD majorVersion, DWORD buildNumber, DriveMethod* method);
// GetVersionExA, then SelectDriveMethod; stores the result in CurrentDriveMethod.
bool DetectDriveMethod();
extern DriveMethod CurrentDriveMethod;

// Register block of the vwin32 device call (DIOC_REGISTERS).
struct DiocRegisters {
  DWORD reg_EBX;
  DWORD reg_EDX;
  DWORD reg_ECX;
  DWORD reg_EAX;
  DWORD reg_EDI;
  DWORD reg_ESI;
  DWORD reg_Flags;
};
static_assert(sizeof(DiocRegisters) == 28, "the device call exchanges 28 bytes");

constexpr DWORD VWIN32_DIOC_DOS_DRIVEINFO = 6;
constexpr int EXT_FREE_SPACE_SIZE = 44;  // ExtGetDskFreSpcStruc

// The platform calls behind RefreshDriveInfo, replaceable by tests.
class DriveQueries {
 public:
  virtual ~DriveQueries() = default;
  virtual UINT DriveType(const char* rootPath) = 0;
  virtual bool FreeSpace(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                         DWORD* freeClusters, DWORD* totalClusters) = 0;
  // GetDiskFreeSpaceExA; |available| is the caller's share of the free space.
  virtual bool FreeSpaceEx(const char* rootPath, ULONGLONG* available, ULONGLONG* total) = 0;
  // The vwin32 device call with code 6.  |buffer| is the block reg_EDI points
  // at (a 64-bit build cannot put its address into a 32-bit register).
  virtual bool DosDriveInfo(DiocRegisters* registers, void* buffer) = 0;
};
DriveQueries& SystemDriveQueries();
// Null restores the system's calls.
void SetDriveQueries(DriveQueries* queries);

bool RefreshDriveInfo(FolderNode* node);
uint32_t ClusterSize(FolderNode* node);

// 0 for cluster size 0; otherwise rounded up to whole clusters, in unsigned
// 32-bit arithmetic like the file sizes it rounds.
inline uint32_t RoundToClusters(uint32_t size, uint32_t cluster) {
  if (cluster == 0) return 0;
  if (size % cluster == 0) return size;
  return (size / cluster + 1) * cluster;
}

struct NodeSizeTriple {
  int64_t own;
  int64_t subtree;
  int64_t total;
};
NodeSizeTriple NodeSizes(const FolderNode* node);

struct SpaceTotals {
  double freeBytes;
  double capacity;
};
// Over the fixed and network drives under the top node of the main tree.
SpaceTotals TotalsOverLocalDrives();
