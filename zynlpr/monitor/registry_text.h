// Reading REG_SZ values of the monitor's keys. Registry data is untrusted:
// the type is checked, the value must fit the caller's buffer with its
// terminator, and the terminator is forced, so no reader runs past the data.
#pragma once

#include <windows.h>

namespace zynlpr {

// Reads string value `name` of `key` into buf[cb]. True when the value exists,
// is REG_SZ or REG_EXPAND_SZ and fits (with a terminator, added if the stored
// data lacks one). On false buf holds an empty text; a value too long for the
// buffer counts as unreadable rather than being cut off silently.
bool ReadRegText(HKEY key, const char* name, char* buf, DWORD cb);

}  // namespace zynlpr
