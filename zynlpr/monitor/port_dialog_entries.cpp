// AddPort, ConfigurePort and DeletePort: the NT 4.0 spooler's entries that
// change the monitor's ports. The storing itself is ports/port_store.h,
// which the Xcv commands share.
//
// AddPort and ConfigurePort show the port-settings dialog (owned by the
// spooler's window) and store the accepted values in the port's key under
// the Ports key, then tell every top-level window that the printer devices
// changed. A value that can't be stored (the key was deleted while the
// dialog was open, no right to write) is shown to the administrator and
// fails the entry with the registry's error. DeletePort removes the record
// and the key without a dialog, and only of the monitor's own ports.
// MonitorLock is held only around the port list, never while a dialog or a
// message box is up or a key is written; the registry is authoritative, so a
// record that can't be made is restored by the next ReloadPorts.
#include "ports/port_store.h"

#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "monitor_entries.h"
#include "ports/port_list.h"
#include "ports/port_name_choice.h"
#include "ports/port_values.h"
#include "ports/ports_key.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/module_state.h"
#include "ui/port_settings.h"
#include "ui/user_name.h"

namespace zynlpr {

namespace {

void ShowNotStored(const char* name, DWORD error) {
    char reason[200];
    SystemErrorText(error, reason, sizeof reason);
    ShowMessage(nullptr, kErrorBoxStyle, MSG_CANT_STORE_PORT, name, reason, static_cast<int>(error));
}

// Returned by the workers when the entry fails without a Win32 error code
// of its own (the failure was shown in a message box).
constexpr DWORD kNoErrorCode = 0xFFFFFFFF;

DWORD AddPortWork(HWND window) {
    PortSettings* settings = AllocatePortSettings();
    if (!settings) {
        ShowMessage(nullptr, kErrorBoxStyle, MSG_OUT_OF_MEMORY);
        return kNoErrorCode;
    }
    zyn::UniqueHeapBlock block(settings);
    PortNameReservation reservation;
    // Every name from 0 to 999 is taken: nothing to offer, nothing written.
    if (!reservation.ReserveFrom(0)) return ERROR_ALREADY_EXISTS;
    zyn::BoundedCopy(settings->portName, kSettingsTextSize, reservation.Name());
    SetNewPortDefaults(settings);

    std::string hosts;
    CollectPortHosts(&hosts);
    INT_PTR result = ShowPortSettingsDialog(window, IDD_ADD_PORT, settings, hosts.c_str());
    if (result == -1) {
        // The dialog never came up: a failure, not a cancellation.
        DWORD error = GetLastError();
        return error ? error : ERROR_INVALID_WINDOW_HANDLE;
    }
    if (result != IDOK) return ERROR_CANCELLED;

    DWORD error = CreateNewPortKey(&reservation);
    if (error == ERROR_ALREADY_EXISTS) return error;
    if (error != ERROR_SUCCESS) {
        ReloadPortsFromRegistry();
        ShowMessage(nullptr, kErrorBoxStyle, MSG_CANT_CREATE_PORT_KEY);
        return error;
    }
    error = SavePortSettings(reservation.Name(), *settings);
    if (error == ERROR_NOT_ENOUGH_MEMORY) return kNoErrorCode;
    if (error != ERROR_SUCCESS) {
        // A port half written is no port: its key goes again, if it can.
        zyn::UniqueRegKey ports;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) == ERROR_SUCCESS)
            RegDeleteKeyA(ports.get(), reservation.Name());
        ReloadPortsFromRegistry();
        ShowNotStored(reservation.Name(), error);
        return error;
    }
    block.reset();
    NotifyDevicesChanged();
    return ERROR_SUCCESS;
}

// ERROR_SUCCESS unless the accepted values could not be stored.
DWORD ConfigurePortWork(HWND window, const WCHAR* portName) {
    char name[zyn::kTextSize];
    // A name cut short, or one reaching below a port key, names no port of ours.
    if (!zyn::NarrowText(portName, name, sizeof name) || !HasPortPrefix(name) || strchr(name, '\\')) {
        ShowNotMonitorPort(window);
        return ERROR_SUCCESS;
    }
    PortSettings* settings = AllocatePortSettings();
    if (!settings) {
        ShowMessage(nullptr, kErrorBoxStyle, MSG_OUT_OF_MEMORY);
        return ERROR_SUCCESS;
    }
    zyn::UniqueHeapBlock block(settings);
    {
        char path[600];
        zyn::UniqueRegKey key;
        if (!PortKeyPath(name, path, sizeof path) ||
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            ShowNotMonitorPort(window);
            return ERROR_SUCCESS;
        }
        ReadPortValues(key.get(), settings);
    }
    CurrentUserName(settings->userName, kSettingsTextSize);
    zyn::BoundedCopy(settings->portName, kSettingsTextSize, name);
    std::string hosts;
    CollectPortHosts(&hosts);
    if (ShowPortSettingsDialog(window, IDD_CONFIGURE_PORT, settings, hosts.c_str()) != IDOK) return ERROR_SUCCESS;
    DWORD error = SavePortSettings(name, *settings);
    if (error == ERROR_NOT_ENOUGH_MEMORY) return ERROR_SUCCESS;  // stored; the next reload lists it
    if (error != ERROR_SUCCESS) {
        ShowNotStored(name, error);
        return error;
    }
    block.reset();
    NotifyDevicesChanged();
    return ERROR_SUCCESS;
}

DWORD DeletePortLocked(const WCHAR* portName) {
    MonitorLockGuard lock;
    char name[zyn::kTextSize];
    // A name too long to narrow whole names no port; deleting a key of the
    // shortened name would hit the wrong port.
    // Only the monitor's own ports: any other key under the Ports key
    // belongs to someone else. An empty name would name the Ports key itself
    // and a backslash a key deeper down: neither is a port key.
    if (!zyn::NarrowText(portName, name, sizeof name) || !HasPortPrefix(name) || strchr(name, '\\'))
        return ERROR_UNKNOWN_PORT;
    DWORD error = ERROR_SUCCESS;
    RemovePort(name, &error);
    // The key is deleted whatever the list said, so a key the list never saw
    // goes too.
    {
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

// AddPort: TRUE when a port was added. FALSE with ERROR_CANCELLED when the
// administrator cancelled, ERROR_ALREADY_EXISTS when every name up to
// ZYN_LPRPort999 is taken, the registry's error when the port's key could not
// be made or its values not stored (a message box tells which); FALSE
// without an error code when memory ran out. The port may get a higher
// number than the dialog showed when a key of the shown name appeared
// meanwhile.
BOOL WINAPI LprAddPort(LPWSTR, HWND window, LPWSTR) {
    DWORD error = AddPortWork(window);
    if (error == ERROR_SUCCESS) return TRUE;
    if (error != kNoErrorCode) SetLastError(error);
    return FALSE;
}

// ConfigurePort: FALSE with the registry's error when the accepted values
// could not be stored (a message box names the failure); TRUE otherwise. A
// port that is not the monitor's, or whose key can't be opened, gets notice
// 503 instead of the dialog.
BOOL WINAPI LprConfigurePort(LPWSTR, HWND window, LPWSTR portName) {
    DWORD error = ConfigurePortWork(window, portName);
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

// DeletePort: TRUE when the port was in the list, else FALSE with
// ERROR_UNKNOWN_PORT; the port's key is deleted in both cases. A name that
// is not one of the monitor's ("ZYN_" first, no backslash) is refused with
// ERROR_UNKNOWN_PORT and nothing is deleted. A spooler handle on the port
// stays valid until its ClosePort.
BOOL WINAPI LprDeletePort(LPWSTR, HWND, LPWSTR portName) {
    DWORD error = DeletePortLocked(portName);
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

}  // namespace zynlpr
