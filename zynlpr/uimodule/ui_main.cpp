// Exports of zynlprui.dll, the port UI module of the LPR monitor: the
// spooler loads it by the name the monitor answers to "MonitorUI" and calls
// it in the process of whoever adds, configures or deletes a port.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include "port_ui.h"
#include "ui/module_start.h"

namespace {

HINSTANCE g_instance = nullptr;

// The message module (texts, dialog templates) and the help file, found as
// the monitor finds them: through the monitor's registry key.
bool Started() {
    static const bool started = zynlpr::StartModule(g_instance);
    return started;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

// InitializePrintMonitorUI: the MONITORUI table; null with
// ERROR_MOD_NOT_FOUND when the message module can't be loaded (its box has
// told so).
extern "C" PMONITORUI WINAPI InitializePrintMonitorUI() {
    static MONITORUI table = {sizeof(MONITORUI), zynlprui::AddPortUi, zynlprui::ConfigurePortUi,
                              zynlprui::DeletePortUi};
    if (Started()) return &table;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
