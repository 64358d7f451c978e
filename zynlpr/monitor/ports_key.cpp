// See ports_key.h.
#include "ports_key.h"

#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "module_state.h"
#include "port_list.h"
#include "registry_text.h"

namespace zynlpr {

void BuildPortDescription(const char* host, const char* queue, char* buf, size_t cb) {
    if (!host[0] && !queue[0]) {
        zyn::BoundedCopy(buf, cb, g_module.defaultDescription);
        return;
    }
    zyn::BoundedFormat(buf, cb, "\\\\%s\\%s", host, queue);
}

bool RegistryPortExists(const char* name) {
    if (!name[0] || strchr(name, '\\')) return false;
    zyn::UniqueRegKey ports, port;
    return RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) == ERROR_SUCCESS &&
           RegOpenKeyA(ports.get(), name, port.put()) == ERROR_SUCCESS;
}

void EnumRegistryPorts(void (*fn)(void* ctx, const char* name, const char* description), void* ctx) {
    zyn::UniqueRegKey ports;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
        char name[100] = {};
        LONG rc = RegEnumKeyA(ports.get(), index, name, sizeof name);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        // A name too long for the buffer, or a key that vanished meanwhile.
        if (rc != ERROR_SUCCESS) continue;
        name[sizeof name - 1] = '\0';
        if (!HasPortPrefix(name)) continue;

        char host[260] = {};
        char queue[260] = {};
        zyn::UniqueRegKey port;
        if (RegOpenKeyA(ports.get(), name, port.put()) == ERROR_SUCCESS) {
            ReadRegText(port.get(), "HostName", host, sizeof host);
            ReadRegText(port.get(), "QueueName", queue, sizeof queue);
        }
        char description[600];
        BuildPortDescription(host, queue, description, sizeof description);
        fn(ctx, name, description);
    }
}

}  // namespace zynlpr
