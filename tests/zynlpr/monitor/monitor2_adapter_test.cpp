// The MONITOR2 table: its monitor-handle entries answer as the NT 4.0
// entries do (port management through Xcv) and refuse a handle once shut down, and the last Shutdown
// leaves no port record behind except those an open port handle holds.
#include <gtest/gtest.h>

#include <functional>

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

TEST_F(Monitor2Test, EachHandleWorksUntilItsShutdownAndIsRefusedAfter) {
    key.AddPort("ZYN_A", "printhost", "raw");
    HANDLE first = nullptr, second = nullptr;
    LPMONITOR2 table = OpenMonitor2(nullptr, &first);
    ASSERT_EQ(table, OpenMonitor2(nullptr, &second));
    ASSERT_NE(first, second);
    // Windows 2000 takes only the table it knows (without the last entry).
    DWORD version = GetVersion();
    bool win2k = LOBYTE(LOWORD(version)) == 5 && HIBYTE(LOWORD(version)) == 0;
    EXPECT_EQ(win2k ? MONITOR2_SIZE_WIN2K : sizeof(MONITOR2), table->cbSize);
    // Ports are managed through the Xcv entries only: no dialog in the spooler.
    EXPECT_EQ(nullptr, table->pfnAddPort);
    EXPECT_EQ(nullptr, table->pfnConfigurePort);
    EXPECT_EQ(nullptr, table->pfnDeletePort);
    EXPECT_EQ(1u, Count(table, first));
    key.AddPort("ZYN_B");
    EXPECT_EQ(2u, Count(table, second));

    // Once shut down, a handle is refused by every entry that takes one.
    table->pfnShutdown(first);
    WCHAR monitorName[] = L"ZYN LPR Monitor", portA[] = L"ZYN_A", portB[] = L"ZYN_B";
    const std::function<BOOL()> calls[] = {
        [&] { HANDLE h = nullptr; return table->pfnOpenPort(first, portB, &h); },
        [&] { HANDLE h = nullptr; return table->pfnXcvOpenPort(first, monitorName, SERVER_ACCESS_ADMINISTER, &h); },
    };
    for (const auto& call : calls) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(call());
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0xFFFFFFFFu, Count(table, first));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    table->pfnShutdown(first);  // a second Shutdown changes nothing
    EXPECT_EQ(2u, Count(table, second));
    HANDLE xcv = nullptr;
    ASSERT_TRUE(table->pfnXcvOpenPort(second, monitorName, SERVER_ACCESS_ADMINISTER, &xcv));
    DWORD needed = 0;
    EXPECT_EQ(DWORD(ERROR_SUCCESS), table->pfnXcvDataPort(xcv, L"ZynDeletePort", reinterpret_cast<BYTE*>(portA),
                                                          sizeof portA, nullptr, 0, &needed));
    EXPECT_TRUE(table->pfnXcvClosePort(xcv));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), table->pfnXcvDataPort(xcv, L"ZynLayout", nullptr, 0, nullptr, 0, &needed));
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
    EXPECT_STREQ("ZYN_A", static_cast<LprPort*>(port)->Name());
    EXPECT_TRUE(table->pfnClosePort(port));
    EXPECT_EQ(baseline, LivePortRecords());

    // Opened again, the monitor reads the registry afresh.
    HANDLE again = nullptr;
    table = OpenMonitor2(nullptr, &again);
    EXPECT_EQ(2u, Count(table, again));
    table->pfnShutdown(again);
    EXPECT_EQ(baseline, LivePortRecords());
}

}  // namespace
