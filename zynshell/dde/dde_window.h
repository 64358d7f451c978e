// The window procedure of the class "zynshell", whose hidden windows carry
// the DDE conversations with Program Manager, and the module-wide atom of
// the name "PROGMAN".
#pragma once

#include <windows.h>

namespace zynshell {

// 0 until the first DdeProgramManager after module start registers it.
extern ATOM progmanAtom;

// Passes WM_DDE_ACK and WM_DDE_DATA to the DdeProgramManager that owns the
// window (DdeProgramManager::OfWindow); everything else, and every message
// of a window no object owns, goes to DefWindowProc.
LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zynshell
