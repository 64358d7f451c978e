// ProgramItem: the 44-byte record (on 32-bit Windows) in which a caller
// describes one program item. Its layout is part of the binary interface
// (ZynAddItemEx takes a pointer to it), so the library uses the very record
// that include/zynshell.h declares for callers.
#pragma once

#include <cstdint>

#include "zynshell.h"

namespace zynshell {

// Flag bits of ProgramItem::flags.
enum ItemFlag : uint32_t {
    kItemArguments = ZYN_ITEM_ARGUMENTS,
    kItemName = ZYN_ITEM_NAME,
    kItemIcon = ZYN_ITEM_ICON,       // icon path (and, in the shell backend, the icon index)
    kItemIconIndex = ZYN_ITEM_ICON_INDEX,  // icon index in the DDE backend
    kItemPosition = ZYN_ITEM_POSITION,   // x/y; also the hotkey
    kItemWorkDir = ZYN_ITEM_WORKDIR,    // working directory; also the hotkey
    kItemMinimize = ZYN_ITEM_MINIMIZE,
};

// The record itself is the public one, so that the two can never drift apart.
using ProgramItem = ::ZynProgramItem;

}  // namespace zynshell
