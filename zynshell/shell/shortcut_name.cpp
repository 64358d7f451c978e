// Shortcut file names of items (see shortcut_name.h).
#include "shell/shortcut_name.h"

#include <cstring>

#include "bounded.h"

namespace zynshell {

namespace {

bool HoldsOnlyFileNameCharacters(const char* s, size_t cch) {
    for (size_t i = 0; i < cch; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || strchr("<>:\"/|?*", c)) return false;
    }
    return true;
}

// The part of a command after its last backslash or slash (or after "X:"
// when it has neither), up to the last dot of that part.
void CommandBaseName(const char* command, const char** start, size_t* cch) {
    const char* part = command;
    for (const char* p = command; *p; ++p)
        if (*p == '\\' || *p == '/') part = p + 1;
    if (part == command && command[0] && command[1] == ':') part = command + 2;
    const char* dot = strrchr(part, '.');
    *start = part;
    *cch = dot ? static_cast<size_t>(dot - part) : strlen(part);
}

}  // namespace

bool BuildShortcutFileName(const ProgramItem& item, char* fileName, size_t cbFileName) {
    if (cbFileName == 0) return false;
    fileName[0] = '\0';
    const char* base;
    size_t cch;
    if (item.flags & kItemName) {
        base = item.name ? item.name : "";
        cch = strlen(base);
    } else {
        CommandBaseName(item.command ? item.command : "", &base, &cch);
    }
    if (!HoldsOnlyFileNameCharacters(base, cch)) return false;
    if (!zyn::BoundedCopyN(fileName, cbFileName, base, cch) ||
        !zyn::BoundedAppend(fileName, cbFileName, ".lnk")) {
        fileName[0] = '\0';
        return false;
    }
    return true;
}

bool BuildShortcutPath(const char* folderPath, const ProgramItem& item, char* path, size_t cbPath) {
    if (cbPath == 0) return false;
    path[0] = '\0';
    char fileName[kShortcutFileNameSize];
    if (!BuildShortcutFileName(item, fileName, sizeof fileName)) return false;
    if (!zyn::BoundedFormat(path, cbPath, "%s\\%s", folderPath, fileName)) {
        path[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace zynshell
