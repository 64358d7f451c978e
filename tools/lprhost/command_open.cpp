// lprhost open PORT: OpenPort and ClosePort, reporting each result.
#include <cstdio>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int RunOpen(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    if (argc < 1) {
        fprintf(stderr, "usage: lprhost open PORT\n");
        return 2;
    }
    LoadedMonitor m;
    if (!LoadMonitor(monitorName.c_str(), &m)) return 1;
    std::wstring port = Widen(argv[0]);
    HANDLE handle = nullptr;
    SetLastError(0);
    if (!m.table.pfnOpenPort(&port[0], &handle)) {
        printf("OpenPort %s: failed (error %lu)\n", argv[0], GetLastError());
        return 1;
    }
    printf("OpenPort %s: ok\n", argv[0]);
    BOOL closed = m.table.pfnClosePort(handle);
    printf("ClosePort: %s\n", closed ? "ok" : "failed");
    return closed ? 0 : 1;
}

LprhostCommand command{"open", "open PORT", "OpenPort, then ClosePort", RunOpen};

}  // namespace
