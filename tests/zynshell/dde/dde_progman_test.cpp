// A round trip through the Program Manager DDE server of Wine's shell32,
// hosted by progman_host.exe, with zynshell.dll serving Windows 2000 (so the
// DDE backend). That server keeps groups as Start-menu directories and items
// as .lnk files, which are read back here through a fresh IShellLinkA.
#include <gtest/gtest.h>

#include "handles.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "progman_host_process.h"
#include "shortcut_file.h"
#include "zynshell.h"

namespace {

using Lines = std::vector<std::string>;

constexpr DWORD kHostReadyWait = 30000, kHostStopWait = 10000;
const char kGroup[] = "Zyn Round Trip";
const char kSpacedDir[] = "C:\\Zyn Round Trip";
const char kSpacedExe[] = "C:\\Zyn Round Trip\\pad.exe";

std::string ProgramsDirectory() {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, path);
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    zyn::UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &fd));
    if (find) {
        do {
            const std::string entry = fd.cFileName;
            if (entry == "." || entry == "..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path + "\\" + entry);
            else DeleteFileA((path + "\\" + entry).c_str());
        } while (FindNextFileA(find.get(), &fd));
    }
    find.reset();
    RemoveDirectoryA(path.c_str());
}

using zyntest::ReadShortcut;
using zyntest::Shortcut;

bool SameText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// progman_host.exe from this program's folder, stopped at the end.
class WineProgman : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        host_ = std::make_unique<zyntest::ProgmanHostProcess>(240, kHostReadyWait, kHostStopWait);
    }
    static void TearDownTestSuite() {
        host_.reset();
        CoUninitialize();
    }
    void SetUp() override {
        ASSERT_TRUE(host_ && host_->Ready()) << "progman_host did not come up";
        groupDir = ProgramsDirectory() + "\\" + kGroup;
        RemoveTree(groupDir);
        pm = ZynPMInit(0);
        ASSERT_NE(pm, nullptr) << "Windows 2000 is served through Program Manager";
    }
    void TearDown() override {
        if (pm) ZynPMUninit(pm);
        RemoveTree(groupDir);
        RemoveTree(kSpacedDir);
    }
    Lines ReadAll() {
        Lines lines;
        char line[600];
        while (ZynPMReadInfo(pm, line, sizeof line)) lines.emplace_back(line);
        return lines;
    }

    static inline std::unique_ptr<zyntest::ProgmanHostProcess> host_;
    std::string groupDir;
    ZYNPM pm = nullptr;
};

TEST_F(WineProgman, GroupWithItemsIsMadeListedAndDeleted) {
    ZYNFOLDER group = ZynCreateFolder(pm, kGroup, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(Exists(groupDir));

    EXPECT_EQ(ZynAddItem(pm, group, ZYN_ITEM_NAME | ZYN_ITEM_WORKDIR, "notepad.exe", "", "Pad", "", 0, 0, 0,
                         "C:\\windows", 0x0341, 0),
              1);
    // A command with a blank goes quoted; the server needs it to exist.
    ASSERT_TRUE(CreateDirectoryA(kSpacedDir, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileA("C:\\windows\\notepad.exe", kSpacedExe, FALSE));
    EXPECT_EQ(ZynAddItem(pm, group, ZYN_ITEM_NAME, kSpacedExe, "", "Spaced", "", 0, 0, 0, "", 0, 0), 1);
    EXPECT_EQ(ZynShowFolder(pm, group, 1), 1);

    ASSERT_EQ(ZynListSubFolders(pm, nullptr), 1);
    const Lines groups = ReadAll();
    EXPECT_NE(std::find(groups.begin(), groups.end(), kGroup), groups.end());

    Shortcut pad, spaced;
    ASSERT_TRUE(ReadShortcut(groupDir + "\\Pad.lnk", &pad));
    EXPECT_TRUE(SameText(pad.path.substr(pad.path.find_last_of('\\') + 1), "notepad.exe")) << pad.path;
    EXPECT_EQ(pad.description, "Pad");
    EXPECT_TRUE(SameText(pad.workingDirectory, "C:\\windows")) << pad.workingDirectory;
    EXPECT_EQ(pad.hotkey, 0x0341);
    ASSERT_TRUE(ReadShortcut(groupDir + "\\Spaced.lnk", &spaced));
    EXPECT_TRUE(SameText(spaced.path, kSpacedExe)) << spaced.path;

    EXPECT_EQ(ZynDeleteItem(pm, group, "Pad"), 1);
    EXPECT_FALSE(Exists(groupDir + "\\Pad.lnk"));
    EXPECT_TRUE(Exists(groupDir + "\\Spaced.lnk"));
    EXPECT_EQ(ZynDeleteFolder(pm, group), 1);
    EXPECT_FALSE(Exists(groupDir));
    EXPECT_EQ(ZynGetFolderHandle(pm, kGroup, ZYN_FOLDER_PROGRAMS), nullptr);
}

TEST_F(WineProgman, CommandsTheServerRefusesFailWithError4) {
    ZYNFOLDER group = ZynCreateFolder(pm, kGroup, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(group, nullptr);
    struct Case {
        const char* what;
        int (*run)(ZYNPM, ZYNFOLDER);
    } const cases[] = {
        {"the group's contents", [](ZYNPM pm, ZYNFOLDER f) { return ZynListFolderItems(pm, f); }},
        {"Reload", [](ZYNPM pm, ZYNFOLDER f) { return ZynUpdateFolder(pm, f); }},
        {"an item whose command has arguments",
         [](ZYNPM pm, ZYNFOLDER f) {
             return ZynAddItem(pm, f, ZYN_ITEM_ARGUMENTS, "notepad.exe", "readme.txt", "", "", 0, 0, 0, "", 0, 0);
         }},
        {"an item that is not there", [](ZYNPM pm, ZYNFOLDER f) { return ZynDeleteItem(pm, f, "Missing"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.run(pm, group), 0);
        EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_DDE_FAILED);
    }
    EXPECT_EQ(GlobalFindAtomA(kGroup), 0) << "the refused request's item atom is deleted";
    EXPECT_EQ(ZynDeleteFolder(pm, group), 1);
}

// Wine's server lists "Zyn Round Trip Tools"; "Zyn Round Trip" is another
// group, made when asked for, while a whole name matches in any case.
TEST_F(WineProgman, AGroupNamedByTheStartOfAnothersIsMadeToo) {
    const std::string longer = std::string(kGroup) + " Tools";
    const std::string longerDir = ProgramsDirectory() + "\\" + longer;
    zyn::ScopeExit removeLonger([&] { RemoveTree(longerDir); });
    ZYNFOLDER first = ZynCreateFolder(pm, longer.c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(Exists(longerDir));
    ZynReleaseFolder(pm, first);

    ZYNFOLDER group = ZynCreateFolder(pm, kGroup, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(Exists(groupDir));
    ZynReleaseFolder(pm, group);
    ZYNFOLDER again = ZynGetFolderHandle(pm, "ZYN ROUND TRIP TOOLS", ZYN_FOLDER_PROGRAMS);
    EXPECT_NE(again, nullptr);
    if (again) ZynReleaseFolder(pm, again);
}

}  // namespace
