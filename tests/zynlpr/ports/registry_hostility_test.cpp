// A hostile registry, made from a seed (printed, so a failure can be made
// again): thousands of foreign subkeys beside the ports, port names of every
// length, and port values of random types and lengths (empty, one byte,
// around the 260-byte buffers, 64 KiB; terminated or not; binary, numbers,
// multi-strings). EnumPorts must report exactly the ports it can name, with
// every string inside the caller's buffer; OpenPort must find each of them;
// the job path must end each job with a message, never a crash; the
// port-settings dialog must offer only the monitor's own hosts and show every
// stored value within its field's limit, and OK must write well-formed values.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "message_box_watcher.h"
#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"
#include "port_dialog_driver.h"
#include "ui/messages.h"

using namespace zynlpr;
using montest::DialogScript;
using montest::PortDialog;

namespace {

struct Rng {
    uint64_t state;
    uint32_t Below(uint32_t n) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>((state >> 33) % n);
    }
};

// A value of a random type, length and termination, of letters or (unless
// printableOnly) of any bytes but zero.
void WriteHostileValue(const montest::PortsKey& key, const std::string& port, const char* value, Rng& rng,
                       bool printableOnly = false) {
    static const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD, REG_QWORD, REG_NONE};
    static const DWORD lengths[] = {0, 1, 2, 4, 99, 258, 259, 260, 261, 520, 4096, 65536};
    const DWORD type = types[rng.Below(7)];
    const DWORD cb = lengths[rng.Below(12)];
    std::vector<BYTE> data(cb + 1);
    const bool printable = rng.Below(2) == 0 || printableOnly;
    for (BYTE& b : data) b = printable ? static_cast<BYTE>('a' + rng.Below(26)) : static_cast<BYTE>(1 + rng.Below(255));
    if (cb > 0 && rng.Below(2) == 0) data[cb - 1] = 0;  // terminated, or not
    key.SetRaw(port, value, type, data.data(), cb);
}

// What a value holds up to its first zero byte, of any type.
std::string RawText(const montest::PortsKey& key, const std::string& port, const char* value) {
    std::vector<char> data(70000, 0);
    DWORD cb = DWORD(data.size() - 1);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, (key.Path() + "\\" + port).c_str(), value, RRF_RT_ANY | RRF_NOEXPAND,
                     nullptr, data.data(), &cb) != ERROR_SUCCESS)
        return "";
    return data.data();
}

// A value as OK writes it: REG_SZ, its terminator counted, nothing behind it.
std::string Written(const montest::PortsKey& key, const std::string& port, const char* value) {
    char data[600] = {};
    DWORD type = 0, cb = sizeof data - 1;
    HKEY k = nullptr;
    RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\" + port).c_str(), &k);
    LONG rc = RegQueryValueExA(k, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &cb);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || type != REG_SZ || cb != strlen(data) + 1) return "<malformed>";
    return data;
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

    // The host list of a new port: the monitor's own hosts only, each as stored.
    std::set<std::string> stored;
    for (const std::string& name : names) stored.insert(RawText(key, name, "HostName"));
    std::vector<std::string> offered;
    DialogScript script([&](PortDialog& d) {
        for (LRESULT i = 0, n = d.Send(1006, CB_GETCOUNT); i < n && i < 100; ++i) {
            char host[1024] = {};
            if (d.Send(1006, CB_GETLBTEXTLEN, WPARAM(i)) < LRESULT(sizeof host))
                d.Send(1006, CB_GETLBTEXT, WPARAM(i), LPARAM(host));
            offered.push_back(host);
        }
    }, 60000);
    EXPECT_FALSE(LprAddPort(nullptr, nullptr, nullptr));
    ASSERT_TRUE(script.Shown());
    EXPECT_FALSE(offered.empty());
    for (const std::string& host : offered) EXPECT_TRUE(stored.count(host)) << host;
}

// Values whose text is a number among junk, or beyond any field.
const char* const kNumberTexts[] = {"", "12junk", "99999999999999999999", "-5", " 7", "0045", "4294967296", "1000"};

TEST_F(RegistryHostilityTest, ConfigurePortShowsEveryValueWithinItsFieldAndWritesWellFormedOnes) {
    Rng rng{kSeed + 1};
    struct Field { int id; const char* value; size_t limit; bool number; } const fields[] = {
        {1006, "HostName", 260, false}, {1005, "QueueName", 130, false}, {1003, nullptr, 130, false},
        {1007, "Seqno", 3, true},       {1008, "TimeOut", 4, true},
    };
    MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
    for (int i = 0; i < 40; ++i) {
        const std::string name = "ZYN_c" + std::to_string(i);
        SCOPED_TRACE(name);
        key.AddPort(name);
        for (const char* value : {"HostName", "QueueName", "Seqno", "TimeOut", "DoLpq", "DoGrace"}) {
            const bool isNumber = !strcmp(value, "Seqno") || !strcmp(value, "TimeOut");
            const char* number = kNumberTexts[rng.Below(8)];
            if (isNumber && rng.Below(2))
                key.SetRaw(name, value, REG_SZ, number, DWORD(strlen(number) + 1));
            else if (rng.Below(5) != 0)
                // Letters only: Wine's text drawing faults on some texts of
                // arbitrary bytes shown in the host field, inside gdi32.
                WriteHostileValue(key, name, value, rng, true);
        }
        const std::string before = RawText(key, name, "HostName");
        const bool accept = i % 2 == 0;
        std::string shown[5];
        DialogScript script([&](PortDialog& d) {
            for (int f = 0; f < 5; ++f) shown[f] = d.Text(fields[f].id);
            if (!accept) return d.Click(IDCANCEL);
            // The checks want a user, a host and a queue; a reserved user would be refused.
            for (int f : {0, 1, 2})
                if (shown[f].empty() || f == 2) d.SetText(fields[f].id, shown[f] = f == 2 ? "alice" : "x");
            d.Click(IDOK);
        }, 60000);
        EXPECT_TRUE(LprConfigurePort(nullptr, nullptr, const_cast<LPWSTR>(std::wstring(name.begin(), name.end()).c_str())));
        ASSERT_TRUE(script.Shown());
        for (int f = 0; f < 5; ++f) {
            const std::string& text = shown[f];
            EXPECT_LE(text.size(), fields[f].limit) << fields[f].id;
            const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
            EXPECT_TRUE(digits || !fields[f].number) << fields[f].id << ": " << text;
        }
        // The queue shows a part of what is stored (the host may come from the list).
        const std::string queue = RawText(key, name, "QueueName");
        const bool printable = std::all_of(queue.begin(), queue.end(), [](char c) { return c >= ' ' && c <= '~'; });
        if (!accept) {
            EXPECT_TRUE(!printable || queue.compare(0, shown[1].size(), shown[1]) == 0) << shown[1];
            EXPECT_EQ(before, RawText(key, name, "HostName"));
            continue;
        }
        EXPECT_EQ(shown[0] + "|" + shown[1], Written(key, name, "HostName") + "|" + Written(key, name, "QueueName"));
        EXPECT_EQ(shown[3], Written(key, name, "Seqno"));
        EXPECT_EQ(shown[4], Written(key, name, "TimeOut"));
        for (const char* flag : {"DoLpq", "DoGrace"}) {
            const std::string v = Written(key, name, flag);
            EXPECT_TRUE(v == "0" || v == "1") << flag << ": " << v;
        }
    }
    EXPECT_EQ(0u, boxes.Count());
}

}  // namespace
