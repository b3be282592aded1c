// The registry of worker threads, shared by scans, watchers, tree walks and
// the find pass, and the orderly stop of all of them at exit.
#pragma once
#include <windows.h>

#include "model/worker_record.h"

constexpr int WORKER_SLOTS = 64;

using WorkerRoutine = DWORD(WINAPI*)(void* record);

// Starts |routine| on a new thread with a new record as its argument; null
// when all slots are taken or the thread cannot be created.  The record is
// the worker's: it may already be freed when this returns.
WorkerRecord* StartWorker(WorkerRoutine routine, void* param);
// The worker's last action: leaves the table, closes its handle, frees the record.
void FinishWorker(WorkerRecord* record);

// Sets the stop flag of |record| if it is still registered (it may have ended
// and been freed meanwhile); true when it was.
bool RequestStop(WorkerRecord* record);

int WorkerCount();

// The change-notification watchers, which shutdown stops with the rest.
extern WorkerRecord* volatile CurrentWatcher;
extern WorkerRecord* volatile PreviousWatcher;

// At main window destruction: asks every worker to stop, pumps messages while
// waiting up to about two minutes, then terminates whatever did not end.
void StopAllWorkers();
