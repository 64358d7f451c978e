// Storage of the module-wide state and of MonitorLock.
//
// g_module is filled by process attach (module_start.cpp); MonitorLock is
// initialised by InitializeMonitorEx, or earlier by EnsureMonitorLock for
// callers (tests, tools) that use the port list without the entry table.
#include "module_state.h"

namespace zynlpr {

ModuleState g_module;
CRITICAL_SECTION MonitorLock;

namespace {
// 0 not initialised, 1 being initialised, 2 ready. (InitOnce* is younger
// than the systems the monitor serves.)
volatile LONG g_lockState = 0;
}  // namespace

void EnsureMonitorLock() {
    if (InterlockedCompareExchange(&g_lockState, 1, 0) == 0) {
        InitializeCriticalSection(&MonitorLock);
        InterlockedExchange(&g_lockState, 2);
        return;
    }
    // Another thread is initialising: InitializeCriticalSection takes
    // microseconds, so this yields only a few times.
    while (InterlockedCompareExchange(&g_lockState, 2, 2) != 2) Sleep(0);
}

}  // namespace zynlpr
