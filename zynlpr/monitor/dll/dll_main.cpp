// Exports of ZYNLPR.DLL; each only forwards.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include "monitor/monitor2_adapter.h"
#include "monitor/monitor_init.h"
#include "ui/module_start.h"

// DllMain: only process attach does work (module_start.cpp); its failure
// makes the load fail.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return zynlpr::StartModule(instance) ? TRUE : FALSE;
}

// InitializeMonitorEx: builds the port list and fills the spooler's table.
// `registryRoot` is not used. TRUE (FALSE with ERROR_INVALID_PARAMETER only
// for a null table).
extern "C" BOOL WINAPI InitializeMonitorEx(LPWSTR, LPMONITOR monitor) {
    if (zynlpr::InitializeMonitorTable(monitor)) return TRUE;
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// InitializePrintMonitor2: the entry of spoolers from Windows 2000 on, and of
// Wine's. Same load work as InitializeMonitorEx; returns the MONITOR2 table
// and a monitor handle that the table's Shutdown entry frees. `init` is not
// used. Null with ERROR_INVALID_PARAMETER for a null `monitor`.
extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT init, PHANDLE monitor) {
    return zynlpr::OpenMonitor2(init, monitor);
}
