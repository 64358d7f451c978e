// Job entries of the monitor table: StartDocPort, WritePort, ReadPort,
// EndDocPort. Not built yet: each refuses with ERROR_NOT_SUPPORTED.
#include "monitor/monitor_entries.h"

namespace zynlpr {

BOOL WINAPI LprStartDocPort(HANDLE, LPWSTR, DWORD, DWORD, LPBYTE) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
BOOL WINAPI LprWritePort(HANDLE, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
BOOL WINAPI LprReadPort(HANDLE, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}
BOOL WINAPI LprEndDocPort(HANDLE) { return TRUE; }

}  // namespace zynlpr
