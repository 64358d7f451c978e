// Figures of this process that leak checks compare before and after a run:
// open handles and committed private memory. Wine answers both of the
// documented queries (GetProcessHandleCount, PrivateUsage) with 0, so where
// they give nothing the figures are measured directly.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstdint>

namespace zyntest {

// Open handles: where GetProcessHandleCount gives 0, the handle table is
// probed (a value is a handle when GetHandleInformation accepts it; Wine
// hands out multiples of 4 from 4 up).
inline long HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return static_cast<long>(count);
    long probed = 0;
    for (uintptr_t value = 4; value < 0x20000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++probed;
    }
    return probed;
}

// Committed private bytes: where PrivateUsage is 0, the committed private
// regions of the address space are summed.
inline long long PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters) &&
        counters.PrivateUsage > 0)
        return static_cast<long long>(counters.PrivateUsage);
    long long sum = 0;
    MEMORY_BASIC_INFORMATION info;
    for (uintptr_t p = 0; VirtualQuery(reinterpret_cast<const void*>(p), &info, sizeof info) == sizeof info;) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) sum += static_cast<long long>(info.RegionSize);
        const uintptr_t next = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return sum;
}

}  // namespace zyntest
