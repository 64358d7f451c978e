// See monitor_host.h.
#include "monitor_host.h"

#include <cstdio>
#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "registry_text.h"

std::wstring Widen(const char* text) {
    std::wstring w(strlen(text) + 1, L'\0');
    zyn::WidenInto(text, &w[0]);
    w.pop_back();
    return w;
}

std::string Narrow(const wchar_t* text) {
    std::string s(zyn::WideLength(text) + 1, '\0');
    zyn::NarrowText(text, &s[0], s.size());
    s.pop_back();
    return s;
}

std::string TakeMonitorOption(int* argc, char** argv) {
    for (int i = 0; i + 1 < *argc; ++i) {
        if (strcmp(argv[i], "--monitor") == 0) {
            std::string name = argv[i + 1];
            for (int j = i; j + 2 <= *argc; ++j) argv[j] = argv[j + 2];
            *argc -= 2;
            return name;
        }
    }
    return kDefaultMonitorName;
}

namespace {

// The Driver value of the monitor's key; empty, after saying why, when none.
std::string DriverOf(const char* monitorName) {
    std::string keyPath = std::string("System\\CurrentControlSet\\Control\\Print\\Monitors\\") + monitorName;
    zyn::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        fprintf(stderr, "lprhost: monitor \"%s\" is not installed (no key HKLM\\%s)\n", monitorName,
                keyPath.c_str());
        return "";
    }
    char driver[zyn::kPathSize];
    if (!zyn::ReadRegText(key.get(), "Driver", driver)) {
        fprintf(stderr, "lprhost: monitor \"%s\" has no Driver value\n", monitorName);
        return "";
    }
    return driver;
}

}  // namespace

bool LoadMonitor(const char* monitorName, LoadedMonitor* monitor) {
    std::string driver = DriverOf(monitorName);
    if (driver.empty()) return false;
    std::string keyPath = std::string("System\\CurrentControlSet\\Control\\Print\\Monitors\\") + monitorName;
    monitor->driver = driver;
    monitor->monitorName = monitorName;
    monitor->module = LoadLibraryA(driver.c_str());
    if (!monitor->module) {
        fprintf(stderr, "lprhost: can't load %s (error %lu)\n", driver.c_str(), GetLastError());
        return false;
    }
    using InitFn = BOOL(WINAPI*)(LPWSTR, LPMONITOR);
    auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(GetProcAddress(monitor->module, "InitializeMonitorEx")));
    if (!init) {
        fprintf(stderr, "lprhost: %s has no InitializeMonitorEx\n", driver.c_str());
        return false;
    }
    std::wstring root = Widen(keyPath.c_str());
    if (!init(&root[0], &monitor->table)) {
        fprintf(stderr, "lprhost: InitializeMonitorEx failed (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}

PMONITORUI LoadPortUi(const char* monitorName) {
    std::string driver = DriverOf(monitorName);
    if (driver.empty()) return nullptr;
    size_t slash = driver.rfind('\\');
    std::string path = (slash == std::string::npos ? "" : driver.substr(0, slash + 1)) + "zynlprui.dll";
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) module = LoadLibraryA("zynlprui.dll");
    if (!module) {
        fprintf(stderr, "lprhost: can't load %s (error %lu)\n", path.c_str(), GetLastError());
        return nullptr;
    }
    using InitFn = PMONITORUI(WINAPI*)();
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(module, "InitializePrintMonitorUI")));
    PMONITORUI table = init ? init() : nullptr;
    if (!table) fprintf(stderr, "lprhost: %s gave no MONITORUI table (error %lu)\n", path.c_str(), GetLastError());
    return table;
}
