// Shared set-up of the monitor tests: a throwaway Ports key per test under
// HKEY_LOCAL_MACHINE, the module-wide texts the port list reports, and
// helpers to write port keys and registry values of any type.
#pragma once

#include <windows.h>

#include <string>

#include "ui/module_state.h"
#include "ports/port_list.h"

namespace montest {

inline constexpr char kMonitorKey[] = "System\\CurrentControlSet\\Control\\Print\\Monitors\\ZYN LPR Monitor";

// Folder of the test program, with its trailing backslash: the DLLs are built there.
inline std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    while (n > 0 && path[n - 1] != '\\') --n;
    return std::string(path, n);
}

// Deletes a key and everything below it.
inline void DeleteTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char name[300];
    for (int guard = 0; guard < 10000; ++guard) {
        DWORD cch = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DeleteTree(key, name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

inline void SetText(HKEY key, const char* name, const char* value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(strlen(value) + 1));
}

// A throwaway monitor key "Software\ZynMonitorTests\<pid>" with a Ports
// subkey; g_module points at it. Removed in set-up and tear-down.
class PortsKey {
public:
    PortsKey() {
        base_ = "Software\\ZynMonitorTests\\" + std::to_string(GetCurrentProcessId());
        ports_ = base_ + "\\Ports";
        DeleteTree(HKEY_LOCAL_MACHINE, base_);
        zynlpr::EnsureMonitorLock();
        strcpy(zynlpr::g_module.portsKeyPath, ports_.c_str());
        strcpy(zynlpr::g_module.monitorName, "ZYN LPR Monitor");
        strcpy(zynlpr::g_module.defaultDescription, "LPR port (not configured)");
        HKEY k = nullptr;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, ports_.c_str(), &k);
        RegCloseKey(k);
    }
    ~PortsKey() {
        {
            zynlpr::MonitorLockGuard lock;
            strcpy(zynlpr::g_module.portsKeyPath, "Software\\ZynMonitorTests\\none");
            zynlpr::ReloadPorts();  // empties the list
        }
        DeleteTree(HKEY_LOCAL_MACHINE, base_);
    }
    const std::string& Path() const { return ports_; }

    // Creates a port key with HostName/QueueName (null = not written).
    void AddPort(const std::string& name, const char* host = nullptr, const char* queue = nullptr) const {
        HKEY k = nullptr;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, (ports_ + "\\" + name).c_str(), &k);
        if (host) SetText(k, "HostName", host);
        if (queue) SetText(k, "QueueName", queue);
        RegCloseKey(k);
    }
    void RemovePortKey(const std::string& name) const {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (ports_ + "\\" + name).c_str());
    }
    void SetRaw(const std::string& port, const char* value, DWORD type, const void* data, DWORD cb) const {
        HKEY k = nullptr;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, (ports_ + "\\" + port).c_str(), &k);
        RegSetValueExA(k, value, 0, type, static_cast<const BYTE*>(data), cb);
        RegCloseKey(k);
    }
    void DeleteAll() const { DeleteTree(HKEY_LOCAL_MACHINE, base_); }

private:
    std::string base_, ports_;
};

inline std::string Narrow(const wchar_t* w) {
    std::string s;
    if (w)
        for (; *w; ++w) s.push_back(static_cast<char>(*w));
    return s;
}

}  // namespace montest
