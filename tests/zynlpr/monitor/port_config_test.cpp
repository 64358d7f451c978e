// AddPort and ConfigurePort through the real port-settings dialog, worked
// from a thread of the test: the name a new port gets, what is written and
// when, the checks with their messages and focus, the host list, two
// dialogs at once, and the "Devices" notice seen by a window of the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "message_box_watcher.h"
#include "monitor/messages.h"
#include "monitor/monitor_entries.h"
#include "monitor/port_values.h"
#include "monitor/user_name.h"
#include "monitor_test_support.h"
#include "port_dialog_driver.h"

using namespace zynlpr;
using montest::DialogScript;
using montest::PortDialog;

namespace {

int g_devicesNotices = 0;

LRESULT CALLBACK ListenerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && lp && strcmp(reinterpret_cast<const char*>(lp), "Devices") == 0)
        ++g_devicesNotices;
    return DefWindowProcA(w, msg, wp, lp);
}

std::string UserName() {
    char name[100];
    CurrentUserName(name, sizeof name);
    return name;
}

// Fills the three names and presses OK.
void Accept(PortDialog& d, const char* user, const char* host, const char* queue) {
    d.SetText(1003, user);
    d.SetText(1006, host);
    d.SetText(1005, queue);
    d.Click(IDOK);
}

class PortConfigTest : public ::testing::Test {
protected:
    montest::PortsKey key;
    HWND listener = nullptr;  // a top-level window of the test, owner of notices

    void SetUp() override {
        static HMODULE nls = LoadLibraryA((montest::ExeDir() + "zynlpr.nls").c_str());
        ASSERT_TRUE(nls && LoadMessageTable(nls));
        g_module.messageModule = nls;
        strcpy(g_module.helpFilePath, "C:\\nowhere\\TOLV.HLP");
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ListenerProc;
        wc.lpszClassName = "ZynPortConfigListener";
        RegisterClassA(&wc);
        listener = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        g_devicesNotices = 0;
    }
    void TearDown() override { DestroyWindow(listener); }

    void Reload() {
        MonitorLockGuard lock;
        ReloadPorts();
    }
    std::string Value(const std::string& port, const char* name) {
        HKEY k = nullptr;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\" + port).c_str(), &k) != ERROR_SUCCESS) return "<no key>";
        char buf[300] = {};
        DWORD cb = sizeof buf - 1;
        LONG rc = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb);
        RegCloseKey(k);
        return rc == ERROR_SUCCESS ? buf : "<none>";
    }
    DWORD PortKeys() {
        HKEY k = nullptr;
        DWORD n = 0;
        RegOpenKeyA(HKEY_LOCAL_MACHINE, key.Path().c_str(), &k);
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(k);
        return n;
    }
    BOOL Add() { return LprAddPort(nullptr, listener, nullptr); }
    BOOL Configure(const std::wstring& name) { return LprConfigurePort(nullptr, listener, const_cast<LPWSTR>(name.c_str())); }
};

TEST_F(PortConfigTest, NewPortTakesTheFirstFreeNumberAndNeverAnExistingKey) {
    struct Case { std::vector<const char*> listed, keyOnly; const char* shown; const char* created; } cases[] = {
        {{}, {}, "ZYN_LPRPort0", "ZYN_LPRPort0"},
        {{"ZYN_LPRPort0", "ZYN_LPRPort2"}, {}, "ZYN_LPRPort1", "ZYN_LPRPort1"},
        {{"ZYN_LPRPort0:"}, {}, "ZYN_LPRPort1", "ZYN_LPRPort1"},
        // A key the list has not seen (written by another program): kept, next number taken.
        {{"ZYN_LPRPort1"}, {"ZYN_LPRPort0", "ZYN_LPRPort2"}, "ZYN_LPRPort0", "ZYN_LPRPort3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.created);
        key.DeleteAll();
        montest::PortsKey fresh;
        for (const char* n : c.listed) fresh.AddPort(n, "old", "q");
        Reload();
        for (const char* n : c.keyOnly) fresh.AddPort(n, "old", "q");
        std::string shown;
        DialogScript script([&](PortDialog& d) {
            shown = d.Text(301);
            Accept(d, "alice", "newhost", "raw");
        });
        EXPECT_TRUE(Add());
        script.Join();
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ("newhost", Value(c.created, "HostName"));
        for (const char* n : c.keyOnly) EXPECT_EQ("old", Value(n, "HostName")) << n;
        MonitorLockGuard lock;
        ASSERT_NE(nullptr, FindPort(c.created));
        EXPECT_STREQ("\\\\newhost\\raw", FindPort(c.created)->description);
    }
}

TEST_F(PortConfigTest, DefaultsAreShownAndWrittenAsTextThenDevicesIsBroadcast) {
    DialogScript script([&](PortDialog& d) {
        EXPECT_EQ("0", d.Text(1007));
        EXPECT_EQ("300", d.Text(1008));
        EXPECT_TRUE(d.Checked(1009));
        EXPECT_TRUE(d.Checked(1012));
        EXPECT_EQ(UserName(), d.Text(1003));
        EXPECT_EQ(1006, d.Focus());
        EXPECT_EQ(0, g_devicesNotices);
        Accept(d, "alice", "printhost", "raw");
    });
    ASSERT_TRUE(Add());
    EXPECT_EQ(1, g_devicesNotices);
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_LPRPort0").c_str(), &k));
    const char* expected[][2] = {{"HostName", "printhost"}, {"QueueName", "raw"}, {"TimeOut", "300"},
                                 {"Seqno", "0"}, {"DoLpq", "1"}, {"DoGrace", "1"}};
    for (auto& e : expected) {
        char data[32] = {};
        DWORD cbData = sizeof data, type = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(k, e[0], nullptr, &type, reinterpret_cast<BYTE*>(data), &cbData));
        EXPECT_STREQ(e[1], data);
        EXPECT_EQ(DWORD(REG_SZ), type);
        EXPECT_EQ(strlen(e[1]) + 1, cbData) << e[0];
    }
    RegCloseKey(k);
}

TEST_F(PortConfigTest, CancelAndDeleteWriteAndBroadcastNothing) {
    key.AddPort("ZYN_LPRPort0", "printhost", "raw");
    Reload();
    {
        DialogScript script([](PortDialog& d) { d.SetText(1006, "changed"); d.Click(IDCANCEL); });
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(Add());
        EXPECT_EQ(DWORD(ERROR_CANCELLED), GetLastError());
    }
    {
        DialogScript script([](PortDialog& d) { d.SetText(1006, "changed"); d.Click(IDCANCEL); });
        EXPECT_TRUE(Configure(L"ZYN_LPRPort0"));
        EXPECT_TRUE(script.shown());
    }
    EXPECT_EQ(1u, PortKeys());
    EXPECT_EQ("printhost", Value("ZYN_LPRPort0", "HostName"));
    EXPECT_TRUE(LprDeletePort(nullptr, listener, const_cast<LPWSTR>(L"ZYN_LPRPort0")));
    EXPECT_EQ(0, g_devicesNotices);
}

TEST_F(PortConfigTest, EachFailedCheckShowsItsMessageOverTheDialogAndMovesTheFocus) {
    struct Case { const char *user, *host, *queue; UINT message; int focus; } cases[] = {
        {"", "", "", 8006, 1003},       {"root", "", "", 8010, 1003},
        {"alice", "", "", 8007, 1006},  {"alice", "h", "", 8009, 1005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        HWND dialog = nullptr;
        int focus = 0;
        bool open = false;
        DialogScript script([&](PortDialog& d) {
            dialog = d.Window();
            Accept(d, c.user, c.host, c.queue);
            focus = d.Focus();
            open = d.IsOpen();
            d.Click(IDCANCEL);
        });
        EXPECT_FALSE(Add());
        script.Join();
        EXPECT_TRUE(open);
        EXPECT_EQ(c.focus, focus);
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(MessageText(c.message), boxes.Seen()[0].text);
        EXPECT_EQ(MessageText(8000), boxes.Seen()[0].caption);
        EXPECT_EQ(dialog, boxes.Seen()[0].owner);
        EXPECT_EQ(UINT(MB_SYSTEMMODAL | MB_ICONERROR), boxes.Seen()[0].style);
        EXPECT_EQ(0u, PortKeys());
    }
}

TEST_F(PortConfigTest, ConfigureShowsStoredValuesByTheirRulesAndStoresLeadingDigits) {
    struct Case { const char *lpq, *seqno, *timeOut; bool lpqShown; const char *seqShown, *timeShown;
                  const char *seqField, *timeField, *seqStored, *timeStored; } cases[] = {
        {"yes", "7", nullptr, false, "7", "300", "12a", "abc", "12", "0"},
        {nullptr, "12a", "45", true, "12", "45", "", "", "12", "45"},  // emptied fields keep the values
        {"1", nullptr, "0045", true, "0", "45", "007", "9999", "7", "9999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seqField);
        key.DeleteAll();
        montest::PortsKey fresh;
        fresh.AddPort("ZYN_p", "printhost", "raw");
        if (c.lpq) key.SetRaw("ZYN_p", "DoLpq", REG_SZ, c.lpq, DWORD(strlen(c.lpq) + 1));
        if (c.seqno) key.SetRaw("ZYN_p", "Seqno", REG_SZ, c.seqno, DWORD(strlen(c.seqno) + 1));
        if (c.timeOut) key.SetRaw("ZYN_p", "TimeOut", REG_SZ, c.timeOut, DWORD(strlen(c.timeOut) + 1));
        Reload();
        g_devicesNotices = 0;
        DialogScript script([&](PortDialog& d) {
            EXPECT_EQ("ZYN_p", d.Text(301));
            EXPECT_EQ("printhost", d.Text(1006));
            EXPECT_EQ("raw", d.Text(1005));
            EXPECT_EQ(UserName(), d.Text(1003));
            EXPECT_EQ(c.lpqShown, d.Checked(1009));
            EXPECT_TRUE(d.Checked(1012));
            EXPECT_EQ(c.seqShown, d.Text(1007));
            EXPECT_EQ(c.timeShown, d.Text(1008));
            d.SetText(1007, c.seqField);
            d.SetText(1008, c.timeField);
            Accept(d, "alice", "otherhost", "raw");
        });
        EXPECT_TRUE(Configure(L"ZYN_p"));
        script.Join();
        EXPECT_EQ(c.seqStored, Value("ZYN_p", "Seqno"));
        EXPECT_EQ(c.timeStored, Value("ZYN_p", "TimeOut"));
        EXPECT_EQ(c.lpqShown ? "1" : "0", Value("ZYN_p", "DoLpq"));
        EXPECT_EQ(1, g_devicesNotices);
        MonitorLockGuard lock;
        EXPECT_STREQ("\\\\otherhost\\raw", FindPort("ZYN_p")->description);
    }
}

TEST_F(PortConfigTest, PortNotOursGetsTheNoticeWithoutADialog) {
    key.AddPort("Other", "h", "q");
    for (const wchar_t* name : {L"Other", L"ZYN_nokey", L"ZYN_a\\b", L"LPT1:"}) {
        SCOPED_TRACE(montest::Narrow(name));
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        DialogScript script([](PortDialog& d) { d.Click(IDCANCEL); }, 1000);
        EXPECT_TRUE(Configure(name));
        EXPECT_FALSE(script.shown());
        ASSERT_EQ(1u, boxes.Count());
        char notice[260] = {};
        LoadStringA(g_module.messageModule, 503, notice, sizeof notice);
        EXPECT_EQ(notice, boxes.Seen()[0].text);
        EXPECT_EQ(listener, boxes.Seen()[0].owner);
        EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes.Seen()[0].style);
    }
}

TEST_F(PortConfigTest, HostListOffersEachHostOnceAndSelectsTheLastNewlyListed) {
    key.AddPort("ZYN_a", "printhost", "q");
    key.AddPort("ZYN_b", "PrintHost", "q");
    key.AddPort("ZYN_c");
    key.AddPort("Other", "foreign", "q");
    key.AddPort("ZYN_d", "print", "q");
    key.AddPort("ZYN_e", "printhost", "q");
    Reload();
    std::vector<std::string> hosts;
    int selected = -1;
    std::string text;
    DialogScript script([&](PortDialog& d) {
        hosts = d.HostList();
        selected = d.HostSelection();
        text = d.Text(1006);
        d.Click(IDCANCEL);
    });
    Add();
    script.Join();
    EXPECT_EQ((std::vector<std::string>{"printhost", "print"}), hosts);
    EXPECT_EQ(1, selected);  // "print", not the first entry that begins with it
    EXPECT_EQ("print", text);
}

TEST_F(PortConfigTest, EveryNameTakenFailsWithoutADialogAndWritesNothing) {
    {
        MonitorLockGuard lock;
        for (int n = 0; n <= 999; ++n) CreatePort(("ZYN_LPRPort" + std::to_string(n)).c_str(), "");
    }
    DialogScript script([](PortDialog& d) { d.Click(IDCANCEL); }, 1000);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(Add());
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(script.shown());
    EXPECT_EQ(0u, PortKeys());
}

// Two dialogs open at once, each on its own thread, as two spooler threads
// would show them: different names, each its own values.
TEST_F(PortConfigTest, TwoDialogsAtOnceKeepTheirOwnNamesAndValues) {
    DestroyWindow(listener);  // the broadcasts would wait for this busy thread
    listener = nullptr;
    MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
    std::atomic<int> added{0};
    std::thread first([&] { added += Add(); });
    HWND a = montest::WaitForPortDialog(10000);
    std::thread second([&] { added += Add(); });
    HWND b = montest::WaitForPortDialog(10000, {a});
    PortDialog da(a), db(b);
    std::string nameA = da.Text(301), nameB = db.Text(301);
    db.SetText(1003, "bob");
    db.SetText(1006, "beta");
    db.SetText(1005, "qb");
    Accept(da, "alice", "alpha", "qa");
    db.Click(IDOK);
    for (HWND w : {a, b}) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);  // if a check failed
    first.join();
    second.join();
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(2, added.load());
    EXPECT_NE(nameA, nameB);
    EXPECT_EQ("alpha", Value(nameA, "HostName"));
    EXPECT_EQ("qa", Value(nameA, "QueueName"));
    EXPECT_EQ("beta", Value(nameB, "HostName"));
    EXPECT_EQ("qb", Value(nameB, "QueueName"));
}

// The help program asks about the missing file in a box of its own, which
// is answered No here as a person would.
TEST_F(PortConfigTest, HelpWithoutAHelpFileLeavesTheDialogWorking) {
    std::atomic<bool> done{false}, asked{false};
    std::string question;
    std::thread answerer([&] {
        while (!done) {
            EnumWindows([](HWND w, LPARAM p) -> BOOL {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                char cls[16] = {}, text[300] = {};
                GetClassNameA(w, cls, sizeof cls);
                if (pid == GetCurrentProcessId() || !IsWindowVisible(w) || strcmp(cls, "#32770") != 0) return TRUE;
                for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                    if (GetDlgCtrlID(c) == 0xffff) GetWindowTextA(c, text, sizeof text);
                if (text[0]) *reinterpret_cast<std::string*>(p) = text;
                PostMessageA(w, WM_COMMAND, IDNO, 0);
                return TRUE;
            }, reinterpret_cast<LPARAM>(&question));
            if (!question.empty()) asked = true;
            Sleep(20);
        }
    });
    DialogScript script([&](PortDialog& d) {
        PostMessageA(d.Window(), WM_COMMAND, 1010, 0);
        for (int i = 0; i < 3000 && !asked; ++i) Sleep(10);
        Accept(d, "alice", "printhost", "raw");
    });
    EXPECT_TRUE(Add());
    done = true;
    answerer.join();
    EXPECT_NE(std::string::npos, question.find("C:\\nowhere\\TOLV.HLP")) << question;
    EXPECT_EQ("printhost", Value("ZYN_LPRPort0", "HostName"));
}

TEST(ReservedUserName, BuiltFromTwoTextsOfAnyLength) {
    struct Case { const char *first, *second, *expected; } cases[] = {
        {"ROOT", "root", "root"}, {"ROOTS", "root", "rootS"}, {"AB", "    ", "ab"},
        {"ROOT", "r", "rOOT"},    {"", "root", ""},
    };
    for (const Case& c : cases) {
        char buf[8];
        memset(buf, 'X', sizeof buf);
        BuildReservedUserName(c.first, c.second, buf, sizeof buf);
        EXPECT_STREQ(c.expected, buf) << c.first << "|" << c.second;
    }
    char small[3];
    BuildReservedUserName("ROOT", "root", small, sizeof small);
    EXPECT_STREQ("ro", small);
    EXPECT_EQ(0x7fffffff, LeadingNumber("99999999999999999999"));
}

}  // namespace
