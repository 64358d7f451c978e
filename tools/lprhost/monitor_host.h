// Loading a print monitor the way the NT spooler does: the Driver value of
// the monitor's key (HKLM\System\CurrentControlSet\Control\Print\Monitors\NAME)
// names the module; LoadLibrary runs its process attach, and
// InitializeMonitorEx hands back the entry table.
#pragma once

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <string>

constexpr const char kDefaultMonitorName[] = "ZYN LPR Monitor";

struct LoadedMonitor {
    HMODULE module = nullptr;
    MONITOR table = {};
    std::string monitorName;
    std::string driver;
};

// Loads and initialises the monitor `monitorName` (ZYN LPR Monitor unless
// --monitor NAME was given). Prints what failed to stderr and returns false.
bool LoadMonitor(const char* monitorName, LoadedMonitor* monitor);

// The port UI module of the monitor (zynlprui.dll beside its Driver, else by
// its bare name, as a spooler loads it) and its MONITORUI table; it stays
// loaded. Prints what failed to stderr and returns null.
PMONITORUI LoadPortUi(const char* monitorName);

// Wide copy of an 8-bit text (each byte one code unit; the monitor narrows
// the same way).
std::wstring Widen(const char* text);
std::string Narrow(const wchar_t* text);

// Picks "--monitor NAME" out of argv (removing it); the default otherwise.
std::string TakeMonitorOption(int* argc, char** argv);
