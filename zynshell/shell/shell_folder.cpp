// ShellFolder: the directory operations of a folder handle (deleting,
// refreshing, showing, listing). The item operations are in shortcut_item.cpp.
#include "shell/shell_folder.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "shell/folder_directory.h"
#include "shell/folder_listing.h"
#include "shell/shell_notify.h"
#include "shell/shell_program_manager.h"

namespace zynshell {

namespace {

// A handle on a root itself (ZynGetFolderHandle with no name) names the whole
// Desktop, Programs or StartUp directory of a user or of all users. Deleting
// it would wipe the Start menu or the desktop, which no caller can mean.
bool IsStartMenuRoot(const ProgramManager& pm, const char* path) {
    const char* roots[] = {pm.desktop,       pm.programs,       pm.startup,
                           pm.commonDesktop, pm.commonPrograms, pm.commonStartup};
    for (const char* root : roots)
        if (root && lstrcmpiA(root, path) == 0) return true;
    return false;
}

}  // namespace

int ShellFolder::Delete(ProgramManager& pm) {
    if (IsStartMenuRoot(pm, name())) {
        pm.openFolders.Remove(this);
        return 0;
    }
    bool removed = RemoveFolderTree(name());
    pm.openFolders.Remove(this);
    return removed ? 1 : 0;
}

int ShellFolder::Update(ProgramManager&) {
    NotifyShellOfPath(SHCNE_UPDATEDIR, name());
    return 1;
}

int ShellFolder::Show(ProgramManager& pm, int showCmd) {
    if (showCmd < 1 || showCmd > 8) {
        pm.lastError = kErrBadShowCommand;
        return 0;
    }
    ShellExecuteA(nullptr, "open", name(), nullptr, nullptr, showCmd);
    return 1;
}

int ShellFolder::ListSubFolders(ProgramManager& pm) {
    ListFolder(static_cast<ShellProgramManager&>(pm), name(), 0);
    return 1;
}

int ShellFolder::ListItems(ProgramManager& pm) {
    ListFolder(static_cast<ShellProgramManager&>(pm), name(), 1);
    return 1;
}

int ShellFolder::ReplaceItem(ProgramManager& pm, const char* itemName) {
    DeleteItem(pm, itemName);
    return 1;
}

}  // namespace zynshell
