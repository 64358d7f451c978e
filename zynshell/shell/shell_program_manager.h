// ShellProgramManager: the backend of ProgramManager that works directly on
// the Start-menu directories of the newer Windows shell (Windows 95, NT 4.0).
// A program group is a directory below one of six roots read from the
// Explorer "Shell Folders" key; a program item is a .lnk file written through
// the one shell link object this object holds for its whole life.
//
// ZynPMInit constructs it on the calling thread; construction throws
// ZynException when a root or the link object is missing, std::bad_alloc
// without the info buffer.
// The object and every folder handle it gives out belong to that thread.
#pragma once

#include "handles.h"

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdint>

#include "model/platform.h"
#include "model/program_manager.h"

namespace zynshell {

class ShellProgramManager : public ProgramManager {
public:
    // ntFlag: any nonzero value means Windows NT (the common roots are then
    // required). shellFoldersKey names the key below HKCU and HKLM whose
    // values give the roots; only tests pass another key than the Explorer's.
    ShellProgramManager(int16_t ntFlag, int32_t platformKind,
                        const char* shellFoldersKey = kShellFoldersKey);
    ~ShellProgramManager() override;

    // Returns the handle on the folder's directory: the registered one for the
    // same path, or a new one when the directory exists or create is nonzero
    // (then the missing directories are made). Null when the type selects no
    // root or the directory does not exist and is not to be made.
    ProgramFolder* OpenFolder(const char* name, int32_t type, int create) override;
    // Always 1: OpenFolder itself settles whether a directory exists.
    int FolderExists(const char* name, int32_t type) override;

    // Writes root[\name] for the type's root into buffer; empties the buffer
    // when the type selects no root or the path does not fit.
    void ResolveFolderPath(const char* name, int32_t type, char* buffer, size_t bufferSize) const;

    // The one link object, shared by every shortcut read or written.
    IShellLinkA* shellLink() const { return shellLink_.get(); }
    IPersistFile* persistFile() const { return persistFile_.get(); }

private:
    // Declared first, so that it ends after the link object is released.
    zyn::ComScope com_;
    zyn::ComPtr<IShellLinkA> shellLink_;
    zyn::ComPtr<IPersistFile> persistFile_;
};

}  // namespace zynshell
