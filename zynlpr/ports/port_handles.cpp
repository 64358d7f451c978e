// The table of open port handles (port_handles.h). The spooler holds a few
// handles at a time (one per printer on a port), so a short array searched
// from the front is all the table needs.
#include "port_handles.h"

#include "live_set.h"
#include "port_list.h"

namespace zynlpr {

namespace {

zyn::LiveSet<LprPort> g_open;  // one entry per OpenPort not yet matched by ClosePort

}  // namespace

bool RegisterPortHandle(LprPort* port) {
    MonitorLockGuard lock;
    return g_open.Add(port);
}

LprPort* UnregisterPortHandle(HANDLE handle) {
    MonitorLockGuard lock;
    LprPort* port = handle ? g_open.Find(handle) : nullptr;
    if (port) g_open.Remove(port);
    return port;
}

LprPort* PortFromHandle(HANDLE handle) {
    MonitorLockGuard lock;
    return handle ? g_open.Find(handle) : nullptr;
}

}  // namespace zynlpr
