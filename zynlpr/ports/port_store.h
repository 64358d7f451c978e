// Storing a port's accepted settings: the one way by which the port entries
// (the NT 4.0 dialogs and the Xcv commands) change a port's values. Shows
// nothing; the entries tell the administrator.
#pragma once

#include <windows.h>

#include <cstddef>

#include "port_name_choice.h"
#include "ui/port_settings.h"

namespace zynlpr {

// "<portsKeyPath>\<name>" into buf[cb]; false when it does not fit.
bool PortKeyPath(const char* name, char* buf, size_t cb);

// Creates the key of the reserved name in the existing Ports key: a Ports
// key deleted meanwhile (the monitor was removed) is not made again. A port
// key of that name that already exists (another program wrote it, or the
// list has not seen it yet) is never written: the next free number is
// taken. ERROR_ALREADY_EXISTS when none is left.
DWORD CreateNewPortKey(PortNameReservation* reservation);

// Replaces the port's record with one of the new description (takes
// MonitorLock). A reload on another thread may have listed the port
// already; it keeps one record. False when the record can't be made.
bool ReplaceRecord(const char* name, const PortSettings& settings);

// Writes `settings` into the existing key of port `name` (StorePortValues:
// opened for writing, never created, every write checked) and, when all of
// it was stored, replaces the port's record with one of the new
// description. When a write fails the list is read again from the
// registry, so it holds what the registry holds, not what was asked for.
// ERROR_SUCCESS; the registry's error; or ERROR_NOT_ENOUGH_MEMORY when the
// values were stored but the record could not be made (the next EnumPorts
// lists the port). Shows nothing. Takes MonitorLock itself; never call with
// it held.
DWORD SavePortSettings(const char* name, const PortSettings& settings);

// Reads the list again from the registry, after a change that failed half
// way, so it holds what the registry holds rather than what was asked for.
// Takes MonitorLock itself.
void ReloadPortsFromRegistry();

}  // namespace zynlpr
