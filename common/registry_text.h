// Reading string values of the registry: the one reader of both libraries
// and the tools. Registry data is untrusted: the type is checked, the value
// must fit the caller's buffer with its terminator, and the terminator is
// forced, so no reader runs past the data. Header-only.
#pragma once

#include <windows.h>

namespace zyn {

// Reads string value `name` of `key` into buf[cb]. True when the value exists,
// is REG_SZ or REG_EXPAND_SZ and fits (with a terminator, added if the stored
// data lacks one). On false buf holds an empty text; a value too long for the
// buffer counts as unreadable rather than being cut off silently.
inline bool ReadRegText(HKEY key, const char* name, char* buf, DWORD cb) {
    if (cb == 0) return false;
    buf[0] = '\0';
    if (!key) return false;
    // The whole buffer is offered, so a value that fills it exactly with its
    // terminator is read; data stored without a terminator gets one forced
    // behind it, or counts as too long when it fills the buffer.
    DWORD type = 0;
    DWORD cbData = cb;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cbData);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || cbData > cb) {
        buf[0] = '\0';
        return false;
    }
    if (cbData > 0 && buf[cbData - 1] == '\0') return true;
    if (cbData < cb) {
        buf[cbData] = '\0';
        return true;
    }
    buf[0] = '\0';
    return false;
}

template <DWORD N>
inline bool ReadRegText(HKEY key, const char* name, char (&buf)[N]) { return ReadRegText(key, name, buf, N); }

}  // namespace zyn
