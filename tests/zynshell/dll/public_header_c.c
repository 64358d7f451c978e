/* The public header as a C program sees it: it compiles as C, and the
 * record has the size and field offsets C++ callers, installer scripts that
 * build it by hand, and the library agree on. */
#include <stddef.h>

#include "zynshell.h"

#define ZYN_AT(field, at32, at64) \
    _Static_assert(offsetof(ZynProgramItem, field) == (sizeof(void*) == 8 ? (at64) : (at32)), #field)
ZYN_AT(flags, 0, 0);
ZYN_AT(command, 4, 8);
ZYN_AT(arguments, 8, 16);
ZYN_AT(name, 12, 24);
ZYN_AT(iconPath, 16, 32);
ZYN_AT(iconIndex, 20, 40);
ZYN_AT(x, 24, 44);
ZYN_AT(y, 28, 48);
ZYN_AT(workingDirectory, 32, 56);
ZYN_AT(hotkey, 36, 64);
ZYN_AT(minimize, 40, 68);
_Static_assert(sizeof(ZynProgramItem) == (sizeof(void*) == 8 ? 72 : 44), "ZynProgramItem size");

size_t ZynProgramItemSizeInC(void) {
    ZynProgramItem item;
    (void)item;
    return sizeof(ZynProgramItem);
}
