// The item exports of zynshell.dll on the shell backend (run as Windows NT
// 4.0 and as Windows 95): items added with ZynAddItem / ZynAddItemEx are read
// back through a fresh link object of the test's own, listed, replaced and
// deleted; folder shortcuts come and go with ZynAddLinkToFolder /
// ZynDeleteLinkToFolder. Works in the prefix's real Start menu, in folders
// with unique names that set-up and tear-down remove.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell_test_env.h"
#include "zynshell.h"

using shelltest::DirectoryExists;
using shelltest::FileExists;
using shelltest::ReadShortcut;
using shelltest::RemoveTree;

namespace {

bool IsNt() { return (GetVersion() & 0x80000000u) == 0; }

std::string ShellFolder(const char* value, HKEY hive) {
    char path[2048] = "";
    DWORD cb = sizeof path - 1;
    RegGetValueA(hive, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                 value, RRF_RT_REG_SZ, nullptr, path, &cb);
    return path;
}

class ShellItemExports : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        name = "ZynItems" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
        programs = ShellFolder("Programs", HKEY_CURRENT_USER);
        desktop = ShellFolder("Desktop", HKEY_CURRENT_USER);
        ASSERT_FALSE(programs.empty());
        dir = programs + "\\" + name;
        CleanUp();
        pm = ZynPMInit(0);
        ASSERT_NE(pm, nullptr);
        folder = ZynCreateFolder(pm, name.c_str(), ZYN_FOLDER_PROGRAMS);
        ASSERT_NE(folder, nullptr);
        ASSERT_TRUE(DirectoryExists(dir));
    }
    void TearDown() override {
        if (pm) ZynPMUninit(pm);
        CleanUp();
        CoUninitialize();
    }
    void CleanUp() {
        RemoveTree(dir);
        RemoveTree(desktop + "\\" + name + ".lnk");
        RemoveTree(programs + "\\" + name + ".lnk");
        RemoveTree(programs + "\\..\\" + name + "_out");
        RemoveTree(programs + "\\" + name + "_out.lnk");
        if (IsNt()) RemoveTree(ShellFolder("Common Programs", HKEY_LOCAL_MACHINE) + "\\" + name);
    }
    std::vector<std::string> Listing() {
        std::vector<std::string> lines;
        EXPECT_EQ(ZynListFolderItems(pm, folder), 1);
        char line[600];
        while (ZynPMReadInfo(pm, line, sizeof line)) lines.push_back(line);
        return lines;
    }
    std::string name, programs, desktop, dir;
    ZYNPM pm = nullptr;
    ZYNFOLDER folder = nullptr;
};

TEST_F(ShellItemExports, ZynAddItemWritesEveryGivenFieldAndTheListingShowsIt) {
    ASSERT_EQ(ZynAddItem(pm, folder, 0x7F, "C:\\windows\\notepad.exe", "/a b", "Editor",
                         "C:\\windows\\regedit.exe", 4, 10, 20, "C:\\windows",
                         0x12340641 /* only the low 16 bits count */, 1), 1);
    auto f = ReadShortcut(dir + "\\Editor.lnk");
    EXPECT_EQ(f.target, "C:\\windows\\notepad.exe");
    EXPECT_EQ(f.description, "Editor");
    EXPECT_EQ(f.arguments, "/a b");
    EXPECT_EQ(f.workingDirectory, "C:\\windows");
    EXPECT_EQ(f.iconPath, "C:\\windows\\regedit.exe");
    EXPECT_EQ(f.iconIndex, 4);
    EXPECT_EQ(f.hotkey, 0x0641);
    EXPECT_EQ(f.storedShowCmd, SW_MINIMIZE);
    std::string minimized = f.showCmd == SW_MINIMIZE ? "1" : "0";  // Wine's Load reports 1
    EXPECT_EQ(Listing(), std::vector<std::string>{
                             "\"Editor\",\"C:\\windows\\notepad.exe\",C:\\windows,"
                             "C:\\windows\\regedit.exe,0,0,4,1601," + minimized});
}

TEST_F(ShellItemExports, ZynAddItemExRefusesNamesThatCannotBeFileNames) {
    ZynProgramItem item = {};
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "What?";
    EXPECT_EQ(ZynAddItemEx(pm, folder, &item), 0);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_BAD_ITEM_NAME);
    std::string tooLong(300, 'x');
    item.name = tooLong.c_str();
    EXPECT_EQ(ZynAddItemEx(pm, folder, &item), 0);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_BAD_ITEM_NAME);
    item.name = "Fine";
    EXPECT_EQ(ZynAddItemEx(pm, folder, &item), 1);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_BAD_ITEM_NAME) << "success never resets it";
    EXPECT_EQ(Listing().size(), 1u);
}

TEST_F(ShellItemExports, ReplaceThenAddSwapsAnItemAndDeleteIgnoresCase) {
    ZynProgramItem item = {};
    item.flags = ZYN_ITEM_NAME | ZYN_ITEM_ARGUMENTS;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "Tool";
    item.arguments = "old";
    ASSERT_EQ(ZynAddItemEx(pm, folder, &item), 1);
    EXPECT_EQ(ZynReplaceItem(pm, folder, "TOOL"), 1);
    EXPECT_FALSE(FileExists(dir + "\\Tool.lnk"));
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\regedit.exe";
    ASSERT_EQ(ZynAddItemEx(pm, folder, &item), 1);
    auto f = ReadShortcut(dir + "\\Tool.lnk");
    EXPECT_EQ(f.target, "C:\\windows\\regedit.exe");
    EXPECT_EQ(f.arguments, "") << "nothing of the old item is carried over";
    EXPECT_EQ(ZynDeleteItem(pm, folder, "tool"), 1);
    EXPECT_EQ(ZynDeleteItem(pm, folder, "tool"), 1) << "a missing item is no failure";
    EXPECT_TRUE(Listing().empty());
    EXPECT_EQ(ZynPMGetLastError(pm), 0);
}

TEST_F(ShellItemExports, FolderLinksGoToTheDesktopOrProgramsRoot) {
    const std::string onDesktop = desktop + "\\" + name + ".lnk";
    const std::string inPrograms = programs + "\\" + name + ".lnk";
    EXPECT_EQ(ZynAddLinkToFolder(pm, folder, ZYN_FOLDER_PROGRAMS, nullptr, 0), 0) << "no link bit";
    EXPECT_EQ(ZynPMGetLastError(pm), 0);

    const int32_t both = ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_DESKTOP_LINK | ZYN_FOLDER_PROGRAMS_LINK;
    ASSERT_EQ(ZynAddLinkToFolder(pm, folder, both, "C:\\windows\\regedit.exe", 3), 1);
    ASSERT_TRUE(FileExists(onDesktop));
    EXPECT_FALSE(FileExists(inPrograms));
    auto f = ReadShortcut(onDesktop);
    EXPECT_EQ(f.target, dir);
    EXPECT_EQ(f.description, name);
    EXPECT_EQ(f.iconPath, "C:\\windows\\regedit.exe");
    EXPECT_EQ(f.iconIndex, 3);
    EXPECT_EQ(ZynDeleteLinkToFolder(pm, folder, both), 1);
    EXPECT_FALSE(FileExists(onDesktop));

    ASSERT_EQ(ZynAddLinkToFolder(pm, folder, ZYN_FOLDER_PROGRAMS_LINK, nullptr, 0), 1);
    ASSERT_TRUE(FileExists(inPrograms));
    EXPECT_EQ(ReadShortcut(inPrograms).iconPath, "");
    EXPECT_EQ(ZynDeleteLinkToFolder(pm, folder, ZYN_FOLDER_PROGRAMS_LINK), 1);
    EXPECT_FALSE(FileExists(inPrograms));
}

TEST_F(ShellItemExports, CommonFoldersExistOnlyOnWindowsNt) {
    const int32_t common = ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON;
    ZYNFOLDER shared = ZynCreateFolder(pm, name.c_str(), common);
    if (!IsNt()) {
        EXPECT_EQ(shared, nullptr);
        return;
    }
    ASSERT_NE(shared, nullptr);
    ASSERT_NE(shared, folder) << "another root, another directory";
    std::string sharedDir = ShellFolder("Common Programs", HKEY_LOCAL_MACHINE) + "\\" + name;
    EXPECT_TRUE(DirectoryExists(sharedDir));
    EXPECT_EQ(ZynAddItem(pm, shared, 0, "C:\\windows\\notepad.exe", nullptr, nullptr, nullptr, 0,
                         0, 0, nullptr, 0, 0), 1);
    EXPECT_TRUE(FileExists(sharedDir + "\\notepad.lnk"));
    EXPECT_EQ(ZynDeleteFolder(pm, shared), 1);
    EXPECT_FALSE(DirectoryExists(sharedDir));
}

// A folder handle that was released, belongs to another program manager or
// was never handed out, and a program manager that was ended, are refused
// by every export: 0 or null, nothing on disk changes, and the last error of
// the object in use stays as it was.
TEST_F(ShellItemExports, ReleasedForeignAndMadeUpHandlesAreRefused) {
    ZynProgramItem item = {};
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "Kept";
    ASSERT_EQ(ZynAddItemEx(pm, folder, &item), 1);
    ZYNFOLDER released = ZynCreateFolder(pm, (name + "\\Sub").c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(released, nullptr);
    ZynReleaseFolder(pm, released);
    ZYNPM other = ZynPMInit(0);
    ASSERT_NE(other, nullptr);
    ZYNFOLDER othersFolder = ZynGetFolderHandle(other, name.c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(othersFolder, nullptr);
    char notAFolder[64] = {};

    using Call = int (*)(ZYNPM, ZYNFOLDER, const ZynProgramItem*);
    const struct { const char* what; Call call; } calls[] = {
        {"AddItemEx", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem* i) { return ZynAddItemEx(m, f, i); }},
        {"AddItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem* i) {
             return ZynAddItem(m, f, i->flags, i->command, nullptr, "Other", nullptr, 0, 0, 0, nullptr, 0, 0);
         }},
        {"DeleteItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynDeleteItem(m, f, "Kept"); }},
        {"ReplaceItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynReplaceItem(m, f, "Kept"); }},
        {"Update", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynUpdateFolder(m, f); }},
        {"Show", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynShowFolder(m, f, 0); }},
        {"ListItems", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynListFolderItems(m, f); }},
        {"ListSubFolders", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynListSubFolders(m, f); }},
        {"AddLink", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) {
             return ZynAddLinkToFolder(m, f, ZYN_FOLDER_DESKTOP_LINK, nullptr, 0);
         }},
        {"DeleteLink", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) {
             return ZynDeleteLinkToFolder(m, f, ZYN_FOLDER_DESKTOP_LINK);
         }},
        {"Release", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { ZynReleaseFolder(m, f); return 0; }},
        {"DeleteFolder", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynDeleteFolder(m, f); }},
    };
    const struct { const char* what; ZYNFOLDER handle; } handles[] = {
        {"released", released},
        {"another program manager's", othersFolder},
        {"never handed out", reinterpret_cast<ZYNFOLDER>(notAFolder)},
        {"a small number", reinterpret_cast<ZYNFOLDER>(static_cast<intptr_t>(0x10))},
    };
    for (const auto& h : handles) {
        for (const auto& c : calls) {
            SCOPED_TRACE(std::string(h.what) + " / " + c.what);
            EXPECT_EQ(c.call(pm, h.handle, &item), 0);
            EXPECT_EQ(ZynPMGetLastError(pm), 0);
        }
    }
    EXPECT_TRUE(FileExists(dir + "\\Kept.lnk"));
    EXPECT_FALSE(FileExists(dir + "\\Other.lnk"));
    EXPECT_TRUE(DirectoryExists(dir + "\\Sub"));
    EXPECT_FALSE(FileExists(desktop + "\\" + name + ".lnk"));
    EXPECT_EQ(ZynGetFolderHandle(other, name.c_str(), ZYN_FOLDER_PROGRAMS), othersFolder) << "still its own";

    // An ended program manager: nothing reaches it, and ending it twice is harmless.
    ASSERT_NE(ZynPMUninit(other), 0);
    EXPECT_EQ(ZynPMUninit(other), 0);
    EXPECT_EQ(ZynCreateFolder(other, (name + "\\Late").c_str(), ZYN_FOLDER_PROGRAMS), nullptr);
    EXPECT_EQ(ZynGetFolderHandle(other, name.c_str(), ZYN_FOLDER_PROGRAMS), nullptr);
    EXPECT_EQ(ZynDeleteItem(other, othersFolder, "Kept"), 0);
    char line[64] = "unchanged";
    EXPECT_EQ(ZynPMReadInfo(other, line, sizeof line), 0);
    EXPECT_FALSE(DirectoryExists(dir + "\\Late"));
    EXPECT_TRUE(FileExists(dir + "\\Kept.lnk"));
}

// Real causes of a shortcut that is not written or not removed, through the
// exports: a removed folder directory and a read-only shortcut.
TEST_F(ShellItemExports, ShortcutsNotWrittenOrNotDeletedAreReportedWithTheirCodes) {
    ZynProgramItem item = {};
    item.flags = ZYN_ITEM_NAME;
    item.command = "C:\\windows\\notepad.exe";
    item.name = "Locked";
    ASSERT_EQ(ZynAddItemEx(pm, folder, &item), 1);
    ASSERT_TRUE(SetFileAttributesA((dir + "\\Locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ZynDeleteItem(pm, folder, "locked"), 0);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_NOT_DELETED);
    EXPECT_EQ(ZynReplaceItem(pm, folder, "Locked"), 0);
    EXPECT_TRUE(FileExists(dir + "\\Locked.lnk"));
    SetFileAttributesA((dir + "\\Locked.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);

    RemoveTree(dir);
    item.name = "Lost";
    EXPECT_EQ(ZynAddItemEx(pm, folder, &item), 0);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_NOT_SAVED);
    EXPECT_EQ(ZynListFolderItems(pm, folder), 0);
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_NO_DIRECTORY);
    EXPECT_EQ(ZynDeleteItem(pm, folder, "Lost"), 1) << "no such item";
    EXPECT_FALSE(DirectoryExists(dir));
}

// Names with a part of dots only would reach outside the folder or the
// Start menu: every entry point refuses them with error 18 and touches
// nothing; dots beside other characters are ordinary.
TEST_F(ShellItemExports, NamesWithDotPartsAreRefusedAndTouchNothing) {
    const std::string victim = dir + "\\Victim";
    ASSERT_TRUE(CreateDirectoryA(victim.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((dir + "\\Sub").c_str(), nullptr));
    ZynProgramItem kept = {};
    kept.flags = ZYN_ITEM_NAME;
    kept.command = "C:\\windows\\notepad.exe";
    kept.name = "Kept";
    ZYNFOLDER victimFolder = ZynGetFolderHandle(pm, (name + "\\Victim").c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_EQ(ZynAddItemEx(pm, victimFolder, &kept), 1);
    ZynReleaseFolder(pm, victimFolder);

    using FolderCall = ZYNFOLDER (*)(ZYNPM, const char*);
    const FolderCall folderCalls[] = {
        [](ZYNPM m, const char* n) { return ZynGetFolderHandle(m, n, ZYN_FOLDER_PROGRAMS); },
        [](ZYNPM m, const char* n) { return ZynCreateFolder(m, n, ZYN_FOLDER_PROGRAMS); },
        [](ZYNPM m, const char* n) { return ZynCreateFolderEx(m, n, ZYN_FOLDER_PROGRAMS, nullptr, 0); },
    };
    const std::string folderNames[] = {
        name + "\\Sub\\..\\Victim", name + "/./Victim", name + "\\Victim\\..", "..\\" + name + "_out",
        name + "\\...\\Victim", "..\\" + name + "_out|Group",
    };
    for (const std::string& n : folderNames) {
        for (FolderCall call : folderCalls) {
            SCOPED_TRACE(n);
            ZYNFOLDER f = call(pm, n.c_str());
            EXPECT_EQ(f, nullptr);
            EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_DOT_NAME_PART);
            if (f) ZynDeleteFolder(pm, f);
        }
    }
    EXPECT_TRUE(FileExists(victim + "\\Kept.lnk"));
    EXPECT_FALSE(DirectoryExists(programs + "\\..\\" + name + "_out"));

    const std::string outside = "..\\" + name + "_out";
    ZynProgramItem climbing = kept;
    climbing.name = outside.c_str();
    const struct {
        const char* what;
        int (*call)(ZYNPM, ZYNFOLDER, const ZynProgramItem*);
    } itemCalls[] = {
        {"AddItemEx", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem* i) { return ZynAddItemEx(m, f, i); }},
        {"AddItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem* i) {
             return ZynAddItem(m, f, i->flags, i->command, nullptr, i->name, nullptr, 0, 0, 0, nullptr, 0, 0);
         }},
        {"DeleteItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynDeleteItem(m, f, "Sub\\..\\x"); }},
        {"ReplaceItem", [](ZYNPM m, ZYNFOLDER f, const ZynProgramItem*) { return ZynReplaceItem(m, f, ".."); }},
    };
    for (const auto& c : itemCalls) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.call(pm, folder, &climbing), 0);
        EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_DOT_NAME_PART);
    }
    EXPECT_FALSE(FileExists(programs + "\\" + name + "_out.lnk"));

    for (const char* ordinary : {"My App...", "v1.2"}) {
        SCOPED_TRACE(ordinary);
        ZYNFOLDER f = ZynCreateFolder(pm, (name + "\\" + ordinary).c_str(), ZYN_FOLDER_PROGRAMS);
        EXPECT_NE(f, nullptr);
        ZynProgramItem item = kept;
        item.name = ordinary;
        EXPECT_EQ(ZynAddItemEx(pm, folder, &item), 1);
        if (f) ZynReleaseFolder(pm, f);
    }
}

}  // namespace
