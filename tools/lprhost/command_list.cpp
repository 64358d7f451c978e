// lprhost list [level]: EnumPorts at level 1 and 2 (or only the one given),
// asked first for the size, then with exactly that size, as the spooler does.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int ListLevel(const LoadedMonitor& m, DWORD level) {
    DWORD needed = 0, returned = 0;
    if (!m.table.pfnEnumPorts(nullptr, level, nullptr, 0, &needed, &returned) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        fprintf(stderr, "lprhost: EnumPorts level %lu failed (error %lu)\n", level, GetLastError());
        return 1;
    }
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!m.table.pfnEnumPorts(nullptr, level, buffer.data(), needed, &needed, &returned)) {
        fprintf(stderr, "lprhost: EnumPorts level %lu failed (error %lu)\n", level, GetLastError());
        return 1;
    }
    printf("level %lu: %lu port(s), %lu bytes\n", level, returned, needed);
    for (DWORD i = 0; i < returned; ++i) {
        if (level == 1) {
            auto* info = reinterpret_cast<PORT_INFO_1W*>(buffer.data()) + i;
            printf("  %s\n", Narrow(info->pName).c_str());
        } else if (level == 2) {
            auto* info = reinterpret_cast<PORT_INFO_2W*>(buffer.data()) + i;
            printf("  %s | %s | %s | type %lu\n", Narrow(info->pPortName).c_str(),
                   Narrow(info->pMonitorName).c_str(), Narrow(info->pDescription).c_str(),
                   info->fPortType);
        }
    }
    return 0;
}

int RunList(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    LoadedMonitor m;
    if (!LoadMonitor(monitorName.c_str(), &m)) return 1;
    if (argc >= 1) return ListLevel(m, static_cast<DWORD>(strtoul(argv[0], nullptr, 10)));
    int rc = ListLevel(m, 1);
    return rc ? rc : ListLevel(m, 2);
}

LprhostCommand command{"list", "list [level]", "EnumPorts at level 1 and 2 (or the level given)",
                       RunList};

}  // namespace
