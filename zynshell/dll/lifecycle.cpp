// Program-manager lifecycle: the choice of backend in PMInit, PMUninit, and
// the last error and info text as the caller sees them. A program manager
// handed out is on the list of live ones until PMUninit ends it, so that
// the exports can tell its handle from a released or foreign one.
#include <new>

#include "dde/dde_backend.h"
#include "dll/library_api.h"
#include "dll/live_program_managers.h"
#include "model/platform.h"
#include "shell/shell_program_manager.h"

namespace zynshell {

namespace {

ProgramManager* OpenShellProgramManager(const Platform& platform) {
    try {
        return new ShellProgramManager(static_cast<int16_t>(platform.ntFlag), platform.kind);
    } catch (const ZynException&) {
        return nullptr;  // the constructor has released what it had acquired
    }
}

}  // namespace

ProgramManager* PMInit(int forceDde) noexcept {
    try {
        const Platform platform = DetectPlatform();
        ProgramManager* pm = forceDde || !platform.newShell
                                 ? OpenDdeProgramManager(static_cast<int16_t>(platform.ntFlag), platform.kind)
                                 : OpenShellProgramManager(platform);
        if (pm && !AddLiveProgramManager(pm)) {
            delete pm;
            return nullptr;
        }
        return pm;
    } catch (...) {  // std::bad_alloc and anything a backend lets out
        return nullptr;
    }
}

int PMUninit(ProgramManager* pm) noexcept {
    if (!pm) return 0;
    RemoveLiveProgramManager(pm);
    delete pm;  // destructors do not throw
    return 1;
}

int PMGetLastError(const ProgramManager* pm) noexcept { return pm ? pm->lastError : 0; }

int PMReadInfo(ProgramManager* pm, char* buffer, int bufferSize) noexcept {
    if (!pm) {
        if (buffer && bufferSize > 0) buffer[0] = '\0';
        return 0;
    }
    return pm->ReadInfo(buffer, bufferSize);
}

}  // namespace zynshell
