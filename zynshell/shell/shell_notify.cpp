// NotifyShellOfPath (see shell_notify.h).
#include "shell/shell_notify.h"

#include <shlobj.h>

namespace zynshell {

void NotifyShellOfPath(LONG event, const char* path) {
    SHChangeNotify(event, SHCNF_PATHA, path, nullptr);
}

}  // namespace zynshell
