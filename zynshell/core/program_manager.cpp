// The base of both program-manager backends: construction of the common
// fields and the release of what the base owns (see program_manager.h).
#include "program_manager.h"

#include <cstring>
#include <initializer_list>
#include <new>

#include "live_program_managers.h"
#include "program_folder.h"
#include "shell/is_administrator.h"

namespace zynshell {

ProgramManager::ProgramManager(BackendKind kind, int32_t nt, int32_t kind_of_platform)
    : backendKind(kind), ntFlag(nt ? 1 : 0), adminFlag(IsAdministrator()), platformKind(kind_of_platform) {
    // Known from the start, so that the exports accept it once it is handed
    // out; a backend constructor that throws runs the destructor, which
    // takes it off again.
    if (!AddLiveProgramManager(this)) throw std::bad_alloc();
}

ProgramManager::~ProgramManager() {
    RemoveLiveProgramManager(this);
    // Callers should have released their handles; those left over would
    // otherwise be unreachable, so all of them go, not just one.
    openFolders.DestroyAll();
    delete[] infoBuffer;
    for (char** root : {&commonDesktop, &commonPrograms, &commonStartup, &startup, &programs, &desktop}) {
        delete[] *root;
        *root = nullptr;
    }
    infoBuffer = infoCursor = nullptr;
}

}  // namespace zynshell
