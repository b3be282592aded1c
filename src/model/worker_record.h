// One record per worker thread: what it works on, its stop flag and its thread.
#pragma once
#include <windows.h>

struct WorkerRecord {
  void* param;                  // a node for scans, a watch block for watchers, nothing for tree walks
  volatile LONG stopRequested;  // polled by the worker at its own safe points, without locking
  HANDLE thread;
};
