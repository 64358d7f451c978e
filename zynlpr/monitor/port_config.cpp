// AddPort, ConfigurePort and DeletePort.
//
// DeletePort removes the port's record and its registry key without a
// dialog. AddPort and ConfigurePort need the port-settings dialog, which is
// not built yet: until then they refuse honestly (FALSE with
// ERROR_NOT_SUPPORTED) rather than pretending to have changed anything.
#include <cstring>

#include "handles.h"
#include "module_state.h"
#include "monitor_entries.h"
#include "port_list.h"
#include "wide_text.h"

namespace zynlpr {

namespace {

DWORD DeletePortLocked(const WCHAR* portName) {
    MonitorLockGuard lock;
    char name[260];
    // A name too long to narrow whole names no port; deleting a key of the
    // shortened name would hit the wrong port.
    if (!NarrowText(portName, name, sizeof name)) return ERROR_UNKNOWN_PORT;
    DWORD error = ERROR_SUCCESS;
    RemovePort(name, &error);
    // The key is deleted whatever the list said, so a key the list never saw
    // goes too. An empty name would name the Ports key itself and a
    // backslash a key deeper down: neither is a port key.
    if (name[0] && !strchr(name, '\\')) {
        zyn::UniqueRegKey ports;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) == ERROR_SUCCESS) {
            // A key that stays (it has subkeys, or no right to delete it)
            // brings the port back at the next EnumPorts: not a success.
            LONG rc = RegDeleteKeyA(ports.get(), name);
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && error == ERROR_SUCCESS)
                error = static_cast<DWORD>(rc);
        }
    }
    return error;
}

}  // namespace

// AddPort: not yet offered (needs the port-settings dialog).
BOOL WINAPI LprAddPort(LPWSTR, HWND, LPWSTR) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

// ConfigurePort: not yet offered (needs the port-settings dialog).
BOOL WINAPI LprConfigurePort(LPWSTR, HWND, LPWSTR) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

// DeletePort: TRUE when the port was in the list, else FALSE with
// ERROR_UNKNOWN_PORT; the port's key is deleted in both cases. A spooler
// handle on the port stays valid until its ClosePort.
BOOL WINAPI LprDeletePort(LPWSTR, HWND, LPWSTR portName) {
    DWORD error = DeletePortLocked(portName);
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

}  // namespace zynlpr
