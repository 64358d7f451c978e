// Program-manager lifecycle: the choice of backend in PMInit, PMUninit, and
// the last error and info text as the caller sees them.
#include <new>

#include "dde/dde_backend.h"
#include "dde/dde_object_list.h"
#include "library_api.h"
#include "platform.h"
#include "shell/shell_program_manager.h"

namespace zynshell {

namespace {

// The DDE object goes on the list before its conversation opens, because
// the window procedure finds it only there.
ProgramManager* OpenDdeProgramManager(const Platform& platform) {
    ProgramManager* pm = MakeDdeProgramManager(static_cast<int16_t>(platform.ntFlag), platform.kind);
    if (!pm) return nullptr;
    if (!DdeObjectListPush(pm)) {
        delete pm;
        return nullptr;
    }
    if (!InitiateDdeConversation(*pm)) {
        DdeObjectListRemove(pm);
        delete pm;
        return nullptr;
    }
    return pm;
}

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
        if (forceDde || !platform.newShell) return OpenDdeProgramManager(platform);
        return OpenShellProgramManager(platform);
    } catch (...) {  // std::bad_alloc and anything a backend lets out
        return nullptr;
    }
}

int PMUninit(ProgramManager* pm) noexcept {
    if (!pm) return 0;
    if (pm->backendKind == kBackendDde) DdeObjectListRemove(pm);
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
