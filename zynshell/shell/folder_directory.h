// Directory work of the shell backend: the directory test, making the
// missing directories of a folder path, removing a folder tree, and opening
// a folder in an Explorer window. Every change is announced to the shell
// with SHChangeNotify so that Explorer and the Start menu show it at once.
#pragma once

#include <cstdint>

namespace zynshell {

// True when path itself (no wildcard) names an existing directory.
bool IsDirectory(const char* path);

// The same by the path's attributes, which also reads names that a
// directory search does not take ("X\..", a trailing backslash).
bool DirectoryExists(const char* path);

// With the open bit in type: opens path in an Explorer window (result not
// examined).
void OpenFolderWindow(const char* path, int32_t type);

// Creates every missing directory along path, announcing each one made
// (SHCNE_MKDIR) and, with the open bit, opening it. Failures are silent.
void CreateFolderPath(const char* path, int32_t type);

// Deletes everything below path, deepest first, then the directory itself
// (after minimising its folder windows). A link (an entry, or path itself,
// with FILE_ATTRIBUTE_REPARSE_POINT) is removed as a link and never
// entered, so nothing outside the tree is touched. Stops at the first file or
// directory that cannot be deleted; what was deleted before stays deleted.
// True when the directory itself was removed.
bool RemoveFolderTree(const char* path);

// Minimises the first top-level window whose title starts with the full path,
// then the first whose title starts with the path's last component
// (case-insensitive). Windows are never destroyed.
void CloseFolderWindows(const char* path);

}  // namespace zynshell
