// Module-wide state of the monitor: set once at process attach, read-only
// afterwards.
#pragma once

#include <windows.h>

#include "bounded.h"

namespace zynlpr {

struct ModuleState {
    HINSTANCE instance = nullptr;       // this module
    char portsKeyPath[zyn::kTextSize] = {};        // string 8121, relative to HKEY_LOCAL_MACHINE
    char monitorKeyPath[zyn::kTextSize] = {};      // string 8124, relative to HKEY_LOCAL_MACHINE
    HMODULE messageModule = nullptr;    // zynlpr.nls
    char programPath[zyn::kPathSize] = {};         // ...\TOLV.EXE
    char helpFilePath[zyn::kPathSize] = {};        // ...\TOLV.HLP
    char monitorName[zyn::kTextSize] = {};         // message 8125
    char defaultDescription[zyn::kTextSize] = {};  // message 8126
    UINT lprMessage = 0;                // RegisterWindowMessageA("LPR_MESSAGE")
};

extern ModuleState g_module;

}  // namespace zynlpr
