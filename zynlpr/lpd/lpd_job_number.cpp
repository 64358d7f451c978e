// Monitor-wide job-number counter (see lpd_job_number.h).
#include "lpd_job_number.h"

#include <windows.h>

namespace zynlpr {

namespace {

// Taken while the module's static objects are constructed, i.e. at load.
const DWORD g_loadTick = GetTickCount();

volatile LONG g_base = -1;  // first job's number; -1 until the first job
volatile LONG g_taken = 0;  // jobs numbered so far

}  // namespace

int NextLpdJobNumber() {
    LONG first = static_cast<LONG>((GetTickCount() - g_loadTick) % 1000);
    InterlockedCompareExchange(&g_base, first, -1);
    LONG index = InterlockedIncrement(&g_taken) - 1;
    return static_cast<int>((static_cast<unsigned long>(g_base) + static_cast<unsigned long>(index)) % 1000);
}

}  // namespace zynlpr
