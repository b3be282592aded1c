// The connection to the change-monitor driver, which lives beside the
// executable and reports every file change on every drive.  Without it the
// program watches the selected folder with change notifications instead.
#pragma once
#include <windows.h>

struct DriverReport;

// Set at start-up when the driver cannot be opened: folders are then watched
// with change notifications.
extern bool MonitorDriverMissing;

constexpr DWORD MONITOR_REGISTER_CALLBACK = 100;
constexpr DWORD MONITOR_RETURN_REPORT = 101;
constexpr char MONITOR_DRIVER_FILE[] = "KALVERT.VXD";

// Opens the driver and starts the thread that receives its reports; true when
// it is connected (a second call answers at once).
bool StartMonitorDriver();
// At main window destruction, before the workers stop.
void StopMonitorDriver();

// "\\.\" + the executable's drive and folder (short form) + the driver's file
// name; false when it does not fit.
bool MonitorDeviceName(char* out, size_t outSize);

// The driver calls this on the callback thread, once per report: the report is
// applied and handed back.  A null report is ignored.
void CALLBACK MonitorReportCallback(DriverReport* report);
