// InitializeMonitorEx's work: the port list, the entry table and the network
// probe, all under MonitorLock.
#include <windows.h>
#include <winnetwk.h>

#include "module_start.h"
#include "module_state.h"
#include "monitor_entries.h"
#include "port_list.h"

namespace zynlpr {

namespace {

// Touches the network provider once so that its first use by a job is not
// the slow one. Nothing depends on the outcome.
void ProbeNetwork() {
    HANDLE enumeration = nullptr;
    if (WNetOpenEnumA(RESOURCE_GLOBALNET, 0, 0, nullptr, &enumeration) == NO_ERROR)
        WNetCloseEnum(enumeration);
}

}  // namespace

bool InitializeMonitorTable(MONITOR* table) {
    if (!table) return false;
    EnsureMonitorLock();
    MonitorLockGuard lock;
    ReloadPorts();
    table->pfnEnumPorts = LprEnumPorts;
    table->pfnOpenPort = LprOpenPort;
    table->pfnOpenPortEx = nullptr;
    table->pfnStartDocPort = LprStartDocPort;
    table->pfnWritePort = LprWritePort;
    table->pfnReadPort = LprReadPort;
    table->pfnEndDocPort = LprEndDocPort;
    table->pfnClosePort = LprClosePort;
    table->pfnAddPort = LprAddPort;
    table->pfnAddPortEx = nullptr;
    table->pfnConfigurePort = LprConfigurePort;
    table->pfnDeletePort = LprDeletePort;
    table->pfnGetPrinterDataFromPort = LprGetPrinterDataFromPort;
    table->pfnSetPortTimeOuts = LprSetPortTimeOuts;
    ProbeNetwork();
    return true;
}

}  // namespace zynlpr
