// Where an item's shortcut file goes: its file name (the item's name, or the
// base name of its command, followed by ".lnk") and its full path in the
// folder's directory. Both are refused, never shortened, when they do not fit
// their buffers or the name holds characters a file name cannot hold.
#pragma once

#include <cstddef>

#include "model/program_item.h"

namespace zynshell {

// Size of the buffer of an item's shortcut file name (at most 251 characters
// before ".lnk").
constexpr size_t kShortcutFileNameSize = 256;

// Writes the item's shortcut file name into fileName[cbFileName]. False (and
// an empty buffer) when the name does not fit or holds one of <>:"/|?* or a
// control character. A backslash in the item's name is kept: it names a file
// in a sub-directory of the folder.
bool BuildShortcutFileName(const ProgramItem& item, char* fileName, size_t cbFileName);

// Writes folderPath\<file name> into path[cbPath]; false (and an empty buffer)
// when the file name is refused or the path does not fit.
bool BuildShortcutPath(const char* folderPath, const ProgramItem& item, char* path, size_t cbPath);

}  // namespace zynshell
