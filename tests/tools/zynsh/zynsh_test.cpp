// zynsh: how it splits commands and reads folder types, and whole runs of
// zynsh.exe (as Windows NT 4.0, so that the shell backend serves) whose
// output and exit status scripts rely on.
#include <gtest/gtest.h>

#include <string>

#include "folder_type.h"
#include "handles.h"
#include "words.h"
#include "zynshell.h"

namespace {

using zynsh::Words;

TEST(Words, QuotesKeepBlanksAndBackslashesStay) {
    EXPECT_EQ(zynsh::SplitLine("create \"My Apps\\Tools|Tools\" programs+open"),
              (Words{"create", "My Apps\\Tools|Tools", "programs+open"}));
    EXPECT_EQ(zynsh::SplitLine("  # a comment"), Words{});
    EXPECT_EQ(zynsh::SplitLine("   \r"), Words{});
    EXPECT_EQ(zynsh::SplitLine("add-item \"\" programs"), (Words{"add-item", "", "programs"}));
}

TEST(Words, SemicolonWordsSeparateCommands) {
    auto commands = zynsh::SplitAtSemicolons({"get", "A", "2", ";", ";", "last-error", ";"});
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], (Words{"get", "A", "2"}));
    EXPECT_EQ(commands[1], Words{"last-error"});
}

TEST(FolderType, WordsAndNumbers) {
    int32_t type = 0;
    ASSERT_TRUE(zynsh::ParseFolderType("programs", &type));
    EXPECT_EQ(type, 2);
    ASSERT_TRUE(zynsh::ParseFolderType("startup+common,open", &type));
    EXPECT_EQ(static_cast<uint32_t>(type), 0xC0000003u);
    ASSERT_TRUE(zynsh::ParseFolderType("programs+desktop-link+programs-link", &type));
    EXPECT_EQ(type, 0x0C000002);
    ASSERT_TRUE(zynsh::ParseFolderType("0x80000001", &type));
    EXPECT_EQ(type, ZYN_FOLDER_COMMON | ZYN_FOLDER_DESKTOP);
    ASSERT_TRUE(zynsh::ParseFolderType("-2147483646", &type));
    EXPECT_EQ(static_cast<uint32_t>(type), 0x80000002u);
    EXPECT_FALSE(zynsh::ParseFolderType("programz", &type));
    EXPECT_FALSE(zynsh::ParseFolderType("programs+", &type));
    EXPECT_FALSE(zynsh::ParseFolderType("0x100000000", &type));
    EXPECT_FALSE(zynsh::ParseFolderType("", &type));
}

struct RunResult {
    DWORD exitCode = 0xdeadbeef;
    std::string output;
};

// Runs zynsh.exe from this program's folder with a command line of args,
// collecting stdout and stderr; gives up after 60 seconds.
RunResult RunZynsh(const std::string& args) {
    RunResult result;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string exe = self;
    exe = exe.substr(0, exe.find_last_of('\\') + 1) + "zynsh.exe";

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    zyn::UniqueKernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &sa, 0)) return result;
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd.get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = "\"" + exe + "\" " + args;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return result;
    zyn::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    writeEnd.reset();
    char buffer[4096];
    DWORD got;
    while (ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got) result.output.append(buffer, got);
    if (WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

// zynsh.exe sees Windows NT 4.0 while the fixture lives.
class ZynshRun : public ::testing::Test {
protected:
    static constexpr const char* kAppKey = "Software\\Wine\\AppDefaults\\zynsh.exe";
    void SetUp() override {
        zyn::UniqueRegKey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("nt40"), 5),
                  ERROR_SUCCESS);
        RunZynsh("--keep-going delete-folder ZynshTest programs");
    }
    void TearDown() override {
        RunZynsh("--keep-going delete-folder ZynshTest programs");
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppKey);
    }
};

TEST_F(ZynshRun, CommandsInOneRunCreateAddAndList) {
    RunResult r = RunZynsh(
        "create \"ZynshTest\\Sub One|Group\" programs ; "
        "add-item ZynshTest programs --command C:\\windows\\notepad.exe --name Pad --record ; "
        "list-folders ZynshTest programs ; list-items ZynshTest programs");
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("Sub One\r\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("\"Pad\","), std::string::npos) << r.output;

    // --flags -1 gives every flag bit, so the hotkey counts without --pos.
    r = RunZynsh("add-item ZynshTest programs --command C:\\windows\\regedit.exe --name Reg --flags -1 "
                 "--hotkey 1601 ; list-items ZynshTest programs");
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find(",1601,"), std::string::npos) << r.output;
}

TEST_F(ZynshRun, FailureStopsTheRunAndShowsTheCode) {
    RunResult r = RunZynsh("create ZynshTest programs ; show ZynshTest programs 9 ; last-error");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.output.find("last error 11: show command outside 1 to 8"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("\n11 "), std::string::npos) << "ran on after the failure: " << r.output;

    r = RunZynsh("--keep-going show ZynshTest programs 0 ; last-error");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.output.find("11 show command"), std::string::npos) << r.output;
}

TEST_F(ZynshRun, ScriptFileOneCommandPerLine) {
    char dir[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathA(sizeof dir, dir), 0u);
    ASSERT_NE(GetTempFileNameA(dir, "zsh", 0, path), 0u);
    zyn::ScopeExit removeScript([&] { DeleteFileA(path); });
    {
        zyn::UniqueFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        const std::string script =
            "# nested groups\r\n"
            "create \"ZynshTest\\Level One\\Level Two\" programs\n"
            "\n"
            "list-folders \"ZynshTest\\Level One\" programs\n"
            "get ZynshTest programs";  // no line end on the last line
        DWORD written;
        ASSERT_TRUE(WriteFile(file.get(), script.data(), static_cast<DWORD>(script.size()), &written, nullptr));
    }
    RunResult r = RunZynsh(std::string("--script \"") + path + "\"");
    EXPECT_EQ(r.exitCode, 0u) << r.output;
    EXPECT_NE(r.output.find("Level Two\r\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("found"), std::string::npos) << r.output;
}

TEST_F(ZynshRun, UsageErrorsAndMissingFolders) {
    EXPECT_EQ(RunZynsh("get ZynshTest nowhere").exitCode, 2u);
    EXPECT_EQ(RunZynsh("frobnicate").exitCode, 2u);
    RunResult r = RunZynsh("get ZynshTest\\Missing programs");
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_NE(r.output.find("not found"), std::string::npos) << r.output;
    EXPECT_EQ(RunZynsh("--help").exitCode, 0u);
}

}  // namespace
