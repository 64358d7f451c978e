// See job_retry.h.
#include "job_retry.h"

namespace zynlpr {

bool RetryTimedOut(LprPort* port, DWORD timeoutMs, DWORD now) {
    if (timeoutMs == 0) return false;
    if (port->retryStartTick == 0) port->retryStartTick = now - 3000;
    if (now - port->retryStartTick < timeoutMs) return false;  // unsigned: survives wrap-around
    port->retryStartTick = 0;
    return true;
}

}  // namespace zynlpr
