// Module start and end of zynshell.dll: the window class "zynshell" of the
// hidden DDE conversation windows exists while the library is attached.
// Both steps report success whatever the registration gave, so the library
// still loads where the class cannot be registered (the shell backend does
// not need it).
#include <windows.h>

#include "dde/dde_window.h"

namespace {
const char kWindowClass[] = "zynshell";
HINSTANCE moduleInstance = nullptr;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = zynshell::DdeWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
        zynshell::progmanAtom = 0;
    } else if (reason == DLL_PROCESS_DETACH) {
        UnregisterClassA(kWindowClass, moduleInstance);
    }
    return TRUE;
}
