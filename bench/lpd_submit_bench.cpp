// lpd_submit_bench HOST QUEUE FILE [LABEL [JOBS]]
// lpd_submit_bench HOST QUEUE --memory BYTES
// Times SubmitPortJob of FILE to QUEUE on HOST (an LPD server on port 515),
// JOBS times one after another (default once), and prints the bytes,
// wall-clock seconds, throughput and this process's processor time (user +
// kernel) spent in the submissions. Run by bench/lpd_throughput.sh and
// bench/lpd_small_jobs.sh beside a native client sending the same file to
// the same server. With --memory, a job of BYTES bytes of memory goes
// through the client's own connection and sends (LpdOpenJob, LpdSend)
// without any file: what Wine's sockets allow the client at best. Message
// boxes that the submission shows are printed and answered, so a failing
// run ends instead of waiting for a user.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bounded.h"
#include "lpd/lpd_connection.h"
#include "lpd/lpd_job_steps.h"
#include "job/job_submit.h"
#include "lpd/lpd_wire_format.h"
#include "message_box_watcher.h"
#include "ui/messages.h"
#include "ui/module_state.h"

namespace {

double Seconds(const FILETIME& kernel, const FILETIME& user) {
    auto v = [](const FILETIME& f) {
        return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    return (v(kernel) + v(user)) / 1e7;
}

double ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel, user);
}

bool InitMonitor() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    while (n > 0 && path[n - 1] != '\\') --n;
    std::string nls = std::string(path, n) + "zynlpr.nls";
    zynlpr::g_module.messageModule = LoadLibraryExA(nls.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!zynlpr::g_module.messageModule || !zynlpr::LoadMessageTable(zynlpr::g_module.messageModule))
        return false;
    zyn::BoundedCopy(zynlpr::g_module.portsKeyPath, "Software\\ZynLprBench\\Ports");
    return true;
}

void WritePort(const char* host, const char* queue) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\ZynLprBench\\Ports\\ZYN_Bench", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "HostName", 0, REG_SZ, reinterpret_cast<const BYTE*>(host), lstrlenA(host) + 1);
    RegSetValueExA(key, "QueueName", 0, REG_SZ, reinterpret_cast<const BYTE*>(queue), lstrlenA(queue) + 1);
    RegCloseKey(key);
}

// One job from memory through the client's connection layer. True when the
// server took the data file.
bool SendFromMemory(const char* host, const char* queue, ULONGLONG bytes) {
    // One buffer of the whole size, filled before the job starts: the data
    // comes from memory as a file's pages would, not from the processor's
    // cache.
    const int kChunk = 16 * 1024 * 1024;
    zyn::UniqueHeapBlock data(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bytes ? bytes : 1)));
    if (!data) return false;
    memset(data.get(), 0x5a, static_cast<size_t>(bytes));
    zynlpr::LpdConnection connection;
    if (!zynlpr::LpdStartup(connection)) return false;
    bool accepted = false;
    if (zynlpr::LpdOpenJob(connection, host, queue) == 0) {
        zynlpr::LpdJobNames names;
        zynlpr::MakeJobNames(names, connection.localHostName, "bench", "memory", 1);
        char command[zynlpr::kLpdBufferSize];
        int cb = zynlpr::FormatDataFileCommand(command, bytes, names);
        if (zynlpr::LpdSend(connection, command, cb) == cb && zynlpr::LpdReadAck(connection, true) == 0) {
            bool sent = true;
            const char* p = static_cast<const char*>(data.get());
            for (ULONGLONG done = 0; sent && done < bytes;) {
                int n = bytes - done < static_cast<ULONGLONG>(kChunk) ? static_cast<int>(bytes - done) : kChunk;
                sent = zynlpr::LpdSend(connection, p + done, n) == n;
                done += static_cast<ULONGLONG>(n);
            }
            const char end = 0;
            accepted = sent && zynlpr::LpdSend(connection, &end, 1) == 1 && zynlpr::LpdReadAck(connection, true) == 0;
        }
    }
    zynlpr::LpdCleanup(connection);
    return accepted;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: lpd_submit_bench HOST QUEUE FILE [LABEL]\n");
        return 2;
    }
    const char* label = argc > 4 ? argv[4] : "monitor";
    const int jobs = argc > 5 ? atoi(argv[5]) : 1;
    if (!InitMonitor()) {
        fprintf(stderr, "lpd_submit_bench: zynlpr.nls not found beside the program\n");
        return 1;
    }
    if (strcmp(argv[3], "--memory") == 0 && argc > 4) {
        const ULONGLONG bytes = _strtoui64(argv[4], nullptr, 10);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        double cpuBefore = ProcessCpu();
        QueryPerformanceCounter(&start);
        bool accepted = SendFromMemory(argv[1], argv[2], bytes);
        QueryPerformanceCounter(&end);
        double wall = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        printf("memory: %.0f bytes in %.3f s = %.1f MB/s, cpu %.3f s%s\n", static_cast<double>(bytes), wall,
               static_cast<double>(bytes) / wall / 1e6, ProcessCpu() - cpuBefore, accepted ? "" : " (not accepted)");
        return accepted ? 0 : 1;
    }
    WritePort(argv[1], argv[2]);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(argv[3], GetFileExInfoStandard, &data)) {
        fprintf(stderr, "lpd_submit_bench: can't find %s\n", argv[3]);
        return 1;
    }
    const double bytes =
        jobs * static_cast<double>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);

    MessageBoxWatcher watcher;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double cpuBefore = ProcessCpu();
    QueryPerformanceCounter(&start);
    for (int i = 0; i < jobs && watcher.Count() == 0; ++i) zynlpr::SubmitPortJob(argv[3], "bench", "ZYN_Bench");
    QueryPerformanceCounter(&end);
    double cpu = ProcessCpu() - cpuBefore;
    double wall = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);

    for (const SeenBox& box : watcher.Seen()) printf("message box: %s\n", box.text.c_str());
    printf("%s: %.0f bytes in %.3f s = %.1f MB/s, cpu %.3f s\n", label, bytes, wall, bytes / wall / 1e6, cpu);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\ZynLprBench");
    return watcher.Count() == 0 ? 0 : 1;
}
