// ZYNLPR.DLL in Wine's real spooler: installed with AddMonitorW, its ports
// listed and deleted through winspool, a printer on one of its ports, and a
// RAW job printed to that printer arriving at an LPD server. Wine's spooler
// runs inside this process (winspool loads localspl), so the monitor is
// loaded here too, through InitializePrintMonitor2.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "monitor_test_support.h"
#include "scripted_lpd_server.h"

namespace {

using montest::ExeDir;
using montest::kMonitorKey;
using montest::Narrow;

WCHAR kMonitor[] = L"ZYN LPR Monitor";
const std::string kSuffix = std::to_string(GetCurrentProcessId());
const std::string kPortA = "ZYN_Sp" + kSuffix + "A";  // host and queue
const std::string kPortB = "ZYN_Sp" + kSuffix + "B";  // neither
const std::wstring kPrinter = L"Zyn Spooler Test " + std::wstring(kSuffix.begin(), kSuffix.end());

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

std::string PortKey(const std::string& port) { return std::string(kMonitorKey) + "\\Ports\\" + port; }

bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void WritePortKey(const std::string& port, const char* host, const char* queue) {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, PortKey(port).c_str(), &key);
    if (host) montest::SetText(key, "HostName", host);
    if (queue) montest::SetText(key, "QueueName", queue);
    RegCloseKey(key);
}

// A text of the message module, as the monitor loads it.
std::string MessageModuleText(UINT id) {
    HMODULE nls = LoadLibraryExA((ExeDir() + "zynlpr.nls").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[260] = {};
    if (nls) LoadStringA(nls, id, text, sizeof text);
    if (nls) FreeLibrary(nls);
    return text;
}

// Calls an Enum* function of winspool twice (size, then fill).
template <typename Fn>
std::vector<BYTE> Enumerate(Fn call, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    call(nullptr, 0, &needed, count);
    std::vector<BYTE> buffer(needed);
    if (!call(buffer.data(), needed, &needed, count)) *count = 0;
    return buffer;
}

struct SpooledPort {
    std::string name, monitor, description;
    DWORD type = 0;
};

// The ports EnumPortsW reports at `level`, only those of this test.
std::vector<SpooledPort> OurPorts(DWORD level) {
    DWORD count = 0;
    auto buffer = Enumerate(
        [&](BYTE* b, DWORD cb, DWORD* needed, DWORD* n) { return EnumPortsW(nullptr, level, b, cb, needed, n); },
        &count);
    std::vector<SpooledPort> ports;
    for (DWORD i = 0; i < count; ++i) {
        SpooledPort p;
        if (level == 1) {
            p.name = Narrow(reinterpret_cast<PORT_INFO_1W*>(buffer.data())[i].pName);
        } else {
            const auto& info = reinterpret_cast<PORT_INFO_2W*>(buffer.data())[i];
            p = {Narrow(info.pPortName), Narrow(info.pMonitorName), Narrow(info.pDescription), info.fPortType};
        }
        if (p.name.rfind("ZYN_Sp" + kSuffix, 0) == 0) ports.push_back(p);
    }
    return ports;
}

// Recorders put into the monitor's own MONITOR2 table before the spooler
// copies it, so that a call through winspool is seen arriving at the
// monitor (today AddPort and ConfigurePort answer as Wine's spooler does
// when a monitor offers neither, so their result alone can't tell).
struct Arrival {
    int calls = 0;
    std::string name;
    DWORD error = 0;
};
Arrival g_addPort, g_configurePort;
decltype(MONITOR2::pfnAddPort) g_realAddPort;
decltype(MONITOR2::pfnConfigurePort) g_realConfigurePort;

BOOL WINAPI RecordAddPort(HANDLE monitor, LPWSTR server, HWND window, LPWSTR monitorName) {
    BOOL ok = g_realAddPort(monitor, server, window, monitorName);
    g_addPort = {g_addPort.calls + 1, Narrow(monitorName), GetLastError()};
    SetLastError(g_addPort.error);
    return ok;
}

BOOL WINAPI RecordConfigurePort(HANDLE monitor, LPWSTR server, HWND window, LPWSTR portName) {
    BOOL ok = g_realConfigurePort(monitor, server, window, portName);
    g_configurePort = {g_configurePort.calls + 1, Narrow(portName), GetLastError()};
    SetLastError(g_configurePort.error);
    return ok;
}

class RealSpooler : public ::testing::Test {
protected:
    const std::string dllPath = ExeDir() + "ZYNLPR.DLL";
    HMODULE dll = nullptr;

    void SetUp() override {
        Clean();
        dll = LoadLibraryA(dllPath.c_str());
        ASSERT_NE(nullptr, dll);
        using Init2 = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);
        auto init = reinterpret_cast<Init2>(reinterpret_cast<void*>(GetProcAddress(dll, "InitializePrintMonitor2")));
        ASSERT_NE(nullptr, init);
        HANDLE own = nullptr;
        LPMONITOR2 table = init(nullptr, &own);
        ASSERT_NE(nullptr, table);
        ASSERT_NE(nullptr, table->pfnAddPort);
        ASSERT_NE(nullptr, table->pfnConfigurePort);
        if (table->pfnAddPort != RecordAddPort) {
            g_realAddPort = table->pfnAddPort;
            g_realConfigurePort = table->pfnConfigurePort;
            table->pfnAddPort = RecordAddPort;
            table->pfnConfigurePort = RecordConfigurePort;
        }
        table->pfnShutdown(own);
        g_addPort = g_configurePort = {};

        // Ports written before the install, as an installer may do.
        WritePortKey(kPortA, "printhost", "raw");
        WritePortKey(kPortB, nullptr, nullptr);
        std::wstring path = Wide(dllPath);
        MONITOR_INFO_2W info = {kMonitor, nullptr, &path[0]};
        ASSERT_TRUE(AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) << GetLastError();
    }
    void TearDown() override {
        PRINTER_DEFAULTSW admin = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        if (OpenPrinterW(const_cast<LPWSTR>(kPrinter.c_str()), &printer, &admin)) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
        Clean();
        if (dll) FreeLibrary(dll);
    }
    static void Clean() {
        DeleteMonitorW(nullptr, nullptr, kMonitor);
        montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey);
    }
};

TEST_F(RealSpooler, TheMonitorIsListedAndItsPortsComeWithItsNameAndDescriptions) {
    for (DWORD level : {1u, 2u}) {
        SCOPED_TRACE(level);
        DWORD count = 0;
        auto buffer = Enumerate(
            [&](BYTE* b, DWORD cb, DWORD* needed, DWORD* n) { return EnumMonitorsW(nullptr, level, b, cb, needed, n); },
            &count);
        bool found = false;
        for (DWORD i = 0; i < count; ++i) {
            const auto* info1 = reinterpret_cast<MONITOR_INFO_1W*>(buffer.data()) + i;
            const auto* info2 = reinterpret_cast<MONITOR_INFO_2W*>(buffer.data()) + i;
            if (Narrow(level == 1 ? info1->pName : info2->pName) != "ZYN LPR Monitor") continue;
            found = true;
            if (level == 2) {
                EXPECT_EQ(dllPath, Narrow(info2->pDLLName));
            }
        }
        EXPECT_TRUE(found);
    }

    // A port added after the install shows too: the list follows the registry.
    const std::string portC = "ZYN_Sp" + kSuffix + "C";
    WritePortKey(portC, "10.1.2.3", "lp");
    const std::string name = MessageModuleText(8125), unset = MessageModuleText(8126);
    const struct {
        std::string port, description;
    } expected[] = {{kPortA, "\\\\printhost\\raw"}, {kPortB, unset}, {portC, "\\\\10.1.2.3\\lp"}};
    auto level1 = OurPorts(1), level2 = OurPorts(2);
    ASSERT_EQ(3u, level1.size());
    ASSERT_EQ(3u, level2.size());
    for (const auto& e : expected) {
        SCOPED_TRACE(e.port);
        int seen = 0;
        for (const auto& p : level1) seen += p.name == e.port;
        EXPECT_EQ(1, seen);
        for (const auto& p : level2) {
            if (p.name != e.port) continue;
            EXPECT_EQ(name, p.monitor);
            EXPECT_EQ(e.description, p.description);
            EXPECT_EQ(DWORD(PORT_TYPE_WRITE), p.type);
        }
    }
}

TEST_F(RealSpooler, DeletePortRemovesThePortAndItsKey) {
    std::wstring b = Wide(kPortB);
    ASSERT_TRUE(DeletePortW(nullptr, nullptr, &b[0])) << GetLastError();
    EXPECT_FALSE(KeyExists(PortKey(kPortB)));
    EXPECT_TRUE(KeyExists(PortKey(kPortA)));
    auto ports = OurPorts(1);
    ASSERT_EQ(1u, ports.size());
    EXPECT_EQ(kPortA, ports[0].name);
}

TEST_F(RealSpooler, AddPortAndConfigurePortArriveAtTheMonitorWithALiveMonitorHandle) {
    std::wstring a = Wide(kPortA);
    const struct {
        const char* call;
        std::function<BOOL()> viaWinspool;
        const Arrival* arrival;
        std::string name;
    } cases[] = {
        {"AddPortW", [&] { return AddPortW(nullptr, nullptr, kMonitor); }, &g_addPort, "ZYN LPR Monitor"},
        {"ConfigurePortW", [&] { return ConfigurePortW(nullptr, nullptr, &a[0]); }, &g_configurePort, kPortA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        SetLastError(0xdeadbeef);
        BOOL ok = c.viaWinspool();
        DWORD error = GetLastError();
        ASSERT_EQ(1, c.arrival->calls);
        EXPECT_EQ(c.name, c.arrival->name);
        // The monitor's own answer comes back through winspool; a handle the
        // monitor did not give out would have made it ERROR_INVALID_HANDLE.
        EXPECT_NE(DWORD(ERROR_INVALID_HANDLE), c.arrival->error);
        if (!ok) {
            EXPECT_EQ(c.arrival->error, error);
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
    ASSERT_TRUE(AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        << GetLastError();
    std::wstring port = Wide(kPortA);
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<LPWSTR>(kPrinter.c_str());
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

    // More than one block of the print processor, every byte value.
    std::string data = "%!raw job\n";
    for (int i = 0; i < 9000; ++i) data.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"spooled doc"), nullptr, const_cast<LPWSTR>(L"RAW")};
    ASSERT_NE(0u, StartDocPrinterW(printer, 1, reinterpret_cast<BYTE*>(&doc))) << GetLastError();
    for (size_t off = 0; off < data.size(); off += 3000) {
        DWORD written = 0, cb = DWORD(std::min<size_t>(3000, data.size() - off));
        ASSERT_TRUE(WritePrinter(printer, &data[off], cb, &written));
        EXPECT_EQ(cb, written);
    }
    ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
    ClosePrinter(printer);

    ASSERT_TRUE(server.WaitClosed(1, 20000)) << "the job did not reach the LPD server";
    auto connections = server.Connections();
    ASSERT_EQ(1u, connections.size());
    std::string received, control;
    for (const auto& f : connections[0].files) (f.kind == 3 ? received : control) = f.contents;
    EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
    EXPECT_NE(std::string::npos, control.find("Nspooled doc\n")) << control;
}

}  // namespace
