// lprinstall: installs the LPR print monitor into the Wine prefix (or
// Windows system) it runs in, and writes port settings, without any dialog.
//
// `monitor` and `uninstall` go through the spooler (AddMonitorW level 2,
// DeleteMonitorW), which loads the monitor and checks it; when no spooler
// answers they write or delete the monitor's registry key directly, as the
// spooler would have. `monitor` also copies the port UI module
// (zynlprui.dll, beside DRIVER_PATH) into the system directory: the spooler
// loads it by its bare name in the process that manages ports, and only the
// system directory is on every such process's search path; `uninstall`
// removes that copy. `port` writes a port directly; `add-port` asks the
// spooler (AddPortW), which shows the port UI module's dialog. `list` asks the
// spooler (EnumMonitorsW, EnumPortsW level 2) for the monitor and its ports.
//
//   lprinstall monitor DRIVER_PATH [--lpr-path DIR] [--monitor NAME]
//   lprinstall port NAME --host HOST --queue QUEUE [--timeout N] [--seqno N]
//                        [--lpq 0|1] [--grace 0|1] [--monitor NAME]
//   lprinstall add-port [--monitor NAME]
//   lprinstall remove-port NAME [--monitor NAME]
//   lprinstall uninstall [--monitor NAME]
//   lprinstall list [--monitor NAME]
//
// Values are written as the monitor's own port dialog writes them: REG_SZ,
// numbers as plain decimal text. Exit code 0 on success, 1 on failure, 2 on
// a usage error.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bounded.h"
#include "handles.h"
#include "registry_text.h"

namespace {

std::string g_monitor = "ZYN LPR Monitor";

std::string MonitorKey() {
    return "System\\CurrentControlSet\\Control\\Print\\Monitors\\" + g_monitor;
}

const char* Option(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 0; i + 1 < argc; ++i)
        if (strcmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}

bool SetText(HKEY key, const char* name, const std::string& value) {
    LONG rc = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    if (rc != ERROR_SUCCESS) fprintf(stderr, "lprinstall: can't write %s (error %ld)\n", name, rc);
    return rc == ERROR_SUCCESS;
}

HKEY CreateKey(const std::string& path) {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) {
        fprintf(stderr, "lprinstall: can't create HKLM\\%s (error %ld)\n", path.c_str(), rc);
        return nullptr;
    }
    return key;
}

// The text of a number of at most `maxDigits` digits, as the port dialog
// writes it (no sign, no leading zeros; "0" for zero); empty when `text` is
// not such a number. strtoul alone would turn "-5" into ten digits.
std::string Decimal(const char* text, size_t maxDigits) {
    size_t n = strlen(text);
    if (n == 0 || strspn(text, "0123456789") != n) return "";
    while (n > 1 && *text == '0') {
        ++text;
        --n;
    }
    return n <= maxDigits ? std::string(text, n) : "";
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    if (!zyn::AnsiToWide(text.c_str(), &wide[0], wide.size())) return L"";
    wide.resize(zyn::WideLength(wide.c_str()));
    return wide;
}

// Errors by which winspool says that no spooler answered: its service is
// stopped, or (under Wine) no print provider could be loaded.
bool NoSpooler(DWORD error) {
    return error == RPC_S_SERVER_UNAVAILABLE || error == RPC_S_CALL_FAILED ||
           error == RPC_S_CALL_FAILED_DNE;
}

std::string DriverValue() {
    char value[zyn::kPathSize];
    zyn::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MonitorKey().c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "";
    zyn::ReadRegText(key.get(), "Driver", value);
    return value;
}

// The registry as the spooler leaves it after AddMonitor, and the Ports key.
bool WriteMonitorKey(const char* driver) {
    HKEY key = CreateKey(MonitorKey());
    if (!key) return false;
    bool ok = !driver || SetText(key, "Driver", driver);
    RegCloseKey(key);
    HKEY ports = CreateKey(MonitorKey() + "\\Ports");
    if (!ports) return false;
    RegCloseKey(ports);
    return ok;
}

constexpr char kUiModule[] = "zynlprui.dll";

std::string SystemUiModulePath() {
    char dir[zyn::kPathSize] = {};
    UINT n = GetSystemDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return "";
    return std::string(dir) + "\\" + kUiModule;
}

// Copies the UI module from the folder of `driver` into the system
// directory. A driver named without a folder is taken to lie there already.
bool InstallUiModule(const char* driver) {
    const char* slash = strrchr(driver, '\\');
    std::string target = SystemUiModulePath();
    if (!slash) return true;
    std::string source = std::string(driver, slash + 1 - driver) + kUiModule;
    if (target.empty() || !CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        fprintf(stderr, "lprinstall: can't copy %s to %s (error %lu)\n", source.c_str(), target.c_str(),
                GetLastError());
        return false;
    }
    printf("installed port UI module %s\n", target.c_str());
    return true;
}

// The monitor's event source: on a MONITOR2 load (spoolers from Windows 2000
// on) it writes to the Application log what an NT 4.0 load shows in message
// boxes. Its texts come from its message module, zynlpr.nls, beside the
// driver (a bare driver name is the spooler's: in the system folder).
std::string EventSourceKey() {
    return "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + g_monitor;
}

bool WriteEventSource(const char* driver) {
    std::string file = driver;
    size_t slash = file.find_last_of("\\/");
    if (slash != std::string::npos) {
        file.resize(slash + 1);
    } else {
        char system[zyn::kPathSize] = {};
        UINT n = GetSystemDirectoryA(system, sizeof system);
        file = std::string(system, n < sizeof system ? n : 0) + "\\";
    }
    file += "zynlpr.nls";
    HKEY key = CreateKey(EventSourceKey());
    if (!key) return false;
    LONG rc = RegSetValueExA(key, "EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                             static_cast<DWORD>(file.size() + 1));
    DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_INFORMATION_TYPE;
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExA(key, "TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types), sizeof types);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) fprintf(stderr, "lprinstall: can't register the event source (error %ld)\n", rc);
    return rc == ERROR_SUCCESS;
}

int InstallMonitor(int argc, char** argv) {
    if (argc < 1) return 2;
    const char* driver = argv[0];
    // Before the monitor: a spooler may be asked to add a port right after.
    if (!InstallUiModule(driver)) return 1;
    // The monitor reads LPR_Path when it loads, and AddMonitor loads it: the
    // value goes in first (the spooler accepts a monitor key without Driver).
    if (const char* lprPath = Option(argc, argv, "--lpr-path", nullptr)) {
        HKEY key = CreateKey(MonitorKey());
        if (!key) return 1;
        bool ok = SetText(key, "LPR_Path", lprPath);
        RegCloseKey(key);
        if (!ok) return 1;
    }
    std::wstring name = Wide(g_monitor), dll = Wide(driver);
    MONITOR_INFO_2W info = {&name[0], nullptr, &dll[0]};
    if (AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) {
        if (!WriteMonitorKey(nullptr) || !WriteEventSource(driver)) return 1;
        printf("installed monitor \"%s\" with driver %s through the spooler\n", g_monitor.c_str(), driver);
        return 0;
    }
    DWORD error = GetLastError();
    if (error == ERROR_PRINT_MONITOR_ALREADY_INSTALLED) {
        if (_stricmp(DriverValue().c_str(), driver) == 0) {
            if (!WriteEventSource(driver)) return 1;
            printf("monitor \"%s\" is already installed with driver %s\n", g_monitor.c_str(), driver);
            return 0;
        }
        fprintf(stderr, "lprinstall: monitor \"%s\" is installed with driver %s; uninstall it first\n",
                g_monitor.c_str(), DriverValue().c_str());
        return 1;
    }
    if (!NoSpooler(error)) {
        fprintf(stderr, "lprinstall: the spooler refused monitor \"%s\" with driver %s (error %lu)\n",
                g_monitor.c_str(), driver, error);
        return 1;
    }
    if (!WriteMonitorKey(driver) || !WriteEventSource(driver)) return 1;
    printf("installed monitor \"%s\" with driver %s into the registry (no spooler answered, error %lu)\n",
           g_monitor.c_str(), driver, error);
    return 0;
}

int WritePort(int argc, char** argv) {
    const char* host = Option(argc, argv, "--host", nullptr);
    const char* queue = Option(argc, argv, "--queue", nullptr);
    if (argc < 1 || !host || !queue) return 2;
    std::string timeout = Decimal(Option(argc, argv, "--timeout", "300"), 4);
    std::string seqno = Decimal(Option(argc, argv, "--seqno", "0"), 3);
    if (timeout.empty() || seqno.empty()) {
        fprintf(stderr, "lprinstall: --timeout takes 0 to 9999, --seqno 0 to 999\n");
        return 2;
    }
    HKEY key = CreateKey(MonitorKey() + "\\Ports\\" + argv[0]);
    if (!key) return 1;
    bool ok = SetText(key, "HostName", host);
    ok &= SetText(key, "QueueName", queue);
    ok &= SetText(key, "TimeOut", timeout);
    ok &= SetText(key, "Seqno", seqno);
    ok &= SetText(key, "DoLpq", strcmp(Option(argc, argv, "--lpq", "1"), "0") ? "1" : "0");
    ok &= SetText(key, "DoGrace", strcmp(Option(argc, argv, "--grace", "1"), "0") ? "1" : "0");
    RegFlushKey(key);
    RegCloseKey(key);
    if (ok) printf("port %s -> \\\\%s\\%s\n", argv[0], host, queue);
    return ok ? 0 : 1;
}

int AddPortThroughSpooler() {
    std::wstring name = Wide(g_monitor);
    if (AddPortW(nullptr, nullptr, &name[0])) return 0;
    fprintf(stderr, "lprinstall: the spooler did not add a port to monitor \"%s\" (error %lu)\n",
            g_monitor.c_str(), GetLastError());
    return 1;
}

int RemovePort(int argc, char** argv) {
    if (argc < 1 || !argv[0][0] || strchr(argv[0], '\\')) return 2;
    LONG rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, (MonitorKey() + "\\Ports\\" + argv[0]).c_str());
    if (rc != ERROR_SUCCESS) fprintf(stderr, "lprinstall: can't delete port %s (error %ld)\n", argv[0], rc);
    return rc == ERROR_SUCCESS ? 0 : 1;
}

LONG DeleteTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (rc != ERROR_SUCCESS) return rc;
    char name[zyn::kTextSize];
    // Always enumerate index 0: each deletion shifts the rest down.
    for (int guard = 0; guard < 100000; ++guard) {
        DWORD cch = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (DeleteTree(key, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, path.c_str());
}

int Uninstall() {
    std::wstring name = Wide(g_monitor);
    const char* how = "through the spooler";
    if (!DeleteMonitorW(nullptr, nullptr, &name[0])) {
        DWORD error = GetLastError();
        // An unknown monitor may still have a key (ports written before any
        // install): it goes below like the rest.
        if (error != ERROR_UNKNOWN_PRINT_MONITOR && !NoSpooler(error)) {
            fprintf(stderr, "lprinstall: the spooler refused to delete monitor \"%s\" (error %lu)\n",
                    g_monitor.c_str(), error);
            return 1;
        }
        how = error == ERROR_UNKNOWN_PRINT_MONITOR ? "from the registry" : "from the registry (no spooler answered)";
    }
    // Whatever of the key the spooler left (its Ports) goes too.
    LONG rc = DeleteTree(HKEY_LOCAL_MACHINE, MonitorKey());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        fprintf(stderr, "lprinstall: can't remove the monitor key (error %ld)\n", rc);
        return 1;
    }
    // A module still loaded somewhere stays until the next start; not an error.
    std::string ui = SystemUiModulePath();
    if (!ui.empty() && DeleteFileA(ui.c_str())) printf("removed port UI module %s\n", ui.c_str());
    rc = DeleteTree(HKEY_LOCAL_MACHINE, EventSourceKey());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        fprintf(stderr, "lprinstall: can't remove the event source (error %ld)\n", rc);
        return 1;
    }
    printf("uninstalled monitor \"%s\" %s\n", g_monitor.c_str(), how);
    return 0;
}

std::string Narrow(const WCHAR* wide) {
    char text[2 * zyn::kTextSize];
    zyn::WideToAnsi(wide, text, sizeof text);
    return text;
}

// Calls an Enum* function of winspool for its size, then to fill.
template <typename Fn>
std::string Enumerate(Fn call, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    call(nullptr, 0, &needed, count);
    std::string buffer(needed, '\0');
    if (!call(reinterpret_cast<BYTE*>(&buffer[0]), needed, &needed, count)) *count = 0;
    return buffer;
}

int List() {
    DWORD count = 0;
    std::string monitors = Enumerate(
        [](BYTE* b, DWORD cb, DWORD* needed, DWORD* n) { return EnumMonitorsW(nullptr, 2, b, cb, needed, n); },
        &count);
    bool found = false;
    for (DWORD i = 0; i < count; ++i) {
        const auto& m = reinterpret_cast<const MONITOR_INFO_2W*>(monitors.data())[i];
        if (Narrow(m.pName) != g_monitor) continue;
        printf("monitor \"%s\" (%s): %s\n", g_monitor.c_str(), Narrow(m.pEnvironment).c_str(),
               Narrow(m.pDLLName).c_str());
        found = true;
    }
    if (!found) {
        fprintf(stderr, "lprinstall: the spooler lists no monitor \"%s\"\n", g_monitor.c_str());
        return 1;
    }
    // The spooler's ports of this monitor: those whose key is in its Ports key.
    std::string ports = Enumerate(
        [](BYTE* b, DWORD cb, DWORD* needed, DWORD* n) { return EnumPortsW(nullptr, 2, b, cb, needed, n); },
        &count);
    for (DWORD i = 0; i < count; ++i) {
        const auto& p = reinterpret_cast<const PORT_INFO_2W*>(ports.data())[i];
        std::string name = Narrow(p.pPortName);
        HKEY key = nullptr;
        if (name.empty() || name.find('\\') != std::string::npos ||
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, (MonitorKey() + "\\Ports\\" + name).c_str(), 0, KEY_READ, &key) !=
                ERROR_SUCCESS)
            continue;
        RegCloseKey(key);
        printf("  %-16s %-24s %s\n", name.c_str(), Narrow(p.pDescription).c_str(), Narrow(p.pMonitorName).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* m = Option(argc, argv, "--monitor", nullptr)) g_monitor = m;
    int rc = 2;
    if (argc >= 2) {
        std::string cmd = argv[1];
        if (cmd == "monitor") rc = InstallMonitor(argc - 2, argv + 2);
        else if (cmd == "port") rc = WritePort(argc - 2, argv + 2);
        else if (cmd == "add-port") rc = AddPortThroughSpooler();
        else if (cmd == "remove-port") rc = RemovePort(argc - 2, argv + 2);
        else if (cmd == "uninstall") rc = Uninstall();
        else if (cmd == "list") rc = List();
    }
    if (rc == 2)
        fprintf(stderr,
                "usage: lprinstall monitor DRIVER_PATH [--lpr-path DIR]\n"
                "       lprinstall port NAME --host HOST --queue QUEUE [--timeout N] [--seqno N] [--lpq 0|1] [--grace 0|1]\n"
                "       lprinstall add-port\n"
                "       lprinstall remove-port NAME\n"
                "       lprinstall uninstall\n"
                "       lprinstall list\n"
                "  (each takes --monitor NAME; default \"ZYN LPR Monitor\")\n");
    return rc;
}
