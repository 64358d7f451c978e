// ShellProgramManager: construction and teardown of the shell backend, the
// choice of a folder's directory from its type and name, and the lookup or
// making of folder handles (OpenFolder).
//
// Construction reads the roots, initialises COM for the thread and creates
// the one shell link object; any missing piece undoes what was acquired and
// throws ZynException, so ZynPMInit never hands out a half-built object.
#include "shell/shell_program_manager.h"

#include <cstring>
#include <new>

#include "bounded.h"
#include "core/program_folder.h"
#include "shell/folder_directory.h"
#include "shell/shell_folder.h"

namespace zynshell {

namespace {

char* CopyString(const char* s) {
    size_t n = strlen(s) + 1;
    char* copy = new (std::nothrow) char[n];
    if (copy) memcpy(copy, s, n);
    return copy;
}

// Reads one root into *root (left null when the value is not read).
void ReadRoot(const char* keyPath, const char* valueName, int machineWide, char** root) {
    char value[kFolderPathSize];
    if (ReadShellFolder(valueName, value, sizeof value, machineWide, keyPath))
        *root = CopyString(value);
}

void FreeString(char*& s) {
    delete[] s;
    s = nullptr;
}

}  // namespace

ShellProgramManager::ShellProgramManager(int16_t ntFlagArg, int32_t platformKindArg,
                                         const char* shellFoldersKey)
    : ProgramManager(kBackendShell, ntFlagArg != 0 ? 1 : 0, platformKindArg) {
    backendKind = kBackendShell;
    ntFlag = ntFlagArg != 0 ? 1 : 0;
    platformKind = platformKindArg;
    lastError = 0;
    infoAvailable = 0;
    infoCursor = nullptr;

    ReadRoot(shellFoldersKey, "Desktop", 0, &desktop);
    ReadRoot(shellFoldersKey, "Programs", 0, &programs);
    ReadRoot(shellFoldersKey, "Startup", 0, &startup);
    if (ntFlag) {
        ReadRoot(shellFoldersKey, "Common Startup", 1, &commonStartup);
        ReadRoot(shellFoldersKey, "Common Desktop", 1, &commonDesktop);
        ReadRoot(shellFoldersKey, "Common Programs", 1, &commonPrograms);
    }

    // A thread already in another apartment answers RPC_E_CHANGED_MODE; the
    // link object works there too, but that call must not be paired with a
    // CoUninitialize, or the thread's own initialisation would be undone.
    comInitialized_ = SUCCEEDED(CoInitialize(nullptr));

    HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkA, shellLink_.put_void());
    if (!infoBuffer) infoBuffer = new (std::nothrow) char[kInfoBufferSize];
    if (infoBuffer) infoBuffer[0] = '\0';

    bool ready = infoBuffer && desktop && programs && startup &&
                 (!ntFlag || (commonDesktop && commonPrograms && commonStartup)) &&
                 created == S_OK && shellLink_ &&
                 shellLink_->QueryInterface(IID_IPersistFile, persistFile_.put_void()) == S_OK;
    if (!ready) {
        ReleaseEverything();
        throw ZynException();
    }
}

ShellProgramManager::~ShellProgramManager() {
    ReleaseEverything();
    // Every handle still registered goes with the object: the holders can no
    // longer use them once their program manager is gone.
    openFolders.DestroyAll();
}

void ShellProgramManager::ReleaseEverything() {
    FreeString(desktop);
    FreeString(programs);
    FreeString(startup);
    FreeString(commonDesktop);
    FreeString(commonPrograms);
    FreeString(commonStartup);
    delete[] infoBuffer;
    infoBuffer = nullptr;
    infoCursor = nullptr;
    infoAvailable = 0;
    persistFile_.reset();
    shellLink_.reset();
    if (comInitialized_) CoUninitialize();
    comInitialized_ = false;
}

int ShellProgramManager::FolderExists(const char*, int32_t) { return 1; }

void ShellProgramManager::ResolveFolderPath(const char* name, int32_t type, char* buffer,
                                            size_t bufferSize) const {
    if (bufferSize == 0) return;
    buffer[0] = '\0';
    bool common = (static_cast<uint32_t>(type) & kTypeCommon) != 0;
    const char* root = nullptr;
    switch (static_cast<uint32_t>(type) & kTypeRootMask) {
    case kRootDesktop: root = common ? commonDesktop : desktop; break;
    case kRootPrograms: root = common ? commonPrograms : programs; break;
    case kRootStartup: root = common ? commonStartup : startup; break;
    default: return;
    }
    if (!root) return;
    bool fits = name ? zyn::BoundedFormat(buffer, bufferSize, "%s\\%s", root, name)
                     : zyn::BoundedCopy(buffer, bufferSize, root);
    if (!fits) buffer[0] = '\0';
}

ProgramFolder* ShellProgramManager::OpenFolder(const char* name, int32_t type, int create) {
    char path[kFolderPathSize];
    ResolveFolderPath(name, type, path, sizeof path);
    if (path[0] == '\0') return nullptr;

    if (ProgramFolder* open = openFolders.Find(path, type, 0)) return open;
    if (!create && !IsDirectory(path)) return nullptr;

    ShellFolder* folder = nullptr;
    try {
        folder = new ShellFolder(path, type);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!IsDirectory(path))
        CreateFolderPath(path, type);
    else if (create)
        OpenFolderWindow(path, type);
    // A handle on a directory that could not be made (a file of that name in
    // the way, no right to write) would report success for nothing.
    if (!DirectoryExists(path)) {
        delete folder;
        lastError = kErrNoDirectory;
        return nullptr;
    }
    openFolders.Insert(folder);
    return folder;
}

}  // namespace zynshell
