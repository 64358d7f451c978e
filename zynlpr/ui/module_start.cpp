// Process attach: everything the monitor fixes once for the life of the
// process. Runs under the loader lock, so it uses only registry, resource and
// library-loading calls, one RegisterWindowMessageA and, when the message
// module is missing, one message box.
#include "module_start.h"

#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "message_ids.h"
#include "messages.h"
#include "module_state.h"
#include "registry_text.h"

namespace zynlpr {

ModuleState g_module;

namespace {

void CutAfterLastBackslash(char* path) {
    char* slash = strrchr(path, '\\');
    if (slash)
        slash[1] = '\0';
    else
        path[0] = '\0';
}

}  // namespace

bool StartModule(HINSTANCE stringsModule) {
    g_module.instance = stringsModule;
    LoadStringA(stringsModule, IDS_PORTS_KEY_PATH, g_module.portsKeyPath, sizeof g_module.portsKeyPath);
    LoadStringA(stringsModule, IDS_MONITOR_KEY_PATH, g_module.monitorKeyPath, sizeof g_module.monitorKeyPath);

    zyn::UniqueRegKey monitorKey;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.monitorKeyPath, monitorKey.put()) != ERROR_SUCCESS)
        monitorKey.reset();
    char buffer[zyn::kPathSize] = {};
    zyn::ReadRegText(monitorKey.get(), "Driver", buffer, sizeof buffer);
    CutAfterLastBackslash(buffer);

    // An empty directory leaves the bare name, found along the search path.
    // A directory too long for the path is refused rather than shortened,
    // which would load a module from some other place.
    char nlsPath[zyn::kPathSize + 16];
    if (zyn::BoundedFormat(nlsPath, sizeof nlsPath, "%szynlpr.nls", buffer))
        g_module.messageModule = LoadLibraryA(nlsPath);
    if (!g_module.messageModule) {
        MessageBoxA(nullptr, "Can't Load Resources... ", "Tolvane", MB_ICONERROR);
        return false;
    }

    char lprPath[zyn::kPathSize];
    if (zyn::ReadRegText(monitorKey.get(), "LPR_Path", lprPath, sizeof lprPath))
        zyn::BoundedCopy(buffer, lprPath);
    // A directory too long for the path buffers leaves them empty rather
    // than naming some other file.
    char base[zyn::kPathSize];
    if (zyn::BoundedFormat(base, sizeof base, "%s\\", buffer)) {
        char path[zyn::kPathSize];
        if (zyn::BoundedFormat(path, sizeof path, "%sTOLV.HLP", base))
            zyn::BoundedCopy(g_module.helpFilePath, path);
        if (zyn::BoundedFormat(path, sizeof path, "%sTOLV.EXE", base))
            zyn::BoundedCopy(g_module.programPath, path);
    }

    if (!LoadMessageTable(g_module.messageModule)) return false;

    LoadStringA(g_module.messageModule, MSG_MONITOR_NAME, g_module.monitorName, sizeof g_module.monitorName);
    LoadStringA(g_module.messageModule, MSG_DEFAULT_DESCRIPTION, g_module.defaultDescription,
                sizeof g_module.defaultDescription);
    g_module.lprMessage = RegisterWindowMessageA("LPR_MESSAGE");
    return true;
}

}  // namespace zynlpr
