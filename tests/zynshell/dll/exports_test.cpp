// zynshell.dll through its exports, built once per Windows version
// (ZYN_TEST_WINVER_*): the choice of backend, and on the versions the shell
// backend serves, folders made, listed and deleted on disk.
//
// The program manager's platform fields are read through the internal
// declaration of the object, which is the handle's real type.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <string>
#include <vector>

#include "model/program_folder.h"
#include "model/program_item.h"
#include "model/program_manager.h"
#include "dll_loader.h"

namespace {

using zyntest::ZynDll;

#define EXPECT_SAME_FIELD(field)                                          \
    EXPECT_EQ(offsetof(ZynProgramItem, field), offsetof(zynshell::ProgramItem, field))

extern "C" size_t ZynProgramItemSizeInC(void);

TEST(ItemRecord, PublicAndInternalLayoutsAgree) {
    EXPECT_EQ(sizeof(ZynProgramItem), sizeof(zynshell::ProgramItem));
    EXPECT_EQ(ZynProgramItemSizeInC(), sizeof(zynshell::ProgramItem));
    EXPECT_SAME_FIELD(flags);
    EXPECT_SAME_FIELD(command);
    EXPECT_SAME_FIELD(arguments);
    EXPECT_SAME_FIELD(name);
    EXPECT_SAME_FIELD(iconPath);
    EXPECT_SAME_FIELD(iconIndex);
    EXPECT_SAME_FIELD(x);
    EXPECT_SAME_FIELD(y);
    EXPECT_SAME_FIELD(workingDirectory);
    EXPECT_SAME_FIELD(hotkey);
    EXPECT_SAME_FIELD(minimize);
}

TEST(Module, WindowClassLivesWhileLoaded) {
    ZynDll dll;
    ASSERT_TRUE(dll.Load());
    WNDCLASSA wc{};
    ASSERT_TRUE(GetClassInfoA(dll.module.get(), "zynshell", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    HINSTANCE instance = dll.module.get();
    dll.module.reset();
    EXPECT_FALSE(GetClassInfoA(instance, "zynshell", &wc));
}

// The test prefix runs no Program Manager: an initiate nobody answers fails
// as soon as its broadcast is through.
TEST(Init, DdeWithoutProgramManagerGivesNull) {
    ZynDll dll;
    ASSERT_TRUE(dll.Load());
    const DWORD start = GetTickCount();
    EXPECT_EQ(dll.ZynPMInit(1), nullptr);
    EXPECT_LT(GetTickCount() - start, 6000u);
}

#if defined(ZYN_TEST_WINVER_nt351) || defined(ZYN_TEST_WINVER_win2k)

TEST(Init, ProgramManagerPlatformsGetNoShellObject) {
    ZynDll dll;
    ASSERT_TRUE(dll.Load());
    EXPECT_EQ(dll.ZynPMInit(0), nullptr);  // Program Manager would serve here, but none answers
}

#else  // nt40, win95: the shell backend

const zynshell::ProgramManager& Object(ZYNPM pm) { return *reinterpret_cast<zynshell::ProgramManager*>(pm); }

class ShellExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll.Load());
        pm = dll.ZynPMInit(0);
        ASSERT_NE(pm, nullptr);
        ASSERT_NE(Object(pm).programs(), nullptr);
        testRoot = std::string(Object(pm).programs()) + "\\" + kTestFolder;
        RemoveTree(testRoot);
    }
    void TearDown() override {
        if (pm) {
            EXPECT_NE(dll.ZynPMUninit(pm), 0);
        }
        RemoveTree(testRoot);
    }

    static void RemoveTree(const std::string& path) {
        WIN32_FIND_DATAA fd;
        zyn::UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &fd));
        if (find) {
            do {
                std::string entry = fd.cFileName;
                if (entry == "." || entry == "..") continue;
                std::string full = path + "\\" + entry;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
                else DeleteFileA(full.c_str());
            } while (FindNextFileA(find.get(), &fd));
        }
        find.reset();
        RemoveDirectoryA(path.c_str());
    }
    static bool IsDirectory(const std::string& path) {
        DWORD a = GetFileAttributesA(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::vector<std::string> ReadAll() {
        std::vector<std::string> lines;
        char line[600];
        while (dll.ZynPMReadInfo(pm, line, sizeof line)) lines.emplace_back(line);
        return lines;
    }

    static constexpr const char* kTestFolder = "ZynCoreTest";
    ZynDll dll;
    ZYNPM pm = nullptr;
    std::string testRoot;
};

#if defined(ZYN_TEST_WINVER_nt40)
TEST_F(ShellExports, Nt40GetsTheShellBackendWithCommonRoots) {
    EXPECT_EQ(Object(pm).backendKind, zynshell::kBackendShell);
    EXPECT_EQ(Object(pm).platformKind, 3);
    EXPECT_EQ(Object(pm).ntFlag, 1);
    EXPECT_NE(Object(pm).commonPrograms(), nullptr);
    EXPECT_EQ(Object(pm).lastError, 0);
}
#else
TEST_F(ShellExports, Win95GetsTheShellBackendAndRefusesCommonFolders) {
    EXPECT_EQ(Object(pm).backendKind, zynshell::kBackendShell);
    EXPECT_EQ(Object(pm).platformKind, 4);
    EXPECT_EQ(Object(pm).ntFlag, 0);
    EXPECT_EQ(Object(pm).commonPrograms(), nullptr);
    EXPECT_EQ(dll.ZynGetFolderHandle(pm, nullptr, ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON), nullptr);
    EXPECT_EQ(dll.ZynCreateFolder(pm, kTestFolder, ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON), nullptr);
    EXPECT_FALSE(IsDirectory(testRoot));
    EXPECT_EQ(dll.ZynPMGetLastError(pm), 0);  // refused without a code
}
#endif

TEST_F(ShellExports, NullNameIsTheRootAndTheSameHandleComesBack) {
    ZYNFOLDER root = dll.ZynGetFolderHandle(pm, nullptr, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(reinterpret_cast<zynshell::ProgramFolder*>(root)->name(), Object(pm).programs());
    EXPECT_EQ(dll.ZynGetFolderHandle(pm, nullptr, ZYN_FOLDER_PROGRAMS), root);
    EXPECT_EQ(dll.ZynCreateFolder(pm, nullptr, ZYN_FOLDER_PROGRAMS), root);
    dll.ZynReleaseFolder(pm, root);
}

TEST_F(ShellExports, NestedFoldersAreDirectoriesListedAndDeleted) {
    const std::string nested = std::string(kTestFolder) + "\\Tools\\Deep";
    ZYNFOLDER deep = dll.ZynCreateFolder(pm, (nested + "|Deep Group").c_str(), ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(deep, nullptr);
    EXPECT_TRUE(IsDirectory(testRoot + "\\Tools\\Deep"));
    EXPECT_EQ(dll.ZynGetFolderHandle(pm, nested.c_str(), ZYN_FOLDER_PROGRAMS), deep);

    ASSERT_EQ(dll.ZynListFolderItems(pm, deep), 1);  // empty folder: no line at all
    char line[64] = "garbage";
    EXPECT_EQ(dll.ZynPMReadInfo(pm, line, sizeof line), 0);
    EXPECT_STREQ(line, "");

    ZYNFOLDER top = dll.ZynGetFolderHandle(pm, kTestFolder, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(top, nullptr);
    ASSERT_EQ(dll.ZynListSubFolders(pm, top), 1);
    EXPECT_EQ(ReadAll(), std::vector<std::string>{"Tools"});

    dll.ZynReleaseFolder(pm, deep);
    EXPECT_TRUE(IsDirectory(testRoot + "\\Tools\\Deep"));  // releasing keeps the folder
    EXPECT_EQ(dll.ZynDeleteFolder(pm, top), 1);
    EXPECT_FALSE(IsDirectory(testRoot));
    EXPECT_EQ(dll.ZynGetFolderHandle(pm, kTestFolder, ZYN_FOLDER_PROGRAMS), nullptr);
}

TEST_F(ShellExports, ItemIsListedAndLongLineNeedsABigEnoughBuffer) {
    ZYNFOLDER folder = dll.ZynCreateFolder(pm, kTestFolder, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(folder, nullptr);
    ZynProgramItem item{};
    item.flags = ZYN_ITEM_NAME | ZYN_ITEM_ARGUMENTS;
    item.command = "C:\\windows\\notepad.exe";
    item.arguments = "readme.txt";
    item.name = "Notepad";
    ASSERT_EQ(dll.ZynAddItemEx(pm, folder, &item), 1);
    EXPECT_EQ(GetFileAttributesA((testRoot + "\\Notepad.lnk").c_str()) != INVALID_FILE_ATTRIBUTES, true);

    ASSERT_EQ(dll.ZynListFolderItems(pm, folder), 1);
    char small[4];
    EXPECT_EQ(dll.ZynPMReadInfo(pm, small, sizeof small), 0);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), ZYN_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(dll.ZynPMReadInfo(pm, small, sizeof small), 0);  // that was the only line

    ASSERT_EQ(dll.ZynListFolderItems(pm, folder), 1);
    const std::vector<std::string> lines = ReadAll();
    ASSERT_EQ(lines.size(), 1u);
    std::string lower = lines[0];
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(lower.rfind("\"notepad\",", 0), 0u) << lines[0];  // description first
    EXPECT_NE(lower.find("notepad.exe\","), std::string::npos) << lines[0];

    EXPECT_EQ(dll.ZynDeleteItem(pm, folder, "Notepad"), 1);
    ASSERT_EQ(dll.ZynListFolderItems(pm, folder), 1);
    EXPECT_TRUE(ReadAll().empty());
    dll.ZynReleaseFolder(pm, folder);
}

TEST_F(ShellExports, ListingLargerThanTheInfoBufferEndsWithAWholeLine) {
    ASSERT_TRUE(CreateDirectoryA(testRoot.c_str(), nullptr));
    for (int i = 0; i < 60; ++i) {  // 60 lines of 102 bytes: more than 5120
        char name[8];
        snprintf(name, sizeof name, "%02d", i);
        ASSERT_TRUE(CreateDirectoryA((testRoot + "\\" + name + std::string(98, 'd')).c_str(), nullptr));
    }
    ZYNFOLDER folder = dll.ZynGetFolderHandle(pm, kTestFolder, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(dll.ZynListSubFolders(pm, folder), 1);
    const std::vector<std::string> lines = ReadAll();
    EXPECT_EQ(lines.size(), static_cast<size_t>((zynshell::kInfoBufferSize - 1) / 102));
    for (const std::string& line : lines) EXPECT_EQ(line.size(), 100u) << line;
    dll.ZynReleaseFolder(pm, folder);
}

TEST_F(ShellExports, LastErrorSurvivesLaterSuccess) {
    ZYNFOLDER folder = dll.ZynCreateFolder(pm, kTestFolder, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), 0);
    EXPECT_EQ(dll.ZynShowFolder(pm, folder, 0), 0);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), ZYN_ERR_BAD_SHOW_COMMAND);
    EXPECT_EQ(dll.ZynUpdateFolder(pm, folder), 1);
    EXPECT_EQ(dll.ZynListSubFolders(pm, folder), 1);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), ZYN_ERR_BAD_SHOW_COMMAND);
    dll.ZynReleaseFolder(pm, folder);
}

TEST_F(ShellExports, ReleasingOneOfThreeKeepsTheOthers) {
    const char* names[3] = {"ZynCoreTest\\Oldest", "ZynCoreTest\\Middle", "ZynCoreTest\\Newest"};
    for (int gone = 0; gone < 3; ++gone) {
        SCOPED_TRACE(names[gone]);
        ZYNFOLDER h[3];
        for (int i = 0; i < 3; ++i) ASSERT_NE(h[i] = dll.ZynCreateFolder(pm, names[i], ZYN_FOLDER_PROGRAMS), nullptr);
        dll.ZynReleaseFolder(pm, h[gone]);
        for (int i = 0; i < 3; ++i) {
            if (i != gone) {
                EXPECT_EQ(dll.ZynGetFolderHandle(pm, names[i], ZYN_FOLDER_PROGRAMS), h[i]);
            }
        }
        for (int i = 0; i < 3; ++i) {
            if (i != gone) dll.ZynReleaseFolder(pm, h[i]);
        }
    }
}

TEST_F(ShellExports, LinkRefusedWithoutLinkBitAndForOverlongFolderName) {
    ZYNFOLDER folder = dll.ZynCreateFolder(pm, kTestFolder, ZYN_FOLDER_PROGRAMS);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(dll.ZynAddLinkToFolder(pm, folder, ZYN_FOLDER_PROGRAMS, nullptr, 0), 0);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), 0);
    dll.ZynReleaseFolder(pm, folder);

    // A folder whose full path is longer than the link code's 520-byte buffer
    // cannot be made, so no handle (and no link) comes of it: error 16. The
    // link code's own refusal of such a name is tested on a fake folder.
    std::string longName = kTestFolder;
    while (longName.size() < 600) longName += "\\" + std::string(100, 'q');
    const std::string link = std::string(Object(pm).desktop()) + "\\" + std::string(100, 'q') + ".lnk";
    EXPECT_EQ(dll.ZynCreateFolder(pm, longName.c_str(), ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_DESKTOP_LINK), nullptr);
    EXPECT_EQ(dll.ZynPMGetLastError(pm), ZYN_ERR_NO_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellExports, CreateWithDesktopLinkMakesAShortcutThatDeleteLinkRemoves) {
    const std::string link = std::string(Object(pm).desktop()) + "\\Linked.lnk";
    DeleteFileA(link.c_str());
    const std::string name = std::string(kTestFolder) + "\\Linked";
    ZYNFOLDER folder = dll.ZynCreateFolderEx(pm, name.c_str(), ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_DESKTOP_LINK,
                                             "C:\\windows\\notepad.exe", 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(IsDirectory(testRoot + "\\Linked"));
    EXPECT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);

    ZYNFOLDER desktop = dll.ZynGetFolderHandle(pm, nullptr, ZYN_FOLDER_DESKTOP);
    ASSERT_NE(desktop, nullptr);
    ASSERT_EQ(dll.ZynListFolderItems(pm, desktop), 1);
    bool listed = false;
    for (const std::string& line : ReadAll()) {
        if (line.rfind("\"Linked\",", 0) == 0) {
            listed = true;
            EXPECT_NE(line.find(testRoot + "\\Linked"), std::string::npos) << line;
            EXPECT_NE(line.find(",1,"), std::string::npos) << "icon index: " << line;
        }
    }
    EXPECT_TRUE(listed);

    EXPECT_EQ(dll.ZynDeleteLinkToFolder(pm, folder, ZYN_FOLDER_DESKTOP_LINK), 1);
    EXPECT_EQ(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsDirectory(testRoot + "\\Linked"));  // only the shortcut went
    dll.ZynReleaseFolder(pm, desktop);
    dll.ZynReleaseFolder(pm, folder);
}

TEST_F(ShellExports, HandlesLeftOpenAtUninitGoWithTheObject) {
    for (const char* name : {"ZynCoreTest\\L1", "ZynCoreTest\\L2", "ZynCoreTest\\L3"})
        ASSERT_NE(dll.ZynCreateFolder(pm, name, ZYN_FOLDER_PROGRAMS), nullptr);
    EXPECT_NE(dll.ZynPMUninit(pm), 0);  // must not fault on the three handles
    pm = dll.ZynPMInit(0);
    ASSERT_NE(pm, nullptr);
    EXPECT_TRUE(IsDirectory(testRoot + "\\L3"));
}

#endif

}  // namespace
