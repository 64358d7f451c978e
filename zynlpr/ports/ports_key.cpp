// See ports_key.h.
#include "ports_key.h"

#include <cstring>
#include <new>

#include "bounded.h"
#include "handles.h"
#include "port_list.h"
#include "port_values.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

// The watch of the last reload, and the texts its list was built from.
// Guarded by MonitorLock, like the list.
struct PortsWatch {
    zyn::UniqueRegKey key;
    zyn::UniqueKernelHandle changed;  // manual-reset event
    char path[zyn::kTextSize];
    char defaultDescription[zyn::kTextSize];
    bool armed;
};
PortsWatch g_watch;

}  // namespace

void WatchRegistryPorts() {
    g_watch.armed = false;
    g_watch.key.reset();
    if (!g_watch.changed) g_watch.changed.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!g_watch.changed || !ResetEvent(g_watch.changed.get())) return;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_NOTIFY, g_watch.key.put()) != ERROR_SUCCESS)
        return;
    if (RegNotifyChangeKeyValue(g_watch.key.get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                g_watch.changed.get(), TRUE) != ERROR_SUCCESS)
        return;
    zyn::BoundedCopy(g_watch.path, g_module.portsKeyPath);
    zyn::BoundedCopy(g_watch.defaultDescription, g_module.defaultDescription);
    g_watch.armed = true;
}

bool RegistryPortsUnchanged() {
    return g_watch.armed && strcmp(g_watch.path, g_module.portsKeyPath) == 0 &&
           strcmp(g_watch.defaultDescription, g_module.defaultDescription) == 0 &&
           WaitForSingleObject(g_watch.changed.get(), 0) == WAIT_TIMEOUT;
}

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

        char host[zyn::kTextSize] = {};
        char queue[zyn::kTextSize] = {};
        zyn::UniqueRegKey port;
        if (RegOpenKeyA(ports.get(), name, port.put()) == ERROR_SUCCESS) ReadPortAddress(port.get(), host, queue);
        char description[600];
        BuildPortDescription(host, queue, description, sizeof description);
        fn(ctx, name, description);
    }
}

bool CollectPortHosts(std::string* hosts) {
    hosts->clear();
    zyn::UniqueRegKey ports;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) == ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            char name[zyn::kTextSize] = {};
            LONG rc = RegEnumKeyA(ports.get(), index, name, sizeof name);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc != ERROR_SUCCESS || !HasPortPrefix(name)) continue;
            zyn::UniqueRegKey port;
            if (RegOpenKeyA(ports.get(), name, port.put()) != ERROR_SUCCESS) continue;
            char host[zyn::kTextSize], queue[zyn::kTextSize];
            ReadPortAddress(port.get(), host, queue);
            if (!host[0]) continue;  // a port without a host has nothing to offer
            bool listed = false;
            for (const char* h = hosts->c_str(); *h && !listed; h += strlen(h) + 1) listed = lstrcmpiA(h, host) == 0;
            if (listed) continue;
            try {
                hosts->append(host, strlen(host) + 1);
            } catch (const std::bad_alloc&) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace zynlpr
