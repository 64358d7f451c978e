// lprhost submit PORT FILE [--doc NAME]
// Sends FILE to the LPD host and queue of PORT with the very call the job
// path makes at EndDocPort (SubmitPortJob), without the spooler: an
// administrator's test of a port from the command line. The file is not
// deleted. Failures appear as the monitor's own message boxes; the command
// cannot tell whether the server took the job, so it returns 0 once the
// submission has run.
#include <cstdio>
#include <cstring>
#include <string>

#include "handles.h"
#include "registry_text.h"
#include "lprhost_command.h"
#include "job/job_submit.h"
#include "ui/module_start.h"
#include "monitor_host.h"

namespace {

// The monitor module whose string table holds the key paths: the Driver
// value of the monitor's key, else ZYNLPR.DLL beside this program.
std::string MonitorModulePath(const std::string& monitorName) {
    std::string keyPath = "System\\CurrentControlSet\\Control\\Print\\Monitors\\" + monitorName;
    char driver[zyn::kPathSize];
    zyn::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS &&
        zyn::ReadRegText(key.get(), "Driver", driver) && driver[0])
        return driver;
    char self[zyn::kPathSize] = {};
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    while (n > 0 && self[n - 1] != '\\') --n;
    return std::string(self, n) + "ZYNLPR.DLL";
}

int RunSubmit(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    const char* portName = nullptr;
    const char* fileName = nullptr;
    const char* docName = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (strcmp(argv[i], "--doc") == 0 && i + 1 < argc) docName = argv[++i];
        else if (!portName) portName = argv[i];
        else if (!fileName) fileName = argv[i];
    }
    if (!portName || !fileName) {
        fprintf(stderr, "usage: lprhost submit PORT FILE [--doc NAME]\n");
        return 2;
    }
    if (GetFileAttributesA(fileName) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "lprhost: can't find %s\n", fileName);
        return 1;
    }
    // Only the string table is needed: no process attach of a second copy.
    std::string modulePath = MonitorModulePath(monitorName);
    HMODULE strings = LoadLibraryExA(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!strings) {
        fprintf(stderr, "lprhost: can't load %s (error %lu)\n", modulePath.c_str(), GetLastError());
        return 1;
    }
    if (!zynlpr::StartModule(strings)) {
        fprintf(stderr, "lprhost: the monitor's message module could not be loaded\n");
        return 1;
    }
    zynlpr::SubmitPortJob(fileName, docName ? docName : fileName, portName);
    printf("submitted %s to port %s\n", fileName, portName);
    return 0;
}

LprhostCommand command{"submit", "submit PORT FILE [--doc NAME]",
                       "sends FILE to the port's LPD host and queue (SubmitPortJob)", RunSubmit};

}  // namespace
