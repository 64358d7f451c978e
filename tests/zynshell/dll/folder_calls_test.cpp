// The export layer's own logic over stand-in backends: which backend paths
// it takes, what it refuses before reaching a backend, how it builds folder
// shortcuts, and that nothing a backend throws gets out.
#include <gtest/gtest.h>

#include <string>

#include "dde/progman_rules.h"
#include "dll/library_api.h"
#include "fake_backend.h"

namespace {

using zyntest::FakeFolder;
using zyntest::FakeProgramManager;
using FakeProgmanManager = zyntest::BasicFakeProgramManager<zynshell::ProgmanRules>;
using namespace zynshell;

using Log = std::vector<std::string>;

constexpr int32_t kCommon = static_cast<int32_t>(kTypeCommon);
constexpr int32_t kOpen = static_cast<int32_t>(kTypeOpen);
constexpr int32_t kDesktopLink = static_cast<int32_t>(kTypeDesktopLink);
constexpr int32_t kProgramsLink = static_cast<int32_t>(kTypeProgramsLink);

TEST(ShellCalls, CreateMakesAMissingFolderAndShowsAnExistingOneOnlyWhenAsked) {
    FakeProgramManager pm(kBackendShell);
    ProgramFolder* made = CreateFolderEx(&pm, "Tools\\Sub|Group", 2, nullptr, 0);
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->name(), "Tools\\Sub");
    EXPECT_EQ(pm.opened, (Log{"Tools\\Sub", "Tools\\Sub create"}));
    EXPECT_TRUE(pm.log.empty());

    EXPECT_EQ(CreateFolderEx(&pm, "Tools\\Sub", 2, nullptr, 0), made);  // same handle again
    EXPECT_TRUE(pm.log.empty());
    EXPECT_EQ(CreateFolderEx(&pm, "Tools\\Sub", 2 | kOpen, nullptr, 0), made);
    EXPECT_EQ(pm.log, (Log{"Tools\\Sub: Show 1"}));
    ReleaseFolder(&pm, made);
}

TEST(ShellCalls, NullNameGivesTheRootAndNoShortcut) {
    FakeProgramManager pm(kBackendShell);
    pm.existing.insert("<root>");
    ProgramFolder* root = CreateFolderEx(&pm, nullptr, 2 | kOpen | kDesktopLink, nullptr, 0);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(pm.log, (Log{"<root>: Show 1"}));  // shown, but no AddItem anywhere
    EXPECT_EQ(GetFolderHandle(&pm, nullptr, 2), root);
}

TEST(ShellCalls, CommonBitRefusedWithoutNt) {
    FakeProgramManager pm(kBackendShell, /*nt=*/0);
    EXPECT_EQ(GetFolderHandle(&pm, "Tools", 2 | kCommon), nullptr);
    EXPECT_EQ(CreateFolderEx(&pm, "Tools", 2 | kCommon, nullptr, 0), nullptr);
    EXPECT_EQ(CreateFolderEx(&pm, nullptr, 1 | kCommon, nullptr, 0), nullptr);
    EXPECT_TRUE(pm.opened.empty());
    EXPECT_EQ(pm.lastError, 0);
}

TEST(ShellCalls, FolderLinkGoesToDesktopOrProgramsRoot) {
    FakeProgramManager pm(kBackendShell);
    pm.existing = {"<root>", "C:\\Menu\\Accessories\\Games"};
    ProgramFolder* games = GetFolderHandle(&pm, "C:\\Menu\\Accessories\\Games", 2);
    ASSERT_NE(games, nullptr);

    EXPECT_EQ(AddLinkToFolder(&pm, games, 2, nullptr, 0), 0);  // no link bit: no code
    EXPECT_EQ(pm.lastError, 0);

    ASSERT_EQ(AddLinkToFolder(&pm, games, 2 | kDesktopLink | kProgramsLink, nullptr, 0), 1);
    auto* root = static_cast<FakeFolder*>(pm.openFolders.Find("<root>", 0, 0));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->type(), 1);  // both bits: the Desktop wins
    EXPECT_EQ(root->lastItem.flags, 0x02u);
    EXPECT_EQ(root->lastItemCommand, "C:\\Menu\\Accessories\\Games");
    EXPECT_EQ(root->lastItemName, "Games");
    EXPECT_STREQ(root->lastItem.iconPath, "");

    ASSERT_EQ(AddLinkToFolder(&pm, games, kCommon | kProgramsLink, "icons.dll", 7), 1);
    EXPECT_EQ(root->lastItem.flags, 0x0Eu);
    EXPECT_STREQ(root->lastItem.iconPath, "icons.dll");
    EXPECT_EQ(root->lastItem.iconIndex, 7);

    EXPECT_EQ(DeleteLinkToFolder(&pm, games, kProgramsLink), 1);
    EXPECT_EQ(pm.log.back(), "<root>: DeleteItem Games");
}

TEST(ShellCalls, FolderLinkRefusesANameTooLongForItsBuffer) {
    FakeProgramManager pm(kBackendShell);
    const std::string fits = "C:\\" + std::string(516, 'n');     // 519 + terminator: 520 bytes
    const std::string tooLong = "C:\\" + std::string(517, 'n');  // 520 + terminator
    pm.existing = {"<root>", fits, tooLong};
    ProgramFolder* ok = GetFolderHandle(&pm, fits.c_str(), 2);
    ProgramFolder* big = GetFolderHandle(&pm, tooLong.c_str(), 2);
    ASSERT_TRUE(ok && big);
    EXPECT_EQ(AddLinkToFolder(&pm, ok, kDesktopLink, nullptr, 0), 1);
    pm.log.clear();
    EXPECT_EQ(AddLinkToFolder(&pm, big, kDesktopLink, nullptr, 0), 0);
    EXPECT_EQ(DeleteLinkToFolder(&pm, big, kDesktopLink), 0);
    EXPECT_TRUE(pm.log.empty());  // the root was asked for nothing
}

TEST(ShellCalls, CreateWithLinkBitLinksTheNewFolder) {
    FakeProgramManager pm(kBackendShell);
    pm.existing.insert("<root>");
    ProgramFolder* f = CreateFolderEx(&pm, "Apps\\Mine", 2 | kProgramsLink, "x.ico", 3);
    ASSERT_NE(f, nullptr);
    auto* root = static_cast<FakeFolder*>(pm.openFolders.Find("<root>", 0, 0));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->type(), 2);
    EXPECT_EQ(root->lastItemName, "Mine");
    EXPECT_EQ(root->lastItem.iconIndex, 3);
}

TEST(DdeCalls, RootSelectorsAndNames) {
    FakeProgmanManager pm(kBackendDde);
    pm.SetRoot(kStartupRoot, "StartUp");
    pm.existing = {"Games", "StartUp"};
    EXPECT_EQ(GetFolderHandle(&pm, "Games", 1), nullptr);    // no Desktop in Program Manager
    EXPECT_EQ(GetFolderHandle(&pm, nullptr, 2), nullptr);    // a group needs a name
    ProgramFolder* startup = GetFolderHandle(&pm, "Ignored", 3);
    ASSERT_NE(startup, nullptr);
    EXPECT_STREQ(startup->name(), "StartUp");

    ProgramFolder* games = GetFolderHandle(&pm, "Accessories\\Games", 2);
    ASSERT_NE(games, nullptr);
    EXPECT_STREQ(games->name(), "Games");
    EXPECT_EQ(GetFolderHandle(&pm, "Shell\\Path|Games", 2), games);
    ProgramFolder* other = GetFolderHandle(&pm, "Games", 2 | kOpen);  // whole type compared
    EXPECT_NE(other, nullptr);
    EXPECT_NE(other, games);
}

TEST(DdeCalls, CreateShowsExistingGroupAlwaysAndRefusesLinks) {
    FakeProgmanManager pm(kBackendDde);
    pm.existing = {"Games"};
    ProgramFolder* games = CreateFolderEx(&pm, "Games", 2 | kDesktopLink, nullptr, 0);
    ASSERT_NE(games, nullptr);
    EXPECT_EQ(pm.log, (Log{"Games: Show 1"}));
    EXPECT_EQ(pm.lastError, kErrLinkOnDde);  // the folder is still handed out

    EXPECT_EQ(AddLinkToFolder(&pm, games, 2, nullptr, 0), 0);  // no link bit: nothing
    pm.lastError = 0;
    EXPECT_EQ(DeleteLinkToFolder(&pm, games, kProgramsLink), 0);
    EXPECT_EQ(pm.lastError, kErrLinkOnDde);

    // The link is refused with 12 also when the group's handle could not be made.
    pm.lastError = 0;
    pm.refuseCreate = true;
    EXPECT_EQ(CreateFolderEx(&pm, "New", 2 | kDesktopLink, nullptr, 0), nullptr);
    EXPECT_EQ(pm.lastError, kErrLinkOnDde);
}

TEST(DdeCalls, NullNameWithStartUpUsesTheStartUpGroup) {
    FakeProgmanManager pm(kBackendDde);
    pm.SetRoot(kStartupRoot, "StartUp");
    ProgramFolder* f = CreateFolderEx(&pm, nullptr, 3, nullptr, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->name(), "StartUp");
    EXPECT_EQ(pm.opened.back(), "StartUp create");
}

TEST(Calls, DeleteAndReleaseEndTheHandle) {
    FakeFolder::alive = 0;
    FakeProgramManager pm(kBackendShell);
    ProgramFolder* a = CreateFolderEx(&pm, "A", 2, nullptr, 0);
    ProgramFolder* b = CreateFolderEx(&pm, "B", 2, nullptr, 0);
    ASSERT_EQ(FakeFolder::alive, 2);
    EXPECT_EQ(DeleteFolder(&pm, a), 1);
    ReleaseFolder(&pm, b);
    EXPECT_EQ(FakeFolder::alive, 0);
    EXPECT_EQ(pm.openFolders.head(), nullptr);
}

TEST(Calls, NullHandlesAndBackendExceptionsFailQuietly) {
    FakeProgramManager pm(kBackendShell);
    EXPECT_EQ(UpdateFolder(&pm, nullptr), 0);
    EXPECT_EQ(ListFolderItems(&pm, nullptr), 0);
    EXPECT_EQ(AddItem(&pm, nullptr, nullptr), 0);
    EXPECT_EQ(DeleteFolder(&pm, nullptr), 0);
    EXPECT_EQ(AddLinkToFolder(&pm, nullptr, kDesktopLink, nullptr, 0), 0);
    pm.throwOnOpen = true;
    EXPECT_EQ(CreateFolderEx(&pm, "Tools", 2, nullptr, 0), nullptr);
    EXPECT_EQ(GetFolderHandle(&pm, "Tools", 2), nullptr);
}

TEST(Calls, AddItemRecordTakesFieldsInOrderAndCutsTheHotkey) {
    ProgramItem item = MakeProgramItem(0x7F, "cmd", "args", "name", "icon", -2, 10, 20, "dir",
                                       0xABCD0641u, 1);
    EXPECT_EQ(item.flags, 0x7Fu);
    EXPECT_STREQ(item.command, "cmd");
    EXPECT_STREQ(item.arguments, "args");
    EXPECT_STREQ(item.name, "name");
    EXPECT_STREQ(item.iconPath, "icon");
    EXPECT_EQ(item.iconIndex, -2);
    EXPECT_EQ(item.x, 10);
    EXPECT_EQ(item.y, 20);
    EXPECT_STREQ(item.workingDirectory, "dir");
    EXPECT_EQ(item.hotkey, 0x0641u);
    EXPECT_EQ(item.minimize, 1);
}

}  // namespace
