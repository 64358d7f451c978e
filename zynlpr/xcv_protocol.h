// The Xcv commands of ZYNLPR.DLL: what the port UI module (zynlprui.dll)
// and the monitor in the spooler say to each other through XcvData on a
// handle from OpenPrinter("\\Server\,XcvMonitor ZYN LPR Monitor"), which
// reaches the monitor's XcvDataPort. Both sides build from this header.
//
// Every command is a wide name with an input and an output buffer. Texts are
// wide, each code unit standing for one byte of the monitor's 8-bit texts
// (0x01..0xFF). A command answers a Win32 error code:
//
//   ERROR_SUCCESS             done; *needed = bytes written to the output
//   ERROR_INVALID_PARAMETER   no such command
//   ERROR_INVALID_DATA        an input that breaks the layout below; nothing
//                             was read past its given size, nothing changed
//   ERROR_REVISION_MISMATCH   a record of another layout version (below)
//   ERROR_INSUFFICIENT_BUFFER the output is too small; *needed = bytes it
//                             needs; nothing changed
//   ERROR_ACCESS_DENIED       a command that changes a port, on a handle not
//                             opened with SERVER_ACCESS_ADMINISTER
//   ERROR_UNKNOWN_PORT        the named port has no key
//   ERROR_ALREADY_EXISTS      "ZynAddPort" of a name that is taken
//   (registry errors as the registry reports them)
//
// Commands (in -> out; "name" is a port name as below, terminated within the
// input's size; [admin] needs SERVER_ACCESS_ADMINISTER):
//
//   "MonitorUI"        none -> file name of the UI module, terminated
//   "ZynLayout"        none -> DWORD kZynXcvLayout
//   "ZynFirstFreeName" none -> the name a new port gets: "ZYN_LPRPort<n>",
//                      the first n from 0 to 999 no port takes; terminated.
//                      ERROR_ALREADY_EXISTS when all are taken
//   "ZynHostList"      none -> the host names of all ports, each once, in
//                      registry order, each terminated, one more terminator
//   "ZynPortExists"    name -> DWORD 1 when the port has a key, else 0
//   "ZynGetPort"       name -> ZynXcvPortValues of the port (texts and
//                      numbers cut to the dialog's limits, as it shows them)
//   "ZynAddPort"       [admin] ZynXcvPortValues -> optional WCHAR[100]: the
//                      name made. An empty portName takes the first free
//                      name; a given one is made only if no port takes it.
//                      An output buffer, when given, must hold the 100
//                      units, or nothing is made
//   "ZynSetPort"       [admin] ZynXcvPortValues -> none: replaces the values
//                      of an existing port
//   "ZynDeletePort"    [admin] name -> none: removes the port and its key
//
// A port name of the monitor's form: "ZYN_" (any case) and then up to 95
// further code units from 0x21..0x7E, none of them '\' or ','.
//
// Versioning. A UI module asks "ZynLayout" before anything else and goes no
// further unless the answer is its own kZynXcvLayout (a monitor older than
// this header does not know the command at all); a record carries its size
// and layout, and the monitor refuses any other with ERROR_REVISION_MISMATCH.
// A new layout gets a new number; the old one is never reinterpreted.
#pragma once

#include <windows.h>

namespace zynxcv {

constexpr DWORD kZynXcvLayout = 1;

constexpr wchar_t kMonitorUi[] = L"MonitorUI";
constexpr wchar_t kLayout[] = L"ZynLayout";
constexpr wchar_t kFirstFreeName[] = L"ZynFirstFreeName";
constexpr wchar_t kHostList[] = L"ZynHostList";
constexpr wchar_t kPortExists[] = L"ZynPortExists";
constexpr wchar_t kGetPort[] = L"ZynGetPort";
constexpr wchar_t kAddPort[] = L"ZynAddPort";
constexpr wchar_t kSetPort[] = L"ZynSetPort";
constexpr wchar_t kDeletePort[] = L"ZynDeletePort";

constexpr wchar_t kUiModuleName[] = L"zynlprui.dll";

// Limits of the port-settings dialog's fields (code units, no terminator).
// The host field takes 260 characters as typed but is read back, and
// HostName is read by the monitor, in zyn::kTextSize (260) bytes: 259 is
// what can come back.
constexpr DWORD kPortNameMax = 99;
constexpr DWORD kHostMax = 259;
constexpr DWORD kQueueMax = 130;
constexpr DWORD kSeqnoMax = 999;      // 3 digits
constexpr DWORD kTimeOutMax = 9999;   // 4 digits

// One port's values, layout 1. Each text is terminated within its array and
// not empty (but portName of "ZynAddPort", which may be); a switch is 0 or 1.
struct ZynXcvPortValues {
    DWORD cbSize;  // sizeof(ZynXcvPortValues)
    DWORD layout;  // kZynXcvLayout
    WCHAR portName[kPortNameMax + 1];
    WCHAR hostName[kHostMax + 1];
    WCHAR queueName[kQueueMax + 1];
    DWORD timeOut;  // seconds, 0..kTimeOutMax
    DWORD seqno;    // 0..kSeqnoMax
    DWORD doLpq;
    DWORD doGrace;
};

}  // namespace zynxcv
