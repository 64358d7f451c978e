// See job_notify.h.
#include "job_notify.h"

#include <cstring>

#include "handles.h"
#include "ui/module_state.h"

namespace zynlpr {

void NotifyClientWindow(const char* portName) {
    HWND window = FindWindowA("lpr frame", nullptr);
    if (!window) return;
    size_t cb = strlen(portName) + 1;
    zyn::UniqueGlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, cb));
    zyn::GlobalLockScope data(block.get());
    if (!data.get()) return;
    memcpy(data.get(), portName, cb);
    COPYDATASTRUCT copy = {};
    copy.cbData = static_cast<DWORD>(cb);
    copy.lpData = data.get();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_COPYDATA, static_cast<WPARAM>(g_module.lprMessage),
                        reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 10000, &result);
}

}  // namespace zynlpr
