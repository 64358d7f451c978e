// lprhost configure-port PORT: ConfigurePort, which shows the monitor's
// port-settings dialog for PORT (or its notice when PORT is not one of its
// ports). ConfigurePort reports success in every case.
#include <cstdio>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int RunConfigurePort(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    if (argc < 1) {
        fprintf(stderr, "usage: lprhost configure-port PORT\n");
        return 2;
    }
    LoadedMonitor m;
    if (!LoadMonitor(monitorName.c_str(), &m)) return 1;
    std::wstring port = Widen(argv[0]);
    BOOL ok = m.table.pfnConfigurePort(nullptr, nullptr, &port[0]);
    printf("ConfigurePort %s: %s\n", argv[0], ok ? "ok" : "failed");
    return ok ? 0 : 1;
}

LprhostCommand command{"configure-port", "configure-port PORT",
                       "ConfigurePort: the port-settings dialog", RunConfigurePort};

}  // namespace
