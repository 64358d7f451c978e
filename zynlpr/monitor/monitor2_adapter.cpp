// MONITOR2 entries over the NT 4.0 entries of monitor_entries.h.
//
// The second interface differs from the first in the monitor handle that
// the entries without a port handle take first, in Shutdown, and in how
// ports are managed: AddPort, ConfigurePort and DeletePort are left empty
// (their dialogs would come up inside the spooler, where nobody may see
// them), and the port UI module manages ports through the Xcv entries
// (xcv_commands.h). So the entries that take a port handle are the NT 4.0
// entries themselves, and the others check the monitor handle and forward.
//
// An Xcv handle records the access the spooler granted when it was opened;
// it lives in its own set under MonitorLock and is refused, like a monitor
// handle, once closed.
//
// A monitor handle is a small block kept in a set under MonitorLock, so a
// handle that was shut down (or never given out) is refused with
// ERROR_INVALID_HANDLE instead of being used. While a handle is live the job
// path shows no window (job/job_messages.h). When the last handle is shut
// down the port list is emptied: a spooler unloads the DLL after Shutdown,
// and records left in the list would stay on the process heap for good.
// Records still held by an open port handle live on until its ClosePort.
#include "monitor2_adapter.h"

#include "handles.h"
#include "job/job_messages.h"
#include "live_set.h"
#include "monitor_entries.h"
#include "monitor_init.h"
#include "ports/port_list.h"
#include "ui/module_state.h"
#include "xcv_commands.h"

namespace zynlpr {

namespace {

// A monitor handle: a block of its own, so that each has an address.
struct LprMonitor {
    char unused;
};

zyn::LiveSet<LprMonitor> g_monitors;  // guarded by MonitorLock

// True when `handle` is a monitor handle given out and not yet shut down.
bool IsLiveMonitor(HANDLE handle) {
    MonitorLockGuard lock;
    return g_monitors.Find(handle) != nullptr;
}

BOOL RefuseHandle() {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI EnumPorts2(HANDLE monitor, LPWSTR serverName, DWORD level, LPBYTE buffer,
                       DWORD bufferSize, LPDWORD needed, LPDWORD returned) {
    if (!IsLiveMonitor(monitor)) return RefuseHandle();
    return LprEnumPorts(serverName, level, buffer, bufferSize, needed, returned);
}

BOOL WINAPI OpenPort2(HANDLE monitor, LPWSTR portName, PHANDLE handle) {
    if (!IsLiveMonitor(monitor)) return RefuseHandle();
    return LprOpenPort(portName, handle);
}

struct LprXcv {
    ACCESS_MASK granted;
};

zyn::LiveSet<LprXcv> g_xcvs;  // guarded by MonitorLock

// The object named after ",XcvMonitor " or ",XcvPort " is not needed: every
// command names what it works on.
BOOL WINAPI XcvOpenPort2(HANDLE monitor, LPCWSTR, ACCESS_MASK granted, PHANDLE xcv) {
    if (!IsLiveMonitor(monitor)) return RefuseHandle();
    if (!xcv) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    zyn::UniqueHeapBlock block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LprXcv)));
    auto* x = static_cast<LprXcv*>(block.get());
    MonitorLockGuard lock;
    if (!x || !g_xcvs.Add(x)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    x->granted = granted;
    *xcv = block.release();
    return TRUE;
}

DWORD WINAPI XcvDataPort2(HANDLE xcv, LPCWSTR command, PBYTE input, DWORD inputSize, PBYTE output,
                          DWORD outputSize, PDWORD needed) {
    ACCESS_MASK granted = 0;
    {
        MonitorLockGuard lock;
        LprXcv* x = g_xcvs.Find(xcv);
        if (!x) return ERROR_INVALID_HANDLE;
        granted = x->granted;
    }
    return RunXcvCommand(granted, command, input, inputSize, output, outputSize, needed);
}

BOOL WINAPI XcvClosePort2(HANDLE xcv) {
    {
        MonitorLockGuard lock;
        if (!g_xcvs.Remove(xcv)) return RefuseHandle();
    }
    HeapFree(GetProcessHeap(), 0, xcv);
    return TRUE;
}

// Frees the handle; the last one takes the port list with it. A handle that
// is not live changes nothing (Shutdown has no way to report it).
VOID WINAPI Shutdown2(HANDLE monitor) {
    MonitorLockGuard lock;
    if (!g_monitors.Remove(monitor)) return;
    HeapFree(GetProcessHeap(), 0, monitor);
    LeaveWindowlessLoad();
    if (g_monitors.Count() > 0) return;
    DWORD error = ERROR_SUCCESS;
    while (LprPort* port = FirstPort())
        if (!RemovePort(port->name, &error)) break;
}

MONITOR2 MakeTable() {
    MONITOR2 table = {};
    table.cbSize = sizeof table;
    // Windows 2000 knows the table without the last (bidirectional) entry
    // and refuses a larger size.
    DWORD version = GetVersion();
    if (LOBYTE(LOWORD(version)) == 5 && HIBYTE(LOWORD(version)) == 0) table.cbSize = MONITOR2_SIZE_WIN2K;
    table.pfnEnumPorts = EnumPorts2;
    table.pfnOpenPort = OpenPort2;
    table.pfnStartDocPort = LprStartDocPort;
    table.pfnWritePort = LprWritePort;
    table.pfnReadPort = LprReadPort;
    table.pfnEndDocPort = LprEndDocPort;
    table.pfnClosePort = LprClosePort;
    table.pfnGetPrinterDataFromPort = LprGetPrinterDataFromPort;
    table.pfnSetPortTimeOuts = LprSetPortTimeOuts;
    table.pfnXcvOpenPort = XcvOpenPort2;
    table.pfnXcvDataPort = XcvDataPort2;
    table.pfnXcvClosePort = XcvClosePort2;
    table.pfnShutdown = Shutdown2;
    return table;
}

}  // namespace

LPMONITOR2 OpenMonitor2(const MONITORINIT*, HANDLE* monitor) {
    if (!monitor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    static MONITOR2 table = MakeTable();
    zyn::UniqueHeapBlock block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LprMonitor)));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    PrepareMonitor();
    {
        MonitorLockGuard lock;
        if (!g_monitors.Add(static_cast<LprMonitor*>(block.get()))) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    EnterWindowlessLoad();
    *monitor = block.release();
    return &table;
}

LONG LiveMonitorHandles() {
    MonitorLockGuard lock;
    return static_cast<LONG>(g_monitors.Count());
}

LONG LiveXcvHandles() {
    MonitorLockGuard lock;
    return static_cast<LONG>(g_xcvs.Count());
}

}  // namespace zynlpr
