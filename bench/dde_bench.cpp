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

#include "handles.h"
#include "progman_host_names.h"
#include "scripted_progman.h"
#include "zynshell.h"

namespace {

constexpr DWORD kHostReadyWait = 30000, kHostStopWait = 15000;
const char kGroup[] = "Zyn Bench";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

// progman_host.exe from this program's folder, with its output on NUL (the
// folder windows it opens run in processes that inherit it).
class WineHost {
public:
    WineHost() {
        ready_.reset(CreateEventA(nullptr, TRUE, FALSE, zyntest::kProgmanHostReadyEvent));
        stop_.reset(CreateEventA(nullptr, TRUE, FALSE, zyntest::kProgmanHostStopEvent));
        ResetEvent(ready_.get());
        ResetEvent(stop_.get());
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        std::string exe = self;
        exe = exe.substr(0, exe.find_last_of('\\') + 1) + "progman_host.exe";
        std::string commandLine = "\"" + exe + "\" --seconds 600";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        zyn::UniqueFile nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        &inherit, OPEN_EXISTING, 0, nullptr));
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
            return;
        host_.reset(pi.hProcess);
        CloseHandle(pi.hThread);
        ready = WaitForSingleObject(ready_.get(), kHostReadyWait) == WAIT_OBJECT_0;
    }
    ~WineHost() {
        if (!host_) return;
        SetEvent(stop_.get());
        if (WaitForSingleObject(host_.get(), kHostStopWait) != WAIT_OBJECT_0) TerminateProcess(host_.get(), 1);
    }
    bool ready = false;

private:
    zyn::UniqueKernelHandle ready_, stop_, host_;
};

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
    CoInitialize(nullptr);
    {
        WineHost host;
        if (!host.ready) printf("wine: progman_host.exe did not come up\n");
        else Measure("wine", wineRounds, perCall, nullptr);
    }
    CoUninitialize();
    return 0;
}
