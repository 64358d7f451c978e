// dde_bench [ROUNDS] [WINE_ROUNDS]
// Program Manager transactions per second through zynshell.dll's exports,
// with Windows 2000 as the Windows version (so the DDE backend): the group
// list request (ZynListSubFolders, "GROUPS"), CreateGroup (ZynCreateFolder
// of an existing group), ShowGroup (ZynShowFolder) and AddItem
// (ZynAddItemEx). First against the scripted Program Manager of the tests,
// in this process (ROUNDS of each, default 500), then against Wine's own
// server in progman_host.exe (WINE_ROUNDS, default 20: it opens a folder
// window for every CreateGroup and ShowGroup). The transactions per call
// are counted by the scripted server; the client sends the same to both.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "bench_clock.h"
#include "handles.h"
#include "progman_host_process.h"
#include "scripted_progman.h"
#include "zynshell.h"

namespace {

const char kGroup[] = "Zyn Bench";

struct Kind {
    const char* name;
    std::function<int(ZYNPM, ZYNFOLDER)> call;
};

int ReadAll(ZYNPM pm) {
    char line[512];
    int n = 0;
    while (n < 100000 && ZynPMReadInfo(pm, line, sizeof line)) ++n;
    return 1;
}

ZynProgramItem BenchItem() {
    ZynProgramItem item{};
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "Bench item";
    item.arguments = item.iconPath = item.workingDirectory = "";
    return item;
}

const Kind kKinds[] = {
    {"GROUPS request", [](ZYNPM pm, ZYNFOLDER) { return ZynListSubFolders(pm, nullptr) ? ReadAll(pm) : 0; }},
    // The group is open already: the same handle comes back, and stays open.
    {"CreateGroup", [](ZYNPM pm, ZYNFOLDER open) {
         ZYNFOLDER f = ZynCreateFolder(pm, kGroup, ZYN_FOLDER_PROGRAMS);
         if (f && f != open) ZynReleaseFolder(pm, f);
         return f ? 1 : 0;
     }},
    {"ShowGroup", [](ZYNPM pm, ZYNFOLDER f) { return ZynShowFolder(pm, f, SW_SHOWNORMAL); }},
    {"AddItem", [](ZYNPM pm, ZYNFOLDER f) {
         const ZynProgramItem item = BenchItem();
         return ZynAddItemEx(pm, f, &item);
     }},
};

// Runs each kind `rounds` times on one conversation; prints calls and
// transactions per second. perCall[i] is filled when counts are given.
void Measure(const char* server, int rounds, double* perCall, const std::function<size_t()>& count) {
    ZYNPM pm = ZynPMInit(1);
    if (!pm) {
        printf("%s: no Program Manager answered\n", server);
        return;
    }
    ZYNFOLDER folder = ZynCreateFolder(pm, kGroup, ZYN_FOLDER_PROGRAMS);
    if (!folder) {
        printf("%s: the group could not be made (error %d)\n", server, ZynPMGetLastError(pm));
        ZynPMUninit(pm);
        return;
    }
    for (size_t k = 0; k < sizeof kKinds / sizeof kKinds[0]; ++k) {
        const size_t before = count ? count() : 0;
        int failed = 0;
        const double start = Now();
        for (int i = 0; i < rounds; ++i)
            if (!kKinds[k].call(pm, folder)) ++failed;
        const double seconds = Now() - start;
        if (count) perCall[k] = static_cast<double>(count() - before) / rounds;
        const double calls = rounds / seconds;
        printf("%-9s %-15s %5d calls in %7.3f s: %8.1f calls/s, %4.1f transactions per call, %8.1f transactions/s%s\n",
               server, kKinds[k].name, rounds, seconds, calls, perCall[k], calls * perCall[k],
               failed ? (" (" + std::to_string(failed) + " failed)").c_str() : "");
    }
    ZynDeleteFolder(pm, folder);
    ZynPMUninit(pm);
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int rounds = argc > 1 ? atoi(argv[1]) : 500;
    const int wineRounds = argc > 2 ? atoi(argv[2]) : 20;
    double perCall[sizeof kKinds / sizeof kKinds[0]] = {};
    {
        zyntest::ScriptedProgman scripted;
        if (!scripted.ready()) {
            printf("scripted: the server could not be made\n");
            return 1;
        }
        Measure("scripted", rounds, perCall, [&] {
            size_t n = 0;
            for (const std::string& entry : scripted.Log())
                if (entry.compare(0, 8, "execute:") == 0 || entry.compare(0, 8, "request:") == 0) ++n;
            return n;
        });
    }
    {
        zyn::ComScope com;
        zyntest::ProgmanHostProcess host(600);
        if (!host.Ready()) printf("wine: progman_host.exe did not come up\n");
        else Measure("wine", wineRounds, perCall, nullptr);
    }
    return 0;
}
