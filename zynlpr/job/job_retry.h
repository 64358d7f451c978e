// The retry time-out of WritePort: how long a write that makes no progress
// is repeated before the port gives up.
#pragma once

#include <windows.h>

#include "ports/port_list.h"

namespace zynlpr {

// True when the port's running retry time-out `timeoutMs` has run out at
// tick count `now`. The first failed write starts the time-out as if 3
// seconds had passed already; a time-out of 0 never runs out. Running out
// ends the run (retryStartTick back to 0).
bool RetryTimedOut(LprPort* port, DWORD timeoutMs, DWORD now);

inline bool RetryTimedOut(LprPort* port, DWORD timeoutMs) {
    return RetryTimedOut(port, timeoutMs, GetTickCount());
}

}  // namespace zynlpr
