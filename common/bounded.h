// Bounded copies and formats into the fixed buffers of both libraries.
//
// Every function always terminates the destination (when it has room for at
// least the terminator) and tells whether the whole text fitted, so callers
// can choose between shortening and refusing. Header-only.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace zyn {

// Copies src into dst[cbDst]; true when it fitted whole, false when shortened.
inline bool BoundedCopy(char* dst, size_t cbDst, const char* src) {
    if (cbDst == 0) return false;
    if (!src) src = "";
    size_t n = strlen(src);
    bool fits = n < cbDst;
    if (!fits) n = cbDst - 1;
    memcpy(dst, src, n);
    dst[n] = '\0';
    return fits;
}

// Copies at most cchSrc characters of src (stopping at a zero byte).
inline bool BoundedCopyN(char* dst, size_t cbDst, const char* src, size_t cchSrc) {
    if (cbDst == 0) return false;
    size_t n = 0;
    if (src)
        while (n < cchSrc && src[n]) ++n;
    bool fits = n < cbDst;
    if (!fits) n = cbDst - 1;
    memcpy(dst, src, n);
    dst[n] = '\0';
    return fits;
}

// Appends src to the string already in dst[cbDst].
inline bool BoundedAppend(char* dst, size_t cbDst, const char* src) {
    size_t used = strnlen(dst, cbDst);
    if (used >= cbDst) return false;
    return BoundedCopy(dst + used, cbDst - used, src);
}

// vsnprintf into dst[cbDst]; true when the whole text fitted.
inline bool BoundedFormatV(char* dst, size_t cbDst, const char* fmt, va_list args) {
    if (cbDst == 0) return false;
    int n = vsnprintf(dst, cbDst, fmt, args);
    if (n < 0) {
        dst[0] = '\0';
        return false;
    }
    return static_cast<size_t>(n) < cbDst;
}

__attribute__((format(gnu_printf, 3, 4)))
inline bool BoundedFormat(char* dst, size_t cbDst, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool fits = BoundedFormatV(dst, cbDst, fmt, args);
    va_end(args);
    return fits;
}

template <size_t N>
inline bool BoundedCopy(char (&dst)[N], const char* src) { return BoundedCopy(dst, N, src); }

}  // namespace zyn
