// One spooled job to the LPD server of its port: what EndDocPort does with
// the closed spool file (and the lprhost tool's submit command).
#pragma once

#include "job_messages.h"

namespace zynlpr {

// Reads the port's host, queue and banner switch from its registry key and
// submits the spool file (not deleted here) under the calling user's name.
// Every failure becomes a message through `messages` (a box, or the event
// log on a MONITOR2 load); with null, through a JobMessages of its own.
// True when the server took the job, or there was nothing to send.
bool SubmitPortJob(const char* spoolFileName, const char* documentName, const char* portName,
                   JobMessages* messages = nullptr);

}  // namespace zynlpr
