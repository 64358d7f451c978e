// The real ZYNLPR.DLL's entry tables as a 32-bit spooler calls them: every
// entry of the NT 4.0 table (InitializeMonitorEx) and of the MONITOR2 table
// (InitializePrintMonitor2) is called through its pointer, and each must take
// its own arguments off the stack (__stdcall). A job goes through the port
// entries to a scripted LPD server, so every call runs its real path; dialogs
// and message boxes are cancelled by a watcher. i686 only: x86_64 has one
// calling convention.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <string>

#include "message_box_watcher.h"
#include "monitor_test_support.h"
#include "scripted_lpd_server.h"
#include "stdcall_probe.h"

#if defined(ZYN_HAVE_STDCALL_PROBE)
namespace {

using montest::ExeDir;
using montest::kMonitorKey;
using zyntest::Slot;

class EntryAbi : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Listening());
        montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey);
        HKEY port = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE,
                                               (std::string(kMonitorKey) + "\\Ports\\ZYN_LPRPort0").c_str(), &port));
        montest::SetText(port, "HostName", server.Address().c_str());
        montest::SetText(port, "QueueName", "raw");
        RegCloseKey(port);
        dll = LoadLibraryA((ExeDir() + "ZYNLPR.DLL").c_str());
        ASSERT_NE(nullptr, dll) << GetLastError();
    }
    void TearDown() override {
        if (dll) FreeLibrary(dll);
        montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey);
    }
    // Calls one entry; 4 bytes an argument must come off the stack. Each
    // argument is one stack slot.
    template <typename Fn, typename... Args>
    uint32_t Probe(Fn* entry, Args... args) {
        auto r = zyntest::StdcallProbe(entry, {uint32_t(args)...});
        EXPECT_EQ(4 * sizeof...(args), r.popped) << "call " << probed;
        ++probed;
        return r.value;
    }
    template <typename Fn>
    Fn* Export(const char* name) {
        return reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
    }

    // The port entries common to both tables, from OpenPort's handle on:
    // a whole job, then the optional entries, then ClosePort.
    template <typename Table>
    void ProbeJobEntries(const Table& t, HANDLE port) {
        WCHAR printer[] = L"no printer", doc[] = L"abi";
        DOC_INFO_1W info = {doc, nullptr, nullptr};
        EXPECT_EQ(1u, Probe(t.pfnStartDocPort, Slot(port), Slot(printer), 7, 1, Slot(&info)));
        char data[] = "stack check\n";
        DWORD written = 0, read = 0;
        EXPECT_EQ(1u, Probe(t.pfnWritePort, Slot(port), Slot(data), sizeof data - 1, Slot(&written)));
        if (t.pfnReadPort) Probe(t.pfnReadPort, Slot(port), Slot(data), sizeof data, Slot(&read));
        EXPECT_EQ(1u, Probe(t.pfnEndDocPort, Slot(port)));
        if (t.pfnSetPortTimeOuts) {
            COMMTIMEOUTS timeouts = {};
            Probe(t.pfnSetPortTimeOuts, Slot(port), Slot(&timeouts), 0);
        }
        if (t.pfnGetPrinterDataFromPort) {
            DWORD returned = 0;
            Probe(t.pfnGetPrinterDataFromPort, Slot(port), 0, 0, 0, 0, 0, 0, Slot(&returned));
        }
        EXPECT_EQ(1u, Probe(t.pfnClosePort, Slot(port)));
    }
    // Xcv entries, where the table has them; the data name asks for nothing
    // that changes a port.
    template <typename Table, typename... Monitor>
    void ProbeXcvEntries(const Table& t, Monitor... monitor) {
        if (!t.pfnXcvOpenPort) return;
        WCHAR object[] = L"", command[] = L"MonitorUI";
        HANDLE xcv = nullptr;
        if (!Probe(t.pfnXcvOpenPort, Slot(monitor)..., Slot(object), SERVER_ACCESS_ADMINISTER, Slot(&xcv))) return;
        BYTE out[600];
        DWORD needed = 0;
        Probe(t.pfnXcvDataPort, Slot(xcv), Slot(command), 0, 0, Slot(out), sizeof out, Slot(&needed));
        Probe(t.pfnXcvClosePort, Slot(xcv));
    }

    lpdtest::ScriptedLpdServer server;
    HMODULE dll = nullptr;
    int probed = 0;
};

TEST_F(EntryAbi, EveryEntryOfTheNt40TableIsStdcall) {
    auto init = Export<BOOL WINAPI(LPWSTR, LPMONITOR)>("InitializeMonitorEx");
    ASSERT_NE(nullptr, init);
    MONITOR m = {};
    WCHAR root[] = L"ZYN LPR Monitor";
    ASSERT_EQ(1u, Probe(init, Slot(root), Slot(&m)));
    MessageBoxWatcher watcher(IDCANCEL);
    WCHAR port0[] = L"ZYN_LPRPort0", monitorName[] = L"ZYN LPR Monitor";
    DWORD needed = 0, returned = 0;
    Probe(m.pfnEnumPorts, 0, 1, 0, 0, Slot(&needed), Slot(&returned));
    HANDLE port = nullptr;
    ASSERT_EQ(1u, Probe(m.pfnOpenPort, Slot(port0), Slot(&port)));
    ProbeJobEntries(m, port);
    ASSERT_TRUE(server.WaitClosed(1, 20000));
    if (m.pfnAddPort) Probe(m.pfnAddPort, 0, 0, Slot(monitorName));
    if (m.pfnConfigurePort) Probe(m.pfnConfigurePort, 0, 0, Slot(port0));
    if (m.pfnAddPortEx) Probe(m.pfnAddPortEx, 0, 1, 0, Slot(monitorName));
    ProbeXcvEntries(m);
    if (m.pfnDeletePort) {
        EXPECT_EQ(1u, Probe(m.pfnDeletePort, 0, 0, Slot(port0)));
    }
    EXPECT_GE(probed, 11);
}

TEST_F(EntryAbi, EveryEntryOfTheMonitor2TableIsStdcall) {
    auto init = Export<LPMONITOR2 WINAPI(PMONITORINIT, PHANDLE)>("InitializePrintMonitor2");
    ASSERT_NE(nullptr, init);
    MONITORINIT mi = {};
    mi.cbSize = sizeof mi;
    mi.bLocal = TRUE;
    HANDLE monitor = nullptr;
    auto* t = reinterpret_cast<LPMONITOR2>(Probe(init, Slot(&mi), Slot(&monitor)));
    ASSERT_NE(nullptr, t);
    MessageBoxWatcher watcher(IDCANCEL);
    WCHAR port0[] = L"ZYN_LPRPort0", monitorName[] = L"ZYN LPR Monitor";
    DWORD needed = 0, returned = 0;
    Probe(t->pfnEnumPorts, Slot(monitor), 0, 1, 0, 0, Slot(&needed), Slot(&returned));
    HANDLE port = nullptr;
    ASSERT_EQ(1u, Probe(t->pfnOpenPort, Slot(monitor), Slot(port0), Slot(&port)));
    ProbeJobEntries(*t, port);
    ASSERT_TRUE(server.WaitClosed(1, 20000));
    if (t->pfnAddPort) Probe(t->pfnAddPort, Slot(monitor), 0, 0, Slot(monitorName));
    if (t->pfnConfigurePort) Probe(t->pfnConfigurePort, Slot(monitor), 0, 0, Slot(port0));
    if (t->pfnAddPortEx) Probe(t->pfnAddPortEx, Slot(monitor), 0, 1, 0, Slot(monitorName));
    ProbeXcvEntries(*t, monitor);
    if (t->pfnDeletePort) Probe(t->pfnDeletePort, Slot(monitor), 0, 0, Slot(port0));
    Probe(t->pfnShutdown, Slot(monitor));
    EXPECT_GE(probed, 9);
}

}  // namespace
#endif
