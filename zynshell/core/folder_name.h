// Folder names may carry a name per backend: the shell part (a path of
// nested folders below a Start-menu root), a vertical bar, and the Program
// Manager group part. ParseFolderName picks out the part its backend uses.
#pragma once

#include "program_manager.h"

namespace zynshell {

// Works in place on a writable copy of the name and returns a pointer into
// it (never null for a non-null name):
//   shell: the text before the first "|" (which is overwritten), or all of it;
//   DDE:   the text after the first "|"; without one, the text after the
//          last backslash, or all of it.
char* ParseFolderName(BackendKind backend, char* name);

}  // namespace zynshell
