// Spooler entries that read or hand out port records: EnumPorts, OpenPort,
// ClosePort, GetPrinterDataFromPort, SetPortTimeOuts.
//
// EnumPorts and OpenPort hold MonitorLock for their whole work (EnumPorts
// brings the list up to date with the registry first). ClosePort takes it only to
// drop the handle's reference, SetPortTimeOuts only to read the in-document
// flag; otherwise these read the record the spooler handed in, which its
// reference keeps alive.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "bounded.h"
#include "monitor_entries.h"
#include "ports/port_handles.h"
#include "ports/port_list.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

// Bytes one record needs at `level`: its structure plus its wide strings with
// terminators. A description that could not be copied still counts its
// terminator, so `needed` depends only on the record's texts.
size_t NeededFor(const LprPort* port, DWORD level) {
    if (level == 1) return sizeof(PORT_INFO_1W) + 2 * (strlen(port->name) + 1);
    if (level == 2) {
        size_t cch = strlen(port->name) + 1 + strlen(g_module.monitorName) + 1 + 1;
        if (port->Description()) cch += strlen(port->Description());
        return sizeof(PORT_INFO_2W) + 2 * cch;
    }
    return 0;
}

// Places `text` widened directly below `*top` and returns where it starts.
LPWSTR PlaceBelow(const char* text, BYTE** top) {
    if (!text) return nullptr;
    *top -= 2 * (strlen(text) + 1);
    auto* dst = reinterpret_cast<LPWSTR>(*top);
    zyn::WidenInto(text, dst);
    return dst;
}

DWORD EnumPortsLocked(DWORD level, BYTE* buffer, DWORD bufferSize, DWORD* needed, DWORD* returned) {
    MonitorLockGuard lock;
    RefreshPorts();

    size_t sum = 0;
    for (LprPort* p = FirstPort(); p; p = p->next) sum += NeededFor(p, level);
    if (sum > MAXDWORD) return ERROR_ARITHMETIC_OVERFLOW;
    *needed = static_cast<DWORD>(sum);
    if (bufferSize < sum) return ERROR_INSUFFICIENT_BUFFER;
    if (!buffer && sum > 0) return ERROR_INVALID_USER_BUFFER;

    *returned = 0;
    BYTE* top = buffer ? buffer + bufferSize : nullptr;
    auto* info1 = reinterpret_cast<PORT_INFO_1W*>(buffer);
    auto* info2 = reinterpret_cast<PORT_INFO_2W*>(buffer);
    for (LprPort* p = FirstPort(); p; p = p->next) {
        if (level == 1) {
            info1->pName = PlaceBelow(p->name, &top);
            ++info1;
        } else if (level == 2) {
            info2->pPortName = PlaceBelow(p->name, &top);
            info2->pMonitorName = PlaceBelow(g_module.monitorName, &top);
            info2->pDescription = PlaceBelow(p->Description(), &top);
            info2->fPortType = PORT_TYPE_WRITE;
            info2->Reserved = 0;
            ++info2;
        }
        ++*returned;
    }
    return ERROR_SUCCESS;
}

}  // namespace

// EnumPorts: level 0 counts, 1 and 2 fill PORT_INFO_1W / PORT_INFO_2W with
// the strings packed from the buffer's end downward. `needed` is always set
// (when the level is valid); `returned` only on success.
BOOL WINAPI LprEnumPorts(LPWSTR, DWORD level, LPBYTE buffer, DWORD bufferSize, LPDWORD needed,
                         LPDWORD returned) {
    DWORD error;
    if (level > 2)
        error = ERROR_INVALID_LEVEL;
    else if (!needed || !returned)
        error = ERROR_INVALID_PARAMETER;
    else
        error = EnumPortsLocked(level, buffer, bufferSize, needed, returned);
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

// OpenPort: the handle is the port's record, held by a reference until
// ClosePort. An unknown name (or one too long to be a port) fails without
// touching the last error.
BOOL WINAPI LprOpenPort(LPWSTR portName, PHANDLE handle) {
    if (!handle) return FALSE;
    char name[zyn::kTextSize];
    if (!zyn::NarrowText(portName, name, sizeof name)) return FALSE;
    MonitorLockGuard lock;
    LprPort* port = FindPort(name);
    if (!port) return FALSE;
    if (!RegisterPortHandle(port)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    AddPortReference(port);
    *handle = port;
    return TRUE;
}

// ClosePort: drops the handle's reference; the record stays in the list (and
// is freed only if its port was removed meanwhile). A handle that is not
// open (closed already, or never handed out) fails with ERROR_INVALID_HANDLE.
BOOL WINAPI LprClosePort(HANDLE handle) {
    LprPort* port = UnregisterPortHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        MonitorLockGuard lock;
        ReleasePort(port);
    }
    return TRUE;
}

// GetPrinterDataFromPort: passes a control code on to the open spool file.
// A handle that is not open fails with ERROR_INVALID_PARAMETER, like a port
// without a document.
BOOL WINAPI LprGetPrinterDataFromPort(HANDLE handle, DWORD controlId, LPWSTR, LPWSTR inBuffer,
                                      DWORD inSize, LPWSTR outBuffer, DWORD outSize,
                                      LPDWORD returnedSize) {
    LprPort* port = PortFromHandle(handle);
    if (!port || controlId == 0 || !port->spoolFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return DeviceIoControl(port->SpoolFile(), controlId, inBuffer, inSize, outBuffer, outSize,
                           returnedSize, nullptr);
}

// SetPortTimeOuts: only meaningful on a communications device; on a spool
// file GetCommTimeouts fails and so does the call (its error stays). A
// handle that is not open fails the same way.
BOOL WINAPI LprSetPortTimeOuts(HANDLE handle, LPCOMMTIMEOUTS timeouts, DWORD reserved) {
    LprPort* port = PortFromHandle(handle);
    if (!port || !timeouts || reserved != 0 || !(ReadPortFlags(port) & PORT_IN_DOCUMENT)) return FALSE;
    COMMTIMEOUTS current;
    if (!GetCommTimeouts(port->SpoolFile(), &current)) return FALSE;
    current.ReadIntervalTimeout = timeouts->ReadIntervalTimeout;
    current.ReadTotalTimeoutConstant = timeouts->ReadTotalTimeoutConstant;
    return SetCommTimeouts(port->SpoolFile(), &current);
}

}  // namespace zynlpr
