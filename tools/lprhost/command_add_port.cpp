// lprhost add-port: AddPort, which shows the monitor's add-port dialog (for
// a person at a display; under the headless test driver nobody sees it).
#include <cstdio>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int RunAddPort(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    LoadedMonitor m;
    if (!LoadMonitor(monitorName.c_str(), &m)) return 1;
    std::wstring monitor = Widen(m.monitorName.c_str());
    SetLastError(0);
    if (m.table.pfnAddPort(nullptr, nullptr, &monitor[0])) {
        printf("AddPort: ok\n");
        return 0;
    }
    DWORD error = GetLastError();
    printf("AddPort: %s (error %lu)\n", error == ERROR_CANCELLED ? "cancelled" : "failed", error);
    return 1;
}

LprhostCommand command{"add-port", "add-port", "AddPort: the add-port dialog", RunAddPort};

}  // namespace
