// The entry points of the spooler's MONITOR table (Windows NT 4.0 print
// monitor interface). The port entries live here, the job entries
// (StartDocPort .. EndDocPort) in job/job_entries.h.
#pragma once

#include <windows.h>

#include "job/job_entries.h"

namespace zynlpr {

BOOL WINAPI LprEnumPorts(LPWSTR serverName, DWORD level, LPBYTE buffer, DWORD bufferSize,
                         LPDWORD needed, LPDWORD returned);
BOOL WINAPI LprOpenPort(LPWSTR portName, PHANDLE handle);
BOOL WINAPI LprClosePort(HANDLE handle);
BOOL WINAPI LprGetPrinterDataFromPort(HANDLE handle, DWORD controlId, LPWSTR valueName,
                                      LPWSTR inBuffer, DWORD inSize, LPWSTR outBuffer,
                                      DWORD outSize, LPDWORD returnedSize);
BOOL WINAPI LprSetPortTimeOuts(HANDLE handle, LPCOMMTIMEOUTS timeouts, DWORD reserved);

BOOL WINAPI LprAddPort(LPWSTR serverName, HWND window, LPWSTR monitorName);
BOOL WINAPI LprConfigurePort(LPWSTR serverName, HWND window, LPWSTR portName);
BOOL WINAPI LprDeletePort(LPWSTR serverName, HWND window, LPWSTR portName);

}  // namespace zynlpr
