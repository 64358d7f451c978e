// Process attach of the monitor and InitializeMonitorEx's work.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

namespace zynlpr {

// Fills g_module: the key paths from the string table of `stringsModule`
// (the monitor's own instance), the message module found through the
// monitor key's Driver value, the sibling program's paths from LPR_Path, the
// message table and the registered "LPR_MESSAGE". False when the message
// module can't be loaded (after the "Can't Load Resources... " box) or lacks
// one of the texts 8000..8013 (silently).
bool StartModule(HINSTANCE stringsModule);

// The load work of both initialisation entries: creates MonitorLock once,
// builds the port list from the registry and probes the network.
void PrepareMonitor();

// PrepareMonitor, then fills the fourteen NT 4.0 slots of `table`.
// Returns false only for a null table.
bool InitializeMonitorTable(MONITOR* table);

}  // namespace zynlpr
