// ProgramItem: the 44-byte record (on 32-bit Windows) in which a caller
// describes one program item. Its layout is part of the binary interface
// (ZynAddItemEx takes a pointer to it); the public header include/zynshell.h
// declares the same record for callers.
#pragma once

#include <cstdint>

namespace zynshell {

// Flag bits of ProgramItem::flags.
enum ItemFlag : uint32_t {
    kItemArguments = 0x01,
    kItemName = 0x02,
    kItemIcon = 0x04,       // icon path (and, in the shell backend, the icon index)
    kItemIconIndex = 0x08,  // icon index in the DDE backend
    kItemPosition = 0x10,   // x/y; also the hotkey
    kItemWorkDir = 0x20,    // working directory; also the hotkey
    kItemMinimize = 0x40,
};

struct ProgramItem {
    uint32_t flags;
    const char* command;
    const char* arguments;
    const char* name;
    const char* iconPath;
    int32_t iconIndex;
    int32_t x;
    int32_t y;
    const char* workingDirectory;
    uint32_t hotkey;  // low 16 bits: the hotkey word; the high two bytes are never read
    int32_t minimize;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(ProgramItem) == 44, "ProgramItem is part of the binary interface");
#endif

}  // namespace zynshell
