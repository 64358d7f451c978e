// Storing a port's settings in the registry and its record in the list
// (see port_store.h).
#include "port_store.h"

#include "bounded.h"
#include "handles.h"
#include "port_list.h"
#include "port_values.h"
#include "ports_key.h"
#include "ui/module_state.h"

namespace zynlpr {

void ReloadPortsFromRegistry() {
    MonitorLockGuard lock;
    ReloadPorts();
}

bool PortKeyPath(const char* name, char* buf, size_t cb) {
    return zyn::BoundedFormat(buf, cb, "%s\\%s", g_module.portsKeyPath, name);
}

DWORD CreateNewPortKey(PortNameReservation* reservation) {
    zyn::UniqueRegKey ports;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_CREATE_SUB_KEY, ports.put());
    if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
    for (;;) {
        DWORD disposition = 0;
        zyn::UniqueRegKey key;
        rc = RegCreateKeyExA(ports.get(), reservation->Name(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_SET_VALUE, nullptr, key.put(), &disposition);
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        if (disposition == REG_CREATED_NEW_KEY) return ERROR_SUCCESS;
        if (!reservation->ReserveFrom(reservation->Number() + 1)) return ERROR_ALREADY_EXISTS;
    }
}

bool ReplaceRecord(const char* name, const PortSettings& settings) {
    char description[600];
    BuildPortDescription(settings.hostName, settings.queueName, description, sizeof description);
    MonitorLockGuard lock;
    RemovePort(name, nullptr);
    return CreatePort(name, description) != nullptr;
}

DWORD SavePortSettings(const char* name, const PortSettings& settings) {
    LONG rc = StorePortValues(name, settings);
    if (rc != ERROR_SUCCESS) {
        ReloadPortsFromRegistry();
        return static_cast<DWORD>(rc);
    }
    return ReplaceRecord(name, settings) ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace zynlpr
