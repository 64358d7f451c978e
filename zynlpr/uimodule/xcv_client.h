// The UI module's end of the Xcv commands (xcv_protocol.h): a handle from
// OpenPrinter("\\Server\,XcvMonitor NAME") opened with
// SERVER_ACCESS_ADMINISTER, and the calls the port UI makes on it.
#pragma once

#include <windows.h>

#include <string>

#include "handles.h"
#include "ui/port_settings.h"
#include "xcv_protocol.h"

namespace zynlprui {

class XcvClient {
public:
    // Opens the monitor `monitorName` on `server` (null or empty: this
    // machine). Returns the Win32 error of OpenPrinter.
    DWORD Open(const WCHAR* server, const WCHAR* monitorName);

    // The monitor's layout version; 0 when it does not know the command.
    DWORD Layout();

    // Runs a command; returns its status (or XcvData's own error).
    DWORD Call(const WCHAR* command, const void* input, DWORD inputSize, void* output, DWORD outputSize,
               DWORD* needed);

    // "ZynFirstFreeName" into settings->portName.
    DWORD FirstFreeName(zynlpr::PortSettings* settings);
    // "ZynHostList", narrowed: texts one after another, each terminated.
    DWORD HostList(std::string* hosts);
    // "ZynGetPort" into settings (all but the user name).
    DWORD GetPort(const char* name, zynlpr::PortSettings* settings);
    // "ZynAddPort" of the settings; an empty portName takes the first free
    // name. On success settings->portName holds the name made.
    DWORD AddPort(zynlpr::PortSettings* settings);
    // "ZynSetPort".
    DWORD SetPort(const zynlpr::PortSettings& settings);
    // "ZynDeletePort".
    DWORD DeletePort(const WCHAR* name);

private:
    zyn::UniquePrinter xcv_;
};

}  // namespace zynlprui
