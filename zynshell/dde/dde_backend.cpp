// The DDE backend as the DLL layer sees it (dde_backend.h).
#include "dde/dde_backend.h"

#include <new>

#include "dde/dde_program_manager.h"

namespace zynshell {

namespace {

DdeProgramManager* Make(int16_t ntFlag, int32_t platformKind) {
    try {
        return new DdeProgramManager(ntFlag, platformKind);
    } catch (const ZynException&) {
        return nullptr;  // the constructor has released what it had acquired
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

ProgramManager* MakeDdeProgramManager(int16_t ntFlag, int32_t platformKind) { return Make(ntFlag, platformKind); }

ProgramManager* OpenDdeProgramManager(int16_t ntFlag, int32_t platformKind) {
    DdeProgramManager* pm = Make(ntFlag, platformKind);
    if (pm && !pm->Initiate()) {
        delete pm;
        return nullptr;
    }
    return pm;
}

// The one downcast: tests and the soak hold the object only as the
// program manager the library handed out.
void SetDdeAnswerTimeout(ProgramManager& pm, uint32_t milliseconds) {
    static_cast<DdeProgramManager&>(pm).answerTimeout = milliseconds;
}

}  // namespace zynshell
