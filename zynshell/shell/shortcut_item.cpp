// The item operations of a ShellFolder: an item is a .lnk file in the
// folder's directory, written through the program manager's one shell link
// object. AddItem sets every property on every call, given or not, because
// the link object still holds those of the shortcut it last loaded or saved.
// A shortcut that was not written, or one that was found but not deleted, is
// reported (errors 15 and 16): an installer told otherwise believes in an
// item that is not there, or leaves behind one it meant to remove.
#include "handles.h"

#include <windows.h>
#include <shlobj.h>

#include "bounded.h"
#include "model/platform.h"
#include "shell/shell_folder.h"
#include "shell/shell_notify.h"
#include "shell/shell_program_manager.h"
#include "shell/shortcut_name.h"

namespace zynshell {

namespace {

const char* OrEmpty(const char* s) { return s ? s : ""; }

}  // namespace

int ShellFolder::AddItem(const ProgramItem& item) {
    char path[kPathSize];
    WCHAR widePath[kPathSize];
    if (!BuildShortcutPath(name(), item, path, sizeof path) ||
        !zyn::AnsiToWide(path, widePath, kPathSize)) {
        pm_.lastError = kErrBadItemName;
        return 0;
    }

    IShellLinkA* link = pm_.shellLink();
    const uint32_t flags = item.flags;
    link->SetPath(OrEmpty(item.command));
    link->SetDescription(flags & kItemName ? OrEmpty(item.name) : "");
    link->SetArguments(flags & kItemArguments ? OrEmpty(item.arguments) : "");
    if (flags & kItemIcon)
        link->SetIconLocation(OrEmpty(item.iconPath), item.iconIndex);
    else
        link->SetIconLocation("", 0);
    link->SetWorkingDirectory(flags & kItemWorkDir ? OrEmpty(item.workingDirectory) : "");
    link->SetShowCmd((flags & kItemMinimize) && item.minimize ? SW_MINIMIZE : SW_SHOWNORMAL);
    link->SetHotkey(flags & (kItemPosition | kItemWorkDir) ? static_cast<WORD>(item.hotkey & 0xFFFF) : 0);

    // The folder's directory removed meanwhile, a read-only shortcut of the
    // same name, or a directory of that name: the file is not written.
    if (FAILED(pm_.persistFile()->Save(widePath, TRUE))) {
        pm_.lastError = kErrNotSaved;
        return 0;
    }
    NotifyShellOfPath(SHCNE_CREATE | SHCNE_UPDATEDIR, path);
    return 1;
}

int ShellFolder::DeleteItem(const char* itemName) {
    char sought[kPathSize];
    char pattern[kPathSize];
    // A name too long for a file name matches no shortcut.
    if (!zyn::BoundedFormat(sought, sizeof sought, "%s.lnk", OrEmpty(itemName)) ||
        !zyn::BoundedFormat(pattern, sizeof pattern, "%s\\*.lnk", name()))
        return 1;
    WIN32_FIND_DATAA entry;
    zyn::UniqueFind find(FindFirstFileA(pattern, &entry));
    if (!find) return 1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (lstrcmpiA(entry.cFileName, sought) != 0) continue;
        // The item is there; a path too long to name it means it stays, as
        // surely as a refused deletion. The shell is told whatever the
        // deletion gave.
        char path[kPathSize];
        bool deleted = false;
        if (zyn::BoundedFormat(path, sizeof path, "%s\\%s", name(), entry.cFileName)) {
            deleted = DeleteFileA(path) != 0;
            NotifyShellOfPath(SHCNE_UPDATEDIR, path);
        }
        if (deleted) return 1;
        pm_.lastError = kErrNotDeleted;
        return 0;
    } while (FindNextFileA(find.get(), &entry));
    return 1;
}

}  // namespace zynshell
