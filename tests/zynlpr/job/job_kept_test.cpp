// What EndDocPort tells a stand-in spooler that records its calls: a job the
// LPD server took is deleted from the queue; one it did not take (no server,
// a refusal) stays, marked in error with the reason and paused. On an NT 4.0
// load the reason is also shown in a box; on a MONITOR2 load nothing is
// shown and the same texts, under their message ids, go to the event log.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "job/job_messages.h"
#include "job/job_spooler.h"
#include "lpd_test_support.h"
#include "message_box_watcher.h"
#include "monitor/monitor_entries.h"
#include "ports/port_list.h"
#include "scripted_lpd_server.h"

using namespace zynlpr;

namespace {

// What the stand-in received, in order: "open", "get", "close", or a SetJob
// as "set LEVEL COMMAND"; of a level-1 SetJob the record (its texts copied).
std::vector<std::string> g_calls;
JOB_INFO_1A g_status;
std::string g_statusText, g_statusDocument;
HANDLE const kPrinter = reinterpret_cast<HANDLE>(0x5150);
const DWORD kJob = 42;
char g_document[] = "kept.doc";

BOOL WINAPI StandInOpen(LPSTR, LPHANDLE printer, LPPRINTER_DEFAULTSA) {
    g_calls.push_back("open");
    *printer = kPrinter;
    return TRUE;
}

BOOL WINAPI StandInGetJob(HANDLE, DWORD job, DWORD level, LPBYTE buffer, DWORD cb, LPDWORD needed) {
    *needed = sizeof(JOB_INFO_1A);
    if (job != kJob || level != 1 || cb < *needed) return FALSE;
    JOB_INFO_1A info = {};
    info.JobId = kJob;
    info.pDocument = g_document;
    info.Status = JOB_STATUS_PRINTING;
    info.Priority = 1;
    info.Position = 3;
    memcpy(buffer, &info, sizeof info);
    g_calls.push_back("get");
    return TRUE;
}

BOOL WINAPI StandInSetJob(HANDLE printer, DWORD job, DWORD level, LPBYTE data, DWORD command) {
    g_calls.push_back("set " + std::to_string(level) + " " + std::to_string(command) +
                      (printer == kPrinter && job == kJob ? "" : " wrong job"));
    if (level == 1 && data) {
        g_status = *reinterpret_cast<JOB_INFO_1A*>(data);
        g_statusText = g_status.pStatus ? g_status.pStatus : "<null>";
        g_statusDocument = g_status.pDocument ? g_status.pDocument : "<null>";
    }
    return TRUE;
}

BOOL WINAPI StandInClose(HANDLE) {
    g_calls.push_back("close");
    return TRUE;
}

std::vector<std::pair<DWORD, std::string>> g_events;  // (message id, text)
WORD g_lastEventType = 0;

void RecordEvent(WORD type, DWORD id, const char* text) {
    g_events.emplace_back(id, text);
    g_lastEventType = type;
}

class StandInSpoolerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lpdtest::InitMonitorForTests());
        EnsureMonitorLock();
        saved = g_jobSpooler;
        // The real GetPrinterA fails on the stand-in's handle: default time-outs.
        g_jobSpooler = {StandInOpen, GetPrinterA, StandInGetJob, StandInSetJob, StandInClose};
        g_writeEventLog = RecordEvent;
        g_calls.clear();
        g_events.clear();
        lpdtest::DeleteTestKeys();
    }
    void TearDown() override {
        g_jobSpooler = saved;
        MonitorLockGuard lock;
        lpdtest::DeleteTestKeys();
        ReloadPorts();
    }

    // One job of a few bytes through the port's entries to `server`.
    void PrintOneJob(lpdtest::ScriptedLpdServer& server) {
        lpdtest::WritePort("ZYN_Kept", server.Address().c_str(), "raw");
        {
            MonitorLockGuard lock;
            ReloadPorts();
        }
        HANDLE h = nullptr;
        ASSERT_TRUE(LprOpenPort(const_cast<LPWSTR>(L"ZYN_Kept"), &h));
        DOC_INFO_1W doc = {const_cast<LPWSTR>(L"kept.doc"), nullptr, nullptr};
        ASSERT_TRUE(LprStartDocPort(h, const_cast<LPWSTR>(L"Stand-in"), kJob, 1, reinterpret_cast<LPBYTE>(&doc)));
        DWORD written = 0;
        ASSERT_TRUE(LprWritePort(h, reinterpret_cast<LPBYTE>(const_cast<char*>("job data")), 8, &written));
        EXPECT_TRUE(LprEndDocPort(h));
        EXPECT_EQ(PORT_SPOOL_FILE, static_cast<LprPort*>(h)->flags);
        LprClosePort(h);
    }

    JobSpoolerCalls saved{};
};

struct Case {
    const char* what;
    std::vector<lpdtest::Answer> script;
    bool listening;
    UINT reasonId;  // message of the reason; 0: the job was taken
};

const Case kCases[] = {
    {"taken", {}, true, 0},
    {"no server", {}, false, MSG_LPD_CONNECTION_REFUSED},
    {"refused with a text", {lpdtest::Answer::RefuseText("queue disabled")}, true, MSG_LPD_JOB_REFUSED},
    {"control file refused", {{}, {}, {}, {}, lpdtest::Answer::Refuse(2)}, true, MSG_LPD_CONTROL_FILE_REFUSED},
};

TEST_F(StandInSpoolerTest, AJobTheServerDidNotTakeStaysInErrorWithItsReasonUnderEitherLoad) {
    for (const Case& c : kCases) {
        std::vector<std::string> boxTexts;  // of the NT 4.0 load
        for (bool windowless : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (windowless ? " (MONITOR2)" : " (NT 4.0)"));
            lpdtest::ScriptedLpdServer server;
            server.Script(c.script);
            if (!c.listening) server.StopListening();
            g_calls.clear();
            g_events.clear();
            g_statusText.clear();
            if (windowless) EnterWindowlessLoad();
            {
                MessageBoxWatcher boxes(IDOK);
                PrintOneJob(server);
                for (const SeenBox& b : boxes.Seen()) {
                    EXPECT_FALSE(windowless) << "box on a MONITOR2 load: " << b.text;
                    boxTexts.push_back(b.text);
                }
            }
            if (windowless) LeaveWindowlessLoad();

            // 5: JOB_CONTROL_DELETE; 1: JOB_CONTROL_PAUSE after the level-1 status.
            const std::vector<std::string> expected =
                c.reasonId ? std::vector<std::string>{"open", "get", "set 1 0", "set 0 1", "close"}
                           : std::vector<std::string>{"open", "set 0 5", "close"};
            EXPECT_EQ(expected, g_calls);
            std::vector<std::string> logged;
            for (auto& e : g_events) logged.push_back(e.second);
            if (!windowless) {
                EXPECT_TRUE(logged.empty());
            }
            // The same texts whichever way they went, under their message ids.
            if (windowless) {
                EXPECT_EQ(boxTexts, logged);
            }
            if (!c.reasonId) {
                EXPECT_TRUE(boxTexts.empty() && logged.empty());
                continue;
            }
            ASSERT_FALSE(boxTexts.empty()) << "the failure was not told";
            EXPECT_EQ(boxTexts.back(), g_statusText);
            EXPECT_EQ("kept.doc", g_statusDocument);
            EXPECT_EQ(DWORD(JOB_STATUS_PRINTING | JOB_STATUS_ERROR), g_status.Status);
            EXPECT_EQ(DWORD(JOB_POSITION_UNSPECIFIED), g_status.Position);
            if (windowless) {
                ASSERT_FALSE(g_events.empty());
                EXPECT_EQ(c.reasonId, g_events.back().first);
                EXPECT_EQ(EVENTLOG_ERROR_TYPE, g_lastEventType);
            }
        }
    }
}

// The event viewer renders an entry from zynlpr.nls, the source's message
// file: each message id must give back the monitor's text whole.
TEST(EventMessageFile, EveryMessageIdRendersTheTextItWasGiven) {
    ASSERT_TRUE(lpdtest::InitMonitorForTests());
    const char* text = "The LPD server printhost could not be found (100%).";
    for (UINT id : {MSG_OUT_OF_MEMORY, MSG_LPD_JOB_REFUSED, MSG_LPD_HOST_NOT_FOUND, MSG_LPD_CONTROL_FILE_REFUSED, MSG_CANT_STORE_PORT}) {
        char out[300] = {};
        DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(text)};
        DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, g_module.messageModule,
                                 id, 0, out, sizeof out, reinterpret_cast<va_list*>(args));
        while (n > 0 && (out[n - 1] == '\n' || out[n - 1] == '\r')) out[--n] = '\0';
        EXPECT_STREQ(text, out) << id << " error " << GetLastError();
    }
}

}  // namespace
