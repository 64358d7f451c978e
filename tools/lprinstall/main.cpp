// lprinstall: installs the LPR print monitor into the registry of the Wine
// prefix (or Windows system) it runs in, and writes port settings, without
// any dialog.
//
//   lprinstall monitor DRIVER_PATH [--lpr-path DIR] [--monitor NAME]
//   lprinstall port NAME --host HOST --queue QUEUE [--timeout N] [--seqno N]
//                        [--lpq 0|1] [--grace 0|1] [--monitor NAME]
//   lprinstall remove-port NAME [--monitor NAME]
//   lprinstall uninstall [--monitor NAME]
//
// Values are written as the monitor's own port dialog writes them: REG_SZ,
// numbers as plain decimal text. Exit code 0 on success, 1 on failure, 2 on
// a usage error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

int InstallMonitor(int argc, char** argv) {
    if (argc < 1) return 2;
    HKEY key = CreateKey(MonitorKey());
    if (!key) return 1;
    bool ok = SetText(key, "Driver", argv[0]);
    if (const char* lprPath = Option(argc, argv, "--lpr-path", nullptr)) ok &= SetText(key, "LPR_Path", lprPath);
    RegCloseKey(key);
    HKEY ports = CreateKey(MonitorKey() + "\\Ports");
    if (!ports) return 1;
    RegCloseKey(ports);
    if (ok) printf("installed monitor \"%s\" with driver %s\n", g_monitor.c_str(), argv[0]);
    return ok ? 0 : 1;
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
    char name[260];
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
    LONG rc = DeleteTree(HKEY_LOCAL_MACHINE, MonitorKey());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        fprintf(stderr, "lprinstall: can't remove the monitor key (error %ld)\n", rc);
        return 1;
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
        else if (cmd == "remove-port") rc = RemovePort(argc - 2, argv + 2);
        else if (cmd == "uninstall") rc = Uninstall();
    }
    if (rc == 2)
        fprintf(stderr,
                "usage: lprinstall monitor DRIVER_PATH [--lpr-path DIR]\n"
                "       lprinstall port NAME --host HOST --queue QUEUE [--timeout N] [--seqno N] [--lpq 0|1] [--grace 0|1]\n"
                "       lprinstall remove-port NAME\n"
                "       lprinstall uninstall\n"
                "  (each takes --monitor NAME; default \"ZYN LPR Monitor\")\n");
    return rc;
}
