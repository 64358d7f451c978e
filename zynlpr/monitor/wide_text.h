// Conversions between the spooler's wide strings and the monitor's 8-bit
// strings: narrowing keeps the low byte of each code unit, widening turns
// each byte into one code unit. Both are exact for 7-bit ASCII.
#pragma once

#include <windows.h>

namespace zynlpr {

// Narrows `wide` into buf[cb]. A null `wide` gives an empty text. True when
// the whole text fitted; otherwise it is shortened to cb - 1 characters.
bool NarrowText(const WCHAR* wide, char* buf, size_t cb);

// Characters of a narrowed text, without terminator.
size_t WideLength(const WCHAR* wide);

// Widens `text` with its terminator to `dst` (room for strlen + 1 units).
void WidenInto(const char* text, WCHAR* dst);

}  // namespace zynlpr
