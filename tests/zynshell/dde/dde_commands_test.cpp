// The command strings that reach Program Manager through the exports of
// zynshell.dll, byte for byte, with a scripted Program Manager that knows
// the groups Accessories, Main and Tools. Built once per Windows version
// (ZYN_TEST_WINVER_*): Windows 2000 (Windows NT, platform kind 2, no
// Program Manager groups keys under Wine) and Windows 95 (not NT, kind 4).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "scripted_progman.h"
#include "zynshell.h"

namespace {

using zyntest::ScriptedProgman;
using Lines = std::vector<std::string>;

#if defined(ZYN_TEST_WINVER_win2k)
constexpr bool kNt = true;
#else
constexpr bool kNt = false;
#endif

class DdeCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        pm = ZynPMInit(1);
        ASSERT_NE(pm, nullptr);
        tools = ZynGetFolderHandle(pm, "Tools", ZYN_FOLDER_PROGRAMS);
        ASSERT_NE(tools, nullptr);
        server.ClearLog();
    }
    void TearDown() override {
        if (tools) ZynReleaseFolder(pm, tools);
        if (pm) ZynPMUninit(pm);
    }
    ScriptedProgman server;
    ZYNPM pm = nullptr;
    ZYNFOLDER tools = nullptr;
};

// Each case runs on a fresh program manager with a handle on Tools; what it
// returns, the last error after it, and every execute the server received.
struct Case {
    const char* what;
    std::function<int(ZYNPM, ZYNFOLDER)> run;
    int result;
    int error;
    Lines executes;
    std::vector<zyntest::Step> answers = {};  // the server's, in order; acknowledged when none
};

const char kCreateTools[] = "[CreateGroup(\"Tools\",0)]";

int AddItem(ZYNPM pm, ZYNFOLDER f, ZynProgramItem item) { return ZynAddItemEx(pm, f, &item); }

ZynProgramItem MakeItem(uint32_t flags, const char* command, const char* arguments = "", const char* name = "") {
    ZynProgramItem item{};
    item.flags = flags;
    item.command = command;
    item.arguments = arguments;
    item.name = name;
    item.iconPath = item.workingDirectory = "";
    return item;
}

// Makes a folder by name (released at once); 1 when a handle came back.
int Create(ZYNPM pm, const char* name, int32_t type) {
    ZYNFOLDER f = ZynCreateFolder(pm, name, type);
    if (f) ZynReleaseFolder(pm, f);
    return f ? 1 : 0;
}

TEST_F(DdeCommands, EachOperationSendsItsCommandsExactly) {
    const ZynProgramItem hotkeyItem = [] {
        ZynProgramItem item = MakeItem(ZYN_ITEM_WORKDIR, "app.exe");
        item.workingDirectory = "C:\\Work";
        item.hotkey = 0x0341;
        item.x = 5;
        return item;
    }();
    const ZynProgramItem everyField = [] {
        ZynProgramItem item = MakeItem(0x7F, "app.exe", "-q", "App");
        item.iconPath = "C:\\app.ico";
        item.iconIndex = -2;
        item.x = 10;
        item.y = 20;
        item.workingDirectory = "C:\\";
        item.hotkey = 0x10341;  // only the low 16 bits count
        item.minimize = 1;
        return item;
    }();
    const std::string longName(1000, 'n');
    const Case cases[] = {
        {"item with arguments and name",
         [](ZYNPM pm, ZYNFOLDER f) {
             return AddItem(pm, f, MakeItem(0x03, "notepad.exe", "readme.txt", "Readme"));
         },
         1, 0, {kCreateTools, "[AddItem(notepad.exe readme.txt,\"Readme\",\"\",,,,\"\",,)]"}},
        {"command with a blank is quoted, a blank before the comma",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0, "C:\\Program Files\\app.exe")); }, 1, 0,
         {kCreateTools, "[AddItem(\"C:\\Program Files\\app.exe\" ,\"\",\"\",,,,\"\",,)]"}},
        {"working directory brings the hotkey, not x and y",
         [&](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, hotkeyItem); }, 1, 0,
         {kCreateTools, "[AddItem(app.exe ,\"\",\"\",,,,\"C:\\Work\",833,)]"}},
        {"every field",
         [&](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, everyField); }, 1, 0,
         {kCreateTools, "[AddItem(app.exe -q,\"App\",\"C:\\app.ico\",-2,10,20,\"C:\\\",833,1)]"}},
        {"show 1", [](ZYNPM pm, ZYNFOLDER f) { return ZynShowFolder(pm, f, 1); }, 1, 0,
         {"[ShowGroup(\"Tools\",1,0)]"}},
        {"show 9 sends nothing", [](ZYNPM pm, ZYNFOLDER f) { return ZynShowFolder(pm, f, 9); }, 0,
         ZYN_ERR_BAD_SHOW_COMMAND, {}},
        {"delete item", [](ZYNPM pm, ZYNFOLDER f) { return ZynDeleteItem(pm, f, "Readme"); }, 1, 0,
         {kCreateTools, "[DeleteItem(\"Readme\")]"}},
        {"delete item without a name", [](ZYNPM pm, ZYNFOLDER f) { return ZynDeleteItem(pm, f, ""); }, 0,
         ZYN_ERR_EMPTY_NAME, {kCreateTools}},
        {"replace item", [](ZYNPM pm, ZYNFOLDER f) { return ZynReplaceItem(pm, f, "Readme"); }, 1, 0,
         {kCreateTools, "[ReplaceItem(\"Readme\")]"}},
        {"update", [](ZYNPM pm, ZYNFOLDER f) { return ZynUpdateFolder(pm, f); }, 1, 0,
         {kCreateTools, "[Reload(\"Tools\")]"}},
        {"create an existing group shows it",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "Main", ZYN_FOLDER_PROGRAMS); }, 1, 0,
         {"[ShowGroup(\"Main\",1,0)]"}},
        {"create a missing group",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "Games", ZYN_FOLDER_PROGRAMS); }, 1, 0,
         {"[CreateGroup(\"Games\",0)]"}},
        {"a link on Program Manager is refused, the group made",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "Games", ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_DESKTOP_LINK); },
         1, ZYN_ERR_LINK_ON_DDE, {"[CreateGroup(\"Games\",0)]"}},
        {"StartUp ignores the name",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "Whatever", ZYN_FOLDER_STARTUP); }, 1, 0,
         {"[CreateGroup(\"StartUp\",0)]"}},
        {"delete the group",
         [](ZYNPM pm, ZYNFOLDER) { return ZynDeleteFolder(pm, ZynGetFolderHandle(pm, "Main", ZYN_FOLDER_PROGRAMS)); },
         1, 0, {"[CreateGroup(\"Main\",0)]", "[DeleteGroup(\"Main\",0)]"}},
        // Strings that would end their field early, and overlong commands:
        // refused before anything is sent.
        {"a group name that closes its quote",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "X\",0)][DeleteGroup(\"Main", ZYN_FOLDER_PROGRAMS); }, 0,
         ZYN_ERR_UNSAFE_COMMAND, {}},
        {"an item name that closes its quote",
         [](ZYNPM pm, ZYNFOLDER f) { return ZynDeleteItem(pm, f, "a\")][DeleteGroup(\"Main"); }, 0,
         ZYN_ERR_UNSAFE_COMMAND, {}},
        {"an unquoted command with a comma",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0, "a,b.exe")); }, 0, ZYN_ERR_UNSAFE_COMMAND,
         {}},
        {"arguments with a parenthesis",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0x01, "app.exe", "x)]")); }, 0,
         ZYN_ERR_UNSAFE_COMMAND, {}},
        {"arguments with a square bracket",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0x01, "app.exe", "[x")); }, 0,
         ZYN_ERR_UNSAFE_COMMAND, {}},
        {"a quoted command may hold parentheses, a quoted name commas",
         [](ZYNPM pm, ZYNFOLDER f) {
             return AddItem(pm, f, MakeItem(0x02, "C:\\Program Files (x86)\\a.exe", "", "Read, me"));
         },
         1, 0, {kCreateTools, "[AddItem(\"C:\\Program Files (x86)\\a.exe\" ,\"Read, me\",\"\",,,,\"\",,)]"}},
        {"a field whose flag is clear is not checked",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0, "app.exe", "(ignored)", "\"")); }, 1, 0,
         {kCreateTools, "[AddItem(app.exe ,\"\",\"\",,,,\"\",,)]"}},
        // A refused CreateGroup: the item command would reach another group.
        {"an item whose group Program Manager refuses is not added",
         [](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0, "app.exe")); }, 0, ZYN_ERR_DDE_FAILED,
         {kCreateTools}, {zyntest::Answer::kNack}},
        {"nor deleted", [](ZYNPM pm, ZYNFOLDER f) { return ZynDeleteItem(pm, f, "Readme"); }, 0,
         ZYN_ERR_DDE_FAILED, {kCreateTools}, {zyntest::Answer::kNack}},
        {"nor replaced", [](ZYNPM pm, ZYNFOLDER f) { return ZynReplaceItem(pm, f, "Readme"); }, 0,
         ZYN_ERR_DDE_FAILED, {kCreateTools}, {zyntest::Answer::kNack}},
        {"a group Program Manager refuses to make gets no handle",
         [](ZYNPM pm, ZYNFOLDER) { return Create(pm, "Games", ZYN_FOLDER_PROGRAMS); }, 0, ZYN_ERR_DDE_FAILED,
         {"[CreateGroup(\"Games\",0)]"},
         {{zyntest::Answer::kData, zyntest::DataAnswer{CF_TEXT, false, true, false, false, "Main\r\n"}},
          zyntest::Answer::kNack}},
        {"a command longer than 1023 characters",
         [&](ZYNPM pm, ZYNFOLDER f) { return AddItem(pm, f, MakeItem(0x02, "app.exe", "", longName.c_str())); },
         0, ZYN_ERR_UNSAFE_COMMAND, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZynPMUninit(pm);
        pm = ZynPMInit(1);
        ASSERT_NE(pm, nullptr);
        tools = ZynGetFolderHandle(pm, "Tools", ZYN_FOLDER_PROGRAMS);
        ASSERT_NE(tools, nullptr);
        server.ClearLog();
        server.Script(c.answers);
        EXPECT_EQ(c.run(pm, tools), c.result);
        EXPECT_EQ(ZynPMGetLastError(pm), c.error);
        EXPECT_EQ(server.Executes(), c.executes);
    }
}

TEST_F(DdeCommands, CommonGroupsOnlyOnWindowsNt) {
    if (kNt) {
        ASSERT_EQ(Create(pm, "Games", ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON), 1);
        ASSERT_EQ(Create(pm, "Tools", ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON), 1);
        EXPECT_EQ(server.Executes(), (Lines{"[CreateGroup(\"Games\",1)]", "[ShowGroup(\"Tools\",1,1)]"}));
    } else {
        EXPECT_EQ(Create(pm, "Games", ZYN_FOLDER_PROGRAMS | ZYN_FOLDER_COMMON), 0);
        EXPECT_TRUE(server.Log().empty());
    }
}

TEST_F(DdeCommands, GroupsAreWholeLinesOfProgramManagersListInAnyCase) {
    // Where Program Manager keeps no groups keys (Windows 2000 under Wine) its
    // list is asked as on Windows 95: a group is a whole line of it.
    struct Case {
        const char* name;
        bool found;
    } const cases[] = {{"Tools", true}, {"main", true}, {"ACCESSORIES", true}, {"Access", false},
                       {"ools", false}, {"Games", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.ClearLog();
        ZYNFOLDER f = ZynGetFolderHandle(pm, c.name, ZYN_FOLDER_PROGRAMS);
        EXPECT_EQ(f != nullptr, c.found);
        if (f && f != tools) ZynReleaseFolder(pm, f);
        // Tools is held open already: found without asking.
        EXPECT_EQ(server.Log(), strcmp(c.name, "Tools") == 0 ? Lines{} : Lines{"request:GROUPS"});
    }
    server.Script({zyntest::Answer::kNack});
    EXPECT_EQ(ZynGetFolderHandle(pm, "Main", ZYN_FOLDER_PROGRAMS), nullptr) << "no list, nothing known";
    EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_DDE_FAILED);
    ASSERT_EQ(ZynListSubFolders(pm, nullptr), 1);
    char line[64];
    Lines lines;
    while (ZynPMReadInfo(pm, line, sizeof line)) lines.emplace_back(line);
    EXPECT_EQ(lines, (Lines{"Accessories", "Main", "Tools"}));
}

#if defined(ZYN_TEST_WINVER_win2k)
TEST_F(DdeCommands, WhereTheGroupsKeyExistsItAnswers) {
    const char key[] = "UNICODE Program Groups\\ZynKeyGroup";
    zyn::ScopeExit removeKeys([&] {
        RegDeleteKeyA(HKEY_CURRENT_USER, key);
        RegDeleteKeyA(HKEY_CURRENT_USER, "UNICODE Program Groups");
    });
    zyn::UniqueRegKey made;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, made.put(), nullptr),
              ERROR_SUCCESS);
    // The key answers for its groups; a group it does not list may still be
    // Program Manager's, which is asked.
    const struct {
        const char* name;
        bool found;
        Lines log;
    } cases[] = {
        {"ZynKeyGroup", true, {}},
        {"Main", true, {"request:GROUPS"}},
        {"Games", false, {"request:GROUPS"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.ClearLog();
        ZYNFOLDER f = ZynGetFolderHandle(pm, c.name, ZYN_FOLDER_PROGRAMS);
        EXPECT_EQ(f != nullptr, c.found);
        if (f) ZynReleaseFolder(pm, f);
        EXPECT_EQ(server.Log(), c.log);
    }
}
#endif

TEST_F(DdeCommands, CreatingAGroupWhoseNameBeginsAnotherMakesIt) {
    EXPECT_EQ(Create(pm, "Acc", ZYN_FOLDER_PROGRAMS), 1);
    EXPECT_EQ(server.Executes(), Lines{"[CreateGroup(\"Acc\",0)]"});
}

// Group and item names with a part of dots only: the servers of Windows 2000
// on (and Wine's) keep groups as Start-menu directories and items as files
// in them, so these are refused before anything is sent.
TEST_F(DdeCommands, NamesWithDotPartsAreRefusedBeforeAnythingIsSent) {
    const struct {
        const char* what;
        int (*run)(ZYNPM, ZYNFOLDER);
    } cases[] = {
        {"create", [](ZYNPM m, ZYNFOLDER) { return Create(m, "|..\\..\\victim", ZYN_FOLDER_PROGRAMS); }},
        {"get", [](ZYNPM m, ZYNFOLDER) {
             ZYNFOLDER f = ZynGetFolderHandle(m, "Shell|Tools/..", ZYN_FOLDER_PROGRAMS);
             return f ? 1 : 0;
         }},
        {"create ex", [](ZYNPM m, ZYNFOLDER) {
             ZYNFOLDER f = ZynCreateFolderEx(m, "..", ZYN_FOLDER_PROGRAMS, nullptr, 0);
             return f ? 1 : 0;
         }},
        {"add item", [](ZYNPM m, ZYNFOLDER f) { return AddItem(m, f, MakeItem(ZYN_ITEM_NAME, "a.exe", "", "..\\x")); }},
        {"delete item", [](ZYNPM m, ZYNFOLDER f) { return ZynDeleteItem(m, f, "..\\..\\x"); }},
        {"replace item", [](ZYNPM m, ZYNFOLDER f) { return ZynReplaceItem(m, f, "a/./b"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        server.ClearLog();
        EXPECT_EQ(c.run(pm, tools), 0);
        EXPECT_EQ(ZynPMGetLastError(pm), ZYN_ERR_DOT_NAME_PART);
        EXPECT_EQ(server.Log(), Lines{});
    }
}

}  // namespace
