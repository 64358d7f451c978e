// ReadShellFolder: reads one value of the Explorer "Shell Folders" key, which
// names the Start-menu roots. Used by the shell backend for its six roots and
// by the DDE backend for "Programs" and "Common Programs".
#pragma once

#include <cstddef>

namespace zynshell {

constexpr const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Reads valueName from HKEY_LOCAL_MACHINE (machineWide nonzero) or
// HKEY_CURRENT_USER into buffer[bufferSize], always terminated. Returns true
// only when a string value was read whole; a missing key or value, a value
// that is not a string, or one that does not fit counts as not read and
// leaves the buffer empty.
bool ReadShellFolder(const char* valueName, char* buffer, size_t bufferSize, int machineWide,
                     const char* keyPath = kShellFoldersKey);

}  // namespace zynshell
