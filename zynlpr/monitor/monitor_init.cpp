// The work done when a spooler initialises the monitor (the port list and the
// network probe, under MonitorLock), shared by InitializeMonitorEx and
// InitializePrintMonitor2, and the NT 4.0 entry table.
#include <windows.h>
#include <winnetwk.h>

#include "monitor_entries.h"
#include "monitor_init.h"
#include "ports/port_list.h"
#include "ui/module_state.h"

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

void PrepareMonitor() {
    EnsureMonitorLock();
    MonitorLockGuard lock;
    ReloadPorts();
    ProbeNetwork();
}

bool InitializeMonitorTable(MONITOR* table) {
    if (!table) return false;
    PrepareMonitor();
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
    return true;
}

}  // namespace zynlpr
