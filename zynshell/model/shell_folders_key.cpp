// ReadShellFolder: one value of the Shell Folders key into a fixed buffer.
// Registry data is untrusted: only string values are taken, and a value that
// does not fit the buffer with its terminator counts as missing rather than
// being shortened into a wrong path.
#include "model/platform.h"

#include "handles.h"

#include <windows.h>


namespace zynshell {

bool ReadShellFolder(const char* valueName, char* buffer, size_t bufferSize, int machineWide,
                     const char* keyPath) {
    if (bufferSize == 0) return false;
    buffer[0] = '\0';
    zyn::UniqueRegKey key;
    if (RegOpenKeyExA(machineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, keyPath, 0, KEY_READ,
                      key.put()) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD cb = static_cast<DWORD>(bufferSize);
    LONG rc = RegQueryValueExA(key.get(), valueName, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &cb);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        buffer[0] = '\0';
        return false;
    }
    // The stored data need not carry its terminator; add it when there is room.
    if (cb == 0 || buffer[cb - 1] != '\0') {
        if (cb >= bufferSize) {
            buffer[0] = '\0';
            return false;
        }
        buffer[cb] = '\0';
    }
    return true;
}

}  // namespace zynshell
