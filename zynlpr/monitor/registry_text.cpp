// See registry_text.h.
#include "registry_text.h"

namespace zynlpr {

bool ReadRegText(HKEY key, const char* name, char* buf, DWORD cb) {
    if (cb == 0) return false;
    buf[0] = '\0';
    if (!key) return false;
    // One byte is held back so a value stored without its terminator still
    // gets one inside the buffer.
    DWORD type = 0;
    DWORD cbData = cb - 1;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cbData);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        buf[0] = '\0';
        return false;
    }
    buf[cbData] = '\0';
    return true;
}

}  // namespace zynlpr
