// AddPort and ConfigurePort through the real port-settings dialog, worked
// from a thread of the test: the new port's name, what is written and when,
// the checks with their messages and focus, the host list, two dialogs at
// once, help, and the "Devices" notice seen by a top-level window of the test.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "message_box_watcher.h"
#include "monitor/monitor_entries.h"
#include "monitor_test_support.h"
#include "port_dialog_driver.h"
#include "ports/port_values.h"
#include "ui/messages.h"
#include "ui/user_name.h"

using namespace zynlpr;
using montest::DialogScript;
using montest::PortDialog;

namespace {

int g_notices = 0;  // "Devices" notices the test's window received

LRESULT CALLBACK Listener(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_WININICHANGE && lp && strcmp(reinterpret_cast<const char*>(lp), "Devices") == 0) ++g_notices;
    return DefWindowProcA(w, msg, wp, lp);
}

std::string UserName() {
    char name[100];
    CurrentUserName(name, sizeof name);
    return name;
}

void Accept(const PortDialog& d, const char* user, const char* host, const char* queue) {
    d.SetText(1003, user);
    d.SetText(1006, host);
    d.SetText(1005, queue);
    d.Click(IDOK);
}

class PortConfigTest : public ::testing::Test {
protected:
    montest::PortsKey key;
    HWND listener = nullptr;

    void SetUp() override {
        static HMODULE nls = LoadLibraryA((montest::ExeDir() + "zynlpr.nls").c_str());
        ASSERT_TRUE(nls && LoadMessageTable(nls));
        g_module.messageModule = nls;
        strcpy(g_module.helpFilePath, "C:\\nowhere\\TOLV.HLP");
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Listener;
        wc.lpszClassName = "ZynPortConfigListener";
        RegisterClassA(&wc);
        listener = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        g_notices = 0;
    }
    void TearDown() override { DestroyWindow(listener); }

    static void Reload() {
        MonitorLockGuard lock;
        ReloadPorts();
    }
    std::string Value(const std::string& port, const char* name) {
        char buf[300] = {};
        DWORD cb = sizeof buf - 1;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, (key.Path() + "\\" + port).c_str(), name, RRF_RT_REG_SZ, nullptr,
                         buf, &cb) != ERROR_SUCCESS)
            return "<none>";
        return std::string(buf) + (cb == strlen(buf) + 1 ? "" : "<length>");
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
    BOOL Configure(const wchar_t* name) { return LprConfigurePort(nullptr, listener, const_cast<LPWSTR>(name)); }
};

TEST_F(PortConfigTest, NewPortTakesTheFirstFreeNumberAndNeverAnExistingKey) {
    struct Case { std::vector<const char*> listed, keyOnly; const char *shown, *created; } cases[] = {
        {{}, {}, "ZYN_LPRPort0", "ZYN_LPRPort0"},
        {{"ZYN_LPRPort0", "ZYN_LPRPort2"}, {}, "ZYN_LPRPort1", "ZYN_LPRPort1"},
        {{"ZYN_LPRPort0:"}, {}, "ZYN_LPRPort1", "ZYN_LPRPort1"},
        // Keys the list has not seen (another program wrote them): kept, the next number taken.
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
        DialogScript script([&](PortDialog& d) { shown = d.Text(301); Accept(d, "alice", "newhost", "raw"); });
        EXPECT_TRUE(Add());
        script.Join();
        EXPECT_EQ(c.shown, shown);
        EXPECT_EQ("newhost", Value(c.created, "HostName"));
        for (const char* n : c.keyOnly) EXPECT_EQ("old", Value(n, "HostName")) << n;
        MonitorLockGuard lock;
        ASSERT_NE(nullptr, FindPort(c.created));
        EXPECT_STREQ("\\\\newhost\\raw", FindPort(c.created)->Description());
    }
}

TEST_F(PortConfigTest, CancelWritesNothingAndAcceptWritesTheDefaultsAsTextThenNotifies) {
    {
        DialogScript script([](PortDialog& d) { d.SetText(1006, "h"); d.Click(IDCANCEL); });
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(Add());
        EXPECT_EQ(DWORD(ERROR_CANCELLED), GetLastError());
    }
    EXPECT_EQ(0u, PortKeys());
    DialogScript script([&](PortDialog& d) {
        EXPECT_EQ("0", d.Text(1007));
        EXPECT_EQ("300", d.Text(1008));
        EXPECT_TRUE(d.Checked(1009) && d.Checked(1012));
        EXPECT_EQ(UserName(), d.Text(1003));
        EXPECT_EQ(1006, d.Focus());
        EXPECT_EQ(0, g_notices);
        Accept(d, "alice", "printhost", "raw");
    });
    ASSERT_TRUE(Add());
    EXPECT_EQ(1, g_notices);
    const char* expected[][2] = {{"HostName", "printhost"}, {"QueueName", "raw"}, {"TimeOut", "300"},
                                 {"Seqno", "0"}, {"DoLpq", "1"}, {"DoGrace", "1"}};
    for (auto& e : expected) EXPECT_EQ(e[1], Value("ZYN_LPRPort0", e[0])) << e[0];
    EXPECT_TRUE(LprDeletePort(nullptr, listener, const_cast<LPWSTR>(L"ZYN_LPRPort0")));
    EXPECT_EQ(1, g_notices);
}

TEST_F(PortConfigTest, EachFailedCheckShowsItsMessageOverTheDialogAndMovesTheFocus) {
    struct Case { const char *user, *host, *queue; UINT message; int focus; } cases[] = {
        {"", "", "", 8006, 1003}, {"root", "", "", 8010, 1003}, {"alice", "", "", 8007, 1006},
        {"alice", "h", "", 8009, 1005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        HWND dialog = nullptr;
        int focus = 0;
        DialogScript script([&](PortDialog& d) {
            Accept(d, c.user, c.host, c.queue);
            focus = d.Focus();
            dialog = IsWindowVisible(d.w) ? d.w : nullptr;
        });
        EXPECT_FALSE(Add());
        script.Join();
        EXPECT_EQ(c.focus, focus);
        ASSERT_EQ(1u, boxes.Count());
        SeenBox box = boxes.Seen()[0];
        EXPECT_EQ(MessageText(c.message), box.text);
        EXPECT_EQ(MessageText(8000), box.caption);
        EXPECT_EQ(dialog, box.owner);  // and the dialog was still open
        EXPECT_EQ(UINT(MB_SYSTEMMODAL | MB_ICONERROR), box.style);
        EXPECT_EQ(0u, PortKeys());
    }
}

TEST_F(PortConfigTest, ConfigureShowsStoredValuesByTheirRulesAndStoresLeadingDigits) {
    struct Case { const char *lpq, *seqno, *timeOut; bool lpqShown; const char *seqShown, *timeShown,
                  *seqField, *timeField, *seqStored, *timeStored; } cases[] = {
        {"yes", "7", nullptr, false, "7", "300", "12a", "abc", "12", "0"},
        {nullptr, "12a", "45", true, "12", "45", "", "", "12", "45"},  // emptied fields keep the values
        {"1", nullptr, "0045", true, "0", "45", "007", "9999", "7", "9999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seqField);
        key.DeleteAll();
        montest::PortsKey fresh;
        fresh.AddPort("ZYN_p", "printhost", "raw");
        const std::pair<const char*, const char*> stored[] = {{"DoLpq", c.lpq}, {"Seqno", c.seqno},
                                                               {"TimeOut", c.timeOut}};
        for (auto& v : stored)
            if (v.second) key.SetRaw("ZYN_p", v.first, REG_SZ, v.second, DWORD(strlen(v.second) + 1));
        Reload();
        g_notices = 0;
        DialogScript script([&](PortDialog& d) {
            EXPECT_EQ("ZYN_p|printhost|raw|" + UserName(),
                      d.Text(301) + "|" + d.Text(1006) + "|" + d.Text(1005) + "|" + d.Text(1003));
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
        DialogScript cancel([](PortDialog& d) { d.SetText(1006, "changed"); d.Click(IDCANCEL); });
        EXPECT_TRUE(Configure(L"ZYN_p"));
        EXPECT_TRUE(cancel.Shown());
        EXPECT_EQ("otherhost", Value("ZYN_p", "HostName"));
        EXPECT_EQ(1, g_notices);
        MonitorLockGuard lock;
        EXPECT_STREQ("\\\\otherhost\\raw", FindPort("ZYN_p")->Description());
    }
}

// The key under the dialog is deleted while it is open (for a new port the
// Ports key, i.e. the monitor was removed): OK stores nothing, makes no key
// again, names the failure in a box and fails with the registry's error; the
// list keeps what the registry holds.
TEST_F(PortConfigTest, KeyDeletedWhileTheDialogIsOpenFailsWithTheRegistrysError) {
    struct Case { bool add; const char* boxStart; } cases[] = {{true, "The port could not be saved"},
                                                               {false, "The settings of port ZYN_p could not"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.add ? "AddPort" : "ConfigurePort");
        key.DeleteAll();
        montest::PortsKey fresh;
        fresh.AddPort("ZYN_p", "printhost", "raw");
        Reload();
        g_notices = 0;
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        DialogScript script([&](PortDialog& d) {
            if (c.add) fresh.DeleteAll(); else fresh.RemovePortKey("ZYN_p");
            Accept(d, "alice", "newhost", "raw");
        });
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(c.add ? Add() : Configure(L"ZYN_p"));
        EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
        script.Join();
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(0u, boxes.Seen()[0].text.find(c.boxStart)) << boxes.Seen()[0].text;
        if (!c.add) {
            EXPECT_NE(std::string::npos, boxes.Seen()[0].text.find("(error 2)")) << boxes.Seen()[0].text;
        }
        HKEY k = nullptr;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (key.Path() + "\\ZYN_p").c_str(), &k));
        if (k) RegCloseKey(k);
        EXPECT_EQ(0, g_notices);
        MonitorLockGuard lock;
        EXPECT_EQ(nullptr, FirstPort());
    }
}

TEST_F(PortConfigTest, DeleteRefusesKeysThatAreNotTheMonitorsPorts) {
    for (const char* name : {"Other", "LPT1:", "ZYN_a\\b"}) key.AddPort(name, "h", "q");
    Reload();
    for (const wchar_t* name : {L"Other", L"LPT1:", L"ZYN_a\\b", L""}) {
        SCOPED_TRACE(montest::Narrow(name));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(LprDeletePort(nullptr, nullptr, const_cast<LPWSTR>(name)));
        EXPECT_EQ(DWORD(ERROR_UNKNOWN_PORT), GetLastError());
    }
    for (const char* name : {"Other", "LPT1:", "ZYN_a\\b"}) EXPECT_EQ("h", Value(name, "HostName")) << name;
}

TEST_F(PortConfigTest, PortNotOursGetsTheNoticeWithoutADialog) {
    key.AddPort("Other", "h", "q");
    char notice[260] = {};
    LoadStringA(g_module.messageModule, 503, notice, sizeof notice);
    for (const wchar_t* name : {L"Other", L"ZYN_nokey", L"ZYN_a\\b", L"LPT1:"}) {
        SCOPED_TRACE(montest::Narrow(name));
        MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
        DialogScript script([](PortDialog&) {}, 1000);
        EXPECT_TRUE(Configure(name));
        EXPECT_FALSE(script.Shown());
        ASSERT_EQ(1u, boxes.Count());
        EXPECT_EQ(notice, boxes.Seen()[0].text);
        EXPECT_EQ(listener, boxes.Seen()[0].owner);
        EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes.Seen()[0].style);
    }
}

TEST_F(PortConfigTest, HostListOffersEachHostOnceAndSelectsTheLastNewlyListed) {
    const char* ports[][2] = {{"ZYN_a", "printhost"}, {"ZYN_b", "PrintHost"}, {"ZYN_c", nullptr},
                              {"Other", "foreign"}, {"ZYN_d", "print"}, {"ZYN_e", "printhost"}};
    for (auto& p : ports) key.AddPort(p[0], p[1], "q");
    Reload();
    std::string hosts;
    DialogScript script([&](PortDialog& d) {
        for (LRESULT i = 0, n = d.Send(1006, CB_GETCOUNT); i < n && i < 10; ++i) {
            char buf[300] = {};
            d.Send(1006, CB_GETLBTEXT, WPARAM(i), LPARAM(buf));
            hosts += std::string(buf) + "|";
        }
        hosts += std::to_string(d.Send(1006, CB_GETCURSEL)) + "|" + d.Text(1006);
    });
    Add();
    script.Join();
    EXPECT_EQ("printhost|print|1|print", hosts);  // not the first entry that begins with "print"
}

TEST_F(PortConfigTest, EveryNameTakenFailsWithoutADialogAndWritesNothing) {
    {
        MonitorLockGuard lock;
        for (int n = 0; n <= 999; ++n) CreatePort(("ZYN_LPRPort" + std::to_string(n)).c_str(), "");
    }
    DialogScript script([](PortDialog&) {}, 1000);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(Add());
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_FALSE(script.Shown());
    EXPECT_EQ(0u, PortKeys());
}

// Two dialogs open at once on two threads, as two spooler threads would
// show them: each gets its own name and keeps its own values.
TEST_F(PortConfigTest, TwoDialogsAtOnceKeepTheirOwnNamesAndValues) {
    DestroyWindow(listener);  // the notices would wait for this busy thread
    listener = nullptr;
    MessageBoxWatcher boxes(IDOK, 0, montest::IsPortDialog);
    std::atomic<int> added{0};
    std::thread first([&] { added += Add(); });
    PortDialog a{montest::WaitForPortDialog(10000)};
    std::thread second([&] { added += Add(); });
    PortDialog b{montest::WaitForPortDialog(10000, a.w)};
    std::string nameA = a.Text(301), nameB = b.Text(301);
    b.SetText(1003, "bob");
    b.SetText(1006, "beta");
    b.SetText(1005, "qb");
    Accept(a, "alice", "alpha", "qa");
    b.Click(IDOK);
    for (HWND w : {a.w, b.w}) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);  // in case a check failed
    first.join();
    second.join();
    EXPECT_EQ(0u, boxes.Count());
    EXPECT_EQ(2, added.load());
    EXPECT_NE(nameA, nameB);
    EXPECT_EQ("alpha|qa|beta|qb", Value(nameA, "HostName") + "|" + Value(nameA, "QueueName") + "|" +
                                      Value(nameB, "HostName") + "|" + Value(nameB, "QueueName"));
}

// Answers No to a visible dialog box of another process, keeping its text.
BOOL CALLBACK AnswerOtherProcessBoxNo(HWND w, LPARAM p) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[16] = {}, text[300] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == GetCurrentProcessId() || !IsWindowVisible(w) || strcmp(cls, "#32770")) return TRUE;
    GetDlgItemTextA(w, 0xffff, text, sizeof text);
    if (text[0]) *reinterpret_cast<std::string*>(p) = text;
    PostMessageA(w, WM_COMMAND, IDNO, 0);
    return TRUE;
}

// The help program asks about the missing file in a box of its own, answered
// No here as a person would; the dialog goes on working.
TEST_F(PortConfigTest, HelpWithoutAHelpFileLeavesTheDialogWorking) {
    std::atomic<bool> done{false}, asked{false};
    std::string question;
    std::thread answerer([&] {
        for (; !done; Sleep(20)) {
            EnumWindows(AnswerOtherProcessBoxNo, reinterpret_cast<LPARAM>(&question));
            if (!question.empty()) asked = true;
        }
    });
    DialogScript script([&](PortDialog& d) {
        PostMessageA(d.w, WM_COMMAND, 1010, 0);
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
    const char* cases[][3] = {{"ROOT", "root", "root"}, {"ROOTS", "root", "rootS"}, {"AB", "    ", "ab"},
                              {"ROOT", "r", "rOOT"},    {"", "root", ""}};
    for (auto& c : cases) {
        char buf[8];
        memset(buf, 'X', sizeof buf);
        BuildReservedUserName(c[0], c[1], buf, sizeof buf);
        EXPECT_STREQ(c[2], buf) << c[0] << "|" << c[1];
    }
    char small[3];
    BuildReservedUserName("ROOT", "root", small, sizeof small);
    EXPECT_STREQ("ro", small);
    EXPECT_EQ(0x7fffffff, LeadingNumber("99999999999999999999"));
}

}  // namespace
