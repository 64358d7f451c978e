// Folder-name parsing (folder_name.h).
#include "model/folder_name.h"

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

bool HasDotPart(const char* name) {
    if (!name) return false;
    bool dots = false, other = false;  // of the current part
    for (const char* p = name;; ++p) {
        if (*p == '\\' || *p == '/' || *p == '\0') {
            if (dots && !other) return true;
            if (*p == '\0') return false;
            dots = other = false;
        } else if (*p == '.') {
            dots = true;
        } else if (*p != ' ') {
            other = true;
        }
    }
}

}  // namespace zynshell
