/* The public header as a C program sees it: it compiles as C, and the
 * record has the size C++ callers and the library agree on. */
#include <stddef.h>

#include "zynshell.h"

size_t ZynProgramItemSizeInC(void) {
    ZynProgramItem item;
    (void)item;
    return sizeof(ZynProgramItem);
}
