// The job entries of the monitor tables: StartDocPort, WritePort, ReadPort
// and EndDocPort (job_entries.cpp).
#pragma once

#include <windows.h>

namespace zynlpr {

BOOL WINAPI LprStartDocPort(HANDLE handle, LPWSTR printerName, DWORD jobId, DWORD level,
                            LPBYTE docInfo);
BOOL WINAPI LprWritePort(HANDLE handle, LPBYTE buffer, DWORD count, LPDWORD written);
BOOL WINAPI LprReadPort(HANDLE handle, LPBYTE buffer, DWORD count, LPDWORD read);
BOOL WINAPI LprEndDocPort(HANDLE handle);

}  // namespace zynlpr
