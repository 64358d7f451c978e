// ZynDll (dll_loader.h).
#include "dll_loader.h"

namespace zyntest {

bool ZynDll::Load() {
    module.reset(LoadLibraryA("zynshell.dll"));
    if (!module) return false;
    bool all = true;
#define ZYN_RESOLVE(name)                                                                     \
    name = reinterpret_cast<decltype(name)>(reinterpret_cast<void*>(GetProcAddress(module.get(), #name))); \
    all = all && name != nullptr;
    ZYN_EACH_EXPORT(ZYN_RESOLVE)
#undef ZYN_RESOLVE
    return all;
}

}  // namespace zyntest
