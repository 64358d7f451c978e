// What a submission reads from the registry: the port's host and queue
// (its key under the Ports key) and the banner switch (a value of the Ports
// key itself, so it holds for every port, read anew for each job).
#pragma once

namespace zynlpr {

struct LpdPortSettings {
    char host[260] = {};
    char queue[260] = {};
    bool banner = false;
};

// False when the port's key, its HostName or QueueName (REG_SZ values), or
// the Ports key can't be read. A missing banner value means no banner.
bool ReadLpdPortSettings(const char* portName, LpdPortSettings& settings);

// The banner switch as stored: on when the first byte of the data is
// neither 0x00 nor '0' (so "1", "yes", " " and the number 1 all mean on).
bool BannerSwitchFromData(const unsigned char* data, unsigned long cbData);

}  // namespace zynlpr
