// ReadShellFolder: one value of the Shell Folders key into a fixed buffer.
// Registry data is untrusted: only string values are taken, and a value that
// does not fit the buffer with its terminator counts as missing rather than
// being shortened into a wrong path.
#include "model/platform.h"

#include "handles.h"
#include "registry_text.h"

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
    return zyn::ReadRegText(key.get(), valueName, buffer, static_cast<DWORD>(bufferSize));
}

}  // namespace zynshell
