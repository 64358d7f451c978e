// See monitor_host.h.
#include "monitor_host.h"

#include <cstdio>
#include <cstring>

std::wstring Widen(const char* text) {
    std::wstring w;
    for (const char* p = text; *p; ++p) w.push_back(static_cast<unsigned char>(*p));
    return w;
}

std::string Narrow(const wchar_t* text) {
    std::string s;
    if (text)
        for (const wchar_t* p = text; *p; ++p) s.push_back(static_cast<char>(*p & 0xFF));
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

bool LoadMonitor(const char* monitorName, LoadedMonitor* monitor) {
    std::string keyPath = std::string("System\\CurrentControlSet\\Control\\Print\\Monitors\\") + monitorName;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        fprintf(stderr, "lprhost: monitor \"%s\" is not installed (no key HKLM\\%s)\n", monitorName,
                keyPath.c_str());
        return false;
    }
    char driver[MAX_PATH + 1] = {};
    DWORD cb = MAX_PATH, type = 0;
    LONG rc = RegQueryValueExA(key, "Driver", nullptr, &type, reinterpret_cast<BYTE*>(driver), &cb);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) {
        fprintf(stderr, "lprhost: monitor \"%s\" has no Driver value\n", monitorName);
        return false;
    }
    driver[cb < MAX_PATH ? cb : MAX_PATH] = '\0';
    monitor->driver = driver;
    monitor->monitorName = monitorName;
    monitor->module = LoadLibraryA(driver);
    if (!monitor->module) {
        fprintf(stderr, "lprhost: can't load %s (error %lu)\n", driver, GetLastError());
        return false;
    }
    using InitFn = BOOL(WINAPI*)(LPWSTR, LPMONITOR);
    auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(GetProcAddress(monitor->module, "InitializeMonitorEx")));
    if (!init) {
        fprintf(stderr, "lprhost: %s has no InitializeMonitorEx\n", driver);
        return false;
    }
    std::wstring root = Widen(keyPath.c_str());
    if (!init(&root[0], &monitor->table)) {
        fprintf(stderr, "lprhost: InitializeMonitorEx failed (error %lu)\n", GetLastError());
        return false;
    }
    return true;
}
