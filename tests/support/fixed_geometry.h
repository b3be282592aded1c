// Drive queries with a chosen geometry, so totals can be checked to the byte
// whatever the disk under the Wine prefix uses.
#pragma once
#include <cstring>

#include "model/volume.h"

class FixedGeometry : public DriveQueries {
 public:
  DWORD sectorsPerCluster = 8;
  DWORD bytesPerSector = 512;
  DWORD freeClusters = 1000;
  DWORD totalClusters = 4000;
  ULONGLONG exAvailable = 1000ull * 4096;
  ULONGLONG exTotal = 4000ull * 4096;
  bool fail = false;

  UINT DriveType(const char* rootPath) override { return SystemDriveQueries().DriveType(rootPath); }
  bool FreeSpace(const char*, DWORD* spc, DWORD* bps, DWORD* freeC, DWORD* totalC) override {
    if (fail) return false;
    *spc = sectorsPerCluster;
    *bps = bytesPerSector;
    *freeC = freeClusters;
    *totalC = totalClusters;
    return true;
  }
  bool FreeSpaceEx(const char*, ULONGLONG* available, ULONGLONG* total) override {
    if (fail) return false;
    *available = exAvailable;
    *total = exTotal;
    return true;
  }
  // Answers Get_ExtFreeSpace as the Windows 95 device would.
  bool DosDriveInfo(DiocRegisters* registers, void* buffer) override {
    if (fail || registers->reg_EAX != 0x7303) return false;
    auto* bytes = static_cast<BYTE*>(buffer);
    DWORD values[4] = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
    std::memcpy(bytes + 4, values, sizeof values);
    registers->reg_Flags &= ~1u;
    return true;
  }
};

// Installs |queries| for one scope.
class ScopedDriveQueries {
 public:
  explicit ScopedDriveQueries(DriveQueries* queries) { SetDriveQueries(queries); }
  ~ScopedDriveQueries() { SetDriveQueries(nullptr); }
};
