// Registry reads of a submission (see lpd_port_settings.h).
#include "lpd_port_settings.h"

#include <windows.h>

#include <vector>

#include "bounded.h"
#include "handles.h"
#include "monitor/module_state.h"

namespace zynlpr {

namespace {

// Reads a string value into buf[260]; the data is untrusted, so it is read
// with one byte to spare and terminated here.
bool ReadStringValue(HKEY key, const char* name, char (&buf)[260]) {
    char data[261] = {};
    DWORD type = 0;
    DWORD cb = sizeof data - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &cb) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    data[cb < sizeof data ? cb : sizeof data - 1] = '\0';
    zyn::BoundedCopy(buf, data);
    return true;
}

bool ReadBannerSwitch(HKEY portsKey) {
    DWORD cb = 0;
    if (RegQueryValueExA(portsKey, "ZYNLPR_bPrintBanner", nullptr, nullptr, nullptr, &cb) != ERROR_SUCCESS)
        return false;
    std::vector<unsigned char> data(cb + 1);
    if (RegQueryValueExA(portsKey, "ZYNLPR_bPrintBanner", nullptr, nullptr, data.data(), &cb) != ERROR_SUCCESS)
        return false;
    return BannerSwitchFromData(data.data(), cb);
}

}  // namespace

bool BannerSwitchFromData(const unsigned char* data, unsigned long cbData) {
    return cbData > 0 && data[0] != 0x00 && data[0] != '0';
}

bool ReadLpdPortSettings(const char* portName, LpdPortSettings& settings) {
    char path[520];
    if (!zyn::BoundedFormat(path, sizeof path, "%s\\%s", g_module.portsKeyPath, portName)) return false;
    {
        zyn::UniqueRegKey portKey;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, portKey.put()) != ERROR_SUCCESS)
            return false;
        if (!ReadStringValue(portKey.get(), "HostName", settings.host) ||
            !ReadStringValue(portKey.get(), "QueueName", settings.queue))
            return false;
    }
    zyn::UniqueRegKey portsKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_QUERY_VALUE, portsKey.put()) != ERROR_SUCCESS)
        return false;
    settings.banner = ReadBannerSwitch(portsKey.get());
    return true;
}

}  // namespace zynlpr
