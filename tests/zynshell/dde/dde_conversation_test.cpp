// The DDE conversation against the scripted Program Manager: what makes an
// initiate succeed, how each kind of answer to a request or an execute ends
// the transaction, bounded waits, late answers, and that no atom or global
// memory outlives its transaction. Runs over zynshell_internal, with the
// window class registered here (the DLL registers it at attach).
#include <gtest/gtest.h>

#include <dde.h>

#include <string>
#include <vector>

#include "dll/library_api.h"
#include "dde/dde_backend.h"
#include "dde/dde_program_manager.h"
#include "dde/dde_window.h"
#include "scripted_progman.h"

namespace {

using zynshell::DdeProgramManager;
using zynshell::ProgramManager;
using zyntest::Answer;
using zyntest::DataAnswer;
using zyntest::InitiateAnswer;
using zyntest::ScriptedProgman;
using zyntest::Step;
using Lines = std::vector<std::string>;

constexpr uint32_t kShortWait = 300;  // answer bound of these tests, in ms

class ConversationClass : public ::testing::Environment {
public:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = zynshell::DdeWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "zynshell";
        ASSERT_NE(RegisterClassA(&wc), 0);
    }
};
const auto* const kClassEnvironment = ::testing::AddGlobalTestEnvironment(new ConversationClass);

// The memory handles the test thread takes out of DDE messages, seen before
// dispatch: data answers, and what acknowledgements hand back.
struct SeenMemory {
    std::vector<HGLOBAL> data, acknowledged;
} seen;

LRESULT CALLBACK SeeDdeMemory(int code, WPARAM removal, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    UINT_PTR low = 0, high = 0;
    if (code == HC_ACTION && removal == PM_REMOVE && (msg->message == WM_DDE_DATA || msg->message == WM_DDE_ACK) &&
        UnpackDDElParam(msg->message, msg->lParam, &low, &high)) {
        if (msg->message == WM_DDE_DATA) seen.data.push_back(reinterpret_cast<HGLOBAL>(low));
        else seen.acknowledged.push_back(reinterpret_cast<HGLOBAL>(high));
    }
    return CallNextHookEx(nullptr, code, removal, lParam);
}

bool Freed(HGLOBAL memory) { return GlobalFlags(memory) == GMEM_INVALID_HANDLE; }

BOOL CALLBACK CountConversationWindow(HWND window, LPARAM counter) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "zynshell") == 0) ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int ConversationWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountConversationWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

Lines ReadAll(ProgramManager* pm) {
    Lines lines;
    char line[600];
    while (zynshell::PMReadInfo(pm, line, sizeof line)) lines.emplace_back(line);
    return lines;
}

// Waits a bounded time for the server to log entry.
bool ServerLogs(ScriptedProgman& server, const std::string& entry) {
    for (int i = 0; i < 200; ++i) {
        for (const std::string& e : server.Log())
            if (e == entry) return true;
        Sleep(10);
    }
    return false;
}

TEST(DdeInitiate, TheAnswerDecidesWhetherAnObjectIsMade) {
    struct Case {
        const char* what;
        InitiateAnswer answer;
        bool made;
    } const cases[] = {
        {"PROGMAN for application and topic", {true, "PROGMAN", "PROGMAN"}, true},
        {"another application", {true, "ZynOtherApp", "PROGMAN"}, false},
        {"no topic atom", {true, "PROGMAN", ""}, false},
        {"no answer", {false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedProgman server(c.answer);
        ASSERT_TRUE(server.ready());
        const DWORD start = GetTickCount();
        ProgramManager* pm = zynshell::PMInit(1);
        EXPECT_LT(GetTickCount() - start, DdeProgramManager::kAckTimeout);
        EXPECT_EQ(pm != nullptr, c.made);
        if (pm) {
            EXPECT_EQ(static_cast<DdeProgramManager*>(pm)->serverWindow, server.window());
            zynshell::PMUninit(pm);
            EXPECT_TRUE(ServerLogs(server, "terminate"));
        }
        EXPECT_EQ(ConversationWindows(), 0);
        EXPECT_EQ(GlobalFindAtomA("ZynOtherApp"), 0) << "the answer's atoms are deleted";
    }
}

TEST(DdeInitiate, TheFirstOfTwoServersWins) {
    ScriptedProgman one, two;
    ASSERT_TRUE(one.ready() && two.ready());
    ProgramManager* pm = zynshell::PMInit(1);
    ASSERT_NE(pm, nullptr);
    ScriptedProgman& first = one.initiateOrder() < two.initiateOrder() ? one : two;
    ScriptedProgman& second = &first == &one ? two : one;
    ASSERT_NE(second.initiateOrder(), 0) << "both answered";
    EXPECT_EQ(static_cast<DdeProgramManager*>(pm)->Execute("[Zyn()]"), 1);
    EXPECT_EQ(first.Executes(), Lines{"[Zyn()]"});
    EXPECT_TRUE(second.Executes().empty());
    zynshell::PMUninit(pm);
}

// Each conversation window leads the answers it receives to its own object.
TEST(DdeWindow, AnswersReachTheObjectOfTheirWindow) {
    ScriptedProgman server;
    ASSERT_TRUE(server.ready());
    ProgramManager* one = zynshell::PMInit(1);
    ProgramManager* two = zynshell::PMInit(1);
    ASSERT_TRUE(one && two);
    zynshell::SetDdeAnswerTimeout(*one, kShortWait);
    zynshell::SetDdeAnswerTimeout(*two, kShortWait);
    EXPECT_EQ(static_cast<DdeProgramManager*>(two)->Execute("[Two()]"), 1);
    EXPECT_EQ(static_cast<DdeProgramManager*>(one)->Execute("[One()]"), 1);
    EXPECT_EQ(server.Executes(), (Lines{"[Two()]", "[One()]"}));
    zynshell::PMUninit(two);
    zynshell::PMUninit(one);
}

TEST(DdeLifecycle, FailedConstructionLeavesNoWindow) {
    // Without the personal Programs directory an object for Windows NT 4.0
    // cannot be built.
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    char saved[2048];
    DWORD cb = sizeof saved, kind = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key, "Programs", RRF_RT_REG_SZ, &kind, saved, &cb), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, key, "Programs"), ERROR_SUCCESS);
    EXPECT_EQ(zynshell::MakeDdeProgramManager(1, 3), nullptr);
    EXPECT_EQ(ConversationWindows(), 0);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, key, "Programs", REG_SZ, saved, cb), ERROR_SUCCESS);
}

class DdeConversation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready());
        pm = zynshell::PMInit(1);
        ASSERT_NE(pm, nullptr);
        dde = static_cast<DdeProgramManager*>(pm);
        zynshell::SetDdeAnswerTimeout(*pm, kShortWait);
        hook = SetWindowsHookExA(WH_GETMESSAGE, SeeDdeMemory, nullptr, GetCurrentThreadId());
        seen = {};
    }
    void TearDown() override {
        if (hook) UnhookWindowsHookEx(hook);
        if (pm) zynshell::PMUninit(pm);
    }
    // Runs one execute that the server acknowledges, so that everything the
    // client posted before it has reached the server's log.
    Lines LogAfterSync() {
        EXPECT_EQ(dde->Execute("[Sync()]"), 1);
        return server.Log();
    }

    ScriptedProgman server;
    ProgramManager* pm = nullptr;
    DdeProgramManager* dde = nullptr;
    HHOOK hook = nullptr;
};

TEST_F(DdeConversation, EachAnswerToARequestEndsItAsItShould) {
    const std::string list = "Main\r\nTools\r\n";
    struct Case {
        const char* what;
        Step step;
        int result;
        Lines lines;
        const char* clientAck;  // what the server receives back, or null
        bool clientFrees;       // the data memory
    } const cases[] = {
        {"text, fAckReq, fRelease", {Answer::kData, {CF_TEXT, true, true, false, false, list}}, 1,
         {"Main", "Tools"}, "ack:8000:GROUPS", true},
        {"text without fAckReq and fRelease", {Answer::kData, {CF_TEXT, false, false, false, false, list}}, 1,
         {"Main", "Tools"}, nullptr, false},
        {"another format", {Answer::kData, {CF_BITMAP, true, true, false, false, list}}, 0, {}, "ack:0000:GROUPS",
         false},
        {"text whose block ends without a terminator (16 bytes: no slack after it)",
         {Answer::kDataUnterminated, {CF_TEXT, false, true, false, false, "Main\r\nTools2"}}, 1, {"Main", "Tools2"},
         nullptr, true},
        {"no data memory", {Answer::kData, {CF_TEXT, false, true, true, false, ""}}, 1, {}, nullptr, false},
        {"negative acknowledgement", {Answer::kNack}, 0, {}, nullptr, false},
        {"silence", {Answer::kSilence}, 0, {}, nullptr, false},
        {"terminate", {Answer::kTerminate}, 0, {}, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.ClearLog();
        server.Script({c.step});
        seen = {};
        pm->lastError = 0;
        EXPECT_EQ(zynshell::ListSubFolders(pm, nullptr), c.result);
        EXPECT_EQ(zynshell::PMGetLastError(pm), c.result ? 0 : zynshell::kErrDdeFailed);
        EXPECT_EQ(ReadAll(pm), c.lines);
        const Lines log = LogAfterSync();
        const Lines expected = c.clientAck ? Lines{"request:GROUPS", c.clientAck, "execute:[Sync()]"}
                                           : Lines{"request:GROUPS", "execute:[Sync()]"};
        EXPECT_EQ(log, expected);
        if (c.step.answer != Answer::kNack && c.step.answer != Answer::kSilence &&
            c.step.answer != Answer::kTerminate && !c.step.data.noMemory) {
            ASSERT_EQ(seen.data.size(), 1u);
            EXPECT_EQ(Freed(seen.data[0]), c.clientFrees);
            if (!c.clientFrees) GlobalFree(seen.data[0]);
        }
    }
}

TEST_F(DdeConversation, AnswerLongerThanTheInfoBufferIsCutTo5119Characters) {
    server.Script({{Answer::kData, {CF_TEXT, false, true, false, false, std::string(6000, 'x')}}});
    ASSERT_EQ(zynshell::ListSubFolders(pm, nullptr), 1);
    std::string text;
    for (const std::string& piece : ReadAll(pm)) text += piece;  // pieces of 511 characters
    EXPECT_EQ(text, std::string(zynshell::kInfoBufferSize - 1, 'x'));
}

TEST_F(DdeConversation, EachAnswerToAnExecuteEndsItAsItShould) {
    struct Case {
        const char* what;
        Answer answer;
        int result;
    } const cases[] = {
        {"positive acknowledgement", Answer::kAck, 1},
        {"negative acknowledgement", Answer::kNack, 0},
        {"silence", Answer::kSilence, 0},
        {"terminate (the conversation stays)", Answer::kTerminate, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server.Script({{c.answer}});
        seen = {};
        pm->lastError = 0;
        const DWORD start = GetTickCount();
        EXPECT_EQ(dde->Execute("[ShowGroup(\"Tools\",1,0)]"), c.result);
        EXPECT_LT(GetTickCount() - start, kShortWait + 2000);
        EXPECT_EQ(pm->lastError, c.result ? 0 : zynshell::kErrDdeFailed);
        if (c.answer == Answer::kAck || c.answer == Answer::kNack) {
            ASSERT_EQ(seen.acknowledged.size(), 1u);
            EXPECT_TRUE(Freed(seen.acknowledged[0])) << "the command memory";
        }
        EXPECT_EQ(dde->Execute("[Next()]"), 1);
    }
}

TEST_F(DdeConversation, AServerWindowThatIsGoneFailsAtOnce) {
    server.Script({{Answer::kVanish}});
    EXPECT_EQ(dde->Execute("[Bye()]"), 0);
    const DWORD start = GetTickCount();
    EXPECT_EQ(dde->Execute("[Again()]"), 0);
    EXPECT_EQ(pm->lastError, zynshell::kErrDdeFailed);
    EXPECT_LT(GetTickCount() - start, kShortWait);
}

TEST_F(DdeConversation, ALateAnswerDoesNotAnswerTheNextTransaction) {
    // Wine's server follows each data answer with a positive acknowledgement
    // carrying the item atom; here it arrives within the next transaction.
    server.Script({{Answer::kData, {CF_TEXT, false, true, false, true, "Main\r\n"}},
                   {Answer::kData, {CF_TEXT, false, true, false, true, "Tools\r\n"}},
                   {Answer::kNack}});
    ASSERT_EQ(zynshell::ListSubFolders(pm, nullptr), 1);
    EXPECT_EQ(ReadAll(pm), Lines{"Main"});
    ASSERT_EQ(zynshell::ListSubFolders(pm, nullptr), 1);
    EXPECT_EQ(ReadAll(pm), Lines{"Tools"});
    EXPECT_EQ(dde->Execute("[Refused()]"), 0);
    EXPECT_EQ(pm->lastError, zynshell::kErrDdeFailed);
}

TEST_F(DdeConversation, AnAnswerStillQueuedAtTheEndIsReleased) {
    // A data answer that came after its request gave up, still in the queue
    // when the program manager goes: its atom is deleted, not lost with the window.
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 8);
    auto* bytes = static_cast<BYTE*>(GlobalLock(data));
    const WORD flags = 0x3000, format = CF_TEXT;  // fResponse | fRelease, no fAckReq
    memcpy(bytes, &flags, 2);
    memcpy(bytes + 2, &format, 2);
    memcpy(bytes + 4, "x\r\n", 4);
    GlobalUnlock(data);
    const ATOM item = GlobalAddAtomA("ZynLeftAtEnd");
    ASSERT_TRUE(PostMessageA(dde->conversationWindow(), WM_DDE_DATA, reinterpret_cast<WPARAM>(server.window()),
                             PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item)));
    zynshell::PMUninit(pm);
    pm = nullptr;
    EXPECT_EQ(GlobalFindAtomA("ZynLeftAtEnd"), 0);
    EXPECT_TRUE(ServerLogs(server, "terminate"));
}

TEST_F(DdeConversation, TimerZeroEndsTheWaitWithoutFailure) {
    server.Script({{Answer::kSilence}});
    PostMessageA(dde->conversationWindow(), WM_TIMER, 0, 0);
    EXPECT_EQ(dde->Execute("[Quiet()]"), 1);
    EXPECT_EQ(pm->lastError, 0);
}

TEST_F(DdeConversation, NoAtomOrMemoryOutlivesItsTransaction) {
    // Handles are checked right after their transaction: freed ones are soon reused.
    for (int i = 0; i < 300; ++i) {
        const std::string item = "ZynOwnership" + std::to_string(i);
        const Step steps[] = {{Answer::kData, {CF_TEXT, i % 8 == 0, true, false, true, "x\r\n"}},
                              {Answer::kNack},
                              {Answer::kData, {CF_BITMAP, true, true, false, false, "x"}},
                              {i % 8 == 3 ? Answer::kAck : Answer::kNack}};
        const Step& step = steps[i % 4];
        server.Script({step});
        seen = {};
        if (i % 4 == 3) dde->Execute(("[" + item + "()]").c_str());
        else dde->Request(item.c_str());
        for (HGLOBAL memory : seen.acknowledged) {  // atoms come back below 0x10000
            if (reinterpret_cast<UINT_PTR>(memory) > 0xFFFF) {
                EXPECT_TRUE(Freed(memory)) << "command memory";
            }
        }
        for (HGLOBAL memory : seen.data) {
            // Data refused as not text stays its server's.
            EXPECT_EQ(Freed(memory), step.data.format == CF_TEXT) << item;
            if (!Freed(memory)) GlobalFree(memory);
        }
    }
    LogAfterSync();
    for (int i = 0; i < 300; ++i) {
        const std::string item = "ZynOwnership" + std::to_string(i);
        EXPECT_EQ(GlobalFindAtomA(item.c_str()), 0) << item;
    }
}

TEST_F(DdeConversation, ReadersStayInsideTheInfoBuffer) {
    memset(pm->infoBuffer(), ' ', zynshell::kInfoBufferSize);
    pm->infoAvailable = 1;
    pm->infoCursor = pm->infoBuffer() + zynshell::kInfoBufferSize - 100;
    EXPECT_EQ(ReadAll(pm), Lines{std::string(100, ' ')});
}

}  // namespace

namespace {

// This program stands in for Program Manager's shell module (system.ini
// [boot] shell=), with the string resources of startup_names.rc.
TEST(DdeStartupGroup, NameComesFromTheShellModulesSettingsFile) {
    char self[MAX_PATH], saved[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    GetPrivateProfileStringA("boot", "shell", "", saved, sizeof saved, "system.ini");
    zyn::ScopeExit restore([&] {
        WritePrivateProfileStringA("boot", "shell", saved[0] ? saved : nullptr, "system.ini");
        WritePrivateProfileStringA("Settings", nullptr, nullptr, "zynprogman.ini");
    });
    ASSERT_TRUE(WritePrivateProfileStringA("boot", "shell", strrchr(self, '\\') + 1, "system.ini"));
    struct Case {
        const char* value;  // StartUp in the settings file
        const char* startup;
    } const cases[] = {{nullptr, "StartUp"}, {"Autostart", "Autostart"}};  // START UP reads as StartUp
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startup);
        WritePrivateProfileStringA("Settings", "StartUp", c.value, "zynprogman.ini");
        ProgramManager* pm = zynshell::MakeDdeProgramManager(1, 2);
        ASSERT_NE(pm, nullptr);
        EXPECT_STREQ(pm->startup(), c.startup);
        static_cast<DdeProgramManager*>(pm)->Initiate();  // keeps the count on "PROGMAN" even
        delete pm;
    }
}

}  // namespace
