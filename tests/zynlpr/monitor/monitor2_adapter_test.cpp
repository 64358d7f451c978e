// The MONITOR2 table: each slot reaches the same entry as the NT 4.0 table,
// monitor handles are refused once shut down, and the last Shutdown leaves
// no port record behind except those an open port handle still holds.
#include <gtest/gtest.h>

#include <functional>

#include "monitor/module_start.h"
#include "monitor/monitor2_adapter.h"
#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"

using namespace zynlpr;

namespace {

class Monitor2Test : public ::testing::Test {
protected:
    montest::PortsKey key;
    LONG baseline = LivePortRecords();

    void TearDown() override { EXPECT_EQ(0, LiveMonitorHandles()); }
    static DWORD Count(LPMONITOR2 table, HANDLE monitor) {
        DWORD needed = 0, returned = 0xdeadbeef;
        if (!table->pfnEnumPorts(monitor, nullptr, 0, nullptr, 0, &needed, &returned)) return 0xFFFFFFFF;
        return returned;
    }
};

TEST_F(Monitor2Test, PortHandleSlotsAreTheNt40EntriesAndTheUnofferedOnesAreNull) {
    MONITOR nt40 = {};
    ASSERT_TRUE(InitializeMonitorTable(&nt40));
    HANDLE monitor = nullptr;
    LPMONITOR2 table = OpenMonitor2(nullptr, &monitor);
    ASSERT_NE(nullptr, table);
    // Windows 2000 takes only the table it knows (without the last entry).
    DWORD version = GetVersion();
    bool win2k = LOBYTE(LOWORD(version)) == 5 && HIBYTE(LOWORD(version)) == 0;
    EXPECT_EQ(win2k ? MONITOR2_SIZE_WIN2K : sizeof(MONITOR2), table->cbSize);
    const struct {
        const char* slot;
        const void* got;
        const void* want;
    } cases[] = {
        {"StartDocPort", reinterpret_cast<void*>(table->pfnStartDocPort), reinterpret_cast<void*>(nt40.pfnStartDocPort)},
        {"WritePort", reinterpret_cast<void*>(table->pfnWritePort), reinterpret_cast<void*>(nt40.pfnWritePort)},
        {"ReadPort", reinterpret_cast<void*>(table->pfnReadPort), reinterpret_cast<void*>(nt40.pfnReadPort)},
        {"EndDocPort", reinterpret_cast<void*>(table->pfnEndDocPort), reinterpret_cast<void*>(nt40.pfnEndDocPort)},
        {"ClosePort", reinterpret_cast<void*>(table->pfnClosePort), reinterpret_cast<void*>(nt40.pfnClosePort)},
        {"GetPrinterDataFromPort", reinterpret_cast<void*>(table->pfnGetPrinterDataFromPort),
         reinterpret_cast<void*>(nt40.pfnGetPrinterDataFromPort)},
        {"SetPortTimeOuts", reinterpret_cast<void*>(table->pfnSetPortTimeOuts), reinterpret_cast<void*>(nt40.pfnSetPortTimeOuts)},
        {"OpenPortEx", reinterpret_cast<void*>(table->pfnOpenPortEx), nullptr},
        {"AddPortEx", reinterpret_cast<void*>(table->pfnAddPortEx), nullptr},
        {"XcvOpenPort", reinterpret_cast<void*>(table->pfnXcvOpenPort), nullptr},
        {"XcvDataPort", reinterpret_cast<void*>(table->pfnXcvDataPort), nullptr},
        {"XcvClosePort", reinterpret_cast<void*>(table->pfnXcvClosePort), nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(c.want, c.got) << c.slot;
    table->pfnShutdown(monitor);
}

TEST_F(Monitor2Test, MonitorHandleSlotsForwardAndRefuseAHandleThatWasShutDown) {
    key.AddPort("ZYN_A", "printhost", "raw");
    HANDLE first = nullptr, second = nullptr;
    LPMONITOR2 table = OpenMonitor2(nullptr, &first);
    ASSERT_EQ(table, OpenMonitor2(nullptr, &second));
    ASSERT_NE(first, second);
    EXPECT_EQ(1u, Count(table, first));
    key.AddPort("ZYN_B");
    EXPECT_EQ(2u, Count(table, second));

    // Each monitor-handle slot as the NT 4.0 entry answers (AddPort and
    // ConfigurePort whatever they answer today), then refused with the
    // handle shut down.
    WCHAR server[] = L"", monitorName[] = L"ZYN LPR Monitor", portB[] = L"ZYN_B", unknown[] = L"ZYN_none";
    const struct {
        const char* slot;
        std::function<BOOL(HANDLE)> viaTable;
        std::function<BOOL()> direct;
    } cases[] = {
        {"OpenPort+ClosePort",
         [&](HANDLE m) { HANDLE h = nullptr; return table->pfnOpenPort(m, portB, &h) && table->pfnClosePort(h); },
         [&] { HANDLE h = nullptr; return LprOpenPort(portB, &h) && LprClosePort(h); }},
        {"AddPort", [&](HANDLE m) { return table->pfnAddPort(m, server, nullptr, monitorName); },
         [&] { return LprAddPort(server, nullptr, monitorName); }},
        {"ConfigurePort", [&](HANDLE m) { return table->pfnConfigurePort(m, server, nullptr, portB); },
         [&] { return LprConfigurePort(server, nullptr, portB); }},
        {"DeletePort (unknown)", [&](HANDLE m) { return table->pfnDeletePort(m, server, nullptr, unknown); },
         [&] { return LprDeletePort(server, nullptr, unknown); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        SetLastError(0xdeadbeef);
        BOOL want = c.direct();
        DWORD wantError = GetLastError();
        SetLastError(0xdeadbeef);
        EXPECT_EQ(want, c.viaTable(first));
        EXPECT_EQ(wantError, GetLastError());
    }

    table->pfnShutdown(first);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(c.viaTable(first));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0xFFFFFFFFu, Count(table, first));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    table->pfnShutdown(first);  // a second Shutdown changes nothing
    EXPECT_EQ(2u, Count(table, second));
    WCHAR portA[] = L"ZYN_A";
    EXPECT_TRUE(table->pfnDeletePort(second, server, nullptr, portA));
    EXPECT_EQ(1u, Count(table, second));
    table->pfnShutdown(second);
}

TEST_F(Monitor2Test, LastShutdownFreesThePortListButNotARecordStillOpen) {
    key.AddPort("ZYN_A", "h", "q");
    key.AddPort("ZYN_B", "h", "q");
    HANDLE first = nullptr, second = nullptr;
    LPMONITOR2 table = OpenMonitor2(nullptr, &first);
    OpenMonitor2(nullptr, &second);
    EXPECT_EQ(baseline + 2, LivePortRecords());
    HANDLE port = nullptr;
    WCHAR portA[] = L"ZYN_A";
    ASSERT_TRUE(table->pfnOpenPort(first, portA, &port));
    table->pfnShutdown(first);
    EXPECT_EQ(baseline + 2, LivePortRecords()) << "the list outlives all but the last handle";
    table->pfnShutdown(second);
    EXPECT_EQ(baseline + 1, LivePortRecords()) << "only the open port's record is left";
    EXPECT_STREQ("ZYN_A", static_cast<LprPort*>(port)->name);
    EXPECT_TRUE(table->pfnClosePort(port));
    EXPECT_EQ(baseline, LivePortRecords());

    // Opened again, the monitor reads the registry afresh.
    HANDLE again = nullptr;
    table = OpenMonitor2(nullptr, &again);
    EXPECT_EQ(2u, Count(table, again));
    table->pfnShutdown(again);
    EXPECT_EQ(baseline, LivePortRecords());
}

TEST_F(Monitor2Test, NoHandleOutPointerIsRefused) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, OpenMonitor2(nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

}  // namespace
