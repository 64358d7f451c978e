// The real ZYNLPR.DLL, loaded the way the spooler loads it (the monitor
// key's Driver value, LoadLibrary, InitializeMonitorEx), printing jobs on
// several ports from several threads at once to a scripted LPD server.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "lpd_test_support.h"
#include "message_box_watcher.h"
#include "monitor_test_support.h"
#include "scripted_lpd_server.h"

namespace {

using montest::ExeDir;
using montest::kMonitorKey;

void SetText(HKEY key, const char* name, const std::string& value) {
    montest::SetText(key, name, value.c_str());
}

TEST(RealMonitorJobs, SeveralPortsPrintAtOnceAndEveryJobArrivesIntact) {
    lpdtest::ScriptedLpdServer server;
    ASSERT_TRUE(server.Listening());
    HKEY monitorKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kMonitorKey, &monitorKey));
    SetText(monitorKey, "Driver", ExeDir() + "ZYNLPR.DLL");
    const int kPorts = 3, kJobs = 2;
    for (int i = 0; i < kPorts; ++i) {
        HKEY port = nullptr;
        std::string path = std::string(kMonitorKey) + "\\Ports\\ZYN_RealJob" + std::to_string(i);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &port));
        SetText(port, "HostName", server.Address());
        SetText(port, "QueueName", "raw");
        RegCloseKey(port);
    }

    // As the spooler: Driver value -> LoadLibrary -> InitializeMonitorEx.
    char driver[MAX_PATH + 1] = {};
    DWORD cb = MAX_PATH;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(monitorKey, "Driver", nullptr, nullptr, reinterpret_cast<BYTE*>(driver), &cb));
    RegCloseKey(monitorKey);
    HMODULE dll = LoadLibraryA(driver);
    ASSERT_NE(nullptr, dll) << GetLastError();
    using InitFn = BOOL(WINAPI*)(LPWSTR, LPMONITOR);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(dll, "InitializeMonitorEx")));
    ASSERT_NE(nullptr, init);
    MONITOR m = {};
    ASSERT_TRUE(init(nullptr, &m));

    MessageBoxWatcher watcher;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kPorts; ++i) {
        threads.emplace_back([&, i] {
            std::wstring name = L"ZYN_RealJob" + std::to_wstring(i);
            HANDLE h = nullptr;
            if (!m.pfnOpenPort(&name[0], &h)) {
                ++failures;
                return;
            }
            for (int j = 0; j < kJobs; ++j) {
                std::string data = "real " + std::to_string(i) + "/" + std::to_string(j) + "\n" +
                                   lpdtest::Pattern(30000 + 7 * i + j);
                std::wstring doc = L"real" + std::to_wstring(i) + L"_" + std::to_wstring(j);
                DOC_INFO_1W info = {&doc[0], nullptr, nullptr};
                if (!m.pfnStartDocPort(h, const_cast<LPWSTR>(L"no printer"), 100 + i, 1,
                                       reinterpret_cast<LPBYTE>(&info))) {
                    ++failures;
                    continue;
                }
                for (size_t off = 0; off < data.size(); off += 4096) {
                    std::string block = data.substr(off, 4096);
                    DWORD written = 0;
                    if (!m.pfnWritePort(h, reinterpret_cast<LPBYTE>(&block[0]), DWORD(block.size()), &written) ||
                        written != block.size())
                        ++failures;
                }
                DWORD needed = 0, returned = 0;
                m.pfnEnumPorts(nullptr, 2, nullptr, 0, &needed, &returned);
                if (!m.pfnEndDocPort(h)) ++failures;
            }
            if (!m.pfnClosePort(h)) ++failures;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(0, failures.load());
    ASSERT_TRUE(server.WaitClosed(kPorts * kJobs, 30000));
    EXPECT_EQ(0u, watcher.Count());

    std::vector<std::string> expected, received;
    for (int i = 0; i < kPorts; ++i)
        for (int j = 0; j < kJobs; ++j)
            expected.push_back("real " + std::to_string(i) + "/" + std::to_string(j) + "\n" +
                               lpdtest::Pattern(30000 + 7 * i + j));
    for (auto& c : server.Connections())
        for (auto& f : c.files)
            if (f.kind == 3) received.push_back(f.contents);
    std::sort(expected.begin(), expected.end());
    std::sort(received.begin(), received.end());
    EXPECT_TRUE(expected == received) << received.size() << " data files";

    for (int i = 0; i < kPorts; ++i) {
        std::wstring name = L"ZYN_RealJob" + std::to_wstring(i);
        EXPECT_TRUE(m.pfnDeletePort(nullptr, nullptr, &name[0]));
    }
    // No spool file of ours is left in the temporary folder.
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    WIN32_FIND_DATAA fd;
    HANDLE f = FindFirstFileA((std::string(tmp) + "lpr*.tmp").c_str(), &fd);
    EXPECT_EQ(INVALID_HANDLE_VALUE, f) << fd.cFileName;
    if (f != INVALID_HANDLE_VALUE) FindClose(f);
}

}  // namespace
