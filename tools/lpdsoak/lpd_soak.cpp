// The LPD soak (lpd_soak.h).
#include "lpd_soak.h"

#include "lpd/lpd_connection.h"

#include <psapi.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

#include "hostile_lpd_server.h"
#include "job/job_submit.h"
#include "message_box_watcher.h"
#include "ui/messages.h"
#include "ui/module_state.h"
#include "monitor/monitor_entries.h"
#include "ports/port_list.h"
#include "process_figures.h"
#include "seeded_random.h"

namespace lpdsoak {

using zyntest::Rng;
using zyntest::HandleCount;
using zyntest::PrivateBytes;

namespace {

constexpr size_t kMaxFailureNotes = 40;

void Fail(SoakFigures& figures, const std::string& note) {
    ++figures.failureCount;
    if (figures.failures.size() < kMaxFailureNotes) figures.failures.push_back(note);
}

// Loads zynlpr.nls from beside the program and points the monitor at a
// throwaway Ports key of this process, as process attach would set it up.
bool InitMonitor(std::string* portsKey) {
    using namespace zynlpr;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    while (n > 0 && path[n - 1] != '\\') --n;
    path[n] = '\0';
    if (!g_module.messageModule) {
        std::string nls = std::string(path) + "zynlpr.nls";
        g_module.messageModule = LoadLibraryExA(nls.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!g_module.messageModule || !LoadMessageTable(g_module.messageModule)) return false;
    }
    EnsureMonitorLock();
    *portsKey = "Software\\ZynLprSoak\\" + std::to_string(GetCurrentProcessId()) + "\\Ports";
    snprintf(g_module.portsKeyPath, sizeof g_module.portsKeyPath, "%s", portsKey->c_str());
    snprintf(g_module.monitorName, sizeof g_module.monitorName, "ZYN LPR Monitor");
    g_module.lprMessage = RegisterWindowMessageA("LPR_MESSAGE");
    return true;
}

void WritePortKey(const std::string& portsKey, const std::string& port, const std::string& host) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (portsKey + "\\" + port).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const std::string queue = "soak";
    RegSetValueExA(key, "HostName", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                   static_cast<DWORD>(host.size() + 1));
    RegSetValueExA(key, "QueueName", 0, REG_SZ, reinterpret_cast<const BYTE*>(queue.c_str()),
                   static_cast<DWORD>(queue.size() + 1));
    RegCloseKey(key);
}

void ReloadMonitorPorts() {
    zynlpr::MonitorLockGuard lock;
    zynlpr::ReloadPorts();
}

// The bytes of job `id`: a header naming it, then random bytes; most jobs
// are small, a quarter reach up to maxBytes.
std::string JobContents(uint64_t seed, int id, uint32_t maxBytes) {
    Rng rng{seed * 0x2545F4914F6CDD1Dull + static_cast<uint64_t>(id)};
    const std::string header = "zynsoak " + std::to_string(id) + "\n";
    uint32_t size = rng.Below(4) == 0 ? 1 + rng.Below(maxBytes) : 1 + rng.Below(4096);
    std::string contents = header;
    while (contents.size() < size) contents.push_back(static_cast<char>(rng.Below(256)));
    return contents;
}

int JobIdOf(const std::string& dataFile) {
    if (dataFile.compare(0, 8, "zynsoak ") != 0) return -1;
    size_t end = dataFile.find('\n');
    if (end == std::string::npos || end > 20) return -1;
    return atoi(dataFile.c_str() + 8);
}

std::string DocumentName(int id) { return "soak " + std::to_string(id); }

// Brings the process to the same state before each measurement: Wine frees
// the stack of an ended thread only when the next thread ends, so a short
// thread is run to its end twice, and whatever ended last before is gone.
void Settle() {
    for (int i = 0; i < 2; ++i) std::thread([] {}).join();
    Sleep(50);
}

int CountSpoolFiles() {
    char dir[MAX_PATH];
    if (!GetTempPathA(sizeof dir, dir)) return 0;
    int count = 0;
    for (const char* pattern : {"lpr*.tmp", "zsk*.tmp"}) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((std::string(dir) + pattern).c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) continue;
        do ++count;
        while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return count;
}

struct Submission {
    int id = 0;
    size_t boxes = 0;
    DWORD elapsedMs = 0;
    std::string failure;  // a step of the route that should not have failed
};

// Straight through SubmitPortJob, from a spool file of the soak's own.
std::string SubmitDirect(const std::string& port, int id, const std::string& contents) {
    char dir[MAX_PATH], name[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    if (!GetTempFileNameA(dir, "zsk", 0, name)) return "no spool file could be made";
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
              written == contents.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (ok) zynlpr::SubmitPortJob(name, DocumentName(id).c_str(), port.c_str());
    DeleteFileA(name);
    return ok ? "" : "the spool file could not be written";
}

// Through the job path, in blocks of random sizes, as the spooler writes.
std::string SubmitThroughJobPath(HANDLE port, int id, const std::string& contents, Rng& rng) {
    std::wstring doc;
    for (char c : DocumentName(id)) doc.push_back(static_cast<wchar_t>(c));
    DOC_INFO_1W info = {&doc[0], nullptr, nullptr};
    if (!zynlpr::LprStartDocPort(port, nullptr, static_cast<DWORD>(id), 1, reinterpret_cast<LPBYTE>(&info)))
        return "StartDocPort failed with " + std::to_string(GetLastError());
    std::string failure;
    for (size_t offset = 0; offset < contents.size();) {
        DWORD block = 1 + rng.Below(65536);
        if (block > contents.size() - offset) block = static_cast<DWORD>(contents.size() - offset);
        DWORD written = 0;
        if (!zynlpr::LprWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(contents.data() + offset)),
                                  block, &written) ||
            written != block) {
            failure = "WritePort failed with " + std::to_string(GetLastError());
            break;
        }
        offset += block;
    }
    if (!zynlpr::LprEndDocPort(port)) failure = "EndDocPort failed with " + std::to_string(GetLastError());
    return failure;
}

// One port's share of a phase: its submissions one after another.
void RunPort(const SoakOptions& options, const MessageBoxWatcher& watcher, const std::string& portName,
             const std::vector<int>& ids, std::vector<Submission>* results) {
    std::wstring wide(portName.begin(), portName.end());
    HANDLE port = nullptr;
    const bool opened = zynlpr::LprOpenPort(&wide[0], &port) != FALSE;
    const DWORD thread = GetCurrentThreadId();
    for (int id : ids) {
        Submission s;
        s.id = id;
        Rng rng{options.seed ^ (static_cast<uint64_t>(id) << 20)};
        const std::string contents = JobContents(options.seed, id, options.maxJobBytes);
        const size_t boxesBefore = watcher.CountForThread(thread);
        const DWORD start = GetTickCount();
        const bool jobPath = (id / options.ports) % 2 == 1;
        if (!jobPath)
            s.failure = SubmitDirect(portName, id, contents);
        else if (!opened)
            s.failure = "OpenPort failed";
        else
            s.failure = SubmitThroughJobPath(port, id, contents, rng);
        s.elapsedMs = GetTickCount() - start;
        s.boxes = watcher.CountForThread(thread) - boxesBefore;
        results->push_back(std::move(s));
    }
    if (opened) zynlpr::LprClosePort(port);
}

// Runs ids [first, first + count) over all ports and checks each outcome.
void RunPhase(const SoakOptions& options, const MessageBoxWatcher& watcher,
              std::vector<std::unique_ptr<HostileLpdServer>>& servers, int first, int count,
              SoakFigures& figures) {
    const int ports = static_cast<int>(servers.size());
    std::vector<std::vector<int>> ids(ports);
    for (int id = first; id < first + count; ++id) ids[id % ports].push_back(id);
    std::vector<std::vector<Submission>> results(ports);
    std::vector<std::thread> threads;
    for (int k = 0; k < ports; ++k)
        threads.emplace_back(RunPort, std::cref(options), std::cref(watcher), "ZYN_Soak" + std::to_string(k),
                             std::cref(ids[k]), &results[k]);
    for (std::thread& t : threads) t.join();
    // A server may still sit in a long pause for a client that gave up;
    // its thread (and stack) must be gone before anything is counted.
    for (auto& server : servers)
        if (!server->WaitIdle(10000)) Fail(figures, "a server did not finish its connections");

    auto fail = [&](const std::string& note) { Fail(figures, note); };
    std::map<int, int> storedTimes;
    for (auto& server : servers) {
        for (const StoredJob& job : server->TakeStoredJobs()) {
            const int id = JobIdOf(job.dataFile);
            if (id < first || id >= first + count) {
                fail("a stored job that no submission sent (" + std::to_string(job.dataFile.size()) + " bytes)");
                continue;
            }
            if (job.dataFile != JobContents(options.seed, id, options.maxJobBytes))
                fail("job " + std::to_string(id) + " stored with other bytes than were sent");
            else if (job.controlFile.find("\nN" + DocumentName(id) + "\n") == std::string::npos)
                fail("job " + std::to_string(id) + " stored with another job's control file");
            else
                ++storedTimes[id];
        }
    }
    for (auto& portResults : results) {
        for (const Submission& s : portResults) {
            const std::string job = "job " + std::to_string(s.id);
            const int stored = storedTimes.count(s.id) ? storedTimes[s.id] : 0;
            ++figures.submissions;
            figures.messageBoxes += s.boxes;
            figures.longestMs = std::max(figures.longestMs, s.elapsedMs);
            if (stored) ++figures.stored;
            if (s.boxes) ++figures.reported;
            if (stored && s.boxes) ++figures.storedAndReported;
            if (!s.failure.empty()) fail(job + ": " + s.failure);
            if (stored > 1) fail(job + " stored " + std::to_string(stored) + " times");
            if (!stored && !s.boxes) fail(job + " neither stored nor reported");
            if (s.elapsedMs > options.boundMs)
                fail(job + " took " + std::to_string(s.elapsedMs) + " ms, beyond the bound");
        }
    }
}

}  // namespace

SoakFigures RunLpdSoak(const SoakOptions& options) {
    SoakFigures figures;
    std::string portsKey;
    if (!InitMonitor(&portsKey)) {
        Fail(figures, "the message module zynlpr.nls could not be loaded");
        return figures;
    }
    const zynlpr::LpdTimeouts saved = zynlpr::LpdGetTimeouts();
    zynlpr::LpdSetTimeouts({options.connectMs, options.idleMs});
    const int spoolFilesBefore = CountSpoolFiles();

    // Short pauses stay within the client's idle bound, long ones pass it.
    const ServerPauses pauses = {options.idleMs / 2, options.idleMs + 100, options.idleMs * 2};
    std::vector<std::unique_ptr<HostileLpdServer>> servers;
    for (int k = 0; k < options.ports; ++k) {
        servers.push_back(std::make_unique<HostileLpdServer>(options.seed + static_cast<uint64_t>(k), pauses));
        if (!servers.back()->Listening()) {
            Fail(figures, "no server could listen on " + servers.back()->Address());
            zynlpr::LpdSetTimeouts(saved);
            return figures;
        }
        WritePortKey(portsKey, "ZYN_Soak" + std::to_string(k), servers.back()->Address());
    }
    ReloadMonitorPorts();

    {
        MessageBoxWatcher watcher(IDOK);
        watcher.Reserve(static_cast<size_t>(options.submissions) * 8 + 1024);
        // The warm-up lets the process make what it keeps for good (thread
        // pools, the first message box's classes, the heap's high-water mark
        // for the job sizes of the run) before the figures are taken.
        const int warmUp = std::max(options.ports * 4, options.submissions / 10);
        figures.warmUp = warmUp;
        RunPhase(options, watcher, servers, 0, warmUp, figures);
        watcher.Clear();
        Settle();
        figures.handlesBefore = HandleCount();
        figures.privateBefore = PrivateBytes();
        RunPhase(options, watcher, servers, warmUp, options.submissions, figures);
        watcher.Clear();
        Settle();
        figures.handlesAfter = HandleCount();
        figures.privateAfter = PrivateBytes();
    }

    figures.actions.assign(static_cast<size_t>(Action::kCount), 0);
    for (auto& server : servers) {
        std::vector<uint64_t> counts = server->ActionCounts();
        for (size_t i = 0; i < counts.size() && i < figures.actions.size(); ++i) figures.actions[i] += counts[i];
        figures.serverConnections += server->Connections();
        figures.serverStalls += server->ClientStalls();
    }
    servers.clear();
    figures.spoolFilesLeft = CountSpoolFiles() - spoolFilesBefore;
    if (figures.spoolFilesLeft > 0)
        Fail(figures, std::to_string(figures.spoolFilesLeft) + " spool files left behind");
    if (figures.handlesAfter - figures.handlesBefore > options.handleSlack)
        Fail(figures, "handle count grew from " + std::to_string(figures.handlesBefore) + " to " +
                                   std::to_string(figures.handlesAfter));
    if (figures.privateAfter - figures.privateBefore > options.privateSlack)
        Fail(figures, "private bytes grew from " + std::to_string(figures.privateBefore) + " to " +
                                   std::to_string(figures.privateAfter));

    zynlpr::LpdSetTimeouts(saved);
    HKEY soakKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZynLprSoak", 0, KEY_ALL_ACCESS, &soakKey) == ERROR_SUCCESS) {
        RegDeleteTreeA(soakKey, std::to_string(GetCurrentProcessId()).c_str());
        RegCloseKey(soakKey);
    }
    snprintf(zynlpr::g_module.portsKeyPath, sizeof zynlpr::g_module.portsKeyPath, "Software\\ZynLprSoak\\none");
    ReloadMonitorPorts();
    return figures;
}

void PrintSoakFigures(FILE* out, const SoakOptions& o, const SoakFigures& f) {
    fprintf(out, "seed %llu; %d submissions after a warm-up of %d, %d ports at once, half through "
                 "SubmitPortJob and half through the job path\n",
            static_cast<unsigned long long>(o.seed), o.submissions, f.warmUp, o.ports);
    fprintf(out, "client time-outs: connect %lu ms, idle %lu ms; bound per submission %lu ms\n",
            static_cast<unsigned long>(o.connectMs), static_cast<unsigned long>(o.idleMs),
            static_cast<unsigned long>(o.boundMs));
    fprintf(out, "outcomes (warm-up included): %d submissions, %d stored byte for byte, %d reported by a "
                 "message (%d both), %zu message boxes answered, longest submission %lu ms\n",
            f.submissions, f.stored, f.reported, f.storedAndReported, f.messageBoxes,
            static_cast<unsigned long>(f.longestMs));
    fprintf(out, "server: %llu connections, %llu client stalls; actions:",
            static_cast<unsigned long long>(f.serverConnections), static_cast<unsigned long long>(f.serverStalls));
    for (size_t i = 0; i < f.actions.size(); ++i)
        fprintf(out, "%s %s %llu", i ? "," : "", ActionName(static_cast<Action>(i)),
                static_cast<unsigned long long>(f.actions[i]));
    fprintf(out, "\nhandles: %ld before, %ld after; private bytes: %lld before, %lld after\n", f.handlesBefore,
            f.handlesAfter, f.privateBefore, f.privateAfter);
    fprintf(out, "spool files left: %d\nfailures: %d\n", f.spoolFilesLeft, f.failureCount);
    for (const std::string& note : f.failures) fprintf(out, "  %s\n", note.c_str());
}

}  // namespace lpdsoak
