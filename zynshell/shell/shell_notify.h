// NotifyShellOfPath: tells Explorer and the Start menu that something at a
// path changed (SHChangeNotify with an ANSI path), so they show it at once.
#pragma once

#include <windows.h>

namespace zynshell {

// The path is passed as the first item only. The events used here (make and
// remove directory, create, update directory) take one item and the shell
// documents the second as unused and NULL; a shell that checks it (Wine's)
// drops a notification that carries a second item, so none is sent.
void NotifyShellOfPath(LONG event, const char* path);

}  // namespace zynshell
