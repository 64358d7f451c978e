// Process attach of the monitor and of its port UI module.
#pragma once

#include <windows.h>

namespace zynlpr {

// Fills g_module: the key paths from the string table of `stringsModule`
// (the monitor's own instance), the message module found through the
// monitor key's Driver value, the sibling program's paths from LPR_Path, the
// message table and the registered "LPR_MESSAGE". False when the message
// module can't be loaded (after the "Can't Load Resources... " box) or lacks
// one of the texts 8000..8013 (silently).
bool StartModule(HINSTANCE stringsModule);

}  // namespace zynlpr
