#include "model/volume.h"

#include <cstdlib>
#include <cstring>

#include "app/diagnostics.h"
#include "model/folder_node.h"
#include "model/tree_items.h"
#include "pane/pane_controls.h"
#include "settings/settings_record.h"

DriveMethod CurrentDriveMethod = DRIVE_METHOD_EX;

bool SelectDriveMethod(DWORD platformId, DWORD majorVersion, DWORD buildNumber, DriveMethod* method) {
  if (majorVersion <= 3) return false;
  if (platformId == VER_PLATFORM_WIN32_NT) {
    *method = DRIVE_METHOD_EX;
  } else if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
    *method = (buildNumber & 0xFFFF) > 1000 ? DRIVE_METHOD_VWIN32 : DRIVE_METHOD_PLAIN;
  } else {
    return false;
  }
  return true;
}

bool DetectDriveMethod() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
  return SelectDriveMethod(info.dwPlatformId, info.dwMajorVersion, info.dwBuildNumber, &CurrentDriveMethod);
}

namespace {

using FreeSpaceExFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

class SystemQueries : public DriveQueries {
 public:
  UINT DriveType(const char* rootPath) override { return GetDriveTypeA(rootPath); }

  bool FreeSpace(const char* rootPath, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                 DWORD* totalClusters) override {
    return GetDiskFreeSpaceA(rootPath, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters) != 0;
  }

  bool FreeSpaceEx(const char* rootPath, ULONGLONG* available, ULONGLONG* total) override {
    FreeSpaceExFunction function = LookUpFreeSpaceEx();
    if (!function) {
      // Not reachable on the systems the version check admits; fall back to
      // the cluster counts so callers still get a capacity.
      DWORD spc, bps, freeC, totalC;
      if (!GetDiskFreeSpaceA(rootPath, &spc, &bps, &freeC, &totalC)) return false;
      *available = ULONGLONG(freeC) * spc * bps;
      *total = ULONGLONG(totalC) * spc * bps;
      return true;
    }
    ULARGE_INTEGER caller, all, allFree;
    if (!function(rootPath, &caller, &all, &allFree)) return false;
    *available = caller.QuadPart;
    *total = all.QuadPart;
    return true;
  }

  bool DosDriveInfo(DiocRegisters* registers, void*) override {
    HANDLE device = CreateFileA("\\\\.\\vwin32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (device == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, VWIN32_DIOC_DOS_DRIVEINFO, registers, sizeof *registers, registers,
                              sizeof *registers, &returned, nullptr);
    CloseHandle(device);
    return ok != 0;
  }

 private:
  // Looked up once; both stay null when KERNEL32 lacks the function.
  FreeSpaceExFunction LookUpFreeSpaceEx() {
    if (!looked_) {
      kernel_ = GetModuleHandleA("KERNEL32");
      if (kernel_) function_ = reinterpret_cast<FreeSpaceExFunction>(
                       reinterpret_cast<void*>(GetProcAddress(kernel_, "GetDiskFreeSpaceExA")));
      if (!function_) kernel_ = nullptr;
      looked_ = true;
    }
    return function_;
  }

  bool looked_ = false;
  HMODULE kernel_ = nullptr;
  FreeSpaceExFunction function_ = nullptr;
};

SystemQueries g_systemQueries;
DriveQueries* volatile g_queries = &g_systemQueries;

DWORD ReadDword(const BYTE* buffer, int offset) {
  DWORD value;
  std::memcpy(&value, buffer + offset, sizeof value);
  return value;
}

bool QueryVwin32(DriveQueries& queries, const char* rootPath, DWORD geometry[4]) {
  BYTE buffer[EXT_FREE_SPACE_SIZE] = {};
  buffer[0] = EXT_FREE_SPACE_SIZE;  // structure size (16-bit), level 0 after it
  DiocRegisters registers = {};
  registers.reg_EAX = 0x7303;  // Get_ExtFreeSpace
  registers.reg_EDX = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(rootPath));
  registers.reg_ECX = EXT_FREE_SPACE_SIZE;
  registers.reg_EDI = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(buffer));
  registers.reg_Flags = 1;  // carry preset: cleared by the call on success
  if (!queries.DosDriveInfo(&registers, buffer) || (registers.reg_Flags & 1)) return false;
  geometry[0] = ReadDword(buffer, 4);   // sectors per cluster
  geometry[1] = ReadDword(buffer, 8);   // bytes per sector
  geometry[2] = ReadDword(buffer, 12);  // available clusters
  geometry[3] = ReadDword(buffer, 16);  // total clusters
  return true;
}

}  // namespace

DriveQueries& SystemDriveQueries() { return g_systemQueries; }

void SetDriveQueries(DriveQueries* queries) { g_queries = queries ? queries : &g_systemQueries; }

bool RefreshDriveInfo(FolderNode* node) {
  if (!IsDriveRoot(node)) return false;
  DriveRootNode* drive = AsDriveRoot(node);
  drive->flags &= ~DRIVE_INFO_VALID;
  if (drive->kind != NODE_DRIVE_ROOT || !drive->absoluteIdList) return false;
  char path[MAX_PATH];
  if (!SHGetPathFromIDListA(drive->absoluteIdList, path)) return false;

  char drivePart[_MAX_DRIVE];
  _splitpath(path, drivePart, nullptr, nullptr, nullptr);
  char rootPath[_MAX_DRIVE + 2];
  std::strcpy(rootPath, drivePart);
  std::strcat(rootPath, "\\");

  // A removable drive without medium must fail quietly, not prompt.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  DriveQueries& queries = *g_queries;
  drive->driveType = queries.DriveType(rootPath);

  DWORD geometry[4] = {};  // sectors per cluster, bytes per sector, free and total clusters
  double totalBytes = 0, freeBytes = 0;
  switch (CurrentDriveMethod) {
    case DRIVE_METHOD_PLAIN:
    case DRIVE_METHOD_VWIN32: {
      bool ok = CurrentDriveMethod == DRIVE_METHOD_PLAIN
                    ? queries.FreeSpace(rootPath, &geometry[0], &geometry[1], &geometry[2], &geometry[3])
                    : QueryVwin32(queries, rootPath, geometry);
      if (!ok) return false;
      double cluster = double(geometry[0]) * double(geometry[1]);
      totalBytes = double(geometry[3]) * cluster;
      freeBytes = double(geometry[2]) * cluster;
      break;
    }
    case DRIVE_METHOD_EX: {
      ULONGLONG available = 0, total = 0;
      if (!queries.FreeSpaceEx(rootPath, &available, &total)) return false;
      totalBytes = double(total);
      freeBytes = double(available);
      if (!queries.FreeSpace(rootPath, &geometry[0], &geometry[1], &geometry[2], &geometry[3])) return false;
      break;
    }
  }
  drive->sectorsPerCluster = geometry[0];
  drive->bytesPerSector = geometry[1];
  drive->freeClusters = geometry[2];
  drive->totalClusters = geometry[3];
  drive->totalBytes = totalBytes;
  drive->freeBytes = freeBytes;
  drive->flags |= DRIVE_INFO_VALID;
  return true;
}

uint32_t ClusterSize(FolderNode* node) {
  if (!IsFolderNode(node)) return 0;
  FolderNode* root = node->root;
  if (!IsDriveRoot(root) || root->kind != NODE_DRIVE_ROOT) return 0;
  if (!RefreshDriveInfo(root)) {
    DiagnosticSink(2, "Cannot get info for the drive.");
    return 0;
  }
  DriveRootNode* drive = AsDriveRoot(root);
  return drive->bytesPerSector * drive->sectorsPerCluster;
}

NodeSizeTriple NodeSizes(const FolderNode* node) {
  NodeSizeTriple sizes;
  // 0 = the sizes the files report, 1 = actual disk usage (whole clusters).
  if (Settings.SizeMode == 0) {
    sizes.own = node->ownBytes;
    sizes.subtree = node->subtreeBytes;
  } else {
    sizes.own = node->ownAllocated;
    sizes.subtree = node->subtreeAllocated;
  }
  sizes.total = sizes.own + sizes.subtree;
  return sizes;
}

SpaceTotals TotalsOverLocalDrives() {
  SpaceTotals totals = {0, 0};
  HWND tree = Panes.mainTree;
  if (!tree) return totals;
  for (HTREEITEM item = FirstChildItem(tree, TopItem(tree)); item; item = NextSiblingItem(tree, item)) {
    FolderNode* node = NodeFromItem(tree, item);
    if (!IsDriveRoot(node) || node->kind != NODE_DRIVE_ROOT) continue;
    DriveRootNode* drive = AsDriveRoot(node);
    if (drive->driveType != DRIVE_FIXED && drive->driveType != DRIVE_REMOTE) continue;
    if (!RefreshDriveInfo(drive)) continue;
    totals.freeBytes += drive->freeBytes;
    totals.capacity += drive->totalBytes;
  }
  return totals;
}
