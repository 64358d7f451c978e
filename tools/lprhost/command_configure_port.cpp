// lprhost configure-port PORT: the port UI module's ConfigurePortUI, which
// shows the port-settings dialog for PORT here (or its notice when PORT is
// not one of the monitor's ports) and hands the result to the monitor in
// Wine's spooler through Xcv.
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
    PMONITORUI ui = LoadPortUi(monitorName.c_str());
    if (!ui) return 1;
    std::wstring port = Widen(argv[0]);
    SetLastError(0);
    if (ui->pfnConfigurePortUI(nullptr, nullptr, port.c_str())) {
        printf("ConfigurePortUI %s: ok\n", argv[0]);
        return 0;
    }
    DWORD error = GetLastError();
    printf("ConfigurePortUI %s: %s (error %lu)\n", argv[0], error == ERROR_CANCELLED ? "cancelled" : "failed",
           error);
    return 1;
}

LprhostCommand command{"configure-port", "configure-port PORT",
                       "ConfigurePortUI: the port-settings dialog of the port UI module", RunConfigurePort};

}  // namespace
