// The port list against Wine's real registry: which keys are ports, their
// descriptions, the name lookups, and EnumPorts' buffer protocol byte for
// byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <functional>
#include <vector>

#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"

using namespace zynlpr;

namespace {

class PortListTest : public ::testing::Test {
protected:
    montest::PortsKey key;

    std::vector<std::string> ListedNames() {
        MonitorLockGuard lock;
        ReloadPorts();
        std::vector<std::string> names;
        for (LprPort* p = FirstPort(); p; p = p->next) names.push_back(p->Name());
        return names;
    }
    std::string DescriptionOf(const char* name) {
        MonitorLockGuard lock;
        ReloadPorts();
        LprPort* p = FindPort(name);
        return p && p->Description() ? p->Description() : "<none>";
    }
};

TEST_F(PortListTest, OnlyKeysWithThePrefixAreTakenWhateverTheirCase) {
    key.AddPort("ZYN_LPRPort0", "printhost", "raw");
    key.AddPort("Other", "h", "q");
    key.AddPort("zyn_x");
    key.AddPort("ZYN");
    auto names = ListedNames();
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ("ZYN_LPRPort0", names[0]);
    EXPECT_EQ("zyn_x", names[1]);
    EXPECT_TRUE(HasPortPrefix("zYn_x"));
    EXPECT_FALSE(HasPortPrefix("ZYN"));
    EXPECT_FALSE(HasPortPrefix(""));
}

TEST_F(PortListTest, NamesOf99CharactersAreSeenAndOf100AreNot) {
    std::string n99 = "ZYN_" + std::string(95, 'a');
    std::string n100 = "ZYN_" + std::string(96, 'b');
    key.AddPort(n99);
    key.AddPort(n100);
    key.AddPort("ZYN_after");
    auto names = ListedNames();
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ(n99, names[0]);
    EXPECT_EQ("ZYN_after", names[1]);  // the long key is skipped, enumeration goes on
}

TEST_F(PortListTest, MissingPortsKeyGivesAnEmptyListAndEnumPortsSucceeds) {
    key.AddPort("ZYN_LPRPort0", "h", "q");
    ListedNames();
    key.DeleteAll();
    EXPECT_TRUE(ListedNames().empty());
    DWORD needed = 0xdeadbeef, returned = 0xdeadbeef;
    BYTE buffer[8];
    EXPECT_TRUE(LprEnumPorts(nullptr, 2, buffer, sizeof buffer, &needed, &returned));
    EXPECT_EQ(0u, needed);
    EXPECT_EQ(0u, returned);
}

TEST_F(PortListTest, DescriptionIsANetworkPathOrTheDefault) {
    key.AddPort("ZYN_both", "printhost", "raw");
    key.AddPort("ZYN_none");
    key.AddPort("ZYN_hostonly", "printhost", nullptr);
    key.AddPort("ZYN_queueonly", nullptr, "raw");
    EXPECT_EQ("\\\\printhost\\raw", DescriptionOf("ZYN_both"));
    EXPECT_EQ("LPR port (not configured)", DescriptionOf("ZYN_none"));
    EXPECT_EQ("\\\\printhost\\", DescriptionOf("ZYN_hostonly"));
    EXPECT_EQ("\\\\\\raw", DescriptionOf("ZYN_queueonly"));
}

TEST_F(PortListTest, RegistryValuesOfTheWrongTypeOrWithoutTerminatorAreReadSafely) {
    DWORD number = 42;
    key.SetRaw("ZYN_dword", "HostName", REG_DWORD, &number, sizeof number);
    key.SetRaw("ZYN_dword", "QueueName", REG_BINARY, "raw", 3);
    // REG_SZ data without its terminator.
    std::string host(200, 'h');
    key.SetRaw("ZYN_unterminated", "HostName", REG_SZ, host.data(), static_cast<DWORD>(host.size()));
    key.SetRaw("ZYN_unterminated", "QueueName", REG_SZ, "q", 1);
    // Too long for the 260-byte buffer: counts as missing, not cut off.
    std::string tooLong(300, 'x');
    key.SetRaw("ZYN_toolong", "HostName", REG_SZ, tooLong.c_str(), static_cast<DWORD>(tooLong.size() + 1));
    key.SetRaw("ZYN_toolong", "QueueName", REG_SZ, "q", 2);
    // 259 characters and the terminator fill the 260-byte buffer exactly:
    // read whole. 260 characters without a terminator can't be: missing.
    std::string longest(259, 'L');
    key.SetRaw("ZYN_longest", "HostName", REG_SZ, longest.c_str(), 260);
    key.SetRaw("ZYN_longest", "QueueName", REG_SZ, "q", 2);
    std::string full(260, 'F');
    key.SetRaw("ZYN_full", "HostName", REG_SZ, full.data(), 260);
    key.SetRaw("ZYN_full", "QueueName", REG_SZ, "q", 2);

    EXPECT_EQ("LPR port (not configured)", DescriptionOf("ZYN_dword"));
    EXPECT_EQ("\\\\" + host + "\\q", DescriptionOf("ZYN_unterminated"));
    EXPECT_EQ("\\\\\\q", DescriptionOf("ZYN_toolong"));
    EXPECT_EQ("\\\\" + longest + "\\q", DescriptionOf("ZYN_longest"));
    EXPECT_EQ("\\\\\\q", DescriptionOf("ZYN_full"));
}

TEST_F(PortListTest, FindPortTriesTheColonVariantAndRemovePortDoesNot) {
    MonitorLockGuard lock;
    ASSERT_NE(nullptr, CreatePort("ZYN_LPRPort0", "d"));
    ASSERT_NE(nullptr, CreatePort("ZYN_B:", ""));
    EXPECT_STREQ("ZYN_LPRPort0", FindPort("zyn_lprport0:")->Name());
    EXPECT_STREQ("ZYN_B:", FindPort("ZYN_B")->Name());
    EXPECT_STREQ("ZYN_B:", FindPort("ZYN_B:")->Description());  // empty description -> the name
    EXPECT_EQ(nullptr, FindPort(""));
    EXPECT_EQ(nullptr, FindPort("ZYN_C"));

    DWORD error = 0xdeadbeef;
    EXPECT_FALSE(RemovePort("ZYN_LPRPort0:", &error));
    EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), error);
    EXPECT_FALSE(RemovePort("ZYN_B", &error));
    EXPECT_TRUE(RemovePort("zyn_b:", &error));
    EXPECT_EQ(nullptr, FindPort("ZYN_B"));
    LprPort* p = FindPort("ZYN_LPRPort0");
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(kPortSignature, p->signature);
    EXPECT_EQ(PORT_SPOOL_FILE, p->flags);
    EXPECT_EQ(sizeof(LprPort) + 13, p->size);
}

// Many ports: records are found again by name (not by walking), so the
// list's order, the records kept and the ones dropped must still match the
// registry exactly.
TEST_F(PortListTest, AReloadOfManyPortsKeepsEachRecordAndTheRegistryOrder) {
    const LONG liveAtStart = LivePortRecords();
    std::vector<std::string> names;
    for (int i = 0; i < 150; ++i) names.push_back("ZYN_P" + std::to_string(1000 + i));
    for (const auto& n : names) key.AddPort(n, "h", n.c_str());
    std::vector<LprPort*> before;
    {
        MonitorLockGuard lock;
        ReloadPorts();
        for (LprPort* p = FirstPort(); p; p = p->next) before.push_back(p);
    }
    ASSERT_EQ(names, ListedNames());
    for (size_t i = 0; i < names.size(); i += 3) key.RemovePortKey(names[i]);
    key.AddPort("ZYN_P0999", "h", "new");

    MonitorLockGuard lock;
    ReloadPorts();
    size_t i = 0;
    LprPort* p = FirstPort();
    ASSERT_NE(nullptr, p);
    EXPECT_STREQ("ZYN_P0999", p->Name());
    for (p = p->next; p; p = p->next, ++i) {
        if (i % 3 == 0) ++i;  // removed
        ASSERT_LT(i, names.size());
        EXPECT_EQ(names[i], p->Name());
        EXPECT_EQ(before[i], p) << "record of " << names[i] << " not kept";
        EXPECT_EQ("\\\\h\\" + names[i], p->Description());
    }
    EXPECT_EQ(names.size(), i);
    EXPECT_EQ(LONG(names.size() - 50 + 1), LivePortRecords() - liveAtStart);
}

// --- EnumPorts ------------------------------------------------------------

class EnumPortsTest : public PortListTest {
protected:
    void SetUp() override {
        key.AddPort("ZYN_LPRPort0", "printhost", "raw");
        key.AddPort("ZYN_P1");
    }
    static size_t Wide(const std::string& s) { return 2 * (s.size() + 1); }
};

TEST_F(EnumPortsTest, Level1PacksNamesFromTheEndDownward) {
    const size_t need = 2 * sizeof(PORT_INFO_1W) + Wide("ZYN_LPRPort0") + Wide("ZYN_P1");
#if !defined(_WIN64)
    EXPECT_EQ(6u + 2 * 12 + 6 + 2 * 6, need);
#endif
    DWORD needed = 0, returned = 0xdeadbeef;
    std::vector<BYTE> buf(need + 16, 0xcc);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprEnumPorts(nullptr, 1, buf.data(), DWORD(need - 1), &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(need, needed);
    EXPECT_EQ(0xdeadbeefu, returned);
    EXPECT_EQ(0xcc, buf[0]);  // nothing written

    ASSERT_TRUE(LprEnumPorts(nullptr, 1, buf.data(), DWORD(need), &needed, &returned));
    EXPECT_EQ(2u, returned);
    EXPECT_EQ(need, needed);
    auto* info = reinterpret_cast<PORT_INFO_1W*>(buf.data());
    BYTE* end = buf.data() + need;
    EXPECT_EQ(end - Wide("ZYN_LPRPort0"), reinterpret_cast<BYTE*>(info[0].pName));
    EXPECT_EQ(end - Wide("ZYN_LPRPort0") - Wide("ZYN_P1"), reinterpret_cast<BYTE*>(info[1].pName));
    EXPECT_EQ("ZYN_LPRPort0", montest::Narrow(info[0].pName));
    EXPECT_EQ("ZYN_P1", montest::Narrow(info[1].pName));
    EXPECT_EQ(0, end[-1]);
    EXPECT_EQ(0xcc, end[0]);  // not a byte beyond `need`

    // A larger buffer: strings go to ITS end.
    ASSERT_TRUE(LprEnumPorts(nullptr, 1, buf.data(), DWORD(need + 1), &needed, &returned));
    EXPECT_EQ(need, needed);
    EXPECT_EQ(buf.data() + need + 1 - Wide("ZYN_LPRPort0"), reinterpret_cast<BYTE*>(info[0].pName));
}

TEST_F(EnumPortsTest, Level2ReportsMonitorDescriptionAndType) {
    const std::string mon = "ZYN LPR Monitor", d0 = "\\\\printhost\\raw", d1 = "LPR port (not configured)";
    const size_t need = 2 * sizeof(PORT_INFO_2W) + Wide("ZYN_LPRPort0") + Wide(mon) + Wide(d0) +
                        Wide("ZYN_P1") + Wide(mon) + Wide(d1);
#if !defined(_WIN64)
    // Two 20-byte records, then each string in UTF-16 with its terminator.
    EXPECT_EQ(2 * 20u + 2 * (13 + 16 + 16) + 2 * (7 + 16 + 26), need);
#endif
    DWORD needed = 0, returned = 0;
    EXPECT_FALSE(LprEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(need, needed);

    std::vector<BYTE> buf(need);
    needed = 0;
    returned = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprEnumPorts(nullptr, 2, buf.data(), DWORD(need - 1), &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(need, needed);
    EXPECT_EQ(0xdeadbeefu, returned);
    ASSERT_TRUE(LprEnumPorts(nullptr, 2, buf.data(), DWORD(need), &needed, &returned));
    ASSERT_EQ(2u, returned);
    auto* info = reinterpret_cast<PORT_INFO_2W*>(buf.data());
    EXPECT_EQ("ZYN_LPRPort0", montest::Narrow(info[0].pPortName));
    EXPECT_EQ(mon, montest::Narrow(info[0].pMonitorName));
    EXPECT_EQ(d0, montest::Narrow(info[0].pDescription));
    EXPECT_EQ(DWORD(PORT_TYPE_WRITE), info[0].fPortType);
    EXPECT_EQ(0u, info[0].Reserved);
    EXPECT_EQ(d1, montest::Narrow(info[1].pDescription));
    // Order from the end: name, monitor, description of port 0, then port 1.
    BYTE* end = buf.data() + need;
    EXPECT_EQ(end - Wide("ZYN_LPRPort0"), reinterpret_cast<BYTE*>(info[0].pPortName));
    EXPECT_EQ(end - Wide("ZYN_LPRPort0") - Wide(mon), reinterpret_cast<BYTE*>(info[0].pMonitorName));
    EXPECT_EQ(reinterpret_cast<BYTE*>(info[0].pMonitorName) - Wide(d0), reinterpret_cast<BYTE*>(info[0].pDescription));
    EXPECT_EQ(reinterpret_cast<BYTE*>(info[0].pDescription) - Wide("ZYN_P1"), reinterpret_cast<BYTE*>(info[1].pPortName));
    EXPECT_EQ(buf.data() + 2 * sizeof(PORT_INFO_2W), reinterpret_cast<BYTE*>(info[1].pDescription));
}

// EnumPorts reads the registry again only when something below the Ports key
// changed (or the list was edited): each kind of change between two calls
// must show in the second, and no change must cost no reading.
TEST_F(EnumPortsTest, EveryChangeBetweenTwoCallsShowsInTheSecond) {
    auto listing = [] {
        DWORD needed = 0, returned = 0;
        LprEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
        std::vector<BYTE> buf(needed);
        std::vector<std::string> lines;
        if (!LprEnumPorts(nullptr, 2, buf.data(), needed, &needed, &returned)) return lines;
        auto* info = reinterpret_cast<PORT_INFO_2W*>(buf.data());
        for (DWORD i = 0; i < returned; ++i)
            lines.push_back(montest::Narrow(info[i].pPortName) + "=" + montest::Narrow(info[i].pDescription));
        return lines;
    };
    const std::string other = key.Path() + "2";
    struct Case {
        const char* change;
        std::function<void()> make;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"nothing", [] {}, {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P1=LPR port (not configured)"}},
        {"a port key added", [&] { key.AddPort("ZYN_P0", "h", "q"); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P0=\\\\h\\q", "ZYN_P1=LPR port (not configured)"}},
        {"a host changed", [&] { key.AddPort("ZYN_P0", "h2"); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P0=\\\\h2\\q", "ZYN_P1=LPR port (not configured)"}},
        {"a port key deleted", [&] { key.RemovePortKey("ZYN_P0"); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P1=LPR port (not configured)"}},
        {"a record removed from the list only", [] { MonitorLockGuard l; RemovePort("ZYN_P1", nullptr); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P1=LPR port (not configured)"}},
        {"a record added to the list only", [] { MonitorLockGuard l; CreatePort("ZYN_Mem", "m"); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P1=LPR port (not configured)"}},
        {"the default description changed", [] { strcpy(g_module.defaultDescription, "unset"); },
         {"ZYN_LPRPort0=\\\\printhost\\raw", "ZYN_P1=unset"}},
        {"another Ports key", [&] {
             HKEY k = nullptr;
             RegCreateKeyA(HKEY_LOCAL_MACHINE, (other + "\\ZYN_Other").c_str(), &k);
             RegCloseKey(k);
             MonitorLockGuard l;
             strcpy(g_module.portsKeyPath, other.c_str());
         },
         {"ZYN_Other=unset"}},
        {"its only port key deleted", [&] { RegDeleteKeyA(HKEY_LOCAL_MACHINE, (other + "\\ZYN_Other").c_str()); },
         {}},
        {"a port key added to the then empty key", [&] {
             HKEY k = nullptr;
             RegCreateKeyA(HKEY_LOCAL_MACHINE, (other + "\\ZYN_Back").c_str(), &k);
             RegCloseKey(k);
         },
         {"ZYN_Back=unset"}},
    };
    listing();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        c.make();
        EXPECT_EQ(c.expected, listing());
    }
    {
        MonitorLockGuard lock;
        EXPECT_FALSE(RefreshPorts()) << "read again without a change";
    }
    montest::DeleteTree(HKEY_LOCAL_MACHINE, other);
}

TEST_F(EnumPortsTest, Level0CountsAndLevel3IsRefusedBeforeTheRegistryIsRead) {
    DWORD needed = 0xdeadbeef, returned = 0xdeadbeef;
    BYTE sentinel = 0xcc;
    ASSERT_TRUE(LprEnumPorts(nullptr, 0, &sentinel, 0, &needed, &returned));
    EXPECT_EQ(0u, needed);
    EXPECT_EQ(2u, returned);
    EXPECT_EQ(0xcc, sentinel);

    needed = returned = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprEnumPorts(nullptr, 3, nullptr, 0, &needed, &returned));
    EXPECT_EQ(DWORD(ERROR_INVALID_LEVEL), GetLastError());
    EXPECT_EQ(0xdeadbeefu, needed);
}

}  // namespace
