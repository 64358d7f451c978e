// The six values of a port key as the port-settings dialog edits them:
// HostName, QueueName, TimeOut, Seqno, DoLpq, DoGrace, all REG_SZ.
// Numbers are plain decimal text; a switch is "1" or "0" and reads as on
// unless it exists and differs from "1".
#pragma once

#include <windows.h>

#include "ui/port_settings.h"

namespace zynlpr {

// The one reading of a port's server: HostName and QueueName of an open
// port key into host and queue, each of zyn::kTextSize bytes, each empty
// when it can't be read. True when both were read.
bool ReadPortAddress(HKEY key, char* host, char* queue);

// Reads the values of an open port key into `settings` (host and queue only
// where present; the numbers and switches with their defaults).
void ReadPortValues(HKEY key, PortSettings* settings);

// Writes the six values, in the order above, each with its terminator
// counted, and flushes the key. ERROR_SUCCESS, or the registry's error of the
// first write that failed (the values after it are not tried); the flush's
// answer does not count.
LONG WritePortValues(HKEY key, const PortSettings& settings);

// Opens the key of port `name` under the Ports key for writing and writes
// the six values into it. The key is never created: a port deleted
// meanwhile stays deleted (ERROR_FILE_NOT_FOUND). A name that is empty or
// reaches below a port key is refused with ERROR_INVALID_NAME.
LONG StorePortValues(const char* name, const PortSettings& settings);

}  // namespace zynlpr
