// Which Windows the library runs on, as far as the choice of backend cares.
#pragma once

#include <cstdint>

namespace zynshell {

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

}  // namespace zynshell
