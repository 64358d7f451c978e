// port_list_bench [PORTS] [REPEATS]
// The port list at scale: writes PORTS LPR port keys (default 1000) under a
// throwaway Ports key, then times ReloadPorts, EnumPorts at levels 1 and 2
// (the size query and the fill, each as the spooler calls it) and OpenPort
// of the last port, each the median of REPEATS calls (default 11), and
// prints one line per figure. The keys are removed at the end.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bounded.h"
#include "ui/module_state.h"
#include "monitor/monitor_entries.h"
#include "bench_clock.h"
#include "ports/port_list.h"

using namespace zynlpr;

namespace {

const char kBase[] = "Software\\ZynPortListBench";

template <typename F>
double MedianMs(int repeats, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        double start = Now();
        f();
        ms.push_back((Now() - start) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void WritePorts(int count) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBase);
    for (int i = 0; i < count; ++i) {
        char path[200];
        zyn::BoundedFormat(path, sizeof path, "%s\\Ports\\ZYN_LPRPort%d", kBase, i);
        HKEY key = nullptr;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS) continue;
        char host[40];
        zyn::BoundedFormat(host, sizeof host, "printhost%d", i);
        RegSetValueExA(key, "HostName", 0, REG_SZ, reinterpret_cast<const BYTE*>(host), lstrlenA(host) + 1);
        RegSetValueExA(key, "QueueName", 0, REG_SZ, reinterpret_cast<const BYTE*>("raw"), 4);
        RegCloseKey(key);
    }
}

// The registry calls a reload makes, without anything else.
void RegistryCallsOfAReload() {
    HKEY ports = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, &ports) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        char name[100];
        if (RegEnumKeyA(ports, index, name, sizeof name) != ERROR_SUCCESS) break;
        HKEY port = nullptr;
        if (RegOpenKeyA(ports, name, &port) != ERROR_SUCCESS) continue;
        char text[zyn::kTextSize];
        DWORD cb = sizeof text;
        RegQueryValueExA(port, "HostName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &cb);
        cb = sizeof text;
        RegQueryValueExA(port, "QueueName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &cb);
        RegCloseKey(port);
    }
    RegCloseKey(ports);
}

// EnumPorts as the spooler calls it: the size query, then the fill.
struct EnumFigures {
    double queryMs;
    double fillMs;
    DWORD returned;
};

EnumFigures TimeEnumPorts(DWORD level, int repeats) {
    DWORD needed = 0, returned = 0;
    LprEnumPorts(nullptr, level, nullptr, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed);
    EnumFigures f;
    f.queryMs = MedianMs(repeats, [&] { LprEnumPorts(nullptr, level, nullptr, 0, &needed, &returned); });
    f.fillMs = MedianMs(repeats, [&] {
        LprEnumPorts(nullptr, level, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &returned);
    });
    f.returned = returned;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int ports = argc > 1 ? atoi(argv[1]) : 1000;
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 11;
    EnsureMonitorLock();
    zyn::BoundedFormat(g_module.portsKeyPath, sizeof g_module.portsKeyPath, "%s\\Ports", kBase);
    zyn::BoundedCopy(g_module.monitorName, "ZYN LPR Monitor");
    zyn::BoundedCopy(g_module.defaultDescription, "LPR port (not configured)");

    double start = Now();
    WritePorts(ports);
    printf("%d port keys written in %.0f ms\n", ports, (Now() - start) * 1000);

    // The first reload builds every record; the later ones find them all.
    double first = MedianMs(1, [] {
        MonitorLockGuard lock;
        ReloadPorts();
    });
    double reload = MedianMs(repeats, [] {
        MonitorLockGuard lock;
        ReloadPorts();
    });
    printf("ReloadPorts, %d ports:             first %.2f ms, again %.2f ms (target < 100 ms)\n", ports, first,
           reload);

    EnumFigures level1 = TimeEnumPorts(1, repeats);
    EnumFigures level2 = TimeEnumPorts(2, repeats);
    printf("EnumPorts level 1, %lu ports:       size query %.3f ms, fill %.3f ms\n",
           static_cast<unsigned long>(level1.returned), level1.queryMs, level1.fillMs);
    printf("EnumPorts level 2, %lu ports:       size query %.3f ms, fill %.3f ms (target < 5 ms)\n",
           static_cast<unsigned long>(level2.returned), level2.queryMs, level2.fillMs);

    char last[40];
    zyn::BoundedFormat(last, sizeof last, "ZYN_LPRPort%d", ports - 1);
    WCHAR wideLast[40];
    zyn::AnsiToWide(last, wideLast, 40);
    double open = MedianMs(repeats, [&] {
        HANDLE handle = nullptr;
        if (LprOpenPort(wideLast, &handle)) LprClosePort(handle);
    });
    printf("OpenPort + ClosePort of %s:  %.3f ms\n", last, open);

    // A change to one port's key is seen by the next EnumPorts.
    char path[200];
    zyn::BoundedFormat(path, sizeof path, "%s\\ZYN_LPRPort0", g_module.portsKeyPath);
    int round = 0;
    double changed = MedianMs(repeats, [&] {
        // A new value each time: Wine takes writing the same data again for no change.
        char value[20];
        zyn::BoundedFormat(value, sizeof value, "%d", ++round);
        RegSetValueA(HKEY_LOCAL_MACHINE, path, REG_SZ, value, lstrlenA(value));
        DWORD needed = 0, returned = 0;
        LprEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
    });
    printf("EnumPorts level 2 size query after a change to one port key: %.2f ms\n", changed);

    // The floor a reload that reads every key stands on: the registry calls
    // alone (enumerate, open, two values, close per port), and one round trip.
    double floor = MedianMs(3, [&] { RegistryCallsOfAReload(); });
    HKEY portsKey = nullptr;
    RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, &portsKey);
    double query = MedianMs(3, [&] {
        for (int i = 0; i < 1000; ++i) {
            char host[zyn::kTextSize];
            DWORD cb = sizeof host;
            RegQueryValueExA(portsKey, "ZYNLPR_bPrintBanner", nullptr, nullptr, reinterpret_cast<BYTE*>(host), &cb);
        }
    });
    RegCloseKey(portsKey);
    printf("Registry calls of a reload alone (5 per port): %.2f ms; one registry call: %.1f us\n", floor,
           query);

    {
        MonitorLockGuard lock;
        zyn::BoundedCopy(g_module.portsKeyPath, "Software\\ZynPortListBench\\none");
        ReloadPorts();
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kBase);
    return 0;
}
