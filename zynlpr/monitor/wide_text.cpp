// See wide_text.h.
#include "wide_text.h"

namespace zynlpr {

bool NarrowText(const WCHAR* wide, char* buf, size_t cb) {
    if (cb == 0) return false;
    size_t i = 0;
    if (wide) {
        for (; wide[i]; ++i) {
            if (i + 1 >= cb) {
                buf[i] = '\0';
                return false;
            }
            buf[i] = static_cast<char>(wide[i] & 0xFF);
        }
    }
    buf[i] = '\0';
    return true;
}

size_t WideLength(const WCHAR* wide) {
    size_t n = 0;
    if (wide)
        while (wide[n]) ++n;
    return n;
}

void WidenInto(const char* text, WCHAR* dst) {
    size_t i = 0;
    for (; text[i]; ++i) dst[i] = static_cast<unsigned char>(text[i]);
    dst[i] = 0;
}

}  // namespace zynlpr
