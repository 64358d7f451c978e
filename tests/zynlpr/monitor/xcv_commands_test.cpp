// The Xcv commands through the MONITOR2 table's Xcv entries: a table of
// commands with their answers and what each leaves in the registry, the
// administrator's right for every command that changes a port, and a seeded
// run of random commands and buffers after which every refused command must
// have left the registry as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "monitor/monitor2_adapter.h"
#include "monitor_test_support.h"
#include "seeded_random.h"
#include "xcv_protocol.h"

using namespace zynlpr;
using zynxcv::ZynXcvPortValues;

namespace {

using Bytes = std::vector<BYTE>;

Bytes Text(const std::wstring& text) {
    Bytes b((text.size() + 1) * sizeof(WCHAR));
    memcpy(b.data(), text.c_str(), b.size());
    return b;
}

ZynXcvPortValues Values(const wchar_t* port, const wchar_t* host, const wchar_t* queue, DWORD timeOut = 300,
                        DWORD seqno = 0, DWORD lpq = 1, DWORD grace = 1) {
    ZynXcvPortValues v = {};
    v.cbSize = sizeof v;
    v.layout = zynxcv::kZynXcvLayout;
    // A text as long as its array is left without its terminator.
    wcsncpy(v.portName, port, zynxcv::kPortNameMax + 1);
    wcsncpy(v.hostName, host, zynxcv::kHostMax + 1);
    wcsncpy(v.queueName, queue, zynxcv::kQueueMax + 1);
    v.timeOut = timeOut;
    v.seqno = seqno;
    v.doLpq = lpq;
    v.doGrace = grace;
    return v;
}

Bytes Record(const ZynXcvPortValues& v) {
    Bytes b(sizeof v);
    memcpy(b.data(), &v, sizeof v);
    return b;
}

Bytes Cut(Bytes b, size_t n) {
    b.resize(b.size() - n);
    return b;
}

// Every key and value below `path`, in a stable order.
std::string Dump(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<none>";
    std::string out;
    for (DWORD i = 0;; ++i) {
        char name[300];
        BYTE data[2048];
        DWORD cch = sizeof name, cb = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &cch, nullptr, &type, data, &cb) != ERROR_SUCCESS) break;
        out += std::string(name) + "=" + std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), cb) + ";";
    }
    for (DWORD i = 0;; ++i) {
        char name[300];
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS) break;
        out += "[" + std::string(name) + "]{" + Dump(key, name) + "}";
    }
    RegCloseKey(key);
    return out;
}

class XcvTest : public ::testing::Test {
protected:
    montest::PortsKey key;
    HANDLE monitor = nullptr, admin = nullptr, user = nullptr;
    LPMONITOR2 table = nullptr;

    void SetUp() override {
        table = OpenMonitor2(nullptr, &monitor);
        ASSERT_NE(nullptr, table);
        ASSERT_TRUE(table->pfnXcvOpenPort(monitor, L"ZYN LPR Monitor", SERVER_ACCESS_ADMINISTER, &admin));
        ASSERT_TRUE(table->pfnXcvOpenPort(monitor, L"ZYN LPR Monitor", SERVER_ACCESS_ENUMERATE, &user));
    }
    void TearDown() override {
        EXPECT_TRUE(table->pfnXcvClosePort(admin));
        EXPECT_TRUE(table->pfnXcvClosePort(user));
        EXPECT_FALSE(table->pfnXcvClosePort(admin)) << "a closed handle is refused";
        EXPECT_EQ(0, LiveXcvHandles());
        table->pfnShutdown(monitor);
    }
    std::string Registry() const { return Dump(HKEY_LOCAL_MACHINE, key.Path()); }
    DWORD Run(HANDLE xcv, const wchar_t* command, Bytes input, Bytes* output, DWORD* needed) {
        return table->pfnXcvDataPort(xcv, command, input.empty() ? nullptr : input.data(), DWORD(input.size()),
                                     output->empty() ? nullptr : output->data(), DWORD(output->size()), needed);
    }
};

std::string Stored(const montest::PortsKey& key, const char* port) {
    std::string all;
    for (const char* value : {"HostName", "QueueName", "TimeOut", "Seqno", "DoLpq", "DoGrace"}) {
        char buf[300] = {};
        DWORD cb = sizeof buf - 1;
        bool read = RegGetValueA(HKEY_LOCAL_MACHINE, (key.Path() + "\\" + port).c_str(), value, RRF_RT_REG_SZ,
                                 nullptr, buf, &cb) == ERROR_SUCCESS;
        all += (all.empty() ? "" : "|") + (read ? std::string(buf) : "<none>");
    }
    return all;
}

std::wstring WideOut(const Bytes& out, DWORD needed) {
    return std::wstring(reinterpret_cast<const wchar_t*>(out.data()), needed / sizeof(WCHAR));
}

// The rows run in order on one registry. `output` is the answer as text
// (wide texts as they are, with their terminators; DWORDs as numbers).
TEST_F(XcvTest, CommandsAnswerAndChangeTheRegistryAsTheirLayoutSays) {
    key.AddPort("ZYN_LPRPort0", "alpha", "raw");
    key.AddPort("ZYN_Other", "ALPHA", "lp");  // same host to the list, other case
    key.AddPort("ZYN_Third", "beta", "q");
    std::wstring longHost(259, L'h'), longQueue(130, L'q');
    ZynXcvPortValues layout2 = Values(L"", L"h", L"q");
    layout2.layout = 2;
    ZynXcvPortValues small = Values(L"", L"h", L"q");
    small.cbSize -= 4;
    Bytes unterminated = Cut(Text(L"ZYN_LPRPort0"), 2);
    ZynXcvPortValues noTerminator = Values(L"ZYN_LPRPort0", L"h", L"q");
    for (auto& c : noTerminator.queueName) c = L'q';
    enum Out { kNone, kText, kNumber, kRecord };
    struct Row {
        const char* what;
        const wchar_t* command;
        bool admin;
        Bytes input;
        DWORD outSize;
        DWORD error;
        DWORD needed;
        Out out;
        std::wstring answer;  // kText: the text; kRecord: "port|host|queue|t|s|l|g"
        bool changes;
    } rows[] = {
        {"ui module", L"MonitorUI", false, {}, 100, 0, 26, kText, std::wstring(L"zynlprui.dll", 13), false},
        {"ui module, short output", L"MonitorUI", true, {}, 25, ERROR_INSUFFICIENT_BUFFER, 26, kNone, L"", false},
        {"layout", L"ZynLayout", false, {}, 4, 0, 4, kNumber, L"1", false},
        {"unknown command", L"ZynNoSuch", true, {}, 100, ERROR_INVALID_PARAMETER, 0, kNone, L"", false},
        {"first free", L"ZynFirstFreeName", false, {}, 200, 0, 26, kText, std::wstring(L"ZYN_LPRPort1", 13), false},
        {"hosts, once each", L"ZynHostList", false, {}, 100, 0, 24, kText, std::wstring(L"alpha\0beta\0", 12), false},
        {"hosts, short output", L"ZynHostList", false, {}, 23, ERROR_INSUFFICIENT_BUFFER, 24, kNone, L"", false},
        {"exists", L"ZynPortExists", false, Text(L"ZYN_Third"), 4, 0, 4, kNumber, L"1", false},
        {"exists, no such", L"ZynPortExists", false, Text(L"ZYN_None"), 4, 0, 4, kNumber, L"0", false},
        {"exists, other form", L"ZynPortExists", false, Text(L"LPT1:"), 4, ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"exists, unterminated", L"ZynPortExists", false, unterminated, 4, ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"exists, no input", L"ZynPortExists", false, {}, 4, ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"get", L"ZynGetPort", false, Text(L"ZYN_LPRPort0"), sizeof(ZynXcvPortValues), 0, sizeof(ZynXcvPortValues),
         kRecord, L"ZYN_LPRPort0|alpha|raw|300|0|1|1", false},
        {"get, short output", L"ZynGetPort", false, Text(L"ZYN_LPRPort0"), 100, ERROR_INSUFFICIENT_BUFFER,
         sizeof(ZynXcvPortValues), kNone, L"", false},
        {"get, no such", L"ZynGetPort", false, Text(L"ZYN_None"), sizeof(ZynXcvPortValues), ERROR_UNKNOWN_PORT, 0,
         kNone, L"", false},
        {"get, backslash", L"ZynGetPort", false, Text(L"ZYN_A\\B"), sizeof(ZynXcvPortValues), ERROR_INVALID_DATA, 0,
         kNone, L"", false},
        {"add, no right", L"ZynAddPort", false, Record(Values(L"", L"h", L"q")), 200, ERROR_ACCESS_DENIED, 0, kNone,
         L"", false},
        {"add, first free", L"ZynAddPort", true, Record(Values(L"", L"gamma", L"lp", 60, 12, 0, 1)), 200, 0, 200,
         kText, std::wstring(L"ZYN_LPRPort1") + std::wstring(88, L'\0'), true},
        {"add, named", L"ZynAddPort", true, Record(Values(L"ZYN_Named", longHost.c_str(), longQueue.c_str(), 9999,
                                                          999, 1, 0)),
         0, 0, 0, kNone, L"", true},
        {"add, name taken", L"ZynAddPort", true, Record(Values(L"zyn_named", L"h", L"q")), 0, ERROR_ALREADY_EXISTS, 0,
         kNone, L"", false},
        {"add, short output", L"ZynAddPort", true, Record(Values(L"", L"h", L"q")), 199, ERROR_INSUFFICIENT_BUFFER,
         200, kNone, L"", false},
        {"add, other layout", L"ZynAddPort", true, Record(layout2), 0, ERROR_REVISION_MISMATCH, 0, kNone, L"", false},
        {"add, size field short", L"ZynAddPort", true, Record(small), 0, ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"add, input cut", L"ZynAddPort", true, Cut(Record(Values(L"", L"h", L"q")), 1), 0, ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"add, field unterminated", L"ZynAddPort", true, Record(noTerminator), 0, ERROR_INVALID_DATA, 0, kNone, L"",
         false},
        {"add, host of 260", L"ZynAddPort", true, Record(Values(L"", (longHost + L"h").c_str(), L"q")), 0,
         ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"add, empty host", L"ZynAddPort", true, Record(Values(L"", L"", L"q")), 0, ERROR_INVALID_DATA, 0, kNone,
         L"", false},
        {"add, newline in queue", L"ZynAddPort", true, Record(Values(L"", L"h", L"q\nH")), 0, ERROR_INVALID_DATA, 0,
         kNone, L"", false},
        {"add, time-out of 5 digits", L"ZynAddPort", true, Record(Values(L"", L"h", L"q", 10000)), 0,
         ERROR_INVALID_DATA, 0, kNone, L"", false},
        {"add, switch of 2", L"ZynAddPort", true, Record(Values(L"", L"h", L"q", 1, 1, 2)), 0, ERROR_INVALID_DATA, 0,
         kNone, L"", false},
        {"add, name not ours", L"ZynAddPort", true, Record(Values(L"LPT9:", L"h", L"q")), 0, ERROR_INVALID_DATA, 0,
         kNone, L"", false},
        {"set, no right", L"ZynSetPort", false, Record(Values(L"ZYN_Third", L"h", L"q")), 0, ERROR_ACCESS_DENIED, 0,
         kNone, L"", false},
        {"set", L"ZynSetPort", true, Record(Values(L"ZYN_Third", L"delta", L"raw", 5, 7, 0, 0)), 0, 0, 0, kNone, L"",
         true},
        {"set, no such", L"ZynSetPort", true, Record(Values(L"ZYN_None", L"h", L"q")), 0, ERROR_UNKNOWN_PORT, 0,
         kNone, L"", false},
        {"set, no name", L"ZynSetPort", true, Record(Values(L"", L"h", L"q")), 0, ERROR_INVALID_DATA, 0, kNone, L"",
         false},
        {"delete, no right", L"ZynDeletePort", false, Text(L"ZYN_Other"), 0, ERROR_ACCESS_DENIED, 0, kNone, L"",
         false},
        {"delete", L"ZynDeletePort", true, Text(L"ZYN_Other"), 0, 0, 0, kNone, L"", true},
        {"delete, gone", L"ZynDeletePort", true, Text(L"ZYN_Other"), 0, ERROR_UNKNOWN_PORT, 0, kNone, L"", false},
        {"delete, the Ports key", L"ZynDeletePort", true, Text(L""), 0, ERROR_INVALID_DATA, 0, kNone, L"", false},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string before = Registry();
        Bytes out(r.outSize, 0xCC);
        out.resize(r.outSize + 8, 0xCC);  // guard bytes past the given size
        DWORD needed = 0xdeadbeef;
        DWORD error = table->pfnXcvDataPort(r.admin ? admin : user, r.command,
                                            r.input.empty() ? nullptr : r.input.data(), DWORD(r.input.size()),
                                            r.outSize ? out.data() : nullptr, r.outSize, &needed);
        EXPECT_EQ(r.error, error);
        EXPECT_EQ(r.needed, needed);
        EXPECT_EQ(Bytes(8, 0xCC), Bytes(out.end() - 8, out.end())) << "written past the output";
        EXPECT_EQ(r.changes, before != Registry());
        if (r.out == kText) {
            EXPECT_EQ(r.answer, WideOut(out, needed));
        } else if (r.out == kNumber) {
            DWORD n = 0;
            memcpy(&n, out.data(), 4);
            EXPECT_EQ(r.answer, std::to_wstring(n));
        } else if (r.out == kRecord) {
            ZynXcvPortValues v;
            memcpy(&v, out.data(), sizeof v);
            EXPECT_EQ(r.answer, std::wstring(v.portName) + L"|" + v.hostName + L"|" + v.queueName + L"|" +
                                    std::to_wstring(v.timeOut) + L"|" + std::to_wstring(v.seqno) + L"|" +
                                    std::to_wstring(v.doLpq) + L"|" + std::to_wstring(v.doGrace));
            EXPECT_EQ(sizeof v, v.cbSize);
            EXPECT_EQ(zynxcv::kZynXcvLayout, v.layout);
        }
    }
    EXPECT_EQ("gamma|lp|60|12|0|1", Stored(key, "ZYN_LPRPort1"));
    EXPECT_EQ(std::string(259, 'h') + "|" + std::string(130, 'q') + "|9999|999|1|0", Stored(key, "ZYN_Named"));
    EXPECT_EQ("delta|raw|5|7|0|0", Stored(key, "ZYN_Third"));
    // The list follows: the added ports are listed with their descriptions.
    DWORD needed = 0, returned = 0;
    ASSERT_TRUE(table->pfnEnumPorts(monitor, nullptr, 1, nullptr, 0, &needed, &returned) ||
                GetLastError() == ERROR_INSUFFICIENT_BUFFER);
    Bytes ports(needed);
    ASSERT_TRUE(table->pfnEnumPorts(monitor, nullptr, 1, ports.data(), needed, &needed, &returned));
    std::set<std::string> names;
    for (DWORD i = 0; i < returned; ++i)
        names.insert(montest::Narrow(reinterpret_cast<PORT_INFO_1W*>(ports.data())[i].pName));
    EXPECT_EQ((std::set<std::string>{"ZYN_LPRPort0", "ZYN_LPRPort1", "ZYN_Named", "ZYN_Third"}), names);
}

TEST_F(XcvTest, AStoredValueBeyondTheDialogsLimitsIsAnsweredAsTheDialogShowsIt) {
    key.AddPort("ZYN_Wide", std::string(300, 'h').c_str(), std::string(200, 'q').c_str());
    HKEY k = nullptr;
    RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_Wide").c_str(), &k);
    montest::SetText(k, "TimeOut", "123456");
    montest::SetText(k, "Seqno", "1000");
    RegCloseKey(k);
    Bytes out(sizeof(ZynXcvPortValues));
    DWORD needed = 0;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), Run(user, L"ZynGetPort", Text(L"ZYN_Wide"), &out, &needed));
    ZynXcvPortValues v;
    memcpy(&v, out.data(), sizeof v);
    // A host longer than the 260-byte value buffer reads as none.
    EXPECT_EQ(std::wstring(130, L'q'), v.queueName);
    EXPECT_EQ(9999u, v.timeOut);
    EXPECT_EQ(999u, v.seqno);
    // What was answered is accepted back unchanged.
    if (!v.hostName[0]) wcscpy(v.hostName, L"h");
    Bytes none;
    EXPECT_EQ(DWORD(ERROR_SUCCESS), Run(admin, L"ZynSetPort", Record(v), &none, &needed));
}

TEST_F(XcvTest, RandomCommandsAndBuffersNeverChangeTheRegistryWhenRefused) {
    key.AddPort("ZYN_LPRPort0", "alpha", "raw");
    key.AddPort("ZYN_Keep", "beta", "lp");
    const wchar_t* commands[] = {L"MonitorUI",  L"ZynLayout",  L"ZynFirstFreeName", L"ZynHostList",
                                 L"ZynPortExists", L"ZynGetPort", L"ZynAddPort",   L"ZynSetPort",
                                 L"ZynDeletePort", L"ZynAddPorT", L""};
    const wchar_t* names[] = {L"ZYN_LPRPort0", L"ZYN_Keep", L"ZYN_New", L"zyn_x", L"ZYN_", L"ZYN", L"", L"ZYN_a\\b"};
    zyntest::Rng rng{20261209};
    int succeeded = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        const wchar_t* command = commands[rng.Below(sizeof commands / sizeof *commands)];
        Bytes input;
        switch (rng.Below(4)) {
        case 0:  // random bytes
            input.resize(rng.Below(1100));
            for (auto& b : input) b = BYTE(rng.Next());
            break;
        case 1:  // a name, maybe cut
            input = Text(names[rng.Below(sizeof names / sizeof *names)]);
            input.resize(rng.Below(2) ? input.size() : rng.Below(DWORD(input.size()) + 1));
            break;
        default: {  // a record with a few bytes changed, maybe cut or lengthened
            ZynXcvPortValues v = Values(rng.Below(3) ? names[rng.Below(3)] : L"", L"host", L"queue", rng.Below(10001),
                                        rng.Below(1001), rng.Below(2), rng.Below(2));
            input = Record(v);
            for (DWORD n = rng.Below(4); n > 0; --n) input[rng.Below(DWORD(input.size()))] = BYTE(rng.Next());
            if (rng.Below(8) == 0) input.resize(rng.Below(DWORD(input.size()) + 16));
        }
        }
        const DWORD outSize = rng.Below(3) ? rng.Below(1200) : 0;
        Bytes out(outSize + 8, 0xCC);
        const std::string before = Registry();
        DWORD needed = 0xdeadbeef;
        DWORD error = table->pfnXcvDataPort(rng.Below(4) ? admin : user, command,
                                            input.empty() ? nullptr : input.data(), DWORD(input.size()),
                                            outSize ? out.data() : nullptr, outSize, &needed);
        SCOPED_TRACE(testing::Message() << "command " << i << " error " << error);
        ASSERT_EQ(Bytes(8, 0xCC), Bytes(out.end() - 8, out.end())) << "written past the output";
        if (error == ERROR_SUCCESS) {
            ++succeeded;
            ASSERT_LE(needed, outSize);
        } else {
            ++refused;
            ASSERT_EQ(before, Registry());
            ASSERT_EQ(error == ERROR_INSUFFICIENT_BUFFER, needed > outSize) << needed;
        }
    }
    // Both kinds were reached: the run did not only bounce off the first check.
    EXPECT_GT(succeeded, 100);
    EXPECT_GT(refused, 1000);
}

}  // namespace
