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

int ShellFolder::Delete(ProgramManager& pm) {
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
