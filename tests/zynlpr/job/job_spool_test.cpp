// The job path of a port: StartDocPort .. EndDocPort as the spooler drives
// it, against a scripted LPD server on loopback; the spool file's life, the
// document name, the in-document flags, the dropped status request, the
// write error of a disk file, the "lpr frame" notice, and several ports
// printing at once.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "lpd_test_support.h"
#include "message_box_watcher.h"
#include "monitor/monitor_entries.h"
#include "ports/port_list.h"
#include "process_figures.h"
#include "scripted_lpd_server.h"

using namespace zynlpr;

namespace {

class JobSpoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lpdtest::InitMonitorForTests());
        EnsureMonitorLock();
        g_module.lprMessage = RegisterWindowMessageA("LPR_MESSAGE");
        lpdtest::DeleteTestKeys();
        ASSERT_TRUE(server.Listening());
    }
    void TearDown() override {
        for (HANDLE h : opened) LprClosePort(h);
        {
            MonitorLockGuard lock;
            lpdtest::DeleteTestKeys();
            ReloadPorts();
        }
    }

    // A port pointing at the scripted server, opened as the spooler opens it.
    LprPort* OpenTestPort(const char* name) {
        lpdtest::WritePort(name, server.Address().c_str(), "raw");
        {
            MonitorLockGuard lock;
            ReloadPorts();
        }
        std::wstring w(name, name + strlen(name));
        HANDLE h = nullptr;
        if (!LprOpenPort(&w[0], &h)) return nullptr;
        opened.push_back(h);
        return static_cast<LprPort*>(h);
    }

    static BOOL Start(LprPort* port, const wchar_t* doc, DWORD job = 5) {
        DOC_INFO_1W info = {const_cast<LPWSTR>(doc), nullptr, nullptr};
        return LprStartDocPort(port, const_cast<LPWSTR>(L"no such printer"), job, 1,
                               reinterpret_cast<LPBYTE>(&info));
    }
    static BOOL Write(LprPort* port, const std::string& data, DWORD* written) {
        return LprWritePort(port, reinterpret_cast<LPBYTE>(const_cast<char*>(data.data())),
                            static_cast<DWORD>(data.size()), written);
    }
    static LONGLONG FileSize(const char* path) {
        WIN32_FILE_ATTRIBUTE_DATA a;
        if (!GetFileAttributesExA(path, GetFileExInfoStandard, &a)) return -1;
        return (LONGLONG(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
    }
    std::string DataFileOf(size_t connection) {
        auto c = server.Connections();
        if (c.size() <= connection) return "<no connection>";
        for (auto& f : c[connection].files)
            if (f.kind == 3) return f.contents;
        return "<no data file>";
    }
    std::string ControlFileOf(size_t connection) {
        auto c = server.Connections();
        if (c.size() <= connection) return "";
        for (auto& f : c[connection].files)
            if (f.kind == 2) return f.contents;
        return "";
    }

    lpdtest::ScriptedLpdServer server;
    std::vector<HANDLE> opened;
};

TEST_F(JobSpoolTest, AJobArrivesIntactAndLeavesNothingBehind) {
    MessageBoxWatcher watcher;
    LprPort* port = OpenTestPort("ZYN_JobA");
    ASSERT_NE(nullptr, port);
    std::string data = lpdtest::Pattern(100000);
    ASSERT_TRUE(Start(port, L"report.txt", 5));
    EXPECT_EQ(PORT_SPOOL_FILE | PORT_IN_DOCUMENT | PORT_STARTED, port->flags);
    EXPECT_STREQ("report.txt", port->DocumentName());
    EXPECT_EQ(5u, port->jobId);
    std::string spool = port->SpoolFileName();
    char tempDir[MAX_PATH];
    GetTempPathA(sizeof tempDir, tempDir);
    EXPECT_EQ(0, _strnicmp(spool.c_str(), tempDir, strlen(tempDir))) << spool;
    const char* base = strrchr(spool.c_str(), '\\') + 1;
    EXPECT_EQ(0, _strnicmp(base, "lpr", 3)) << spool;
    // No printer of that name: the default time-outs.
    EXPECT_EQ(nullptr, port->Printer());
    EXPECT_EQ(45000u, port->transmissionRetryTimeout);
    EXPECT_EQ(15000u, port->deviceNotSelectedTimeout);

    for (size_t off = 0; off < data.size(); off += 4096) {
        DWORD written = 0;
        ASSERT_TRUE(Write(port, data.substr(off, 4096), &written));
        EXPECT_EQ(std::min<size_t>(4096, data.size() - off), written);
    }
    EXPECT_EQ(LONGLONG(data.size()), FileSize(spool.c_str()));
    ASSERT_TRUE(LprEndDocPort(port));
    EXPECT_EQ(-1, FileSize(spool.c_str())) << "the spool file outlived EndDocPort";
    EXPECT_EQ(PORT_SPOOL_FILE, port->flags);
    EXPECT_EQ(nullptr, port->SpoolFileName());
    EXPECT_STREQ("report.txt", port->DocumentName());  // kept until the next start
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_TRUE(DataFileOf(0) == data);
    EXPECT_NE(std::string::npos, ControlFileOf(0).find("report.txt"));
    EXPECT_EQ(0u, watcher.Count());
}

TEST_F(JobSpoolTest, DocumentNamesUnnamedAndOverlong) {
    LprPort* port = OpenTestPort("ZYN_JobNames");
    ASSERT_NE(nullptr, port);
    DWORD written;
    ASSERT_TRUE(LprStartDocPort(port, nullptr, 7, 1, nullptr));
    EXPECT_STREQ("Unknown Document #7", port->DocumentName());
    Write(port, "x", &written);
    ASSERT_TRUE(LprEndDocPort(port));

    DOC_INFO_1W unnamed = {nullptr, nullptr, nullptr};
    ASSERT_TRUE(LprStartDocPort(port, nullptr, 0x80000001u, 1, reinterpret_cast<LPBYTE>(&unnamed)));
    EXPECT_STREQ("Unknown Document #-2147483647", port->DocumentName());
    Write(port, "x", &written);
    ASSERT_TRUE(LprEndDocPort(port));

    std::wstring longName(300, L'd');
    ASSERT_TRUE(Start(port, longName.c_str(), 8));
    EXPECT_EQ(std::string(259, 'd'), port->DocumentName());
    Write(port, "x", &written);
    // A printer name too long to narrow whole is not opened at all.
    ASSERT_TRUE(LprEndDocPort(port));
    std::wstring longPrinter(300, L'p');
    DOC_INFO_1W info = {const_cast<LPWSTR>(L"doc"), nullptr, nullptr};
    ASSERT_TRUE(LprStartDocPort(port, &longPrinter[0], 9, 1, reinterpret_cast<LPBYTE>(&info)));
    EXPECT_EQ(nullptr, port->Printer());
    EXPECT_EQ(45000u, port->transmissionRetryTimeout);
    Write(port, "x", &written);
    ASSERT_TRUE(LprEndDocPort(port));
    ASSERT_TRUE(server.WaitClosed(4, 20000)) << server.Connections().size();
    EXPECT_NE(std::string::npos, ControlFileOf(0).find("Unknown Document #7"));
}

TEST_F(JobSpoolTest, BusyChannelAndIdleEnd) {
    LprPort* port = OpenTestPort("ZYN_JobBusy");
    ASSERT_NE(nullptr, port);
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(LprEndDocPort(port));  // no document: nothing happens
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(0u, server.Connections().size());

    ASSERT_TRUE(Start(port, L"first", 1));
    std::string spool = port->SpoolFileName();
    DWORD written;
    ASSERT_TRUE(Write(port, "first job", &written));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(Start(port, L"second", 2));
    EXPECT_EQ(DWORD(ERROR_BUSY), GetLastError());
    EXPECT_EQ(1u, port->jobId);
    EXPECT_STREQ("first", port->DocumentName());
    EXPECT_EQ(spool, port->SpoolFileName());
    ASSERT_TRUE(LprEndDocPort(port));
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_EQ("first job", DataFileOf(0));

    // Level 2 in channel mode is refused; the port stays idle, no file made.
    DOC_INFO_2W channel = {const_cast<LPWSTR>(L"chan"), nullptr, nullptr, DI_CHANNEL, 0};
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprStartDocPort(port, nullptr, 3, 2, reinterpret_cast<LPBYTE>(&channel)));
    EXPECT_EQ(DWORD(ERROR_CANTREAD), GetLastError());
    EXPECT_EQ(PORT_SPOOL_FILE, port->flags);
    EXPECT_EQ(nullptr, port->SpoolFileName());
    DOC_INFO_2W direct = {const_cast<LPWSTR>(L"direct"), nullptr, nullptr, 0, 0};
    ASSERT_TRUE(LprStartDocPort(port, nullptr, 4, 2, reinterpret_cast<LPBYTE>(&direct)));
    ASSERT_TRUE(LprEndDocPort(port));
}

TEST_F(JobSpoolTest, OnlyAWholeStatusRequestIsDropped) {
    LprPort* port = OpenTestPort("ZYN_JobPjl");
    ASSERT_NE(nullptr, port);
    ASSERT_TRUE(Start(port, L"pjl"));
    DWORD written = 0;
    std::string status = "@PJL USTATUS DEVICE=ON\r\n@PJL INFO ID\r\n";
    ASSERT_TRUE(Write(port, status, &written));
    EXPECT_EQ(status.size(), written);
    EXPECT_EQ(0, FileSize(port->SpoolFileName()));
    std::string info = "@PJL INFO STATUS\r\n";
    std::string shortMatch = "@PJL USTATU";
    ASSERT_TRUE(Write(port, info, &written));
    ASSERT_TRUE(Write(port, shortMatch, &written));
    EXPECT_EQ(shortMatch.size(), written);
    ASSERT_TRUE(LprEndDocPort(port));
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_EQ(info + shortMatch, DataFileOf(0));
}

TEST_F(JobSpoolTest, AFailingDiskWriteFailsWithItsOwnErrorAtOnce) {
    LprPort* port = OpenTestPort("ZYN_JobWriteFail");
    ASSERT_NE(nullptr, port);
    ASSERT_TRUE(Start(port, L"fail"));
    // Stand a read-only handle in for the spool file: every write fails, and
    // a disk file has no comm error mask to retry by.
    HANDLE writable = port->spoolFile.release();
    port->transmissionRetryTimeout = 0;  // as Wine's printers report: never times out
    HANDLE readOnly = CreateFileA(port->SpoolFileName(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, readOnly);
    port->spoolFile.reset(readOnly);
    std::atomic<bool> done{false};
    BOOL ok = TRUE;
    DWORD error = 0, written = 0xdeadbeef;
    std::thread writer([&] {
        ok = Write(port, "data", &written);
        error = GetLastError();
        done = true;
    });
    DWORD start = GetTickCount();
    while (!done && GetTickCount() - start < 5000) Sleep(10);
    ASSERT_TRUE(done.load()) << "WritePort retried a disk write blindly";
    writer.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), error);
    EXPECT_EQ(0u, written);
    port->spoolFile.reset(writable);  // closes the read-only one
    // ReadPort reads the write-only spool file: it fails as ReadFile does.
    char buf[4];
    DWORD read = 0;
    EXPECT_FALSE(LprReadPort(port, reinterpret_cast<LPBYTE>(buf), sizeof buf, &read));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    // GetPrinterDataFromPort / SetPortTimeOuts on a disk file.
    COMMTIMEOUTS t = {};
    EXPECT_FALSE(LprSetPortTimeOuts(port, &t, 0));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(LprGetPrinterDataFromPort(port, 0, nullptr, nullptr, 0, nullptr, 0, &read));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    ASSERT_TRUE(LprEndDocPort(port));
}

TEST_F(JobSpoolTest, WithoutATemporaryDirectoryTheSpoolFileGoesWhereADirectoryExists) {
    LprPort* port = OpenTestPort("ZYN_JobNoTemp");
    ASSERT_NE(nullptr, port);
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    std::string programDir = std::string(tmp) + "zynjob_tolv";
    CreateDirectoryA(programDir.c_str(), nullptr);
    char savedProgram[260];
    strcpy(savedProgram, g_module.programPath);
    snprintf(g_module.programPath, sizeof g_module.programPath, "%s\\TOLV.EXE", programDir.c_str());
    // A TMP too long for GetTempPathA's 260-character buffer makes it fail.
    char savedTmp[1024] = {}, savedTemp[1024] = {};
    GetEnvironmentVariableA("TMP", savedTmp, sizeof savedTmp);
    GetEnvironmentVariableA("TEMP", savedTemp, sizeof savedTemp);
    std::string longTmp = "C:\\" + std::string(300, 't');
    SetEnvironmentVariableA("TMP", longTmp.c_str());
    SetEnvironmentVariableA("TEMP", longTmp.c_str());
    char probe[260];
    DWORD n = GetTempPathA(sizeof probe, probe);
    BOOL started = Start(port, L"notemp");
    std::string spool = started ? port->SpoolFileName() : "";
    SetEnvironmentVariableA("TMP", savedTmp[0] ? savedTmp : nullptr);
    SetEnvironmentVariableA("TEMP", savedTemp[0] ? savedTemp : nullptr);
    strcpy(g_module.programPath, savedProgram);
    EXPECT_TRUE(n == 0 || n >= sizeof probe) << "GetTempPathA did not fail; the fallback went untested";
    ASSERT_TRUE(started) << GetLastError();
    EXPECT_EQ(0, _strnicmp(spool.c_str(), (programDir + "\\").c_str(), programDir.size() + 1)) << spool;
    DWORD written;
    Write(port, "x", &written);
    ASSERT_TRUE(LprEndDocPort(port));
    EXPECT_EQ(-1, FileSize(spool.c_str()));
    RemoveDirectoryA(programDir.c_str());
}

TEST_F(JobSpoolTest, ASpoolFileThatCantBeMadeFailsTheStartWithoutAMessage) {
    LprPort* port = OpenTestPort("ZYN_JobNoDir");
    ASSERT_NE(nullptr, port);
    // A temporary directory that does not exist: GetTempFileNameA fails.
    char savedTmp[1024] = {}, savedTemp[1024] = {};
    GetEnvironmentVariableA("TMP", savedTmp, sizeof savedTmp);
    GetEnvironmentVariableA("TEMP", savedTemp, sizeof savedTemp);
    std::string missing = "C:\\zyn_no_such_dir_" + std::to_string(GetCurrentProcessId()) + "\\";
    SetEnvironmentVariableA("TMP", missing.c_str());
    SetEnvironmentVariableA("TEMP", missing.c_str());
    MessageBoxWatcher watcher(IDOK);
    SetLastError(0xdeadbeef);
    BOOL started = Start(port, L"nowhere", 11);
    DWORD error = GetLastError();
    SetEnvironmentVariableA("TMP", savedTmp[0] ? savedTmp : nullptr);
    SetEnvironmentVariableA("TEMP", savedTemp[0] ? savedTemp : nullptr);
    EXPECT_FALSE(started);
    EXPECT_NE(0xdeadbeefu, error);
    EXPECT_NE(DWORD(ERROR_SUCCESS), error);
    Sleep(100);
    EXPECT_EQ(0u, watcher.Count());
    EXPECT_EQ(PORT_SPOOL_FILE, port->flags);
    EXPECT_STREQ("nowhere", port->DocumentName());
    // The port is idle: the next job starts and arrives.
    ASSERT_TRUE(Start(port, L"somewhere", 12));
    DWORD written;
    ASSERT_TRUE(Write(port, "arrived", &written));
    ASSERT_TRUE(LprEndDocPort(port));
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_EQ("arrived", DataFileOf(0));
}

TEST_F(JobSpoolTest, OnlyOneOfManySimultaneousStartsWins) {
    LprPort* port = OpenTestPort("ZYN_JobRace");
    ASSERT_NE(nullptr, port);
    for (int round = 0; round < 5; ++round) {
        std::atomic<int> started{0}, busy{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; ++t) {
            threads.emplace_back([&, t] {
                while (!go) Sleep(0);
                if (Start(port, L"race", t)) ++started;
                else if (GetLastError() == ERROR_BUSY) ++busy;
            });
        }
        go = true;
        for (auto& t : threads) t.join();
        EXPECT_EQ(1, started.load());
        EXPECT_EQ(5, busy.load());
        DWORD written;
        Write(port, "r", &written);
        ASSERT_TRUE(LprEndDocPort(port));
    }
    EXPECT_TRUE(server.WaitClosed(5, 20000));
}

TEST_F(JobSpoolTest, AJobTheServerNeverGetsStillEndsCleanly) {
    LprPort* port = OpenTestPort("ZYN_JobNoServer");
    ASSERT_NE(nullptr, port);
    server.StopListening();
    MessageBoxWatcher watcher(IDOK);
    ASSERT_TRUE(Start(port, L"lost"));
    std::string spool = port->SpoolFileName();
    DWORD written;
    ASSERT_TRUE(Write(port, "lost data", &written));
    EXPECT_TRUE(LprEndDocPort(port));
    EXPECT_GE(watcher.Count(), 1u) << "the failure was not shown";
    EXPECT_EQ(-1, FileSize(spool.c_str()));
    EXPECT_EQ(PORT_SPOOL_FILE, port->flags);
    EXPECT_EQ(nullptr, port->SpoolFileName());
}

TEST_F(JobSpoolTest, JobsLeakNoHandles) {
    LprPort* port = OpenTestPort("ZYN_JobLeak");
    ASSERT_NE(nullptr, port);
    DWORD written;
    auto oneJob = [&] {
        ASSERT_TRUE(Start(port, L"leak"));
        Write(port, "some data", &written);
        ASSERT_TRUE(LprEndDocPort(port));
    };
    oneJob();  // first-use allocations (sockets, heaps) happen here
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    server.WaitIdle(10000);
    const long before = zyntest::HandleCount();
    for (int i = 0; i < 10; ++i) oneJob();
    ASSERT_TRUE(server.WaitClosed(11, 20000));
    server.WaitIdle(10000);
    const long after = zyntest::HandleCount();
    // A handle lost per job would show as 10 or more; Wine itself now and
    // then holds a few more for a while (seen up to 3 in full runs).
    EXPECT_LE(after, before + 5) << "handles grew from " << before << " to " << after;
}

// A client window of class "lpr frame" on a thread of its own.
class LprFrame {
public:
    LprFrame() {
        thread_ = std::thread([this] { Run(); });
        while (!ready_) Sleep(5);
    }
    ~LprFrame() {
        PostMessageA(window_, WM_CLOSE, 0, 0);
        thread_.join();
    }
    struct Notice {
        WPARAM wParam;
        DWORD cbData;
        std::string data;
    };
    std::vector<Notice> Notices() {
        std::lock_guard<std::mutex> lock(mutex_);
        return notices_;
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<LprFrame*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            auto* copy = reinterpret_cast<COPYDATASTRUCT*>(lp);
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->notices_.push_back({wp, copy->cbData,
                                      std::string(static_cast<char*>(copy->lpData), copy->cbData)});
            return TRUE;
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(w, msg, wp, lp);
    }
    void Run() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "lpr frame";
        RegisterClassA(&wc);
        window_ = CreateWindowA("lpr frame", "frame", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ready_ = true;
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
        UnregisterClassA("lpr frame", wc.hInstance);
    }
    std::thread thread_;
    std::atomic<bool> ready_{false};
    HWND window_ = nullptr;
    std::mutex mutex_;
    std::vector<Notice> notices_;
};

TEST_F(JobSpoolTest, TheLprFrameWindowIsToldThePortName) {
    LprPort* port = OpenTestPort("ZYN_JobNotice");
    ASSERT_NE(nullptr, port);
    LprFrame frame;
    DWORD written;
    ASSERT_TRUE(Start(port, L"noticed"));
    Write(port, "abc", &written);
    ASSERT_TRUE(LprEndDocPort(port));
    auto notices = frame.Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(WPARAM(RegisterWindowMessageA("LPR_MESSAGE")), notices[0].wParam);
    EXPECT_EQ(strlen("ZYN_JobNotice") + 1, notices[0].cbData);
    EXPECT_EQ(std::string("ZYN_JobNotice", strlen("ZYN_JobNotice") + 1), notices[0].data);
}

TEST_F(JobSpoolTest, SeveralPortsPrintFromSeveralThreads) {
    const int kPorts = 3, kJobs = 3;
    std::vector<LprPort*> ports;
    for (int i = 0; i < kPorts; ++i) {
        ports.push_back(OpenTestPort(("ZYN_JobPar" + std::to_string(i)).c_str()));
        ASSERT_NE(nullptr, ports.back());
    }
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kPorts; ++i) {
        threads.emplace_back([&, i] {
            for (int j = 0; j < kJobs; ++j) {
                std::string data = "port " + std::to_string(i) + " job " + std::to_string(j) + "\n" +
                                   lpdtest::Pattern(20000 + 1000 * i + j);
                std::wstring doc = L"doc" + std::to_wstring(i * 10 + j);
                if (!Start(ports[i], doc.c_str(), i * 10 + j)) ++failures;
                for (size_t off = 0; off < data.size(); off += 3000) {
                    DWORD written;
                    if (!Write(ports[i], data.substr(off, 3000), &written)) ++failures;
                }
                // The neighbours list ports meanwhile, as the spooler may.
                DWORD needed, returned;
                LprEnumPorts(nullptr, 0, nullptr, 0, &needed, &returned);
                if (!LprEndDocPort(ports[i])) ++failures;
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(0, failures.load());
    ASSERT_TRUE(server.WaitClosed(kPorts * kJobs, 30000));
    std::vector<std::string> expected, received;
    for (int i = 0; i < kPorts; ++i)
        for (int j = 0; j < kJobs; ++j)
            expected.push_back("port " + std::to_string(i) + " job " + std::to_string(j) + "\n" +
                               lpdtest::Pattern(20000 + 1000 * i + j));
    for (size_t c = 0; c < size_t(kPorts * kJobs); ++c) received.push_back(DataFileOf(c));
    std::sort(expected.begin(), expected.end());
    std::sort(received.begin(), received.end());
    EXPECT_TRUE(expected == received) << "a job arrived damaged or not at all";
}

}  // namespace
