// The DDE backend as the core sees it (dde_backend.h).
#include "dde/dde_backend.h"

#include <new>

#include "dde/dde_program_manager.h"

namespace zynshell {

ProgramManager* MakeDdeProgramManager(int16_t ntFlag, int32_t platformKind) {
    try {
        return new DdeProgramManager(ntFlag, platformKind);
    } catch (const ZynException&) {
        return nullptr;  // the constructor has released what it had acquired
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int InitiateDdeConversation(ProgramManager& pm) { return static_cast<DdeProgramManager&>(pm).Initiate(); }

int RequestDdeGroups(ProgramManager& pm) { return static_cast<DdeProgramManager&>(pm).Request("GROUPS"); }

void SetDdeAnswerTimeout(ProgramManager& pm, uint32_t milliseconds) {
    static_cast<DdeProgramManager&>(pm).answerTimeout = milliseconds;
}

}  // namespace zynshell
