// Facts of the system the library runs on: which Windows (as far as the
// choice of backend cares), whether the caller is an administrator, and the
// Explorer "Shell Folders" key that names the Start-menu roots. Also the
// sizes of the path buffers the library fills.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bounded.h"

namespace zynshell {

// A path handed to or read from a Windows call (MAX_PATH).
using zyn::kPathSize;
// A folder's path resolved below a root, and a root read from the registry.
constexpr size_t kRootPathSize = 2048;

enum PlatformKind : int32_t {
    kPlatformOther = 2,  // NT other than 4, or a non-NT system before 4
    kPlatformNt4 = 3,
    kPlatformWin95 = 4,  // the Windows 95 family, major version 4 or later
};

struct Platform {
    int32_t ntFlag;  // 1 on Windows NT
    int32_t kind;    // PlatformKind
    int newShell;    // 1 when the Start-menu folders can be used directly
};

// From the version word of GetVersion (bit 31 set: not NT; low byte: major).
Platform PlatformFromVersion(uint32_t version);
Platform DetectPlatform();

// 1 when the thread's token (or, for a thread without one, the process's
// token) lists the Administrators alias among its groups, whatever the
// group's attributes; 0 otherwise, including on every failure. Every
// program manager records the answer; the DDE backend uses it to choose
// the access to the groups' keys.
int IsAdministrator();

constexpr const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Reads valueName of the Shell Folders key from HKEY_LOCAL_MACHINE
// (machineWide nonzero) or HKEY_CURRENT_USER into buffer[bufferSize], always
// terminated. Returns true only when a string value was read whole; a
// missing key or value, a value that is not a string, or one that does not
// fit counts as not read and leaves the buffer empty.
bool ReadShellFolder(const char* valueName, char* buffer, size_t bufferSize, int machineWide,
                     const char* keyPath = kShellFoldersKey);

}  // namespace zynshell
