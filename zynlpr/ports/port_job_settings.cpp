// Registry reads of a job (see port_job_settings.h).
#include "port_job_settings.h"

#include <windows.h>

#include <vector>

#include "handles.h"
#include "port_store.h"
#include "port_values.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

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

bool ReadPortJobSettings(const char* portName, PortJobSettings& settings) {
    char path[2 * zyn::kTextSize];
    if (!PortKeyPath(portName, path, sizeof path)) return false;
    {
        zyn::UniqueRegKey portKey;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, portKey.put()) != ERROR_SUCCESS)
            return false;
        if (!ReadPortAddress(portKey.get(), settings.host, settings.queue)) return false;
    }
    zyn::UniqueRegKey portsKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_QUERY_VALUE, portsKey.put()) != ERROR_SUCCESS)
        return false;
    settings.banner = ReadBannerSwitch(portsKey.get());
    return true;
}

}  // namespace zynlpr
