// The one home of text handling for both libraries and the tools: bounded
// copies and formats into fixed buffers, the sizes those buffers are made
// with, and the conversions between 8-bit and wide text.
//
// Every function always terminates the destination (when it has room for at
// least the terminator) and tells whether the whole text fitted, so callers
// can choose between shortening and refusing. Header-only.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace zyn {

// Bytes of a path buffer: MAX_PATH characters with the terminator, as the
// ANSI file and shell calls write them.
constexpr size_t kPathSize = MAX_PATH;
// Bytes of a text read from the registry or a message module (host, queue,
// user, document and key names, message texts): the same 260, so that a
// value the Win32 dialogs accept always fits.
constexpr size_t kTextSize = 260;

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

// Byte-wise forms between the spooler's wide strings and 8-bit ones:
// narrowing keeps the low byte of each code unit, widening turns each byte
// into one code unit. Both are exact for 7-bit ASCII, which is what port
// names, hosts and queues are; the wire carries bytes, not a code page.

// Narrows `wide` into buf[cb]. A null `wide` gives an empty text. True when
// the whole text fitted; otherwise it is shortened to cb - 1 characters.
inline bool NarrowText(const WCHAR* wide, char* buf, size_t cb) {
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

// Characters of a wide text, without terminator; 0 for null.
inline size_t WideLength(const WCHAR* wide) {
    size_t n = 0;
    if (wide)
        while (wide[n]) ++n;
    return n;
}

// Widens `text` with its terminator to `dst` (room for strlen + 1 units).
inline void WidenInto(const char* text, WCHAR* dst) {
    size_t i = 0;
    for (; text[i]; ++i) dst[i] = static_cast<unsigned char>(text[i]);
    dst[i] = 0;
}

// Code-page forms, for text shown to people or handed to the shell (paths,
// titles): the ANSI code page both ways. False, with an empty text, when the
// text does not fit the destination whole.
inline bool AnsiToWide(const char* text, WCHAR* dst, size_t cch) {
    if (cch == 0) return false;
    if (!text) text = "";
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, dst, static_cast<int>(cch)) > 0) return true;
    dst[0] = 0;
    return false;
}
inline bool WideToAnsi(const WCHAR* wide, char* dst, size_t cb) {
    if (cb == 0) return false;
    if (!wide) wide = L"";
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, dst, static_cast<int>(cb), nullptr, nullptr) > 0) return true;
    dst[0] = '\0';
    return false;
}

}  // namespace zyn
