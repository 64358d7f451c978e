// A stand-in monitor of another Xcv layout, for the port UI module's check:
// it names zynlprui.dll as its UI module, answers layout 2 and counts every
// other Xcv command it is asked (none may come).
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstring>

namespace {

LONG g_otherCommands = 0;

BOOL WINAPI EnumPorts(HANDLE, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD needed, LPDWORD returned) {
    *needed = 0;
    *returned = 0;
    return TRUE;
}
BOOL WINAPI OpenPort(HANDLE, LPWSTR, PHANDLE) { return FALSE; }
BOOL WINAPI XcvOpen(HANDLE, LPCWSTR, ACCESS_MASK, PHANDLE xcv) {
    *xcv = reinterpret_cast<HANDLE>(1);
    return TRUE;
}
DWORD WINAPI XcvData(HANDLE, LPCWSTR command, PBYTE, DWORD, PBYTE out, DWORD outSize, PDWORD needed) {
    static const WCHAR ui[] = L"zynlprui.dll";
    static const DWORD layout = 2;
    const void* answer = nullptr;
    DWORD size = 0;
    if (lstrcmpW(command, L"MonitorUI") == 0) {
        answer = ui;
        size = sizeof ui;
    } else if (lstrcmpW(command, L"ZynLayout") == 0) {
        answer = &layout;
        size = sizeof layout;
    } else {
        InterlockedIncrement(&g_otherCommands);
        return ERROR_INVALID_PARAMETER;
    }
    *needed = size;
    if (outSize < size) return ERROR_INSUFFICIENT_BUFFER;
    memcpy(out, answer, size);
    return ERROR_SUCCESS;
}
BOOL WINAPI XcvClose(HANDLE) { return TRUE; }
VOID WINAPI Shutdown(HANDLE) {}

}  // namespace

extern "C" LPMONITOR2 WINAPI InitializePrintMonitor2(PMONITORINIT, PHANDLE monitor) {
    static MONITOR2 table = [] {
        MONITOR2 t = {};
        t.cbSize = sizeof t;
        t.pfnEnumPorts = EnumPorts;
        t.pfnOpenPort = OpenPort;
        t.pfnXcvOpenPort = XcvOpen;
        t.pfnXcvDataPort = XcvData;
        t.pfnXcvClosePort = XcvClose;
        t.pfnShutdown = Shutdown;
        return t;
    }();
    *monitor = reinterpret_cast<HANDLE>(1);
    return &table;
}

extern "C" LONG WINAPI OtherLayoutCommands() { return g_otherCommands; }
