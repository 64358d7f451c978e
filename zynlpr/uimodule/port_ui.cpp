// See port_ui.h. Every entry first makes sure that the monitor speaks this
// module's layout (xcv_protocol.h); with any other it says so and changes
// nothing. The monitor checks every value again; the dialog's checks only
// spare the administrator a refusal.
#include "port_ui.h"

#include <string>

#include "bounded.h"
#include "handles.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/module_state.h"
#include "ui/port_settings.h"
#include "ui/user_name.h"
#include "xcv_client.h"

namespace zynlprui {

namespace {

using zynlpr::PortSettings;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// Opens the Xcv handle of the monitor and checks its layout. Shows the
// mismatch over `window` when `tell`.
DWORD Connect(XcvClient* xcv, PCWSTR server, PCWSTR monitorName, HWND window, bool tell) {
    WCHAR name[sizeof zynlpr::g_module.monitorName];
    if (!monitorName || !monitorName[0]) {
        zyn::WidenInto(zynlpr::g_module.monitorName, name);
        monitorName = name;
    }
    DWORD error = xcv->Open(server, monitorName);
    if (error != ERROR_SUCCESS) return error;
    DWORD layout = xcv->Layout();
    if (layout == zynxcv::kZynXcvLayout) return ERROR_SUCCESS;
    if (tell)
        zynlpr::ShowMessage(window, zynlpr::kErrorBoxStyle, MSG_LAYOUT_MISMATCH, int(zynxcv::kZynXcvLayout),
                            int(layout));
    return ERROR_REVISION_MISMATCH;
}

struct SettingsBlock {
    zyn::UniqueHeapBlock block;
    PortSettings* settings;
    SettingsBlock() : block(zynlpr::AllocatePortSettings()), settings(static_cast<PortSettings*>(block.get())) {}
};

// A copy of `name` in a LocalAlloc block for the caller, or null.
PWSTR CallerCopy(const char* name) {
    size_t length = strlen(name);
    auto* copy = static_cast<PWSTR>(LocalAlloc(LPTR, (length + 1) * sizeof(WCHAR)));
    if (copy) zyn::WidenInto(name, copy);
    return copy;
}

}  // namespace

BOOL WINAPI AddPortUi(PCWSTR server, HWND window, PCWSTR monitorName, PWSTR* portNameOut) {
    if (portNameOut) *portNameOut = nullptr;
    XcvClient xcv;
    DWORD error = Connect(&xcv, server, monitorName, window, true);
    if (error != ERROR_SUCCESS) return Fail(error);
    SettingsBlock s;
    if (!s.settings) {
        zynlpr::ShowMessage(nullptr, zynlpr::kErrorBoxStyle, MSG_OUT_OF_MEMORY);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    std::string hosts;
    error = xcv.FirstFreeName(s.settings);
    if (error == ERROR_SUCCESS) error = xcv.HostList(&hosts);
    if (error != ERROR_SUCCESS) return Fail(error);
    zynlpr::SetNewPortDefaults(s.settings);

    INT_PTR result = zynlpr::ShowPortSettingsDialog(window, IDD_ADD_PORT, s.settings, hosts.c_str());
    if (result == -1) return Fail(GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE);
    if (result != IDOK) return Fail(ERROR_CANCELLED);
    error = xcv.AddPort(s.settings);
    if (error == ERROR_ALREADY_EXISTS) {
        // Another program took the name shown meanwhile: the next free one.
        s.settings->portName[0] = '\0';
        error = xcv.AddPort(s.settings);
    }
    if (error != ERROR_SUCCESS) {
        zynlpr::ShowMessage(window, zynlpr::kErrorBoxStyle, MSG_CANT_CREATE_PORT_KEY);
        return Fail(error);
    }
    zynlpr::NotifyDevicesChanged();
    if (portNameOut) *portNameOut = CallerCopy(s.settings->portName);
    return TRUE;
}

BOOL WINAPI ConfigurePortUi(PCWSTR server, HWND window, PCWSTR portName) {
    char name[zynxcv::kPortNameMax + 1];
    if (!zyn::NarrowText(portName, name, sizeof name)) {
        zynlpr::ShowNotMonitorPort(window);
        return Fail(ERROR_UNKNOWN_PORT);
    }
    XcvClient xcv;
    DWORD error = Connect(&xcv, server, nullptr, window, true);
    if (error != ERROR_SUCCESS) return Fail(error);
    SettingsBlock s;
    if (!s.settings) {
        zynlpr::ShowMessage(nullptr, zynlpr::kErrorBoxStyle, MSG_OUT_OF_MEMORY);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    zyn::BoundedCopy(s.settings->portName, zynlpr::kSettingsTextSize, name);
    std::string hosts;
    error = xcv.GetPort(name, s.settings);
    // The monitor refuses a name not of its form as it refuses any input.
    if (error == ERROR_UNKNOWN_PORT || error == ERROR_INVALID_DATA) {
        zynlpr::ShowNotMonitorPort(window);
        return Fail(ERROR_UNKNOWN_PORT);
    }
    if (error == ERROR_SUCCESS) error = xcv.HostList(&hosts);
    if (error != ERROR_SUCCESS) return Fail(error);
    zynlpr::CurrentUserName(s.settings->userName, zynlpr::kSettingsTextSize);

    INT_PTR result = zynlpr::ShowPortSettingsDialog(window, IDD_CONFIGURE_PORT, s.settings, hosts.c_str());
    if (result == -1) return Fail(GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE);
    if (result != IDOK) return Fail(ERROR_CANCELLED);
    error = xcv.SetPort(*s.settings);
    if (error != ERROR_SUCCESS) return Fail(error);
    zynlpr::NotifyDevicesChanged();
    return TRUE;
}

BOOL WINAPI DeletePortUi(PCWSTR server, HWND window, PCWSTR portName) {
    XcvClient xcv;
    DWORD error = Connect(&xcv, server, nullptr, window, false);
    if (error == ERROR_SUCCESS) error = xcv.DeletePort(portName);
    return error == ERROR_SUCCESS ? TRUE : Fail(error);
}

}  // namespace zynlprui
