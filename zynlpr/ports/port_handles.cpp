// The table of open port handles (port_handles.h). The spooler holds a few
// handles at a time (one per printer on a port), so a short array searched
// from the front is all the table needs.
#include "port_handles.h"

#include <new>
#include <vector>

#include "port_list.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

struct OpenHandle {
    LprPort* port;
    LONG opens;  // OpenPort calls not yet matched by ClosePort
};

std::vector<OpenHandle>* g_open = nullptr;  // made on first use, lives until the process ends

OpenHandle* Find(HANDLE handle) {
    if (!g_open || !handle) return nullptr;
    for (OpenHandle& h : *g_open)
        if (h.port == handle) return &h;
    return nullptr;
}

}  // namespace

bool RegisterPortHandle(LprPort* port) {
    MonitorLockGuard lock;
    if (OpenHandle* h = Find(port)) {
        ++h->opens;
        return true;
    }
    try {
        if (!g_open) g_open = new std::vector<OpenHandle>();
        g_open->push_back({port, 1});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

LprPort* UnregisterPortHandle(HANDLE handle) {
    MonitorLockGuard lock;
    OpenHandle* h = Find(handle);
    if (!h) return nullptr;
    LprPort* port = h->port;
    if (--h->opens == 0) {
        *h = g_open->back();
        g_open->pop_back();
    }
    return port;
}

LprPort* PortFromHandle(HANDLE handle) {
    MonitorLockGuard lock;
    OpenHandle* h = Find(handle);
    return h ? h->port : nullptr;
}

}  // namespace zynlpr
