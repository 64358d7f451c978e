// Telling a listening client window which port has just finished a job.
#pragma once

#include <windows.h>

namespace zynlpr {

// Sends WM_COPYDATA to the top-level window of class "lpr frame", if there
// is one: wParam g_module.lprMessage, the data the port name with its
// terminating zero. The send is bounded (SMTO_ABORTIFHUNG, 10 s) so a hung
// client can't hold the job path. Nothing depends on the outcome.
void NotifyClientWindow(const char* portName);

}  // namespace zynlpr
