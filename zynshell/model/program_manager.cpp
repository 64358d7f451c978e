// The base of both program-manager backends: the common fields, the roots,
// and the Start-menu folders' answers to the operations where the backends
// differ (see program_manager.h).
#include "model/program_manager.h"

#include <cstring>
#include <new>

#include "model/folder_name.h"
#include "model/platform.h"
#include "model/program_folder.h"

namespace zynshell {

ProgramManager::ProgramManager(BackendKind kind, int32_t nt, int32_t kind_of_platform)
    : backendKind(kind), ntFlag(nt ? 1 : 0), adminFlag(IsAdministrator()), platformKind(kind_of_platform),
      infoBuffer_(new char[kInfoBufferSize]) {
    infoBuffer_[0] = '\0';
}

// Callers should have released their handles; those left over would
// otherwise be unreachable, so all of them go, not just one.
ProgramManager::~ProgramManager() { openFolders.DestroyAll(); }

char* ProgramManager::FolderNamePart(char* name) const { return ParseFolderName(kBackendShell, name); }

ProgramFolder* ProgramManager::GetFolder(const char* name, int32_t type) {
    return RefusesName(name) ? nullptr : OpenFolder(name, type, 0);
}

const char* ProgramManager::UnnamedFolder(int32_t) const { return nullptr; }

bool ProgramManager::ShowsExistingFolder(int32_t type) const { return HasTypeBits(type, kTypeOpen); }

bool ProgramManager::RefusesLinks() { return false; }

int ProgramManager::ListSubFolders(ProgramFolder* folder) { return folder ? folder->ListSubFolders() : 0; }

bool ProgramManager::RefusesName(const char* name) {
    if (!HasDotPart(name)) return false;
    lastError = kErrDotNamePart;
    return true;
}

const char* ProgramManager::RootOf(int32_t type) const {
    const int common = HasTypeBits(type, kTypeCommon) ? kCommonDesktopRoot : kDesktopRoot;
    switch (RootSelector(type)) {
    case kRootDesktop: return root(static_cast<RootIndex>(common + kDesktopRoot));
    case kRootPrograms: return root(static_cast<RootIndex>(common + kProgramsRoot));
    case kRootStartup: return root(static_cast<RootIndex>(common + kStartupRoot));
    default: return nullptr;
    }
}

bool ProgramManager::SetRoot(RootIndex which, const char* path) noexcept {
    if (!path) {
        roots_[which].reset();
        return true;
    }
    const size_t cb = strlen(path) + 1;
    char* copy = new (std::nothrow) char[cb];
    if (!copy) return false;
    memcpy(copy, path, cb);
    roots_[which].reset(copy);
    return true;
}

void ProgramManager::ReadRoot(RootIndex which, const char* valueName, int machineWide, const char* keyPath) {
    char value[kRootPathSize];
    if (ReadShellFolder(valueName, value, sizeof value, machineWide, keyPath)) SetRoot(which, value);
}

}  // namespace zynshell
