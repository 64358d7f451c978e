// The monitor's side of the Xcv commands of xcv_protocol.h: the work behind
// XcvDataPort on a MONITOR2 load. Nothing here shows a window.
#pragma once

#include <windows.h>

namespace zynlpr {

// Runs `command` for a handle opened with `granted` access, on the caller's
// buffers (either may be null with a size of 0). Returns the command's Win32
// error code; `needed` (may be null) receives the bytes written, or the
// bytes the output needs when it answers ERROR_INSUFFICIENT_BUFFER, else 0.
// Takes MonitorLock itself; never call with it held.
DWORD RunXcvCommand(ACCESS_MASK granted, const WCHAR* command, const BYTE* input, DWORD inputSize,
                    BYTE* output, DWORD outputSize, DWORD* needed);

}  // namespace zynlpr
