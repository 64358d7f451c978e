// Directory work of the shell backend (see folder_directory.h).
//
// Paths of directory entries and search patterns live in kPathSize buffers
// and the growing path of CreateFolderPath in 512 bytes; a path that would
// not fit is skipped rather than shortened, because a shortened path names a
// different file.
#include "shell/folder_directory.h"

#include "handles.h"
#include "shell/shell_notify.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "bounded.h"
#include "model/platform.h"
#include "model/program_manager.h"

namespace zynshell {

namespace {

constexpr size_t kCreatePathSize = 512;

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

// Removes the link itself, never its target: a directory link with
// RemoveDirectory, a file link with DeleteFile.
bool RemoveLink(const char* path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileA(path) != 0;
    const bool removed = RemoveDirectoryA(path) != 0;
    if (removed) NotifyShellOfPath(SHCNE_RMDIR, path);
    return removed;
}

}  // namespace

bool IsDirectory(const char* path) {
    WIN32_FIND_DATAA entry;
    zyn::UniqueFind find(FindFirstFileA(path, &entry));
    return find && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirectoryExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void OpenFolderWindow(const char* path, int32_t type) {
    if ((static_cast<uint32_t>(type) & kTypeOpen) == 0) return;
    ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void CreateFolderPath(const char* path, int32_t type) {
    if (IsDirectory(path)) {
        OpenFolderWindow(path, type);
        return;
    }
    char built[kCreatePathSize] = "";
    const char* component = path;
    while (*component) {
        const char* end = strchr(component, '\\');
        size_t cch = end ? static_cast<size_t>(end - component) : strlen(component);
        size_t used = strlen(built);
        // The rest of the path cannot be made if this level does not fit.
        if (!zyn::BoundedCopyN(built + used, sizeof built - used, component, cch)) return;
        if (IsDirectory(built)) {
            SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_FLUSH, nullptr, nullptr);
        } else if (CreateDirectoryA(built, nullptr)) {
            NotifyShellOfPath(SHCNE_MKDIR, built);
            OpenFolderWindow(built, type);
        }
        if (!end || end[1] == '\0') break;
        if (!zyn::BoundedAppend(built, sizeof built, "\\")) return;
        component = end + 1;
    }
}

bool RemoveFolderTree(const char* path) {
    // A link is never entered: what it points to may lie anywhere, and its
    // contents are not the folder's. It goes as a link, RemoveDirectory
    // taking a directory link (symbolic link or junction) itself.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return RemoveLink(path, attributes);

    char pattern[kPathSize];
    WIN32_FIND_DATAA entry;
    zyn::UniqueFind find;
    if (zyn::BoundedFormat(pattern, sizeof pattern, "%s\\*.*", path))
        find.reset(FindFirstFileA(pattern, &entry));
    if (find) {
        do {
            if (IsDotEntry(entry.cFileName)) continue;
            char entryPath[kPathSize];
            // Too long to name here: it stays, and so does its directory.
            if (!zyn::BoundedFormat(entryPath, sizeof entryPath, "%s\\%s", path, entry.cFileName))
                continue;
            const DWORD kind = entry.dwFileAttributes;
            const bool removed = (kind & FILE_ATTRIBUTE_REPARSE_POINT) ? RemoveLink(entryPath, kind)
                                 : (kind & FILE_ATTRIBUTE_DIRECTORY) ? RemoveFolderTree(entryPath)
                                                                      : DeleteFileA(entryPath) != 0;
            if (!removed) return false;
        } while (FindNextFileA(find.get(), &entry));
        find.reset();
    }
    CloseFolderWindows(path);
    bool removed = RemoveDirectoryA(path) != 0;
    SHChangeNotify(SHCNE_RMDIR, SHCNF_FLUSH, nullptr, nullptr);
    NotifyShellOfPath(SHCNE_RMDIR, path);
    SHChangeNotify(SHCNE_RMDIR, SHCNF_FLUSH, nullptr, nullptr);
    return removed;
}

}  // namespace zynshell
