// See job_notify.h.
#include "job_notify.h"

#include <cstring>

#include "ui/module_state.h"

namespace zynlpr {

void NotifyClientWindow(const char* portName) {
    HWND window = FindWindowA("lpr frame", nullptr);
    if (!window) return;
    size_t cb = strlen(portName) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, cb);
    if (!block) return;
    void* data = GlobalLock(block);
    if (data) {
        memcpy(data, portName, cb);
        COPYDATASTRUCT copy = {};
        copy.cbData = static_cast<DWORD>(cb);
        copy.lpData = data;
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, WM_COPYDATA, static_cast<WPARAM>(g_module.lprMessage),
                            reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 10000, &result);
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

}  // namespace zynlpr
