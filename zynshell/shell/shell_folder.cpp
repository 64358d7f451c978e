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

// The full form of a path, with "." and ".." resolved and no trailing
// separator, so that Programs, Programs\, Programs\. and Programs\A\.. all
// read the same. False when it cannot be had.
bool CanonicalPath(const char* path, char* out, DWORD cbOut) {
    DWORD cch = GetFullPathNameA(path, cbOut, out, nullptr);
    if (cch == 0 || cch >= cbOut) return false;
    while (cch > 3 && (out[cch - 1] == '\\' || out[cch - 1] == '/')) out[--cch] = '\0';
    return true;
}

// A handle on a root itself (ZynGetFolderHandle with no name, but also the
// name "" or the shell part of "|Group", which is empty; names with parts
// of dots never get this far from the exports) names the whole Desktop,
// Programs or StartUp directory of a user or of all users, or a directory
// above one. Deleting it would wipe the Start
// menu or the desktop, which no caller can mean. A path that cannot be put
// in its full form is not deleted either.
bool HoldsAStartMenuRoot(const ProgramManager& pm, const char* path) {
    char folder[kRootPathSize];
    if (!CanonicalPath(path, folder, sizeof folder)) return true;
    const int cchFolder = lstrlenA(folder);
    const bool endsInSeparator = cchFolder > 0 && folder[cchFolder - 1] == '\\';  // a drive root
    for (int which = 0; which < kRootCount; ++which) {
        const char* rootPath = pm.root(static_cast<RootIndex>(which));
        char root[kRootPathSize];
        if (!rootPath || !CanonicalPath(rootPath, root, sizeof root)) continue;
        const int cchRoot = lstrlenA(root);
        if (cchRoot < cchFolder) continue;
        if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, root, cchFolder,
                           folder, cchFolder) != CSTR_EQUAL)
            continue;
        if (cchRoot == cchFolder || endsInSeparator || root[cchFolder] == '\\') return true;
    }
    return false;
}

}  // namespace

// The operations below act on the directory itself; one that was removed
// behind the handle's back is reported (error 17) rather than answered with
// an empty listing or a refresh of nothing.
bool ShellFolder::DirectoryPresent() {
    if (DirectoryExists(name())) return true;
    pm_.lastError = kErrNoDirectory;
    return false;
}

int ShellFolder::Delete() {
    const bool removed = !HoldsAStartMenuRoot(pm_, name()) && RemoveFolderTree(name());
    pm_.openFolders.Remove(this);
    return removed ? 1 : 0;
}

int ShellFolder::Update() {
    if (!DirectoryPresent()) return 0;
    NotifyShellOfPath(SHCNE_UPDATEDIR, name());
    return 1;
}

int ShellFolder::Show(int showCmd) {
    if (showCmd < 1 || showCmd > 8) {
        pm_.lastError = kErrBadShowCommand;
        return 0;
    }
    if (!DirectoryPresent()) return 0;
    ShellExecuteA(nullptr, "open", name(), nullptr, nullptr, showCmd);
    return 1;
}

int ShellFolder::ListSubFolders() {
    if (!DirectoryPresent()) return 0;
    ListFolder(pm_, name(), 0);
    return 1;
}

int ShellFolder::ListItems() {
    if (!DirectoryPresent()) return 0;
    ListFolder(pm_, name(), 1);
    return 1;
}

int ShellFolder::ReplaceItem(const char* itemName) { return DeleteItem(itemName); }

}  // namespace zynshell
