// lprinstall, the installer of the test prefix: the port values it writes
// are what the port dialog would write (numbers plain, within their digits),
// and a number it can't write that way is refused before any key is made.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "handles.h"
#include "monitor_test_support.h"

namespace {

const std::string kMonitor = "ZynInstallTest" + std::to_string(GetCurrentProcessId());
const std::string kMonitorKey = "System\\CurrentControlSet\\Control\\Print\\Monitors\\" + kMonitor;
const std::string kEventSourceKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + kMonitor;

// Runs lprinstall.exe (beside this program) with `args`; its exit code.
// Without a spooler, Wine's print provider (localspl) is disabled for it,
// as Wine reads per program from AppDefaults; winspool then answers as a
// stopped spooler service does.
DWORD RunLprinstall(const std::string& args, bool noSpooler = false) {
    const char* overrides = "Software\\Wine\\AppDefaults\\lprinstall.exe\\DllOverrides";
    if (noSpooler) {
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, overrides, &key);
        montest::SetText(key, "localspl", "");
        RegCloseKey(key);
    }
    zyn::ScopeExit restore([&] {
        if (noSpooler) RegDeleteKeyA(HKEY_CURRENT_USER, overrides);
    });
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    while (n > 0 && path[n - 1] != '\\') --n;
    std::string cmd = "\"" + std::string(path, n) + "lprinstall.exe\" " + args + " --monitor \"" + kMonitor + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Where lprinstall puts the port UI module: the spooler loads it by name.
std::string SystemUiModule() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\zynlprui.dll";
}

std::string KeyValue(const std::string& path, const char* value) {
    char buf[300] = {};
    DWORD cb = sizeof buf - 1;
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return "<no key>";
    LONG rc = RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? buf : "<no value>";
}

std::string PortValue(const char* port, const char* value) {
    return KeyValue(kMonitorKey + "\\Ports\\" + port, value);
}

class LprinstallTest : public ::testing::Test {
protected:
    void SetUp() override { montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey); }
    void TearDown() override { montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey); }
};

TEST_F(LprinstallTest, PortValuesAreWrittenAsTheDialogWritesThem) {
    ASSERT_EQ(0u, RunLprinstall("port ZYN_A --host printhost --queue raw --timeout 0045 --seqno 000 --lpq 0"));
    EXPECT_EQ("printhost", PortValue("ZYN_A", "HostName"));
    EXPECT_EQ("raw", PortValue("ZYN_A", "QueueName"));
    EXPECT_EQ("45", PortValue("ZYN_A", "TimeOut"));
    EXPECT_EQ("0", PortValue("ZYN_A", "Seqno"));
    EXPECT_EQ("0", PortValue("ZYN_A", "DoLpq"));
    EXPECT_EQ("1", PortValue("ZYN_A", "DoGrace"));
    ASSERT_EQ(0u, RunLprinstall("port ZYN_B --host h --queue q --timeout 9999 --seqno 999"));
    EXPECT_EQ("9999", PortValue("ZYN_B", "TimeOut"));
    EXPECT_EQ("999", PortValue("ZYN_B", "Seqno"));
    ASSERT_EQ(0u, RunLprinstall("port ZYN_C --host h --queue q"));
    EXPECT_EQ("300", PortValue("ZYN_C", "TimeOut"));

    // Numbers the dialog could not hold are refused, and no key is made.
    for (const char* bad : {"--timeout -5", "--timeout 10000", "--seqno 1000", "--seqno 1x", "--timeout \"\""}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(2u, RunLprinstall(std::string("port ZYN_Bad --host h --queue q ") + bad));
        EXPECT_EQ("<no key>", PortValue("ZYN_Bad", "HostName"));
    }

    ASSERT_EQ(0u, RunLprinstall("remove-port ZYN_A"));
    EXPECT_EQ("<no key>", PortValue("ZYN_A", "HostName"));
    ASSERT_EQ(0u, RunLprinstall("uninstall"));
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, kMonitorKey.c_str(), &key));
}

// With Wine's spooler there (localspl) the monitor is installed through
// AddMonitorW, which loads the DLL and so refuses one that does not load;
// with the spooler taken away the registry is written as given.
TEST_F(LprinstallTest, MonitorAndUninstallGoThroughTheSpoolerAndFallBackToTheRegistry) {
    const std::string good = montest::ExeDir() + "ZYNLPR.DLL", missing = montest::ExeDir() + "nothere.DLL";
    const struct {
        const char* what;
        std::string dll;
        bool noSpooler;
        DWORD exitCode;
    } cases[] = {
        {"spooler, monitor that loads", good, false, 0},
        {"spooler, DLL that does not load", missing, false, 1},
        {"no spooler, any DLL", missing, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        montest::DeleteTree(HKEY_LOCAL_MACHINE, kMonitorKey);
        ASSERT_EQ(c.exitCode, RunLprinstall("monitor \"" + c.dll + "\" --lpr-path D:\\tools", c.noSpooler));
        if (c.exitCode != 0) {
            EXPECT_EQ("<no key>", KeyValue(kMonitorKey, "Driver"));
            continue;
        }
        EXPECT_EQ(c.dll, KeyValue(kMonitorKey, "Driver"));
        EXPECT_EQ("D:\\tools", KeyValue(kMonitorKey, "LPR_Path"));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SystemUiModule().c_str())) << "port UI module";
        EXPECT_EQ(montest::ExeDir() + "zynlpr.nls", KeyValue(kEventSourceKey, "EventMessageFile"));
        HKEY ports = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, (kMonitorKey + "\\Ports").c_str(), &ports));
        RegCloseKey(ports);
        // Installed again: the same DLL is no error, another one is.
        EXPECT_EQ(0u, RunLprinstall("monitor \"" + c.dll + "\"", c.noSpooler));
        if (!c.noSpooler) {
            EXPECT_EQ(1u, RunLprinstall("monitor \"" + missing + "x\""));
            EXPECT_EQ(c.dll, KeyValue(kMonitorKey, "Driver"));
        }
        ASSERT_EQ(0u, RunLprinstall("uninstall", c.noSpooler));
        EXPECT_EQ("<no key>", KeyValue(kMonitorKey, "Driver"));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(SystemUiModule().c_str()));
        EXPECT_EQ("<no key>", KeyValue(kEventSourceKey, "EventMessageFile"));
    }
}

}  // namespace
