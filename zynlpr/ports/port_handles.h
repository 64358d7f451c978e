// The port handles the monitor has handed out: OpenPort enters each one,
// ClosePort takes it out again, and every entry that takes a port handle
// looks it up here (PortFromHandle, port_list.h) before it reads anything
// through it. A handle that was closed, or never came from OpenPort, is
// refused without being dereferenced.
//
// Guarded by MonitorLock, which these functions take themselves.
#pragma once

#include <windows.h>

namespace zynlpr {

struct LprPort;

// Records one more open handle on port; false when no memory was had.
bool RegisterPortHandle(LprPort* port);
// Takes one open handle on the port out; the port, or null when `handle`
// is not an open handle.
LprPort* UnregisterPortHandle(HANDLE handle);

}  // namespace zynlpr
