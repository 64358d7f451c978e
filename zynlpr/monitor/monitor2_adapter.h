// The monitor as spoolers from Windows 2000 on (and Wine's) load it:
// InitializePrintMonitor2 with a MONITOR2 table and a monitor handle.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace zynlpr {

// Does the same load work as InitializeMonitorEx (port list from the
// registry, network probe) and returns the MONITOR2 table: the NT 4.0
// entries but AddPort, ConfigurePort and DeletePort, which are null, and the
// Xcv entries, which carry port management (xcv_protocol.h); `*monitor` receives a new monitor handle,
// valid until the table's Shutdown entry. `init` is not used: the monitor
// keeps to its own registry key. Null with ERROR_INVALID_PARAMETER for a
// null `monitor`, ERROR_NOT_ENOUGH_MEMORY when no handle can be made.
LPMONITOR2 OpenMonitor2(const MONITORINIT* init, HANDLE* monitor);

// Monitor handles not yet shut down, Xcv handles not yet closed; for leak
// checks in tests.
LONG LiveMonitorHandles();
LONG LiveXcvHandles();

}  // namespace zynlpr
