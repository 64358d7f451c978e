// See registry_text.h.
#include "registry_text.h"

namespace zynlpr {

bool ReadRegText(HKEY key, const char* name, char* buf, DWORD cb) {
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

}  // namespace zynlpr
