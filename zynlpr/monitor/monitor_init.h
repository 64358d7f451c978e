// The work done when a spooler initialises the monitor, shared by both
// initialisation entries, and the NT 4.0 entry table.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace zynlpr {

// The load work of both initialisation entries: creates MonitorLock once,
// builds the port list from the registry and probes the network.
void PrepareMonitor();

// PrepareMonitor, then fills the fourteen NT 4.0 slots of `table`.
// Returns false only for a null table.
bool InitializeMonitorTable(MONITOR* table);

}  // namespace zynlpr
