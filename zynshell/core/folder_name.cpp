// Folder-name parsing (folder_name.h).
#include "folder_name.h"

#include <cstring>

namespace zynshell {

char* ParseFolderName(BackendKind backend, char* name) {
    if (!name) return nullptr;
    char* bar = strchr(name, '|');
    if (backend == kBackendShell) {
        if (bar) *bar = '\0';
        return name;
    }
    if (bar) return bar + 1;
    char* slash = strrchr(name, '\\');
    return slash ? slash + 1 : name;
}

}  // namespace zynshell
