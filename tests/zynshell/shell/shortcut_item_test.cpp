// ShellFolder item operations: shortcut files written through the program
// manager's one link object are read back through a fresh link object of the
// test's own, field by field; file names, refusals, overwriting, deletion
// and the listing of what was added.
#include "shell/shell_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "shell/shell_program_manager.h"
#include "shell/shortcut_name.h"
#include "shell_test_env.h"

using namespace zynshell;
using shelltest::FileExists;
using shelltest::NotifyCounter;
using shelltest::ReadAllLines;
using shelltest::ReadShortcut;
using shelltest::ShortcutFields;

namespace {

const char kNotepad[] = "C:\\windows\\notepad.exe";
const char kRegedit[] = "C:\\windows\\regedit.exe";

ProgramItem Item(uint32_t flags, const char* command) {
    ProgramItem item = {};
    item.flags = flags;
    item.command = command;
    // Fields that the flags do not give hold values that must not be used.
    item.arguments = "unused-args";
    item.name = "unused-name";
    item.iconPath = "C:\\unused.ico";
    item.iconIndex = 77;
    item.workingDirectory = "C:\\unused";
    item.hotkey = 0xFFFF0241;  // the high bytes are never read
    item.minimize = 1;
    return item;
}

class ShortcutItemTest : public shelltest::ShellRootsFixture {
protected:
    void SetUp() override {
        ShellRootsFixture::SetUp();
        pm = std::make_unique<ShellProgramManager>(1, 3, roots.keyPath.c_str());
        folder = pm->OpenFolder("Apps", 2, 1);
        ASSERT_NE(folder, nullptr);
        dir = folder->name();
    }
    void TearDown() override {
        pm.reset();
        ShellRootsFixture::TearDown();
    }
    std::string Lnk(const std::string& file) { return dir + "\\" + file; }
    void ExpectFields(const std::string& file, const ShortcutFields& want) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(FileExists(Lnk(file)));
        ShortcutFields got = ReadShortcut(Lnk(file));
        EXPECT_STREQ(got.target.c_str(), want.target.c_str());
        EXPECT_EQ(got.description, want.description);
        EXPECT_EQ(got.arguments, want.arguments);
        EXPECT_EQ(got.workingDirectory, want.workingDirectory);
        EXPECT_EQ(got.iconPath, want.iconPath);
        EXPECT_EQ(got.iconIndex, want.iconIndex);
        EXPECT_EQ(got.hotkey, want.hotkey);
        EXPECT_EQ(got.storedShowCmd, want.showCmd);
    }
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }
    std::unique_ptr<ShellProgramManager> pm;
    ProgramFolder* folder = nullptr;
    std::string dir;
};

ShortcutFields Fields(const char* target) {
    ShortcutFields f;
    f.target = target;
    f.showCmd = SW_SHOWNORMAL;
    return f;
}

TEST_F(ShortcutItemTest, EveryGivenFieldRoundTrips) {
    ProgramItem item = Item(0x7F, kNotepad);
    item.arguments = "/p readme.txt";
    item.name = "Notepad";
    item.iconPath = kRegedit;
    item.iconIndex = 2;
    item.workingDirectory = "C:\\windows\\temp";
    item.hotkey = 0x0641;
    item.minimize = 1;
    NotifyCounter notes;
    ASSERT_EQ(folder->AddItem(item), 1);
    EXPECT_EQ(notes.Count(SHCNE_CREATE), 1);
    ShortcutFields want = Fields(kNotepad);
    want.description = "Notepad";
    want.arguments = "/p readme.txt";
    want.iconPath = kRegedit;
    want.iconIndex = 2;
    want.workingDirectory = "C:\\windows\\temp";
    want.hotkey = 0x0641;
    want.showCmd = SW_MINIMIZE;
    ExpectFields("Notepad.lnk", want);
    EXPECT_EQ(Files(), std::vector<std::string>{"Notepad.lnk"});
}

TEST_F(ShortcutItemTest, WithoutFlagsOnlyTheCommandCountsAndNamesTheFile) {
    ASSERT_EQ(folder->AddItem(Item(0, kNotepad)), 1);
    ExpectFields("notepad.lnk", Fields(kNotepad));
    // Drive-relative commands and commands without a dot name files too.
    ASSERT_EQ(folder->AddItem(Item(0, "C:regedit.exe")), 1);
    ASSERT_EQ(folder->AddItem(Item(0, "C:\\tools/a.b.c")), 1);
    ASSERT_EQ(folder->AddItem(Item(0, "C:\\windows\\winhlp32")), 1);
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.b.lnk", "notepad.lnk", "regedit.lnk",
                                                 "winhlp32.lnk"}));
}

TEST_F(ShortcutItemTest, EachFlagGatesItsOwnFields) {
    {
        SCOPED_TRACE("0x04 gives the icon path and index, with or without 0x08");
        ProgramItem item = Item(0x02 | 0x04, kNotepad);
        item.name = "Icon";
        item.iconPath = kRegedit;
        item.iconIndex = 3;
        ASSERT_EQ(folder->AddItem(item), 1);
        ShortcutFields want = Fields(kNotepad);
        want.description = "Icon";
        want.iconPath = kRegedit;
        want.iconIndex = 3;
        ExpectFields("Icon.lnk", want);
    }
    {
        SCOPED_TRACE("0x08 alone gives no icon");
        ProgramItem item = Item(0x02 | 0x08, kNotepad);
        item.name = "NoIcon";
        ASSERT_EQ(folder->AddItem(item), 1);
        ShortcutFields want = Fields(kNotepad);
        want.description = "NoIcon";
        ExpectFields("NoIcon.lnk", want);
    }
    for (uint32_t flag : {0x10u, 0x20u}) {
        SCOPED_TRACE(flag == 0x10 ? "0x10 gives the hotkey" : "0x20 gives the hotkey and directory");
        ProgramItem item = Item(0x02 | flag, kNotepad);
        item.name = "Hot";
        item.hotkey = 0xABCD0352;
        ASSERT_EQ(folder->AddItem(item), 1);
        ShortcutFields want = Fields(kNotepad);
        want.description = "Hot";
        want.hotkey = 0x0352;
        if (flag == 0x20) want.workingDirectory = "C:\\unused";
        ExpectFields("Hot.lnk", want);
    }
    {
        SCOPED_TRACE("0x40 with minimize 0 is a normal window");
        ProgramItem item = Item(0x02 | 0x40, kNotepad);
        item.name = "Normal";
        item.minimize = 0;
        ASSERT_EQ(folder->AddItem(item), 1);
        ShortcutFields want = Fields(kNotepad);
        want.description = "Normal";
        ExpectFields("Normal.lnk", want);
    }
}

TEST_F(ShortcutItemTest, NothingOfAPreviousShortcutLeaksIntoTheNext) {
    ProgramItem rich = Item(0x7F, kNotepad);
    rich.name = "Rich";
    ASSERT_EQ(folder->AddItem(rich), 1);
    // Load another shortcut into the shared link object through a listing.
    ASSERT_EQ(folder->ListItems(), 1);
    ASSERT_EQ(ReadAllLines(*pm).size(), 1u);
    ProgramItem plain = Item(0x02, kRegedit);
    plain.name = "Plain";
    ASSERT_EQ(folder->AddItem(plain), 1);
    ShortcutFields want = Fields(kRegedit);
    want.description = "Plain";
    ExpectFields("Plain.lnk", want);
}

TEST_F(ShortcutItemTest, AListingNeverReportsThePreviousShortcutsShowCommand) {
    ProgramFolder* other = pm->OpenFolder("Other", 2, 1);
    ASSERT_NE(other, nullptr);
    shelltest::WriteShortcut(std::string(other->name()) + "\\normal.lnk", Fields(kNotepad));
    ProgramItem minimised = Item(0x02 | 0x40, kNotepad);
    minimised.name = "Min";
    ASSERT_EQ(folder->AddItem(minimised), 1);  // the link object now holds 6
    ASSERT_EQ(other->ListItems(), 1);
    std::vector<std::string> lines = ReadAllLines(*pm);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), ",0");
}

TEST_F(ShortcutItemTest, TheListingShowsExactlyTheAddedItems) {
    ProgramItem a = Item(0x02 | 0x04 | 0x20 | 0x40, kNotepad);
    a.name = "Editor";
    a.iconPath = kRegedit;
    a.iconIndex = 1;
    a.workingDirectory = "C:\\windows";
    a.hotkey = 0x0641;
    a.minimize = 1;
    ASSERT_EQ(folder->AddItem(a), 1);
    ASSERT_EQ(folder->AddItem(Item(0x01, kRegedit)), 1);
    ASSERT_EQ(folder->ListItems(), 1);
    std::vector<std::string> lines = ReadAllLines(*pm);
    std::sort(lines.begin(), lines.end());
    // The minimize flag is what a loaded link object reports (Wine's always
    // reports show command 1 after Load, though the file holds 6).
    ASSERT_EQ(ReadShortcut(Lnk("Editor.lnk")).storedShowCmd, SW_MINIMIZE);
    std::string minimized = ReadShortcut(Lnk("Editor.lnk")).showCmd == SW_MINIMIZE ? "1" : "0";
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "\"\",\"C:\\windows\\regedit.exe\",,,0,0,0,0,0",
                         "\"Editor\",\"C:\\windows\\notepad.exe\",C:\\windows,"
                         "C:\\windows\\regedit.exe,0,0,1,1601," + minimized,
                     }));
}

TEST_F(ShortcutItemTest, AddingUnderAnExistingNameOverwritesItsFile) {
    ProgramItem item = Item(0x02 | 0x01, kNotepad);
    item.name = "Same";
    item.arguments = "first";
    ASSERT_EQ(folder->AddItem(item), 1);
    item.command = kRegedit;
    item.arguments = "second";
    ASSERT_EQ(folder->AddItem(item), 1);
    ShortcutFields want = Fields(kRegedit);
    want.description = "Same";
    want.arguments = "second";
    ExpectFields("Same.lnk", want);
    EXPECT_EQ(Files().size(), 1u);
}

TEST_F(ShortcutItemTest, ABackslashInTheNameNamesASubDirectory) {
    ASSERT_TRUE(CreateDirectoryA(Lnk("Sub").c_str(), nullptr));
    ProgramItem item = Item(0x02, kNotepad);
    item.name = "Sub\\Inner";
    ASSERT_EQ(folder->AddItem(item), 1);
    EXPECT_TRUE(FileExists(Lnk("Sub\\Inner.lnk")));
}

TEST_F(ShortcutItemTest, NamesThatCannotBeFileNamesAreRefusedWithError13) {
    const char* bad[] = {"a<b", "a>b", "a:b", "a\"b", "a/b", "a|b", "a?b", "a*b", "tab\there",
                         "\x1f"};
    for (const char* name : bad) {
        SCOPED_TRACE(name);
        ProgramItem item = Item(0x02, kNotepad);
        item.name = name;
        pm->lastError = 0;
        EXPECT_EQ(folder->AddItem(item), 0);
        EXPECT_EQ(pm->lastError, kErrBadItemName);
    }
    pm->lastError = 0;
    EXPECT_EQ(folder->AddItem(Item(0, "C:\\tools\\what?.exe")), 0) << "from the command";
    EXPECT_EQ(pm->lastError, kErrBadItemName);
    EXPECT_TRUE(Files().empty());
}

TEST_F(ShortcutItemTest, NamesTooLongForTheirBuffersAreRefusedNotOverrun) {
    // File name buffer: 256 bytes, so at most 251 characters before ".lnk".
    char fileName[kShortcutFileNameSize];
    ProgramItem item = Item(0x02, kNotepad);
    std::string longest(251, 'n');
    item.name = longest.c_str();
    EXPECT_TRUE(BuildShortcutFileName(item, fileName, sizeof fileName));
    std::string tooLong(252, 'n');
    item.name = tooLong.c_str();
    EXPECT_FALSE(BuildShortcutFileName(item, fileName, sizeof fileName));
    EXPECT_STREQ(fileName, "");
    std::string command = "C:\\" + std::string(252, 'c') + ".exe";
    EXPECT_FALSE(BuildShortcutFileName(Item(0, command.c_str()), fileName, sizeof fileName));

    // Full path buffer: 260 bytes; the folder path, a backslash, name, ".lnk".
    std::string fits(259 - dir.size() - 1 - 4, 'p');
    item.name = fits.c_str();
    pm->lastError = 0;
    EXPECT_EQ(folder->AddItem(item), 1);
    EXPECT_TRUE(FileExists(Lnk(fits + ".lnk")));
    std::string over = fits + "p";
    item.name = over.c_str();
    EXPECT_EQ(folder->AddItem(item), 0);
    EXPECT_EQ(pm->lastError, kErrBadItemName);
    item.name = tooLong.c_str();
    EXPECT_EQ(folder->AddItem(item), 0);
    EXPECT_EQ(Files().size(), 1u);
}

TEST_F(ShortcutItemTest, DeleteMatchesTheFileNameWithoutRegardToCase) {
    ProgramItem item = Item(0x02, kNotepad);
    item.name = "Notepad";
    ASSERT_EQ(folder->AddItem(item), 1);
    ASSERT_EQ(folder->AddItem(Item(0, kRegedit)), 1);  // regedit.lnk, empty description
    ASSERT_TRUE(CreateDirectoryA(Lnk("dir.lnk").c_str(), nullptr));

    EXPECT_EQ(folder->DeleteItem("Notepad.lnk"), 1) << "looks for Notepad.lnk.lnk";
    EXPECT_EQ(folder->DeleteItem("dir"), 1) << "directories are passed over";
    EXPECT_EQ(folder->DeleteItem("missing"), 1);
    EXPECT_EQ(Files(), (std::vector<std::string>{"Notepad.lnk", "regedit.lnk"}));
    EXPECT_TRUE(shelltest::DirectoryExists(Lnk("dir.lnk")));

    NotifyCounter notes;
    EXPECT_EQ(folder->DeleteItem("NOTEPAD"), 1);
    EXPECT_EQ(notes.Count(SHCNE_UPDATEDIR), 1);
    EXPECT_EQ(folder->ReplaceItem("regedit"), 1) << "by the command's base name";
    EXPECT_TRUE(Files().empty());
    EXPECT_EQ(pm->lastError, 0);
}

// Each real cause of a shortcut that is not written or not removed is
// reported with its code, and leaves what was there; an item that does not
// exist is still deleted "successfully". (A read-only shortcut in the way of
// a save would be another cause on Windows; Wine, run as root, overwrites it.)
TEST_F(ShortcutItemTest, ShortcutsNotWrittenOrNotDeletedAreReported) {
    enum Setup { kReadOnlyKept, kDirectoryKeptLnk, kFolderRemoved };
    enum Op { kAdd, kDelete, kReplace };
    struct Case {
        const char* what;
        Setup setup;
        Op op;
        int result;
        int32_t error;
        bool keptStays;  // Kept.lnk (file or directory) is still there afterwards
    };
    const Case cases[] = {
        {"add where a directory has the file's name", kDirectoryKeptLnk, kAdd, 0, kErrNotSaved, true},
        {"add into a removed folder", kFolderRemoved, kAdd, 0, kErrNotSaved, false},
        {"delete a read-only shortcut", kReadOnlyKept, kDelete, 0, kErrNotDeleted, true},
        {"replace a read-only shortcut", kReadOnlyKept, kReplace, 0, kErrNotDeleted, true},
        {"delete from a removed folder: no such item", kFolderRemoved, kDelete, 1, 0, false},
    };
    ProgramItem kept = Item(0x02, kRegedit);
    kept.name = "Kept";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        shelltest::RemoveTree(dir);
        shelltest::MakeDirectory(dir);
        ProgramItem original = Item(0x02, kNotepad);
        original.name = "Kept";
        switch (c.setup) {
        case kReadOnlyKept:
            ASSERT_EQ(folder->AddItem(original), 1);
            ASSERT_TRUE(SetFileAttributesA(Lnk("Kept.lnk").c_str(), FILE_ATTRIBUTE_READONLY));
            break;
        case kDirectoryKeptLnk: ASSERT_TRUE(CreateDirectoryA(Lnk("Kept.lnk").c_str(), nullptr)); break;
        case kFolderRemoved: ASSERT_TRUE(RemoveDirectoryA(dir.c_str())); break;
        }
        pm->lastError = 0;
        int result = c.op == kAdd ? folder->AddItem(kept)
                     : c.op == kDelete ? folder->DeleteItem("KEPT")
                                       : folder->ReplaceItem("Kept");
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(pm->lastError, c.error);
        EXPECT_EQ(GetFileAttributesA(Lnk("Kept.lnk").c_str()) != INVALID_FILE_ATTRIBUTES, c.keptStays);
        if (c.setup == kReadOnlyKept) {
            EXPECT_EQ(ReadShortcut(Lnk("Kept.lnk")).target, kNotepad) << "the old shortcut is untouched";
        }
    }
    shelltest::RemoveTree(dir);
}

}  // namespace
