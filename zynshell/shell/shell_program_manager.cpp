// ShellProgramManager: construction and teardown of the shell backend, the
// choice of a folder's directory from its type and name, and the lookup or
// making of folder handles (OpenFolder).
//
// Construction reads the roots, initialises COM for the thread and creates
// the one shell link object; any missing piece undoes what was acquired and
// throws ZynException, so ZynPMInit never hands out a half-built object.
#include "shell/shell_program_manager.h"

#include <new>

#include "bounded.h"
#include "shell/folder_directory.h"
#include "shell/shell_folder.h"

namespace zynshell {

ShellProgramManager::ShellProgramManager(int16_t ntFlagArg, int32_t platformKindArg,
                                         const char* shellFoldersKey)
    : ProgramManager(kBackendShell, ntFlagArg != 0 ? 1 : 0, platformKindArg) {
    ReadRoot(kDesktopRoot, "Desktop", 0, shellFoldersKey);
    ReadRoot(kProgramsRoot, "Programs", 0, shellFoldersKey);
    ReadRoot(kStartupRoot, "Startup", 0, shellFoldersKey);
    if (ntFlag) {
        ReadRoot(kCommonStartupRoot, "Common Startup", 1, shellFoldersKey);
        ReadRoot(kCommonDesktopRoot, "Common Desktop", 1, shellFoldersKey);
        ReadRoot(kCommonProgramsRoot, "Common Programs", 1, shellFoldersKey);
    }

    // COM is started by com_ (a thread already in another apartment keeps
    // its own: the link object works there too).
    HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkA, shellLink_.put_void());
    bool ready = desktop() && programs() && startup() &&
                 (!ntFlag || (commonDesktop() && commonPrograms() && commonStartup())) &&
                 created == S_OK && shellLink_ &&
                 shellLink_->QueryInterface(IID_IPersistFile, persistFile_.put_void()) == S_OK;
    if (!ready) throw ZynException();  // the members let go of the link object, then of COM
}

ShellProgramManager::~ShellProgramManager() = default;

int ShellProgramManager::FolderExists(const char*, int32_t) { return 1; }

void ShellProgramManager::ResolveFolderPath(const char* name, int32_t type, char* buffer,
                                            size_t bufferSize) const {
    if (bufferSize == 0) return;
    buffer[0] = '\0';
    const char* root = RootOf(type);
    if (!root) return;
    bool fits = name ? zyn::BoundedFormat(buffer, bufferSize, "%s\\%s", root, name)
                     : zyn::BoundedCopy(buffer, bufferSize, root);
    if (!fits) buffer[0] = '\0';
}

ProgramFolder* ShellProgramManager::OpenFolder(const char* name, int32_t type, int create) {
    char path[kRootPathSize];
    ResolveFolderPath(name, type, path, sizeof path);
    if (path[0] == '\0') return nullptr;

    if (ProgramFolder* open = openFolders.Find(path, type, 0)) return open;
    if (!create && !IsDirectory(path)) return nullptr;

    ShellFolder* folder = nullptr;
    try {
        folder = new ShellFolder(*this, path, type);
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
