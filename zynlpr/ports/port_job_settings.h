// What a job reads of its port from the registry: the host and queue (the
// port's key under the Ports key) and the banner switch (a value of the
// Ports key itself, so it holds for every port, read anew for each job).
#pragma once

#include "bounded.h"

namespace zynlpr {

struct PortJobSettings {
    char host[zyn::kTextSize] = {};
    char queue[zyn::kTextSize] = {};
    bool banner = false;
};

// False when the port's key, its HostName or QueueName (REG_SZ values), or
// the Ports key can't be read. A missing banner value means no banner.
bool ReadPortJobSettings(const char* portName, PortJobSettings& settings);

// The banner switch as stored: on when the first byte of the data is
// neither 0x00 nor '0' (so "1", "yes", " " and the number 1 all mean on).
bool BannerSwitchFromData(const unsigned char* data, unsigned long cbData);

}  // namespace zynlpr
