// Steps of storing a port that AddPort and ConfigurePort share with the Xcv
// commands. None holds MonitorLock while it touches the registry.
#pragma once

#include <windows.h>

#include <cstddef>

#include "handles.h"
#include "port_name_choice.h"
#include "port_settings.h"

namespace zynlpr {

// "<portsKeyPath>\<name>" into buf[cb]; false when it does not fit.
bool PortKeyPath(const char* name, char* buf, size_t cb);

// Creates the key of the reserved name. A key of that name that already
// exists (another program wrote it while the dialog was open, or the list
// has not seen it yet) is never written: the next free number is taken.
// ERROR_ALREADY_EXISTS when none is left.
DWORD CreateNewPortKey(PortNameReservation* reservation, zyn::UniqueRegKey* key);

// Replaces the port's record with one of the new description (takes
// MonitorLock). A reload on another thread may have listed the port
// already; it keeps one record. False when the record can't be made.
bool ReplaceRecord(const char* name, const PortSettings& settings);

}  // namespace zynlpr
