// DetectPlatform (platform.h). Windows NT 5 and later count as "other" and
// so get Program Manager's DDE interface, as NT 3.x does.
#include "model/platform.h"

#include <windows.h>

namespace zynshell {

Platform PlatformFromVersion(uint32_t version) {
    const uint32_t major = version & 0xFF;
    if (!(version & 0x80000000u)) {
        if (major == 4) return {1, kPlatformNt4, 1};
        return {1, kPlatformOther, 0};
    }
    if (major >= 4) return {0, kPlatformWin95, 1};
    return {0, kPlatformOther, 0};
}

Platform DetectPlatform() { return PlatformFromVersion(::GetVersion()); }

}  // namespace zynshell
