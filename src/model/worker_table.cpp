#include "model/worker_table.h"

#include <cstdlib>

#include "app/diagnostics.h"
#include "app/process_state.h"

WorkerRecord* volatile CurrentWatcher = nullptr;
WorkerRecord* volatile PreviousWatcher = nullptr;

namespace {

constexpr LONG SHUTDOWN_SEMAPHORE_MAX = 30;
constexpr int SHUTDOWN_ROUNDS = 3000;
constexpr DWORD SHUTDOWN_SLICE_MS = 40;

WorkerRecord* g_table[WORKER_SLOTS];
int g_count = 0;
HANDLE volatile g_tableLock = nullptr;
// Exists only while StopAllWorkers waits; the last worker to leave releases it.
HANDLE volatile g_shutdownSemaphore = nullptr;

HANDLE TableLock() {
  if (!g_tableLock) {
    HANDLE created = CreateMutexA(nullptr, FALSE, nullptr);
    if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_tableLock), created, nullptr))
      CloseHandle(created);
  }
  return g_tableLock;
}

class TableGuard {
 public:
  TableGuard() : lock_(TableLock()) { WaitForSingleObject(lock_, INFINITE); }
  ~TableGuard() { ReleaseMutex(lock_); }
  TableGuard(const TableGuard&) = delete;
  TableGuard& operator=(const TableGuard&) = delete;

 private:
  HANDLE lock_;
};

// Removes |record| from the table; the caller holds the lock.
bool Unregister(WorkerRecord* record) {
  for (int i = 0; i < g_count; ++i) {
    if (g_table[i] != record) continue;
    --g_count;
    g_table[i] = g_table[g_count];
    g_table[g_count] = nullptr;
    return true;
  }
  return false;
}

void PumpOrWait() {
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return;
  }
  WaitForSingleObject(g_shutdownSemaphore, SHUTDOWN_SLICE_MS);
}

}  // namespace

WorkerRecord* StartWorker(WorkerRoutine routine, void* param) {
  // Once the window closes nothing new starts: the shutdown waits only for
  // the workers it has asked to stop.
  if (ShuttingDown) return nullptr;
  auto* record = static_cast<WorkerRecord*>(std::calloc(1, sizeof(WorkerRecord)));
  if (!record) return nullptr;
  record->param = param;
  {
    TableGuard guard;
    if (g_count >= WORKER_SLOTS) {
      std::free(record);
      return nullptr;
    }
    g_table[g_count++] = record;
  }
  // The handle is stored by the creating thread; a worker never reads its own
  // handle, and FinishWorker takes the table lock, which we hold meanwhile.
  TableGuard guard;
  HANDLE thread = CreateThread(nullptr, 0, routine, record, 0, nullptr);
  if (!thread) {
    Unregister(record);
    std::free(record);
    return nullptr;
  }
  record->thread = thread;
  return record;
}

void FinishWorker(WorkerRecord* record) {
  if (!record) return;
  int remaining;
  {
    TableGuard guard;
    Unregister(record);
    remaining = g_count;
    if (record->thread) CloseHandle(record->thread);
    std::free(record);
  }
  if (remaining == 0 && g_shutdownSemaphore) ReleaseSemaphore(g_shutdownSemaphore, 1, nullptr);
}

int WorkerCount() {
  TableGuard guard;
  return g_count;
}

bool RequestStop(WorkerRecord* record) {
  TableGuard guard;
  for (int i = 0; i < g_count; ++i) {
    if (g_table[i] != record) continue;
    record->stopRequested = 1;
    return true;
  }
  return false;
}

void StopAllWorkers() {
  g_shutdownSemaphore = CreateSemaphoreA(nullptr, 0, SHUTDOWN_SEMAPHORE_MAX, nullptr);
  {
    TableGuard guard;
    if (CurrentWatcher) CurrentWatcher->stopRequested = 1;
    if (PreviousWatcher) PreviousWatcher->stopRequested = 1;
    for (int i = 0; i < g_count; ++i) g_table[i]->stopRequested = 1;
  }
  for (int round = 0; round < SHUTDOWN_ROUNDS && WorkerCount() > 0; ++round) PumpOrWait();

  for (;;) {
    WorkerRecord* stuck = nullptr;
    {
      TableGuard guard;
      for (int i = 0; i < g_count && !stuck; ++i)
        if (g_table[i]->thread) stuck = g_table[i];
    }
    if (!stuck) break;
    DiagnosticSink(1, "All Threads did not terminate normally.");
    TerminateThread(stuck->thread, 0);
    if (CurrentWatcher == stuck) CurrentWatcher = nullptr;
    if (PreviousWatcher == stuck) PreviousWatcher = nullptr;
    FinishWorker(stuck);
  }

  HANDLE semaphore = g_shutdownSemaphore;
  g_shutdownSemaphore = nullptr;
  if (semaphore) CloseHandle(semaphore);
  HANDLE lock = g_tableLock;
  g_tableLock = nullptr;
  if (lock) CloseHandle(lock);
}
