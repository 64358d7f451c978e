// DdeWindowProc (dde_window.h). Until the DDE backend exists no
// conversation window is made, and the procedure only does the defaults.
#include "dde_window.h"

namespace zynshell {

ATOM progmanAtom = 0;

LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace zynshell
