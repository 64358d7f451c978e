// A hostile registry, made from a seed (printed, so a failure can be made
// again): thousands of foreign subkeys beside the ports, port names of every
// length, and port values of random types and lengths (empty, one byte,
// around the 260-byte buffers, 64 KiB; terminated or not; binary, numbers,
// multi-strings). EnumPorts must report exactly the ports it can name, with
// every string inside the caller's buffer; OpenPort must find each of them;
// the job path must end each job with a message, never a crash.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "message_box_watcher.h"
#include "monitor/messages.h"
#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"

using namespace zynlpr;

namespace {

struct Rng {
    uint64_t state;
    uint32_t Below(uint32_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>((state >> 33) % n);
    }
};

// A value of a random type, length and termination.
void WriteHostileValue(const montest::PortsKey& key, const std::string& port, const char* value, Rng& rng) {
    static const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD, REG_NONE};
    static const DWORD lengths[] = {0, 1, 2, 4, 99, 258, 259, 260, 261, 520, 4096, 65536};
    const DWORD type = types[rng.Below(7)];
    const DWORD cb = lengths[rng.Below(12)];
    std::vector<BYTE> data(cb + 1);
    const bool printable = rng.Below(2) == 0;
    for (BYTE& b : data) b = printable ? static_cast<BYTE>('a' + rng.Below(26)) : static_cast<BYTE>(1 + rng.Below(255));
    if (cb > 0 && rng.Below(2) == 0) data[cb - 1] = 0;  // terminated, or not
    key.SetRaw(port, value, type, data.data(), cb);
}

class RegistryHostilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string nls = montest::ExeDir() + "zynlpr.nls";
        if (!g_module.messageModule) {
            g_module.messageModule = LoadLibraryExA(nls.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            if (g_module.messageModule) LoadMessageTable(g_module.messageModule);
        }
        printf("seed %llu\n", static_cast<unsigned long long>(kSeed));
    }
    void TearDown() override {
        MonitorLockGuard lock;
        strcpy(g_module.portsKeyPath, "Software\\ZynMonitorTests\\none");
        ReloadPorts();
    }
    static constexpr uint64_t kSeed = 20261209;
    montest::PortsKey key;
};

TEST_F(RegistryHostilityTest, PortsAmongThousandsOfForeignKeysWithValuesOfAnyShape) {
    Rng rng{kSeed};
    HKEY ports = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, key.Path().c_str(), &ports));
    for (int i = 0; i < 3000; ++i) {
        // Foreign names, some that nearly carry the prefix.
        static const char* const stems[] = {"Foreign", "ZY_", "ZYN", "zyn-", "Port"};
        char name[64];
        snprintf(name, sizeof name, "%s%05d", stems[i % 5], i);
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(ports, name, &k)) << name;
        if (i % 10 == 0) montest::SetText(k, "HostName", "foreign");
        RegCloseKey(k);
    }
    // The banner switch on the Ports key itself, 64 KiB of binary.
    std::vector<BYTE> banner(65536, 0x31);
    RegSetValueExA(ports, "ZYNLPR_bPrintBanner", 0, REG_BINARY, banner.data(), static_cast<DWORD>(banner.size()));
    RegCloseKey(ports);

    std::set<std::string> expected;  // the ports EnumPorts can name: names of at most 99 characters
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) {
        const uint32_t length = i % 6 == 0 ? 95 + rng.Below(10) : 5 + rng.Below(40);
        std::string name = "ZYN_" + std::to_string(i) + "_";
        while (name.size() < length) name.push_back(static_cast<char>('A' + rng.Below(26)));
        key.AddPort(name);  // some keep no values at all
        for (const char* value : {"HostName", "QueueName", "TimeOut", "Seqno", "DoLpq", "DoGrace"})
            if (rng.Below(5) != 0) WriteHostileValue(key, name, value, rng);
        names.push_back(name);
        if (name.size() <= 99) expected.insert(name);
    }

    for (DWORD level : {1u, 2u}) {
        SCOPED_TRACE(level);
        DWORD needed = 0, returned = 0;
        EXPECT_FALSE(LprEnumPorts(nullptr, level, nullptr, 0, &needed, &returned));
        ASSERT_GT(needed, 0u);
        // The buffer sits between guard zones that must come back untouched.
        const size_t guard = 4096;
        std::vector<BYTE> block(guard + needed + guard, 0xA5);
        BYTE* buffer = block.data() + guard;
        ASSERT_TRUE(LprEnumPorts(nullptr, level, buffer, needed, &needed, &returned));
        for (size_t i = 0; i < guard; ++i) {
            ASSERT_EQ(0xA5, block[i]) << "written before the buffer";
            ASSERT_EQ(0xA5, block[guard + needed + i]) << "written after the buffer";
        }
        auto inside = [&](const wchar_t* s) {
            if (!s) return true;
            auto* p = reinterpret_cast<const BYTE*>(s);
            if (p < buffer || p >= buffer + needed) return false;
            for (; p + 1 < buffer + needed; p += 2)
                if (p[0] == 0 && p[1] == 0) return true;
            return false;
        };
        std::set<std::string> listed;
        for (DWORD i = 0; i < returned; ++i) {
            const wchar_t* name = level == 1 ? reinterpret_cast<PORT_INFO_1W*>(buffer)[i].pName
                                             : reinterpret_cast<PORT_INFO_2W*>(buffer)[i].pPortName;
            ASSERT_TRUE(inside(name)) << i;
            if (level == 2) {
                const PORT_INFO_2W& info = reinterpret_cast<PORT_INFO_2W*>(buffer)[i];
                EXPECT_TRUE(inside(info.pMonitorName) && inside(info.pDescription)) << i;
                EXPECT_LT(wcslen(info.pDescription), 600u);
            }
            listed.insert(montest::Narrow(name));
        }
        EXPECT_EQ(expected, listed);
    }

    for (const std::string& name : expected) {
        std::wstring wide(name.begin(), name.end());
        HANDLE h = nullptr;
        ASSERT_TRUE(LprOpenPort(&wide[0], &h)) << name;
        EXPECT_TRUE(LprClosePort(h));
    }

    // Jobs on a few of the ports: the values are read through the job path.
    // Half keep their hostile host; the others get an address where no
    // server listens, so that the queue and banner reads are reached too.
    MessageBoxWatcher watcher(IDOK);
    int jobs = 0;
    for (const std::string& name : expected) {
        if (jobs == 8) break;
        if (jobs % 2) key.SetRaw(name, "HostName", REG_SZ, "127.254.253.252", 16);
        std::wstring wide(name.begin(), name.end());
        HANDLE h = nullptr;
        ASSERT_TRUE(LprOpenPort(&wide[0], &h)) << name;
        DOC_INFO_1W doc = {const_cast<LPWSTR>(L"hostile"), nullptr, nullptr};
        BYTE data[] = "job bytes";
        DWORD written = 0;
        const size_t boxes = watcher.Count();
        ASSERT_TRUE(LprStartDocPort(h, nullptr, 1, 1, reinterpret_cast<LPBYTE>(&doc))) << name;
        EXPECT_TRUE(LprWritePort(h, data, sizeof data, &written));
        EXPECT_TRUE(LprEndDocPort(h));
        EXPECT_GT(watcher.Count(), boxes) << name << ": the failed job is reported";
        EXPECT_TRUE(LprClosePort(h));
        ++jobs;
    }
    EXPECT_EQ(8, jobs);
}

}  // namespace
