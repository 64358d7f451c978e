// Exports of ZYNLPR.DLL; each only forwards.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include "monitor/module_start.h"

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
