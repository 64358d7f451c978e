// The three entries of the MONITORUI table: AddPortUI, ConfigurePortUI and
// DeletePortUI. They run in the caller's process (printer settings, an
// installer), show the port-settings dialog there owned by the caller's
// window, and hand the result to the monitor in the spooler through Xcv.
#pragma once

#include <windows.h>

namespace zynlprui {

// Shows the add-port dialog with the first free name and the monitor's
// host list; on accept adds the port (under the next free name when the one
// shown was taken meanwhile) and tells the windows. TRUE when a port was
// made (*portNameOut, when given, receives its name in a LocalAlloc block);
// FALSE with ERROR_CANCELLED when cancelled, else with the error.
BOOL WINAPI AddPortUi(PCWSTR server, HWND window, PCWSTR monitorName, PWSTR* portNameOut);

// Shows the port's values; on accept replaces them and tells the windows.
// TRUE when stored; FALSE with ERROR_CANCELLED when cancelled; a port that
// is not the monitor's gets notice 503 and FALSE with ERROR_UNKNOWN_PORT.
BOOL WINAPI ConfigurePortUi(PCWSTR server, HWND window, PCWSTR portName);

// Deletes the port; shows nothing (the caller asked beforehand).
BOOL WINAPI DeletePortUi(PCWSTR server, HWND window, PCWSTR portName);

}  // namespace zynlprui
