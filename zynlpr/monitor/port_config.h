// Storing a port's accepted settings: the one way by which the port entries
// (and any other path that manages ports) change a port's values.
#pragma once

#include <windows.h>

#include "port_settings.h"

namespace zynlpr {

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

}  // namespace zynlpr
