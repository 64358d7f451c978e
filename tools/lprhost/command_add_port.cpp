// lprhost add-port: the port UI module's AddPortUI, which shows the add-port
// dialog here and hands the result to the monitor in Wine's spooler through
// Xcv (the monitor must be installed there: lprinstall monitor).
#include <cstdio>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int RunAddPort(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    PMONITORUI ui = LoadPortUi(monitorName.c_str());
    if (!ui) return 1;
    std::wstring monitor = Widen(monitorName.c_str());
    SetLastError(0);
    if (ui->pfnAddPortUI(nullptr, nullptr, monitor.c_str(), nullptr)) {
        printf("AddPortUI: ok\n");
        return 0;
    }
    DWORD error = GetLastError();
    printf("AddPortUI: %s (error %lu)\n", error == ERROR_CANCELLED ? "cancelled" : "failed", error);
    return 1;
}

LprhostCommand command{"add-port", "add-port", "AddPortUI: the add-port dialog of the port UI module", RunAddPort};

}  // namespace
