// The kit's NSIS example, built by makensis for this tree's architecture
// (x86-unicode or amd64-unicode), installed and uninstalled silently: once
// served by the Start menu (Windows NT 4.0) and once by Wine's Program
// Manager server (Windows 2000). Its shortcuts are read back; the uninstaller
// must leave nothing but itself (run in place, it cannot delete itself).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "handles.h"
#include "progman_host_process.h"
#include "shortcut_file.h"

namespace {

constexpr DWORD kRunWait = 60000;
const char kSetup[] = "zyn_example_setup.exe";
// Parentheses on purpose: the example loads the DLL by path.
const char kInstallDir[] = "C:\\Zyn NSIS (sample)";

std::string Here() {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string dir = self;
    return dir.substr(0, dir.find_last_of('\\'));
}

std::string ShellDir(int csidl) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    zyn::UniqueFind find(FindFirstFileA((dir + "\\*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find.get(), &fd));
    return names;
}

std::string ReadText(const std::string& file) {
    zyn::UniqueFile f(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD got = 0;
    if (!f || !ReadFile(f.get(), buffer, sizeof buffer, &got, nullptr)) return "";
    return std::string(buffer, got);
}

// What GetVersion tells a program of that file name in this prefix.
void SetWindowsVersion(const char* exe, const char* version) {
    zyn::UniqueRegKey key;
    const std::string path = std::string("Software\\Wine\\AppDefaults\\") + exe;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(lstrlenA(version) + 1));
}

// Runs a command line; its exit code, or ~0 when it did not end in time.
DWORD RunToEnd(std::string commandLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ~0u - 1;
    zyn::UniqueKernelHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(process.get(), kRunWait) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        return ~0u;
    }
    DWORD code = ~0u;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

struct Expected {
    const char* file;
    const char* arguments;
    const char* description;
    WORD hotkey;
};

class NsisExample : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        programs = ShellDir(CSIDL_PROGRAMS);
        desktopLink = ShellDir(CSIDL_DESKTOPDIRECTORY) + "\\Tools.lnk";
    }
    void TearDown() override { CoUninitialize(); }

    DWORD Install(const char* winver, const char* options) {
        SetWindowsVersion(kSetup, winver);
        SetWindowsVersion("uninstall.exe", winver);
        return RunToEnd("\"" + Here() + "\\" + kSetup + "\" /S " + options + " /D=" + kInstallDir);
    }
    DWORD Uninstall() {
        const std::string dir = kInstallDir;
        return RunToEnd("\"" + dir + "\\uninstall.exe\" /S _?=" + dir);
    }
    void ExpectShortcuts(const std::string& groupDir, const Expected (&items)[2]) {
        for (const Expected& item : items) {
            SCOPED_TRACE(item.file);
            zyntest::Shortcut link;
            ASSERT_TRUE(zyntest::ReadShortcut(groupDir + "\\" + item.file, &link));
            EXPECT_EQ(lstrcmpiA(link.path.c_str(), "C:\\windows\\notepad.exe"), 0) << link.path;
            EXPECT_EQ(link.arguments, item.arguments);
            EXPECT_EQ(lstrcmpiA(link.workingDirectory.c_str(), kInstallDir), 0) << link.workingDirectory;
            EXPECT_EQ(link.description, item.description);
            EXPECT_EQ(link.hotkey, item.hotkey);
        }
    }
    // Uninstalls and checks that the group, the desktop link and every
    // installed file are gone; then removes the uninstaller itself.
    void UninstallLeavesNothing(const std::string& groupDir) {
        EXPECT_EQ(Uninstall(), 0u);
        EXPECT_FALSE(Exists(groupDir));
        EXPECT_FALSE(Exists(programs + "\\Zyn Example"));
        EXPECT_FALSE(Exists(desktopLink));
        EXPECT_EQ(Entries(kInstallDir), std::vector<std::string>{"uninstall.exe"});
        DeleteFileA((std::string(kInstallDir) + "\\uninstall.exe").c_str());
        RemoveDirectoryA(kInstallDir);
    }

    std::string programs, desktopLink;
};

TEST_F(NsisExample, StartMenuGroupWithItemsAndDesktopLink) {
    ASSERT_EQ(Install("nt40", ""), 0u);
    const std::string groupDir = programs + "\\Zyn Example\\Tools";
    ExpectShortcuts(groupDir, {{"Example Readme.lnk", "readme.txt", "Example Readme", 0x0652},
                               {"Example Editor.lnk", "", "Example Editor", 0x0645}});
    zyntest::Shortcut group;
    ASSERT_TRUE(zyntest::ReadShortcut(desktopLink, &group));
    EXPECT_EQ(lstrcmpiA(group.path.c_str(), groupDir.c_str()), 0) << group.path;
    const std::string listing = ReadText(std::string(kInstallDir) + "\\items.txt");
    EXPECT_EQ(listing.find("\"Example Editor\",\"C:\\windows\\notepad.exe\""), 0u) << listing;
    EXPECT_NE(listing.find("\r\n\"Example Readme\","), std::string::npos) << listing;
    UninstallLeavesNothing(groupDir);
}

class NsisExampleOnProgman : public NsisExample {
protected:
    static void SetUpTestSuite() { host_ = std::make_unique<zyntest::ProgmanHostProcess>(240); }
    static void TearDownTestSuite() { host_.reset(); }
    void SetUp() override {
        NsisExample::SetUp();
        ASSERT_TRUE(host_ && host_->Ready()) << "progman_host did not come up";
        groupDir = programs + "\\Zyn Example Tools";
    }
    static inline std::unique_ptr<zyntest::ProgmanHostProcess> host_;
    std::string groupDir;
};

// Wine's server takes no item arguments and does not list a group's
// contents: the example's /SIMPLE run asks for neither.
TEST_F(NsisExampleOnProgman, GroupWithPlainItems) {
    ASSERT_EQ(Install("win2k", "/SIMPLE"), 0u);
    ExpectShortcuts(groupDir, {{"Example Readme.lnk", "", "Example Readme", 0x0652},
                               {"Example Editor.lnk", "", "Example Editor", 0x0645}});
    EXPECT_FALSE(Exists(desktopLink)) << "Program Manager has no group links";
    const std::string listing = ReadText(std::string(kInstallDir) + "\\items.txt");
    EXPECT_NE(listing.find("Zyn Example Tools\r\n"), std::string::npos) << listing;
    UninstallLeavesNothing(groupDir);
}

// An item the server refuses stops the installer with the library's code
// in its exit code (100 + 4, the refused DDE command), not swallowed.
TEST_F(NsisExampleOnProgman, RefusedItemFailsTheInstallWithTheLibrarysCode) {
    EXPECT_EQ(Install("win2k", ""), 104u);
    EXPECT_FALSE(Exists(groupDir + "\\Example Readme.lnk"));
    UninstallLeavesNothing(groupDir);
}

}  // namespace
