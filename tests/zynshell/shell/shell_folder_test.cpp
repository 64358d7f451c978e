// ShellFolder directory operations: opening and creating folders, deleting
// folder trees (with their windows minimised), refreshing, showing, and the
// sub-folder and item listings. Effects are checked on disk, on real
// top-level windows and through the shell's change notifications.
#include "shell/shell_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "handles.h"
#include "shell/folder_directory.h"
#include "shell/shell_program_manager.h"
#include "shell_test_env.h"

using namespace zynshell;
using shelltest::DirectoryExists;
using shelltest::FileExists;
using shelltest::MakeDirectory;
using shelltest::NotifyCounter;
using shelltest::ReadAllLines;
using shelltest::ShortcutFields;

namespace {

class ShellFolderTest : public shelltest::ShellRootsFixture {
protected:
    void SetUp() override {
        ShellRootsFixture::SetUp();
        pm = std::make_unique<ShellProgramManager>(1, 3, roots.keyPath.c_str());
    }
    void TearDown() override {
        pm.reset();
        ShellRootsFixture::TearDown();
    }
    ProgramFolder* Open(const char* name, int create, int32_t type = 2) {
        return pm->OpenFolder(name, type, create);
    }
    void Release(ProgramFolder* folder) {
        pm->openFolders.Remove(folder);
        delete folder;
    }
    void Touch(const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        CloseHandle(h);
    }
    std::string TargetAsListed(const std::string& lnk) {
        zyn::ComPtr<IShellLinkA> link;
        zyn::ComPtr<IPersistFile> file;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         link.put_void());
        link->QueryInterface(IID_IPersistFile, file.put_void());
        std::wstring wide(lnk.begin(), lnk.end());
        file->Load(wide.c_str(), STGM_READ);
        char target[MAX_PATH] = "";
        link->GetPath(target, sizeof target, nullptr, SLGP_SHORTPATH);
        return target;
    }
    std::unique_ptr<ShellProgramManager> pm;
};

TEST_F(ShellFolderTest, CreatingANestedFolderMakesEachLevelAndAnnouncesIt) {
    NotifyCounter notes;
    ProgramFolder* folder = Open("A\\B", 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_STREQ(folder->name(), (roots.programs + "\\A\\B").c_str());
    EXPECT_EQ(folder->type(), 2);
    EXPECT_TRUE(DirectoryExists(roots.programs + "\\A\\B"));
    EXPECT_EQ(notes.Count(SHCNE_MKDIR), 2);
    EXPECT_EQ(pm->openFolders.head(), folder);
}

TEST_F(ShellFolderTest, OpeningFindsRegisteredHandlesByExactPathOnly) {
    EXPECT_EQ(Open("Missing", 0), nullptr) << "no directory, not to be made";
    EXPECT_FALSE(DirectoryExists(roots.programs + "\\Missing"));
    EXPECT_EQ(Open("X", 1, 0x00000004), nullptr) << "no root selected";

    MakeDirectory(roots.programs + "\\Tools");
    ProgramFolder* tools = Open("Tools", 0);
    ASSERT_NE(tools, nullptr) << "an existing directory gets a handle";
    EXPECT_EQ(Open("Tools", 1), tools);
    // The type is not compared: the handle keeps the one it was opened with.
    EXPECT_EQ(Open("Tools", 0, 2 | 0x04000000), tools);
    EXPECT_EQ(tools->type(), 2);
    ProgramFolder* other = Open("TOOLS", 0);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, tools) << "a name differing in case is another handle";

    ProgramFolder* root = Open(nullptr, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->name(), roots.programs.c_str());
    ASSERT_EQ(root->ListSubFolders(), 1);
    EXPECT_EQ(ReadAllLines(*pm), std::vector<std::string>{"Tools"});
}

TEST_F(ShellFolderTest, DeleteRemovesTheWholeTreeAndAnnouncesEachDirectory) {
    ProgramFolder* folder = Open("Games", 1);
    ASSERT_NE(folder, nullptr);
    MakeDirectory(roots.programs + "\\Games\\Sub");
    Touch(roots.programs + "\\Games\\a.lnk");
    Touch(roots.programs + "\\Games\\Sub\\b.txt");
    NotifyCounter notes;
    EXPECT_EQ(folder->Delete(), 1);
    EXPECT_FALSE(DirectoryExists(roots.programs + "\\Games"));
    EXPECT_EQ(pm->openFolders.head(), nullptr) << "unregistered";
    delete folder;
    // Three per directory; Wine drops the one naming the removed path.
    EXPECT_GE(notes.Count(SHCNE_RMDIR), 4);
    EXPECT_EQ(Open("Games", 0), nullptr) << "gone for good";
}

TEST_F(ShellFolderTest, DeleteRefusesARootAndKeepsEverythingInIt) {
    MakeDirectory(roots.programs + "\\Kept");
    ProgramFolder* root = Open(nullptr, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Delete(), 0);
    EXPECT_EQ(pm->openFolders.head(), nullptr) << "unregistered all the same";
    delete root;
    EXPECT_TRUE(DirectoryExists(roots.programs + "\\Kept"));
}

// Names that resolve to a root, or above one, even though their path is not
// spelled as the root: the empty shell part of "|Group", ".", "Kept\.." and
// ".." (the directory that holds every root here).
TEST_F(ShellFolderTest, DeleteRefusesNamesThatResolveToARootOrAboveOne) {
    MakeDirectory(roots.programs + "\\Kept");
    for (const char* name : {"", ".", "Kept\\..", "Kept\\.\\..\\", ".."}) {
        SCOPED_TRACE(name);
        ProgramFolder* folder = Open(name, 1);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->Delete(), 0);
        EXPECT_EQ(pm->openFolders.head(), nullptr) << "unregistered all the same";
        delete folder;
        EXPECT_TRUE(DirectoryExists(roots.programs + "\\Kept"));
        EXPECT_TRUE(DirectoryExists(roots.desktop));
    }
    // A folder whose path is only a prefix of a root's ("Desk" of "Desktop")
    // is an ordinary folder.
    ProgramFolder* desk = Open("..\\Desk", 1);
    ASSERT_NE(desk, nullptr);
    ASSERT_TRUE(DirectoryExists(roots.base + "\\Desk"));
    EXPECT_EQ(desk->Delete(), 1);
    delete desk;
    EXPECT_FALSE(DirectoryExists(roots.base + "\\Desk"));
    EXPECT_TRUE(DirectoryExists(roots.desktop));
}

TEST_F(ShellFolderTest, DeleteStopsAtAReadOnlyFileAndKeepsTheRest) {
    ProgramFolder* folder = Open("Locked", 1);
    ASSERT_NE(folder, nullptr);
    std::string dir = roots.programs + "\\Locked";
    Touch(dir + "\\locked.lnk");
    ASSERT_TRUE(SetFileAttributesA((dir + "\\locked.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(folder->Delete(), 0);
    EXPECT_EQ(pm->openFolders.head(), nullptr) << "unregistered all the same";
    delete folder;
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(FileExists(dir + "\\locked.lnk"));
}

// A directory link made where the tests run. Wine's CreateSymbolicLink does
// nothing, so there the link is a real Unix symbolic link made by ln, which
// Wine starts as a Unix process (its handle cannot be waited on: the link's
// appearance is). Removing one takes the Unix side too: Wine's RemoveDirectory
// looks through the link at the target.
using UnixFileName = char*(CDECL*)(const WCHAR*);

UnixFileName WineUnixFileName() {
    return reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
}

std::string UnixPath(UnixFileName convert, const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    char* unix = convert(wide.c_str());
    std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool RunUnixUntil(std::string command, const std::string& path, bool present) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int tries = 0; tries < 100; ++tries, Sleep(50))
        if ((GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) == present) return true;
    return false;
}

bool MakeDirectoryLink(const std::string& link, const std::string& target) {
    if (UnixFileName convert = WineUnixFileName())
        return RunUnixUntil("Z:\\bin\\ln -s \"" + UnixPath(convert, target) + "\" \"" + UnixPath(convert, link) + "\"",
                            link, true);
    return CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2);
}

void RemoveDirectoryLink(const std::string& link) {
    if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (UnixFileName convert = WineUnixFileName())
        RunUnixUntil("Z:\\bin\\rm -f \"" + UnixPath(convert, link) + "\"", link, false);
    else
        RemoveDirectoryA(link.c_str());
}

// A link in the folder, or the folder itself a link, leads outside the
// tree: deleting the folder never enters it, and what it points to stays.
// Where the platform cannot remove a directory link (Wine 8 answers 145,
// "not empty", from the target) the folder stays and Delete says so.
TEST_F(ShellFolderTest, DeleteNeverEntersALinkAndKeepsWhatItPointsTo) {
    const std::string target = roots.base + "\\Target";
    MakeDirectory(target);
    MakeDirectory(target + "\\Deep");
    Touch(target + "\\keep.lnk");
    Touch(target + "\\Deep\\keep.txt");
    MakeDirectory(roots.programs + "\\Holder");
    const struct {
        const char* folder;
        std::string link;
    } cases[] = {
        {"Holder", roots.programs + "\\Holder\\Link"},
        {"Linked", roots.programs + "\\Linked"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        if (!MakeDirectoryLink(c.link, target)) GTEST_SKIP() << "no directory link can be made here";
        ASSERT_NE(GetFileAttributesA(c.link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
        ProgramFolder* folder = Open(c.folder, 0);
        ASSERT_NE(folder, nullptr);
        const int deleted = folder->Delete();
        delete folder;
        const bool linkGone = GetFileAttributesA(c.link.c_str()) == INVALID_FILE_ATTRIBUTES;
        const bool folderGone = !DirectoryExists(roots.programs + "\\" + c.folder);
        RemoveDirectoryLink(c.link);
        EXPECT_TRUE(FileExists(target + "\\keep.lnk"));
        EXPECT_TRUE(FileExists(target + "\\Deep\\keep.txt"));
        EXPECT_EQ(deleted == 1, linkGone);
        EXPECT_EQ(deleted == 1, folderGone);
    }
}

TEST_F(ShellFolderTest, DeleteMinimisesTheFoldersWindowsFoundByPathOrName) {
    struct Case {
        const char* what;
        std::string title;
        bool minimised;
    };
    std::string path = roots.programs + "\\Viewed";
    std::vector<Case> cases = {
        {"full path, other case", path, true},
        {"own name followed by more text", "viewed - Exploring", true},
        {"a shorter prefix of the name", "View", false},
        {"an unrelated title", "Notepad", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string title = c.title;
        if (c.title == path)
            for (char& ch : title) ch = static_cast<char>(toupper(static_cast<unsigned char>(ch)));
        HWND window = CreateWindowExA(0, "STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ProgramFolder* folder = Open("Viewed", 1);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->Delete(), 1);
        delete folder;
        EXPECT_EQ(IsIconic(window) != 0, c.minimised);
        EXPECT_TRUE(IsWindow(window)) << "minimised, never destroyed";
        DestroyWindow(window);
    }
}

// A top-level window on a thread of its own, which pumps messages or, when
// hung, sleeps for hangMs first.
class WindowThread {
public:
    WindowThread(const std::string& title, DWORD hangMs) : title_(title), hangMs_(hangMs) {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 10000);
    }
    ~WindowThread() {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 20000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HWND window() const { return window_; }

private:
    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<WindowThread*>(param);
        self->window_ = CreateWindowExA(0, "STATIC", self->title_.c_str(),
                                        WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                        nullptr, nullptr, nullptr);
        SetEvent(self->ready_);
        if (self->hangMs_) Sleep(self->hangMs_);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
        DestroyWindow(self->window_);
        return 0;
    }
    std::string title_;
    DWORD hangMs_;
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HWND window_ = nullptr;
};

TEST_F(ShellFolderTest, AFolderWindowOfAnotherThreadIsMinimisedToo) {
    WindowThread other("Elsewhere", 0);
    ASSERT_NE(other.window(), nullptr);
    ProgramFolder* folder = Open("Elsewhere", 1);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Delete(), 1);
    delete folder;
    DWORD start = GetTickCount();
    while (!IsIconic(other.window()) && GetTickCount() - start < 5000) Sleep(20);
    EXPECT_TRUE(IsIconic(other.window()));
}

TEST_F(ShellFolderTest, AHungWindowDoesNotHoldUpDelete) {
    WindowThread hung("Some hung window", 4000);
    ASSERT_NE(hung.window(), nullptr);
    ProgramFolder* folder = Open("Busy", 1);
    ASSERT_NE(folder, nullptr);
    DWORD start = GetTickCount();
    EXPECT_EQ(folder->Delete(), 1);
    DWORD elapsed = GetTickCount() - start;
    delete folder;
    EXPECT_LT(elapsed, 2000u) << "one unanswered title read of half a second";
    EXPECT_FALSE(DirectoryExists(roots.programs + "\\Busy"));
}

// The first top-level window titled exactly `title`, waited for up to 15 s.
struct TitleSearch {
    const std::string* title;
    HWND found;
};

BOOL CALLBACK FindWindowTitled(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TitleSearch*>(p);
    char text[MAX_PATH] = "";
    GetWindowTextA(w, text, sizeof text);
    if (*s->title != text) return TRUE;
    s->found = w;
    return FALSE;
}

HWND WaitForWindowTitled(const std::string& title) {
    TitleSearch search{&title, nullptr};
    DWORD start = GetTickCount();
    do {
        EnumWindows(FindWindowTitled, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(100);
    } while (GetTickCount() - start < 15000);
    return nullptr;
}

TEST_F(ShellFolderTest, WithTheOpenBitEachNewLevelOpensAWindowThatDeleteMinimises) {
    const std::string unique = std::to_string(GetTickCount() % 100000);
    const std::string outer = "Outer" + unique, inner = "Inner" + unique;
    const int32_t type = static_cast<int32_t>(2 | kTypeOpen);
    ProgramFolder* folder = Open((outer + "\\" + inner).c_str(), 1, type);
    ASSERT_NE(folder, nullptr);
    HWND outerWindow = WaitForWindowTitled(outer);
    HWND innerWindow = WaitForWindowTitled(inner);
    zyn::ScopeExit closeWindows([&] {
        if (outerWindow) PostMessageA(outerWindow, WM_CLOSE, 0, 0);
        if (innerWindow) PostMessageA(innerWindow, WM_CLOSE, 0, 0);
    });
    ASSERT_NE(outerWindow, nullptr) << "the shell's folder window of " << outer;
    ASSERT_NE(innerWindow, nullptr) << "the shell's folder window of " << inner;
    EXPECT_FALSE(IsIconic(innerWindow));

    EXPECT_EQ(folder->Delete(), 1);
    delete folder;
    DWORD start = GetTickCount();
    while (!IsIconic(innerWindow) && GetTickCount() - start < 5000) Sleep(50);
    EXPECT_TRUE(IsIconic(innerWindow));
    EXPECT_FALSE(IsIconic(outerWindow)) << "only the deleted folder's window";
}

TEST_F(ShellFolderTest, ShowTakesOnlyShowCommandsOneToEight) {
    ProgramFolder* folder = Open("Shown", 1);
    ASSERT_NE(folder, nullptr);
    for (int cmd : {0, 9, -1}) {
        pm->lastError = 0;
        EXPECT_EQ(folder->Show(cmd), 0) << cmd;
        EXPECT_EQ(pm->lastError, kErrBadShowCommand);
    }
    pm->lastError = 0;
    EXPECT_EQ(folder->Show(SW_SHOWMINNOACTIVE), 1);
    EXPECT_EQ(pm->lastError, 0);
}

TEST_F(ShellFolderTest, UpdateAnnouncesTheDirectoryWithoutTouchingIt) {
    ProgramFolder* folder = Open("Fresh", 1);
    ASSERT_NE(folder, nullptr);
    NotifyCounter notes;
    EXPECT_EQ(folder->Update(), 1);
    EXPECT_EQ(notes.Count(SHCNE_UPDATEDIR), 1);
    EXPECT_TRUE(DirectoryExists(folder->name()));
}

TEST_F(ShellFolderTest, ListSubFoldersGivesDirectoryNamesOnly) {
    ProgramFolder* folder = Open("Mixed", 1);
    ASSERT_NE(folder, nullptr);
    std::string dir = folder->name();
    MakeDirectory(dir + "\\Only Child");
    Touch(dir + "\\item.lnk");
    Touch(dir + "\\readme.txt");
    ASSERT_EQ(folder->ListSubFolders(), 1);
    EXPECT_EQ(ReadAllLines(*pm), std::vector<std::string>{"Only Child"});
}

TEST_F(ShellFolderTest, ListItemsDescribesEachShortcutOnOneLine) {
    ProgramFolder* folder = Open("Items", 1);
    ASSERT_NE(folder, nullptr);
    std::string dir = folder->name();
    // A target with a long name, so that the short form shows.
    std::string target = roots.base + "\\Long Target Name.exe";
    Touch(target);
    char shortTarget[MAX_PATH];
    ASSERT_NE(GetShortPathNameA(target.c_str(), shortTarget, sizeof shortTarget), 0u);
    ASSERT_STRNE(shortTarget, target.c_str());

    ShortcutFields full;
    full.target = target;
    full.description = "Note, \"pad\"";
    full.workingDirectory = "C:\\windows";
    full.iconPath = "C:\\windows\\notepad.exe";
    full.iconIndex = -2;
    full.hotkey = 0x0641;
    full.showCmd = SW_SHOWMINNOACTIVE;  // not 6: no minimize flag
    shelltest::WriteShortcut(dir + "\\full.lnk", full);
    ShortcutFields minimised;
    minimised.target = target;
    minimised.showCmd = SW_MINIMIZE;
    shelltest::WriteShortcut(dir + "\\min.lnk", minimised);
    // Wine's link object reports show command 1 after every Load.
    std::string minFlag = shelltest::ReadShortcut(dir + "\\min.lnk").showCmd == SW_MINIMIZE ? "1" : "0";
    MakeDirectory(dir + "\\folder.lnk");  // taken as a shortcut, but it cannot be loaded

    ASSERT_EQ(folder->ListItems(), 1);
    std::vector<std::string> lines = ReadAllLines(*pm);
    std::sort(lines.begin(), lines.end());
    // The short form, as a loaded link object gives it: Wine's ignores
    // SLGP_SHORTPATH and gives the long path.
    std::string s = TargetAsListed(dir + "\\min.lnk");
    EXPECT_TRUE(s == shortTarget || s == target) << s;
    std::vector<std::string> want = {
                         "\"\",\"" + s + "\",,,0,0,0,0," + minFlag,
                         "\"\",\"\",,,0,0,0,0,0",
                         "\"Note, \"pad\"\",\"" + s + "\",C:\\windows,C:\\windows\\notepad.exe,0,0,-2,1601,0",
                     };
    std::sort(want.begin(), want.end());
    EXPECT_EQ(lines, want);
}

TEST_F(ShellFolderTest, AnEmptyFolderListsNoLinesAndARemovedOneFails) {
    ProgramFolder* folder = Open("Empty", 1);
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(folder->ListItems(), 1);
    EXPECT_EQ(pm->infoAvailable, 1);
    EXPECT_TRUE(ReadAllLines(*pm).empty());

    // Removed behind the handle's back: no operation on the directory
    // claims success, and the info text is left alone.
    ASSERT_TRUE(RemoveDirectoryA(folder->name()));
    struct Op { const char* what; int (*call)(ProgramFolder&); };
    const Op ops[] = {
        {"ListSubFolders", [](ProgramFolder& f) { return f.ListSubFolders(); }},
        {"ListItems", [](ProgramFolder& f) { return f.ListItems(); }},
        {"Update", [](ProgramFolder& f) { return f.Update(); }},
        {"Show", [](ProgramFolder& f) { return f.Show(SW_SHOWMINNOACTIVE); }},
    };
    for (const Op& op : ops) {
        SCOPED_TRACE(op.what);
        pm->lastError = 0;
        EXPECT_EQ(op.call(*folder), 0);
        EXPECT_EQ(pm->lastError, kErrNoDirectory);
        EXPECT_EQ(pm->infoAvailable, 0);
    }
    EXPECT_FALSE(DirectoryExists(folder->name())) << "nothing recreates it";
}

// A directory that cannot be made gives no handle: a file named like a
// level of the path stands in the way.
TEST_F(ShellFolderTest, CreatingAFolderBlockedByAFileGivesNoHandle) {
    Touch(roots.programs + "\\Blocked");
    for (const char* name : {"Blocked", "Blocked\\Inner"}) {
        SCOPED_TRACE(name);
        pm->lastError = 0;
        EXPECT_EQ(Open(name, 1), nullptr);
        EXPECT_EQ(pm->lastError, kErrNoDirectory);
        EXPECT_EQ(pm->openFolders.head(), nullptr);
    }
}

TEST_F(ShellFolderTest, ASubFolderListingLargerThanTheInfoBufferEndsOnAWholeLine) {
    ProgramFolder* folder = Open("Many", 1);
    ASSERT_NE(folder, nullptr);
    std::string dir = folder->name();
    // 60 names of 100 characters: 6120 bytes of lines for a 5120-byte buffer.
    for (int i = 0; i < 60; ++i) {
        char name[8];
        snprintf(name, sizeof name, "%02d", i);
        MakeDirectory(dir + "\\" + name + std::string(98, 'n'));
    }
    ASSERT_EQ(folder->ListSubFolders(), 1);
    std::vector<std::string> lines = ReadAllLines(*pm);
    EXPECT_EQ(lines.size(), 50u) << "(100 + 2) * 50 + 1 <= 5120 < (100 + 2) * 51 + 1";
    for (const std::string& line : lines) EXPECT_EQ(line.size(), 100u);
}

TEST_F(ShellFolderTest, EntriesWhosePathsExceedMaxPathAreSkippedNotOverrun) {
    // A folder path of 230 characters: its entries' paths overflow 260 bytes
    // when their names are longer than 28 characters.
    std::string name(230 - roots.programs.size() - 1, 'd');
    ProgramFolder* folder = Open(name.c_str(), 1);
    ASSERT_NE(folder, nullptr);
    std::string dir = folder->name();
    ASSERT_EQ(dir.size(), 230u);
    ASSERT_TRUE(DirectoryExists(dir));
    ShortcutFields fields;
    fields.target = "C:\\windows\\notepad.exe";
    fields.description = "short";
    shelltest::WriteShortcut(dir + "\\s.lnk", fields);
    // The link object will not save there; any file matching *.lnk will do.
    std::string longEntry = dir + "\\" + std::string(28, 'l') + ".lnk";
    std::wstring wideLong = L"\\\\?\\" + std::wstring(longEntry.begin(), longEntry.end());
    HANDLE h = CreateFileW(wideLong.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(h);
    ASSERT_EQ(folder->ListItems(), 1);
    std::vector<std::string> lines = ReadAllLines(*pm);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 8), "\"short\",");

    // Neither DeleteItem nor Delete can name the long entry: it stays, and
    // both say so.
    pm->lastError = 0;
    EXPECT_EQ(folder->DeleteItem(std::string(28, 'l').c_str()), 0);
    EXPECT_EQ(pm->lastError, kErrNotDeleted);
    EXPECT_EQ(folder->Delete(), 0);
    delete folder;
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_FALSE(FileExists(dir + "\\s.lnk"));
}

TEST_F(ShellFolderTest, CreateFolderPathWalksPastLevelsThatExistAlready) {
    MakeDirectory(roots.programs + "\\Have");
    NotifyCounter notes;
    CreateFolderPath((roots.programs + "\\Have\\Want\\More").c_str(), 2);
    EXPECT_TRUE(DirectoryExists(roots.programs + "\\Have\\Want\\More"));
    EXPECT_EQ(notes.Count(SHCNE_MKDIR), 2);
    // A path too long for the 512-byte working buffer stops being made there.
    std::string deep = roots.programs + "\\Deep";
    for (int i = 0; i < 60; ++i) deep += "\\level";
    CreateFolderPath(deep.c_str(), 2);
    EXPECT_TRUE(DirectoryExists(roots.programs + "\\Deep\\level"));
    EXPECT_FALSE(DirectoryExists(deep));
}

}  // namespace
