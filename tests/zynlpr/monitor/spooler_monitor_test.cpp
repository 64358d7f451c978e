// ZYNLPR.DLL in Wine's real spooler, which winspool runs inside this
// process: installed with AddMonitorW, its ports listed and deleted through
// winspool, its dialogs reached through winspool, and a RAW job on a printer
// of one of its ports arriving at an LPD server.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "monitor_test_support.h"
#include "port_dialog_driver.h"
#include "scripted_lpd_server.h"

namespace {

using montest::Narrow;

WCHAR kMonitor[] = L"ZYN LPR Monitor";
const std::string kTag = "ZYN_Sp" + std::to_string(GetCurrentProcessId());
const std::string kPortA = kTag + "A", kPortB = kTag + "B";
WCHAR kPrinter[] = L"Zyn Spooler Test Printer";

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
std::string PortKey(const std::string& port) { return std::string(montest::kMonitorKey) + "\\Ports\\" + port; }

void WritePortKey(const std::string& port, const char* host, const char* queue) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, PortKey(port).c_str(), &key);
    if (host) montest::SetText(key, "HostName", host);
    if (queue) montest::SetText(key, "QueueName", queue);
    RegCloseKey(key);
}

// This test's ports as EnumPortsW reports them: name -> "monitor|description|type"
// (empty at level 1).
std::map<std::string, std::string> SpooledPorts(DWORD level) {
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, level, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    std::map<std::string, std::string> ports;
    if (!EnumPortsW(nullptr, level, buffer.data(), needed, &needed, &count)) return ports;
    for (DWORD i = 0; i < count; ++i) {
        auto* info1 = reinterpret_cast<PORT_INFO_1W*>(buffer.data()) + i;
        auto* info2 = reinterpret_cast<PORT_INFO_2W*>(buffer.data()) + i;
        std::string name = Narrow(level == 1 ? info1->pName : info2->pPortName);
        if (name.rfind(kTag, 0) != 0) continue;
        ports[name] = level == 1 ? "" : Narrow(info2->pMonitorName) + "|" + Narrow(info2->pDescription) + "|" +
                                            std::to_string(info2->fPortType);
    }
    return ports;
}

// Recorders put into the monitor's own MONITOR2 table before the spooler
// copies it, to see AddPort and ConfigurePort arrive with what they carry.
struct Arrival {
    int calls = 0;
    std::string name;
    DWORD error = 0;
} g_arrivals[2];
decltype(MONITOR2::pfnAddPort) g_real[2];

template <int slot>
BOOL WINAPI Record(HANDLE monitor, LPWSTR server, HWND window, LPWSTR name) {
    BOOL ok = g_real[slot](monitor, server, window, name);
    Arrival& a = g_arrivals[slot];
    a = {a.calls + 1, Narrow(name), GetLastError()};
    SetLastError(a.error);
    return ok;
}

class RealSpooler : public ::testing::Test {
protected:
    const std::string dllPath = montest::ExeDir() + "ZYNLPR.DLL";
    HMODULE dll = nullptr;

    void SetUp() override {
        Clean();
        dll = LoadLibraryA(dllPath.c_str());
        ASSERT_NE(nullptr, dll);
        auto init = reinterpret_cast<LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "InitializePrintMonitor2")));
        ASSERT_NE(nullptr, init);
        HANDLE own = nullptr;
        LPMONITOR2 table = init(nullptr, &own);
        ASSERT_TRUE(table && table->pfnAddPort && table->pfnConfigurePort);
        if (table->pfnAddPort != Record<0>) {
            g_real[0] = std::exchange(table->pfnAddPort, Record<0>);
            g_real[1] = std::exchange(table->pfnConfigurePort, Record<1>);
        }
        table->pfnShutdown(own);
        g_arrivals[0] = g_arrivals[1] = {};

        WritePortKey(kPortA, "printhost", "raw");  // before the install, as installers may
        WritePortKey(kPortB, nullptr, nullptr);
        std::wstring path = Wide(dllPath);
        MONITOR_INFO_2W info = {kMonitor, nullptr, &path[0]};
        ASSERT_TRUE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
    }
    void TearDown() override {
        PRINTER_DEFAULTSW admin = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (OpenPrinterW(kPrinter, &printer, &admin)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        Clean();
        if (dll) FreeLibrary(dll);
    }
    static void Clean() {
        DeleteMonitorW(nullptr, nullptr, kMonitor);
        montest::DeleteTree(HKEY_LOCAL_MACHINE, montest::kMonitorKey);
    }
};

TEST_F(RealSpooler, ListsTheMonitorAndFollowsItsPortsThroughWinspool) {
    DWORD needed = 0, count = 0;
    EnumMonitorsW(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> monitors(needed);
    ASSERT_TRUE(EnumMonitorsW(nullptr, 2, monitors.data(), needed, &needed, &count));
    std::string listedDll;
    for (DWORD i = 0; i < count; ++i) {
        auto* m = reinterpret_cast<MONITOR_INFO_2W*>(monitors.data()) + i;
        if (Narrow(m->pName) == "ZYN LPR Monitor") listedDll = Narrow(m->pDLLName);
    }
    EXPECT_EQ(dllPath, listedDll);

    // A port written after the install shows too; a deleted one goes with its key.
    const std::string portC = kTag + "C";
    WritePortKey(portC, "10.1.2.3", "lp");
    const std::map<std::string, std::string> level1 = {{kPortA, ""}, {kPortB, ""}, {portC, ""}};
    const std::map<std::string, std::string> level2 = {
        {kPortA, "ZYN LPR Monitor|\\\\printhost\\raw|1"},
        {kPortB, "ZYN LPR Monitor|LPR port (not configured)|1"},
        {portC, "ZYN LPR Monitor|\\\\10.1.2.3\\lp|1"}};
    EXPECT_EQ(level1, SpooledPorts(1));
    EXPECT_EQ(level2, SpooledPorts(2));

    std::wstring b = Wide(kPortB);
    ASSERT_TRUE(DeletePortW(nullptr, nullptr, &b[0])) << GetLastError();
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, PortKey(kPortB).c_str(), &key));
    auto left = level2;
    left.erase(kPortB);
    EXPECT_EQ(left, SpooledPorts(2));
}

TEST_F(RealSpooler, AddPortAndConfigurePortArriveAtTheMonitorAndOpenItsDialog) {
    std::wstring a = Wide(kPortA);
    const std::function<BOOL()> calls[] = {[] { return AddPortW(nullptr, nullptr, kMonitor); },
                                           [&] { return ConfigurePortW(nullptr, nullptr, &a[0]); }};
    const std::string names[] = {"ZYN LPR Monitor", kPortA};
    for (int slot : {0, 1}) {
        SCOPED_TRACE(slot ? "ConfigurePortW" : "AddPortW");
        montest::DialogScript cancel([](montest::PortDialog& d) { d.Click(IDCANCEL); });
        SetLastError(0xdeadbeef);
        BOOL ok = calls[slot]();
        DWORD error = GetLastError();
        EXPECT_TRUE(cancel.Shown());
        EXPECT_EQ(1, g_arrivals[slot].calls);
        EXPECT_EQ(names[slot], g_arrivals[slot].name);
        // A handle the monitor did not give out would be refused.
        EXPECT_NE(DWORD(ERROR_INVALID_HANDLE), g_arrivals[slot].error);
        if (!ok) {
            EXPECT_EQ(g_arrivals[slot].error, error);
        }
    }
}

TEST_F(RealSpooler, ARawJobOnAPrinterOfAZynPortReachesTheLpdServerByteForByte) {
    lpdtest::ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    WritePortKey(kPortA, server.Address().c_str(), "raw");
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<LPWSTR>(L"Wine PostScript Driver");
    driver.pDriverPath = driver.pDataFile = driver.pConfigFile = const_cast<LPWSTR>(L"wineps.drv");
    ASSERT_TRUE(AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES));
    std::wstring port = Wide(kPortA);
    PRINTER_INFO_2W info = {};
    info.pPrinterName = kPrinter;
    info.pPortName = &port[0];
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<LPWSTR>(L"WinPrint");
    info.pDatatype = const_cast<LPWSTR>(L"RAW");
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_NE(nullptr, printer) << GetLastError();
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> got(needed);
    ASSERT_TRUE(GetPrinterW(printer, 2, got.data(), needed, &needed));
    EXPECT_EQ(kPortA, Narrow(reinterpret_cast<PRINTER_INFO_2W*>(got.data())->pPortName));

    // Every byte value, more than one block of the print processor.
    std::string data = "%!raw job\n";
    for (int i = 0; i < 9000; ++i) data.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"spooled doc"), nullptr, const_cast<LPWSTR>(L"RAW")};
    ASSERT_NE(0u, StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc))) << GetLastError();
    for (size_t off = 0; off < data.size(); off += 3000) {
        DWORD written = 0, cb = DWORD(std::min<size_t>(3000, data.size() - off));
        ASSERT_TRUE(WritePrinter(printer, &data[off], cb, &written));
    }
    ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
    ClosePrinter(printer);

    ASSERT_TRUE(server.WaitClosed(1, 20000)) << "the job did not reach the LPD server";
    std::string received, control;
    const auto connections = server.Connections();
    for (const auto& f : connections.at(0).files) (f.kind == 3 ? received : control) = f.contents;
    EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
    EXPECT_NE(std::string::npos, control.find("Nspooled doc\n")) << control;
}

}  // namespace
