// lprinstall, the installer of the test prefix: the port values it writes
// are what the port dialog would write (numbers plain, within their digits),
// and a number it can't write that way is refused before any key is made.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "monitor_test_support.h"

namespace {

const std::string kMonitor = "ZynInstallTest" + std::to_string(GetCurrentProcessId());
const std::string kMonitorKey = "System\\CurrentControlSet\\Control\\Print\\Monitors\\" + kMonitor;

// Runs lprinstall.exe (beside this program) with `args`; its exit code.
DWORD RunLprinstall(const std::string& args) {
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

std::string PortValue(const char* port, const char* value) {
    char buf[64] = {};
    DWORD cb = sizeof buf - 1;
    HKEY key = nullptr;
    std::string path = kMonitorKey + "\\Ports\\" + port;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return "<no key>";
    LONG rc = RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &cb);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? buf : "<no value>";
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

}  // namespace
