// A worker thread's parameter, stop flag and thread handle.
#pragma once
#include <windows.h>

struct FolderNode;

struct WorkerRecord {
  volatile LONG stopRequested;  // read by the scanner once per folder, without locking
  HANDLE thread;
  FolderNode* node;
};
