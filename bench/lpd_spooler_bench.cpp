// lpd_spooler_bench HOST QUEUE BYTES JOBS
// JOBS RAW jobs of BYTES bytes, printed one after another by this one
// process through Wine's spooler (which runs inside the process) to a
// printer on a port of ZYNLPR.DLL, whose LPD server is QUEUE on HOST. The
// monitor is installed from beside this program with AddMonitorW, as an
// installer would; the printer uses Wine's PostScript driver, which a bare
// prefix lacks. Prints the jobs per second this process saw, from the first
// StartDocPrinter until the printer's queue was empty; the receiver's own
// clock gives the figures compared (bench/lpd_small_jobs.sh). Message boxes
// the monitor shows are printed and answered, so a failing run ends. The
// printer, the monitor and its key are removed afterwards.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_clock.h"
#include "message_box_watcher.h"

namespace {

WCHAR kMonitor[] = L"ZYN LPR Monitor";
WCHAR kPrinter[] = L"Zyn Bench Printer";
WCHAR kPort[] = L"ZYN_SpoolerBench";
const char kMonitorKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\ZYN LPR Monitor";

void SetText(HKEY key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
}

void RemovePrinterAndMonitor() {
    PRINTER_DEFAULTSW admin = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (OpenPrinterW(kPrinter, &printer, &admin)) {
        DeletePrinter(printer);
        ClosePrinter(printer);
    }
    DeleteMonitorW(nullptr, nullptr, kMonitor);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMonitorKey);
}

HANDLE AddBenchPrinter(const char* host, const char* queue) {
    HKEY key = nullptr;
    const std::string portKey = std::string(kMonitorKey) + "\\Ports\\ZYN_SpoolerBench";
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, portKey.c_str(), &key) != ERROR_SUCCESS) return nullptr;
    SetText(key, "HostName", host);
    SetText(key, "QueueName", queue);
    RegCloseKey(key);

    WCHAR dll[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, dll, MAX_PATH);
    while (n > 0 && dll[n - 1] != L'\\') --n;
    lstrcpynW(dll + n, L"ZYNLPR.DLL", MAX_PATH - static_cast<int>(n));
    MONITOR_INFO_2W monitor = {kMonitor, nullptr, dll};
    if (!AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&monitor))) return nullptr;

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(L"Wine PostScript Driver");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) return nullptr;
    PRINTER_INFO_2W info = {};
    info.pPrinterName = kPrinter;
    info.pPortName = kPort;
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    return AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
}

// Jobs still in the printer's queue, or -1.
int QueuedJobs(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::string buffer(needed ? needed : 1, '\0');
    if (!GetPrinterW(printer, 2, reinterpret_cast<BYTE*>(&buffer[0]), needed, &needed)) return -1;
    return static_cast<int>(reinterpret_cast<PRINTER_INFO_2W*>(&buffer[0])->cJobs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: lpd_spooler_bench HOST QUEUE BYTES JOBS\n");
        return 2;
    }
    const DWORD bytes = static_cast<DWORD>(strtoul(argv[3], nullptr, 10));
    const int jobs = atoi(argv[4]);
    RemovePrinterAndMonitor();
    HANDLE printer = AddBenchPrinter(argv[1], argv[2]);
    if (!printer) {
        fprintf(stderr, "lpd_spooler_bench: no printer on a port of the monitor (error %lu)\n", GetLastError());
        RemovePrinterAndMonitor();
        return 1;
    }
    std::string data(bytes, '\0');
    for (DWORD i = 0; i < bytes; ++i) data[i] = static_cast<char>("%!PS\n"[i % 5]);

    MessageBoxWatcher watcher;
    int printed = 0;
    double inStart = 0, inWrite = 0, inEnd = 0;  // seconds spent in each call
    const double start = Now();
    for (; printed < jobs && watcher.Count() == 0; ++printed) {
        DOC_INFO_1W doc = {const_cast<LPWSTR>(L"bench"), nullptr, const_cast<LPWSTR>(L"RAW")};
        DWORD written = 0;
        double t0 = Now();
        if (!StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc))) break;
        double t1 = Now();
        bool ok = WritePrinter(printer, &data[0], bytes, &written) && written == bytes;
        double t2 = Now();
        if (!EndDocPrinter(printer) || !ok) break;
        inStart += t1 - t0;
        inWrite += t2 - t1;
        inEnd += Now() - t2;
    }
    // The spooler may still hold jobs it has not sent: a bounded wait.
    for (int i = 0; i < 6000 && QueuedJobs(printer) > 0 && watcher.Count() == 0; ++i) Sleep(10);
    const double seconds = Now() - start;
    ClosePrinter(printer);

    for (const SeenBox& box : watcher.Seen()) printf("message box: %s\n", box.text.c_str());
    printf("spooler: %d jobs of %lu bytes in %.3f s = %.1f jobs/s\n", printed, bytes, seconds,
           seconds > 0 ? printed / seconds : 0.0);
    if (printed > 0) {
        printf("  per job: StartDocPrinter %.2f ms, WritePrinter %.2f ms, EndDocPrinter %.2f ms\n",
               inStart * 1000 / printed, inWrite * 1000 / printed, inEnd * 1000 / printed);
    }
    RemovePrinterAndMonitor();
    return printed == jobs && watcher.Count() == 0 ? 0 : 1;
}
