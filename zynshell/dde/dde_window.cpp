// DdeWindowProc (dde_window.h). A terminate from Program Manager is left to
// DefWindowProc: the conversation stays as it is, and a later transaction to
// a server window that is gone fails when it cannot be posted.
#include "dde/dde_window.h"

#include <dde.h>

#include "dde/dde_program_manager.h"

namespace zynshell {

ATOM progmanAtom = 0;

LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DDE_ACK || message == WM_DDE_DATA) {
        if (DdeProgramManager* pm = DdeProgramManager::OfWindow(window)) {
            HWND sender = reinterpret_cast<HWND>(wParam);
            if (message == WM_DDE_ACK) pm->OnAck(sender, lParam);
            else pm->OnData(sender, lParam);
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zynshell
