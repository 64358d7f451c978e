// The window procedure of the class "zynshell", whose hidden windows carry
// the DDE conversations with Program Manager, and the module-wide atom of
// the name "PROGMAN".
#pragma once

#include <windows.h>

namespace zynshell {

extern ATOM progmanAtom;

LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zynshell
