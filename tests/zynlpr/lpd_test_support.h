// Shared set-up of the LPD client tests: the monitor's message module and
// message table (as process attach would load them), a throwaway Ports key
// with one port, spool files, and the expected text of a message box.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/module_state.h"

namespace lpdtest {

// Loads zynlpr.nls from beside the test program into g_module and the
// message table, and points portsKeyPath at a throwaway key of this process.
inline bool InitMonitorForTests() {
    static bool done = false;
    if (done) return true;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    while (n > 0 && path[n - 1] != '\\') --n;
    path[n] = '\0';
    std::string nls = std::string(path) + "zynlpr.nls";
    zynlpr::g_module.messageModule = LoadLibraryExA(nls.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!zynlpr::g_module.messageModule || !zynlpr::LoadMessageTable(zynlpr::g_module.messageModule))
        return false;
    snprintf(zynlpr::g_module.portsKeyPath, sizeof zynlpr::g_module.portsKeyPath,
             "Software\\ZynLprTests\\lpd%lu\\Ports", GetCurrentProcessId());
    done = true;
    return true;
}

// The text a message box of message `id` shows, formatted like the monitor.
inline std::string ExpectedText(UINT id, ...) {
    char pattern[260] = {};
    zynlpr::LoadMessageText(id, pattern, sizeof pattern);
    char text[260];
    va_list args;
    va_start(args, id);
    vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

inline std::string Caption() { return zynlpr::MessageText(MSG_CAPTION); }

inline void DeleteTestKeys() {
    char parent[300];
    snprintf(parent, sizeof parent, "Software\\ZynLprTests\\lpd%lu", GetCurrentProcessId());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, parent);
}

// Creates the port key with its host and queue; banner: nullptr = no value.
inline void WritePort(const char* port, const char* host, const char* queue,
                      const char* banner = nullptr) {
    HKEY ports = nullptr, key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, zynlpr::g_module.portsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &ports, nullptr);
    RegCreateKeyExA(ports, port, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "HostName", 0, REG_SZ, reinterpret_cast<const BYTE*>(host),
                   static_cast<DWORD>(strlen(host) + 1));
    RegSetValueExA(key, "QueueName", 0, REG_SZ, reinterpret_cast<const BYTE*>(queue),
                   static_cast<DWORD>(strlen(queue) + 1));
    if (banner)
        RegSetValueExA(ports, "ZYNLPR_bPrintBanner", 0, REG_SZ, reinterpret_cast<const BYTE*>(banner),
                       static_cast<DWORD>(strlen(banner) + 1));
    else
        RegDeleteValueA(ports, "ZYNLPR_bPrintBanner");
    RegCloseKey(key);
    RegCloseKey(ports);
}

// A spool file in the temporary directory, removed with the object.
class SpoolFile {
public:
    explicit SpoolFile(const std::string& contents) {
        char dir[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        GetTempFileNameA(dir, "lpt", 0, name);
        path_ = name;
        HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!contents.empty()) WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(h);
    }
    ~SpoolFile() { DeleteFileA(path_.c_str()); }
    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

// Test data of `size` bytes that are not all alike.
inline std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return s;
}

}  // namespace lpdtest
