// The port list and the lifetime of LprPort records (see port_list.h).
#include "port_list.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <new>

#include "bounded.h"
#include "port_name_index.h"
#include "ports_key.h"
#include "ui/module_state.h"

namespace zynlpr {

// MonitorLock is initialised by the initialisation entries, or earlier by
// EnsureMonitorLock for callers (tests, tools) that use the port list
// without the entry table.
CRITICAL_SECTION MonitorLock;

namespace {

// 0 not initialised, 1 being initialised, 2 ready. (InitOnce* is younger
// than the systems the monitor serves.)
volatile LONG g_lockState = 0;

LprPort* g_head = nullptr;
volatile LONG g_liveRecords = 0;
// The list was changed since the last reload other than by a reload.
bool g_touched = false;

}  // namespace

void EnsureMonitorLock() {
    if (InterlockedCompareExchange(&g_lockState, 1, 0) == 0) {
        InitializeCriticalSection(&MonitorLock);
        InterlockedExchange(&g_lockState, 2);
        return;
    }
    // Another thread is initialising: InitializeCriticalSection takes
    // microseconds, so this yields only a few times.
    while (InterlockedCompareExchange(&g_lockState, 2, 2) != 2) Sleep(0);
}

namespace {

void* HeapCopy(const char* text) {
    size_t cb = strlen(text) + 1;
    void* copy = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cb);
    if (copy) memcpy(copy, text, cb);
    return copy;
}

// Frees a record whose last reference is gone. A job still open here means
// the spooler closed the port without EndDocPort: its spool file goes too
// (the owners close it and the printer).
void FreePortRecord(LprPort* port) {
    if (port->spoolFile && port->SpoolFileName()) {
        port->spoolFile.reset();
        DeleteFileA(port->SpoolFileName());
    }
    port->signature = 0;  // no longer a live record
    port->~LprPort();
    HeapFree(GetProcessHeap(), 0, port);
    InterlockedDecrement(&g_liveRecords);
}

void Unlink(LprPort* port) {
    for (LprPort** link = &g_head; *link; link = &(*link)->next) {
        if (*link == port) {
            *link = port->next;
            break;
        }
    }
    port->next = nullptr;
    port->linked = FALSE;
}

void AppendToTail(LprPort* port) {
    LprPort** link = &g_head;
    while (*link) link = &(*link)->next;
    *link = port;
    port->linked = TRUE;
}

LprPort* FindExact(const char* name) {
    for (LprPort* p = g_head; p; p = p->next)
        if (lstrcmpiA(p->name, name) == 0) return p;
    return nullptr;
}

void ReplaceDescription(LprPort* port, const char* description) {
    port->description.reset(HeapCopy(description[0] ? description : port->name));
}

// A new record holding the list's reference, not yet linked. Null when it
// can't be allocated.
LprPort* NewPortRecord(const char* name, const char* description) {
    size_t cchName = strlen(name);
    size_t cb = sizeof(LprPort) + cchName + 1;
    void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cb);
    if (!block) return nullptr;
    auto* port = new (block) LprPort;  // holds the list's reference
    InterlockedIncrement(&g_liveRecords);
    port->name = reinterpret_cast<char*>(port + 1);
    memcpy(port->name, name, cchName + 1);
    port->size = static_cast<DWORD>(cb);
    port->description.reset(HeapCopy(description && description[0] ? description : name));
    return port;
}

// Rebuilding the list by walking it for each registry name: the way when
// the name indexes can't be had for want of memory.
void ReloadPortsByWalking(LprPort* old) {
    ForEachRegistryPort([&](const char* name, const char* description) {
        if (FindExact(name)) return;  // registry key names are unique; be safe anyway
        for (LprPort** link = &old; *link; link = &(*link)->next) {
            LprPort* p = *link;
            if (strcmp(p->name, name) == 0) {
                *link = p->next;
                p->next = nullptr;
                ReplaceDescription(p, description);
                AppendToTail(p);
                return;
            }
        }
        if (LprPort* created = NewPortRecord(name, description)) AppendToTail(created);
    });
    while (old) {
        LprPort* p = old;
        old = p->next;
        p->next = nullptr;
        if (HasPortPrefix(p->name) && RegistryPortExists(p->name) && !FindExact(p->name))
            AppendToTail(p);
        else
            ReleasePort(p);
    }
}

}  // namespace

LprPort* CreatePort(const char* name, const char* description) {
    LprPort* port = NewPortRecord(name, description);
    if (port) {
        AppendToTail(port);
        g_touched = true;
    }
    return port;
}

LprPort* FindPort(const char* name) {
    if (LprPort* p = FindExact(name)) return p;
    size_t cch = strlen(name);
    if (cch == 0) return nullptr;
    auto* variant = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, cch + 2));
    if (!variant) return nullptr;
    memcpy(variant, name, cch + 1);
    if (variant[cch - 1] == ':') {
        variant[cch - 1] = '\0';
    } else {
        variant[cch] = ':';
        variant[cch + 1] = '\0';
    }
    LprPort* found = FindExact(variant);
    HeapFree(GetProcessHeap(), 0, variant);
    return found;
}

bool RemovePort(const char* name, DWORD* error) {
    LprPort* port = FindExact(name);
    if (!port) {
        if (error) *error = ERROR_UNKNOWN_PORT;
        return false;
    }
    Unlink(port);
    ReleasePort(port);
    g_touched = true;
    return true;
}

void ReloadPorts() {
    // Detach the old list; records of ports still in the registry are moved
    // back (same record, same job state), the rest lose the list's reference.
    LprPort* old = g_head;
    g_head = nullptr;
    g_touched = false;
    WatchRegistryPorts();
    PortNameIndex oldByName;
    for (LprPort* p = old; p; p = p->next) {
        p->linked = FALSE;
        oldByName.Add(p);
    }
    if (!oldByName.usable()) {
        ReloadPortsByWalking(old);
        return;
    }
    PortNameIndex listed;

    // The new list is built at its tail, in enumeration order.
    LprPort** tail = &g_head;
    auto append = [&](LprPort* p) {
        p->next = nullptr;
        p->linked = TRUE;
        *tail = p;
        tail = &p->next;
        listed.Add(p);
    };
    auto isListed = [&](const char* name) { return listed.usable() ? listed.FindNoCase(name) : FindExact(name); };
    ForEachRegistryPort([&](const char* name, const char* description) {
        if (isListed(name)) return;  // registry key names are unique; be safe anyway
        if (LprPort* p = oldByName.FindExact(name, true)) {
            ReplaceDescription(p, description);
            append(p);
        } else if (LprPort* created = NewPortRecord(name, description)) {
            append(created);
        }
    });

    // Enumeration by index skips a key when another key is deleted meanwhile
    // (the indexes shift), so a port is dropped only once its key is gone.
    for (size_t i = 0; i < oldByName.size(); ++i) {
        LprPort* p = oldByName.at(i);
        if (p->linked) continue;
        if (HasPortPrefix(p->name) && RegistryPortExists(p->name) && !isListed(p->name))
            append(p);
        else
            ReleasePort(p);
    }
}

bool RefreshPorts() {
    // An empty list is always read again: the key it watched may have been
    // deleted and made anew, and a new key's changes reach no old watch.
    if (!g_touched && g_head && RegistryPortsUnchanged()) return false;
    ReloadPorts();
    return true;
}

bool HasPortPrefix(const char* name) { return name && _strnicmp(name, "ZYN_", 4) == 0; }

void AddPortReference(LprPort* port) { ++port->references; }

void ReleasePort(LprPort* port) {
    if (--port->references == 0) FreePortRecord(port);
}

DWORD ReadPortFlags(const LprPort* port) {
    MonitorLockGuard lock;
    return port->flags;
}

LprPort* FirstPort() { return g_head; }

LONG LivePortRecords() { return g_liveRecords; }

}  // namespace zynlpr
