#include "model/monitor_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/monitor_reports.h"

bool MonitorDriverMissing = false;

namespace {

// Null before the first start, INVALID_HANDLE_VALUE after a failed one.
HANDLE g_driver = nullptr;
HANDLE g_callbackThread = nullptr;
HANDLE g_registered = nullptr;  // signalled once the registration has an answer
volatile LONG g_registrationOk = 0;

// Registers the callback, then sleeps alertably so the driver's queued calls
// run the callback here, one at a time.
DWORD WINAPI CallbackThread(void*) {
  void* callback = reinterpret_cast<void*>(&MonitorReportCallback);
  DWORD answer = 0;
  DWORD returned = 0;
  const BOOL ok = DeviceIoControl(g_driver, MONITOR_REGISTER_CALLBACK, &callback, sizeof callback, &answer,
                                  sizeof answer, &returned, nullptr);
  InterlockedExchange(&g_registrationOk, ok ? 1 : 0);
  SetEvent(g_registered);
  if (!ok) return 0;
  for (;;) SleepEx(INFINITE, TRUE);
}

}  // namespace

bool MonitorDeviceName(char* out, size_t outSize) {
  char module[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) return false;
  const DWORD shortLength = GetShortPathNameA(module, module, sizeof module);
  if (shortLength == 0 || shortLength >= sizeof module) return false;
  char drive[_MAX_DRIVE];
  char folder[_MAX_DIR];
  _splitpath(module, drive, folder, nullptr, nullptr);
  const int written = std::snprintf(out, outSize, "\\\\.\\%s%s%s", drive, folder, MONITOR_DRIVER_FILE);
  return written > 0 && static_cast<size_t>(written) < outSize;
}

bool StartMonitorDriver() {
  if (g_driver && g_driver != INVALID_HANDLE_VALUE) return true;
  g_driver = INVALID_HANDLE_VALUE;
  char device[MAX_PATH + 16];
  if (!MonitorDeviceName(device, sizeof device)) return false;
  HANDLE driver = CreateFileA(device, 0, 0, nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (driver == INVALID_HANDLE_VALUE) return false;
  g_driver = driver;
  // On Windows NT the name is an ordinary path, and the open creates an empty
  // file there rather than reaching a driver: only a driver that takes the
  // registration counts.  Closing the handle deletes such a file again.
  g_registered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_callbackThread = g_registered ? CreateThread(nullptr, 0, CallbackThread, nullptr, 0, nullptr) : nullptr;
  const bool registered = g_callbackThread && WaitForSingleObject(g_registered, 10000) == WAIT_OBJECT_0 &&
                          InterlockedCompareExchange(&g_registrationOk, 0, 0) == 1;
  if (g_registered) CloseHandle(g_registered);
  g_registered = nullptr;
  if (registered) return true;
  if (g_callbackThread) {
    if (WaitForSingleObject(g_callbackThread, 1000) != WAIT_OBJECT_0) TerminateThread(g_callbackThread, 0);
    CloseHandle(g_callbackThread);
    g_callbackThread = nullptr;
  }
  CloseHandle(driver);
  g_driver = INVALID_HANDLE_VALUE;
  return false;
}

void StopMonitorDriver() {
  if (g_driver && g_driver != INVALID_HANDLE_VALUE) {
    CloseHandle(g_driver);
    if (g_callbackThread) {
      TerminateThread(g_callbackThread, 0);
      CloseHandle(g_callbackThread);
      g_callbackThread = nullptr;
    }
  }
  g_driver = nullptr;
}

void CALLBACK MonitorReportCallback(DriverReport* report) {
  if (!report) return;
  ApplyDriverReport(report);
  DWORD returned = 0;
  DeviceIoControl(g_driver, MONITOR_RETURN_REPORT, &report, sizeof report, nullptr, 0, &returned, nullptr);
}
