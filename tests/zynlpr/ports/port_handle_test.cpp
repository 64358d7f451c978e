// A port handle the spooler holds stays valid, with its job state, while the
// list is rebuilt, the port is deleted or its key vanishes; and the port
// entries survive being called from several threads while the registry
// changes.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"

using namespace zynlpr;

namespace {

class PortHandleTest : public ::testing::Test {
protected:
    montest::PortsKey key;
    LONG baseline = LivePortRecords();

    void TearDown() override {
        {
            MonitorLockGuard lock;
            strcpy(g_module.portsKeyPath, "Software\\ZynMonitorTests\\none");
            ReloadPorts();
        }
        EXPECT_EQ(baseline, LivePortRecords()) << "records leaked or freed twice";
    }
    static HANDLE Open(const wchar_t* name) {
        HANDLE h = nullptr;
        return LprOpenPort(const_cast<LPWSTR>(name), &h) ? h : nullptr;
    }
    static DWORD Enum() {
        DWORD needed = 0, returned = 0;
        LprEnumPorts(nullptr, 0, nullptr, 0, &needed, &returned);
        return returned;
    }
};

TEST_F(PortHandleTest, OpenPortFindsColonVariantsAndLeavesTheErrorOfAnUnknownName) {
    key.AddPort("ZYN_LPRPort0", "h", "q");
    key.AddPort("ZYN_Colon:", "h", "q");
    Enum();
    HANDLE a = Open(L"ZYN_LPRPort0:");
    HANDLE b = Open(L"ZYN_Colon");
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_STREQ("ZYN_LPRPort0", static_cast<LprPort*>(a)->Name());
    EXPECT_STREQ("ZYN_Colon:", static_cast<LprPort*>(b)->Name());
    SetLastError(0xdeadbeef);
    HANDLE h = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(LprOpenPort(const_cast<LPWSTR>(L"ZYN_nothere"), &h));
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    // 300 characters can't be a port name; not a shortened match either.
    std::wstring longName = L"ZYN_LPRPort0" + std::wstring(288, L'x');
    EXPECT_FALSE(LprOpenPort(&longName[0], &h));
    EXPECT_TRUE(LprClosePort(a));
    EXPECT_TRUE(LprClosePort(b));
}

// Without a document the port has no spool file: GetPrinterDataFromPort
// refuses every control code with 87, SetPortTimeOuts fails and leaves the
// caller's error as it was.
TEST_F(PortHandleTest, IdlePortRefusesPrinterDataAndTimeOuts) {
    key.AddPort("ZYN_Idle", "h", "q");
    Enum();
    HANDLE h = Open(L"ZYN_Idle");
    ASSERT_NE(nullptr, h);
    DWORD returnedSize = 0xdeadbeef;
    for (DWORD controlId : {0u, 1u, 0x2D0C00u /* IOCTL_STORAGE_GET_MEDIA_TYPES */}) {
        SCOPED_TRACE(controlId);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(LprGetPrinterDataFromPort(h, controlId, nullptr, nullptr, 0, nullptr, 0, &returnedSize));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }
    COMMTIMEOUTS timeouts = {1, 2, 3, 4, 5};
    for (DWORD reserved : {0u, 1u}) {
        SCOPED_TRACE(reserved);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(LprSetPortTimeOuts(h, &timeouts, reserved));
        EXPECT_EQ(0xdeadbeefu, GetLastError());
    }
    EXPECT_TRUE(LprClosePort(h));
}

TEST_F(PortHandleTest, HandleKeepsItsRecordAndJobStateAcrossReloads) {
    key.AddPort("ZYN_LPRPort0", "printhost", "raw");
    Enum();
    HANDLE h = Open(L"ZYN_LPRPort0");
    ASSERT_NE(nullptr, h);
    auto* port = static_cast<LprPort*>(h);
    port->jobId = 77;  // stands for a job in progress

    key.AddPort("ZYN_LPRPort0", "otherhost", "raw");  // reconfigured in the registry
    key.AddPort("ZYN_Another");
    for (int i = 0; i < 3; ++i) Enum();
    EXPECT_EQ(h, Open(L"ZYN_LPRPort0")) << "the port keeps one record";
    LprClosePort(h);
    EXPECT_EQ(77u, port->jobId);
    EXPECT_STREQ("\\\\otherhost\\raw", port->Description());
    EXPECT_TRUE(LprClosePort(h));
}

TEST_F(PortHandleTest, HandleOutlivesDeletionOfItsPort) {
    key.AddPort("ZYN_LPRPort0", "printhost", "raw");
    key.AddPort("ZYN_LPRPort1", "printhost", "raw");
    Enum();
    HANDLE h0 = Open(L"ZYN_LPRPort0");
    HANDLE h1 = Open(L"ZYN_LPRPort1");
    ASSERT_TRUE(h0 && h1);
    LONG live = LivePortRecords();

    // Deleted through the entry: record leaves the list, key is gone.
    EXPECT_TRUE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_LPRPort0")));
    HKEY k = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_LPRPort0").c_str(), &k));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_LPRPort0")));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    // Vanished from the registry behind the monitor's back.
    key.RemovePortKey("ZYN_LPRPort1");
    Enum();
    EXPECT_EQ(0u, Enum());

    EXPECT_EQ(live, LivePortRecords()) << "held records must not be freed";
    EXPECT_STREQ("ZYN_LPRPort0", static_cast<LprPort*>(h0)->Name());
    EXPECT_EQ(PORT_SPOOL_FILE, static_cast<LprPort*>(h1)->flags);
    EXPECT_EQ(h0, PortFromHandle(h0));
    EXPECT_TRUE(LprClosePort(h0));
    EXPECT_TRUE(LprClosePort(h1));
    EXPECT_EQ(live - 2, LivePortRecords());
}

TEST_F(PortHandleTest, DeletePortNeverDeletesTheWrongKey) {
    key.AddPort("ZYN_keep", "h", "q");
    key.AddPort("ZYN_keep\\deeper", "h", "q");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"")));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_keep\\deeper")));
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, key.Path().c_str(), &k));
    RegCloseKey(k);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_keep\\deeper").c_str(), &k));
    RegCloseKey(k);
    // A port key the list never saw is deleted all the same (FALSE, 1796);
    // a key that is no port of the monitor's is never touched.
    key.AddPort("ZYN_unlisted");
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_unlisted")));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_unlisted").c_str(), &k));
    key.AddPort("Other");
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"Other")));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\Other").c_str(), &k));
    RegCloseKey(k);
    // A listed port whose key cannot be deleted (it holds a subkey) is no
    // success: the key would bring the port back at the next EnumPorts.
    Enum();
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_keep")));
    EXPECT_NE(0xdeadbeefu, GetLastError());
    EXPECT_NE(DWORD(ERROR_SUCCESS), GetLastError());
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_keep").c_str(), &k));
    RegCloseKey(k);
}

TEST_F(PortHandleTest, EntriesFromManyThreadsWhileTheRegistryChanges) {
    for (int i = 0; i < 4; ++i) key.AddPort("ZYN_LPRPort" + std::to_string(i), "h", "q");
    Enum();
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0}, opens{0};
    std::thread writer([&] {
        for (int round = 0; !stop; ++round) {
            std::string name = "ZYN_Churn" + std::to_string(round % 5);
            key.AddPort(name, "churnhost", "q");
            key.AddPort("ZYN_LPRPort" + std::to_string(round % 4), round % 2 ? "a" : "b", "q");
            key.RemovePortKey("ZYN_Churn" + std::to_string((round + 2) % 5));
            if (round % 7 == 0) {
                std::wstring w(name.begin(), name.end());
                LprDeletePort(nullptr, nullptr, &w[0]);
            }
        }
    });
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            std::wstring name = L"ZYN_LPRPort" + std::to_wstring(t);
            for (int i = 0; i < 150; ++i) {
                HANDLE h = Open(name.c_str());
                if (!h) {
                    ++failures;
                    continue;
                }
                ++opens;
                auto* port = static_cast<LprPort*>(h);
                std::vector<BYTE> buf(4096);
                DWORD needed = 0, returned = 0;
                LprEnumPorts(nullptr, 2, buf.data(), DWORD(buf.size()), &needed, &returned);
                if (port->signature != kPortSignature || strncmp(port->Name(), "ZYN_LPRPort", 11) != 0) ++failures;
                LprClosePort(h);
            }
        });
    }
    for (auto& w : workers) w.join();
    stop = true;
    writer.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(600, opens.load());
}

// Handles the monitor did not hand out, or took back: a closed one, one
// whose record is freed, a listed record never opened, a made-up record
// that carries the right signature, and a small number. Every entry that
// takes a port handle refuses them and changes nothing.
TEST_F(PortHandleTest, HandlesNotHandedOutAreRefusedByEveryEntry) {
    key.AddPort("ZYN_Closed", "h", "q");
    key.AddPort("ZYN_Gone", "h", "q");
    key.AddPort("ZYN_Unopened", "h", "q");
    Enum();
    HANDLE closed = Open(L"ZYN_Closed");
    HANDLE gone = Open(L"ZYN_Gone");
    ASSERT_TRUE(closed && gone);
    ASSERT_TRUE(LprClosePort(closed));
    ASSERT_TRUE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(L"ZYN_Gone")));
    ASSERT_TRUE(LprClosePort(gone));  // its record is freed now
    LprPort* unopened = nullptr;
    {
        MonitorLockGuard lock;
        unopened = FindPort("ZYN_Unopened");
    }
    ASSERT_NE(nullptr, unopened);
    LprPort madeUp = {};
    madeUp.signature = kPortSignature;
    madeUp.flags = PORT_SPOOL_FILE;
    LONG live = LivePortRecords();

    DOC_INFO_1W doc = {const_cast<LPWSTR>(L"doc"), nullptr, nullptr};
    BYTE data[16] = "payload";
    COMMTIMEOUTS timeouts = {};
    using Call = BOOL (*)(HANDLE, DOC_INFO_1W*, BYTE*, COMMTIMEOUTS*);
    const struct { const char* what; Call call; } calls[] = {
        {"StartDocPort", [](HANDLE h, DOC_INFO_1W* d, BYTE*, COMMTIMEOUTS*) {
             return LprStartDocPort(h, nullptr, 1, 1, reinterpret_cast<LPBYTE>(d));
         }},
        {"WritePort", [](HANDLE h, DOC_INFO_1W*, BYTE* b, COMMTIMEOUTS*) {
             DWORD written = 0;
             return LprWritePort(h, b, 7, &written);
         }},
        {"ReadPort", [](HANDLE h, DOC_INFO_1W*, BYTE* b, COMMTIMEOUTS*) {
             DWORD read = 0;
             return LprReadPort(h, b, 7, &read);
         }},
        {"EndDocPort", [](HANDLE h, DOC_INFO_1W*, BYTE*, COMMTIMEOUTS*) { return LprEndDocPort(h); }},
        {"GetPrinterDataFromPort", [](HANDLE h, DOC_INFO_1W*, BYTE* b, COMMTIMEOUTS*) {
             DWORD cb = 0;
             return LprGetPrinterDataFromPort(h, 1, nullptr, nullptr, 0, reinterpret_cast<LPWSTR>(b), 8, &cb);
         }},
        {"SetPortTimeOuts", [](HANDLE h, DOC_INFO_1W*, BYTE*, COMMTIMEOUTS* t) {
             return LprSetPortTimeOuts(h, t, 0);
         }},
        {"ClosePort", [](HANDLE h, DOC_INFO_1W*, BYTE*, COMMTIMEOUTS*) { return LprClosePort(h); }},
    };
    const struct { const char* what; HANDLE handle; } handles[] = {
        {"closed", closed},
        {"freed", gone},
        {"never opened", unopened},
        {"made up with the signature", &madeUp},
        {"small number", reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x20))},
    };
    for (const auto& h : handles) {
        for (const auto& c : calls) {
            SCOPED_TRACE(std::string(h.what) + " / " + c.what);
            EXPECT_FALSE(c.call(h.handle, &doc, data, &timeouts));
        }
    }
    EXPECT_EQ(PORT_SPOOL_FILE, madeUp.flags);
    EXPECT_FALSE(madeUp.spoolFile) << "no spool file was made for it";
    EXPECT_EQ(PORT_SPOOL_FILE, unopened->flags);
    EXPECT_EQ(nullptr, unopened->SpoolFileName());
    EXPECT_EQ(live, LivePortRecords()) << "no reference was dropped";

    // Still refused after a real handle on the same record is opened and closed.
    HANDLE real = Open(L"ZYN_Unopened");
    ASSERT_EQ(real, static_cast<HANDLE>(unopened));
    EXPECT_TRUE(LprClosePort(real));
    EXPECT_FALSE(LprClosePort(real));
}

}  // namespace
