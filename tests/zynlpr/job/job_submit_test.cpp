// Whole submissions through SubmitPortJob against the scripted server: the
// exact bytes of a job, the banner switch, the retries and their bounds,
// every message box of a submission, and several submissions at once.
#include "job/job_submit.h"

#include <gtest/gtest.h>
#include <message_box_watcher.h>

#include <set>
#include <thread>
#include <vector>

#include "lpd/lpd_connection.h"
#include "lpd/lpd_job_steps.h"
#include "lpd/lpd_wire_format.h"
#include "lpd_test_support.h"
#include "scripted_lpd_server.h"

using namespace zynlpr;
using lpdtest::Answer;
using lpdtest::ExpectedText;
using lpdtest::ScriptedLpdServer;

namespace {

struct Box {
    std::string text;
    UINT style;
};
Box Error(const std::string& text) { return {text, kErrorBoxStyle}; }
Box Info(const std::string& text) { return {text, kInfoBoxStyle}; }

class LpdSubmitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lpdtest::InitMonitorForTests());
        lpdtest::DeleteTestKeys();
        saved = LpdGetTimeouts();
        ASSERT_TRUE(server.Listening());
        lpdtest::WritePort("ZYN_LPRPort0", server.Address().c_str(), "raw");
        char host[256] = {};
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
        gethostname(host, sizeof host - 1);
        WSACleanup();
        char user[260] = {};
        DWORD cch = sizeof user;
        GetUserNameA(user, &cch);
        LpdJobNames names;
        MakeJobNames(names, host, user, "", 0);
        localHost = names.host;
        userName = names.user;
    }
    void TearDown() override {
        LpdSetTimeouts(saved);
        lpdtest::DeleteTestKeys();
    }

    void ExpectBoxes(const MessageBoxWatcher& watcher, const std::vector<Box>& boxes) {
        watcher.WaitForCount(boxes.size(), 5000);
        Sleep(100);
        auto seen = watcher.Seen();
        ASSERT_EQ(seen.size(), boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(seen[i].caption, lpdtest::Caption());
            EXPECT_EQ(seen[i].text, boxes[i].text);
            EXPECT_EQ(seen[i].style, boxes[i].style);
        }
    }

    // The whole conversation of one accepted job, as it must be on the wire.
    std::string ExpectedJob(const std::string& data, int job, const char* document, bool banner) {
        LpdJobNames names;
        MakeJobNames(names, localHost.c_str(), userName.c_str(), document, job);
        char buf[kLpdBufferSize];
        std::string bytes = "\x02raw\n";
        bytes.append(buf, FormatDataFileCommand(buf, data.size(), names));
        bytes += data;
        bytes += '\0';
        char cf[kLpdBufferSize];
        int cbControl = BuildControlFile(cf, names, banner);
        bytes.append(buf, FormatControlFileCommand(buf, cbControl, names));
        bytes.append(cf, cbControl);
        bytes += '\0';
        return bytes;
    }

    static int JobNumberOf(const lpdtest::Connection& c) {
        size_t at = c.bytes.find(" dfA");
        return at == std::string::npos ? -1 : atoi(c.bytes.substr(at + 4, 3).c_str());
    }

    ScriptedLpdServer server;
    std::string localHost, userName;
    LpdTimeouts saved{};
};

}  // namespace

TEST_F(LpdSubmitTest, JobGoesOnTheWireByteForByte) {
    // Read whole (up to 64 KiB, the end byte in the same block) and just
    // past it (one byte from a view); over two views of the mapped file
    // ending inside a third, so a view placed at a wrong offset shows as a
    // shifted pattern.
    const size_t sizes[] = {1, 65535, 65536, 65537, 200000, 2 * 16 * 1024 * 1024 + 12345};
    for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
        SCOPED_TRACE(sizes[i]);
        std::string data = lpdtest::Pattern(sizes[i]);
        lpdtest::SpoolFile spool(data);
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ASSERT_TRUE(server.WaitClosed(i + 1, 20000));
        auto c = server.Connections();
        ASSERT_EQ(c.size(), i + 1);
        int job = JobNumberOf(c[i]);
        ASSERT_GE(job, 0);
        EXPECT_TRUE(c[i].bytes == ExpectedJob(data, job, "Report", false));
        ASSERT_EQ(c[i].files.size(), 2u);
        EXPECT_EQ(c[i].files[0].kind, 3);  // the data file first
        EXPECT_EQ(c[i].files[0].contents.size(), data.size());
        EXPECT_EQ(c[i].files[0].endByte, 0);
        EXPECT_EQ(c[i].files[1].kind, 2);
        EXPECT_GE(c[i].peerPort, kLowestLocalPort);
        EXPECT_LE(c[i].peerPort, kHighestLocalPort);
        ExpectBoxes(watcher, {});
    }
}

TEST_F(LpdSubmitTest, BannerSwitchChoosesTheControlFileForm) {
    struct Case {
        const char* value;  // nullptr: no value
        bool banner;
    } cases[] = {{nullptr, false}, {"", false}, {"0", false}, {"0yes", false},
                 {"1", true},      {"yes", true}, {" ", true}};
    lpdtest::SpoolFile spool("hello\n");
    size_t n = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.value ? k.value : "(none)");
        lpdtest::WritePort("ZYN_LPRPort0", server.Address().c_str(), "raw", k.value);
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ASSERT_TRUE(server.WaitClosed(++n, 10000));
        auto c = server.Connections().back();
        EXPECT_TRUE(c.bytes == ExpectedJob("hello\n", JobNumberOf(c), "Report", k.banner));
    }
    // A 32-bit number is read by its first byte too.
    HKEY ports;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_ALL_ACCESS, &ports);
    for (DWORD value : {1u, 0u}) {
        RegSetValueExA(ports, "ZYNLPR_bPrintBanner", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ASSERT_TRUE(server.WaitClosed(++n, 10000));
        auto c = server.Connections().back();
        EXPECT_TRUE(c.bytes == ExpectedJob("hello\n", JobNumberOf(c), "Report", value == 1));
    }
    RegCloseKey(ports);
}

TEST_F(LpdSubmitTest, ConsecutiveJobsGetDistinctThreeDigitNumbers) {
    lpdtest::SpoolFile spool("x");
    for (int i = 0; i < 3; ++i) SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(3, 10000));
    auto c = server.Connections();
    int first = JobNumberOf(c[0]);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(JobNumberOf(c[i]), (first + i) % 1000);
        char name[64];
        snprintf(name, sizeof name, " dfA%03d%s\n", (first + i) % 1000, localHost.c_str());
        EXPECT_NE(c[i].bytes.find(name), std::string::npos) << name;
    }
}

TEST_F(LpdSubmitTest, RefusedControlFileSendsTheDataFileAgain) {
    server.Script({Answer::Accept(), Answer::Accept(), Answer::Accept(), Answer::Refuse(1)});
    std::string data = lpdtest::Pattern(3000);
    lpdtest::SpoolFile spool(data);
    MessageBoxWatcher watcher;
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    auto c = server.Connections()[0];
    ASSERT_EQ(c.files.size(), 3u);
    EXPECT_EQ(c.files[0].kind, 3);
    EXPECT_EQ(c.files[1].kind, 3);
    EXPECT_EQ(c.files[1].contents, data);
    EXPECT_EQ(c.files[2].kind, 2);
    ExpectBoxes(watcher, {Error(ExpectedText(8018))});
}

TEST_F(LpdSubmitTest, PassesAreBounded) {
    // Every control-file subcommand refused with 1: three passes, then stop.
    std::vector<Answer> script = {Answer::Accept()};
    for (int i = 0; i < 10; ++i)
        script.insert(script.end(), {Answer::Accept(), Answer::Accept(), Answer::Refuse(1)});
    server.Script(script);
    lpdtest::SpoolFile spool("data");
    MessageBoxWatcher watcher;
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_EQ(server.Connections()[0].files.size(), 3u);
    ExpectBoxes(watcher, {Error(ExpectedText(8018)), Error(ExpectedText(8018)), Error(ExpectedText(8018))});
}

TEST_F(LpdSubmitTest, DataFileRefusalsAreRepeatedThenBounded) {
    // Eleven refusals with 2, then accepted: 8018 each time, 8020 after the
    // first, 8021 after the eleventh.
    std::vector<Answer> script = {Answer::Accept()};
    for (int i = 0; i < 11; ++i) script.push_back(Answer::Refuse(2));
    server.Script(script);
    lpdtest::SpoolFile spool("data");
    {
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ASSERT_TRUE(server.WaitClosed(1, 20000));
        auto c = server.Connections()[0];
        ASSERT_EQ(c.files.size(), 2u);
        EXPECT_EQ(c.files[0].contents, "data");
        std::vector<Box> boxes = {Error(ExpectedText(8018)), Info(ExpectedText(8020))};
        for (int i = 1; i < 11; ++i) boxes.push_back(Error(ExpectedText(8018)));
        boxes.push_back(Info(ExpectedText(8021)));
        ExpectBoxes(watcher, boxes);
    }
    // A server that never stops refusing: given up after the bound.
    script = {Answer::Accept()};
    for (int i = 0; i < 100; ++i) script.push_back(Answer::Refuse(2));
    server.Script(script);
    {
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ASSERT_TRUE(server.WaitClosed(2, 30000));
        auto c = server.Connections()[1];
        EXPECT_TRUE(c.files.empty());
        size_t subcommands = 0;
        for (size_t at = 0; (at = c.bytes.find("\x03" "4 dfA", at)) != std::string::npos; ++at) ++subcommands;
        EXPECT_EQ(subcommands, static_cast<size_t>(kMaxDataFileRefusals));
        EXPECT_TRUE(watcher.WaitForCount(kMaxDataFileRefusals + 2, 5000));
    }
}

TEST_F(LpdSubmitTest, DataFileRefusedWithANegativeByteEndsTheJob) {
    server.Script({Answer::Accept(), Answer::Refuse(0xFF)});
    lpdtest::SpoolFile spool("data");
    MessageBoxWatcher watcher;
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    auto c = server.Connections()[0];
    EXPECT_TRUE(c.files.empty());
    EXPECT_EQ(c.bytes.find("data"), std::string::npos);
    ExpectBoxes(watcher, {Error(ExpectedText(8018))});
}

TEST_F(LpdSubmitTest, RefusedQueueShowsTheServersText) {
    lpdtest::SpoolFile spool("data");
    {
        server.Script({Answer::RefuseText("no such queue raw")});
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ExpectBoxes(watcher, {Error(ExpectedText(8018)),
                              Error(ExpectedText(8014) + ExpectedText(8015, "no such queue raw"))});
    }
    {
        server.Script({Answer::Refuse(1)});
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ExpectBoxes(watcher, {Error(ExpectedText(8018)), Error(ExpectedText(8014))});
    }
    {
        // A printable refusal byte with nothing after it is no refusal text.
        server.Script({Answer::Refuse('x')});
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ExpectBoxes(watcher, {Error(ExpectedText(8018)), Error(ExpectedText(8014))});
    }
    ASSERT_TRUE(server.WaitClosed(3, 5000));
    for (auto& c : server.Connections()) EXPECT_EQ(c.bytes, "\x02raw\n");
}

TEST_F(LpdSubmitTest, RefusedControlFileAndMissingPortShowTheirMessages) {
    lpdtest::SpoolFile spool("data");
    {
        server.Script({Answer::Accept(), Answer::Accept(), Answer::Accept(), Answer::Accept(),
                       Answer::Refuse(3)});
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        ExpectBoxes(watcher, {Error(ExpectedText(8031))});
    }
    {
        MessageBoxWatcher watcher;
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort7");
        ExpectBoxes(watcher, {Error(ExpectedText(8003, "ZYN_LPRPort7"))});
    }
    {
        MessageBoxWatcher watcher;
        SubmitPortJob("C:\\no\\such\\spool.tmp", "Report", "ZYN_LPRPort0");
        ExpectBoxes(watcher, {Error(ExpectedText(8019, ERROR_PATH_NOT_FOUND))});
    }
}

TEST_F(LpdSubmitTest, SilentOrClosingServerCannotHangTheSubmission) {
    LpdSetTimeouts({2000, 500});
    lpdtest::SpoolFile spool(lpdtest::Pattern(10000));
    {
        server.Script({Answer::Accept(), Answer::Accept(), Answer::Silent()});
        MessageBoxWatcher watcher;
        DWORD start = GetTickCount();
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        EXPECT_LT(GetTickCount() - start, 5000u);
        // No answer to the end byte: the connection is given up, not used
        // for another pass.
        ExpectBoxes(watcher, {Error(ExpectedText(8017))});
    }
    {
        server.Script({Answer::Accept(), Answer::Close()});
        MessageBoxWatcher watcher;
        DWORD start = GetTickCount();
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        EXPECT_LT(GetTickCount() - start, 5000u);
        ExpectBoxes(watcher, {Error(ExpectedText(8017))});
    }
}

TEST_F(LpdSubmitTest, EmptySpoolFileIsNotSent) {
    lpdtest::SpoolFile spool("");
    MessageBoxWatcher watcher;
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    Sleep(200);
    EXPECT_TRUE(server.Connections().empty());
    ExpectBoxes(watcher, {});
}

TEST_F(LpdSubmitTest, SpoolFileThatReadsShortIsPaddedAndMarkedFailed) {
    // A file that yields fewer bytes than its size: under Wine, a Linux sysfs
    // file, whose size is reported as a page but which holds a few bytes.
    // (The spool file is opened sharing reads only, so no other handle can
    // shrink it meanwhile.)
    const char* path = "Z:\\sys\\devices\\system\\cpu\\online";
    std::string contents;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    {
        HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char buf[8192];
        DWORD got = 0;
        if (h != INVALID_HANDLE_VALUE) {
            ReadFile(h, buf, sizeof buf, &got, nullptr);
            CloseHandle(h);
        }
        contents.assign(buf, got);
    }
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes) || attributes.nFileSizeHigh != 0 ||
        attributes.nFileSizeLow <= contents.size())
        GTEST_SKIP() << "no file that reads short (Linux sysfs through Z:)";
    const size_t announced = attributes.nFileSizeLow;

    MessageBoxWatcher watcher;
    SubmitPortJob(path, "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    auto c = server.Connections()[0];
    // The full announced length, zeros in place of the missing bytes, then
    // 0x01 instead of the end byte; no control file follows.
    ASSERT_EQ(c.files.size(), 1u);
    EXPECT_EQ(c.files[0].kind, 3);
    EXPECT_EQ(c.files[0].announced, std::to_string(announced));
    std::string expected = contents + std::string(announced - contents.size(), '\0');
    EXPECT_TRUE(c.files[0].contents == expected);
    EXPECT_EQ(c.files[0].endByte, 1);
    EXPECT_EQ(c.bytes.find("cfA"), std::string::npos);
    ExpectBoxes(watcher, {Error(ExpectedText(8022, path))});
}

TEST_F(LpdSubmitTest, SpoolFileOf4GiBIsAnnouncedWithItsTrueSize) {
    lpdtest::SpoolFile spool("");
    {
        HANDLE h = CreateFileA(spool.Path(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 0x100000000ll + 10;
        SetFilePointerEx(h, size, nullptr, FILE_BEGIN);  // sparse on the host
        SetEndOfFile(h);
        CloseHandle(h);
    }
    server.Script({Answer::Accept(), Answer::Refuse(1)});
    MessageBoxWatcher watcher;
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_NE(server.Connections()[0].bytes.find("\x03" "4294967306 dfA"), std::string::npos);
    ExpectBoxes(watcher, {Error(ExpectedText(8018))});
}

TEST_F(LpdSubmitTest, UserNameComesFromTheSystemOrElseMessage8013) {
    // Wine's GetUserNameA reports WINEUSERNAME; one longer than the 260-byte
    // buffer makes it fail, and the job then carries the text of 8013.
    char saved[1024] = {};
    const bool hadName = GetEnvironmentVariableA("WINEUSERNAME", saved, sizeof saved) > 0;
    lpdtest::SpoolFile spool("data");
    size_t jobs = 0;
    auto controlFileOfAJob = [&] {
        SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        server.WaitClosed(++jobs, 10000);
        auto c = server.Connections().back();
        return c.files.size() == 2 ? c.files[1].contents : std::string();
    };
    SetEnvironmentVariableA("WINEUSERNAME", "ann");
    char user[260] = {};
    DWORD cch = sizeof user;
    const bool wineReadsIt = GetUserNameA(user, &cch) && strcmp(user, "ann") == 0;
    std::string named, unknown;
    if (wineReadsIt) {
        named = controlFileOfAJob();
        SetEnvironmentVariableA("WINEUSERNAME", std::string(300, 'u').c_str());
        unknown = controlFileOfAJob();
    }
    SetEnvironmentVariableA("WINEUSERNAME", hadName ? saved : nullptr);
    if (!wineReadsIt) GTEST_SKIP() << "GetUserNameA does not follow WINEUSERNAME here";

    EXPECT_NE(named.find("\nPann\n"), std::string::npos) << named;
    LpdJobNames names;
    MakeJobNames(names, localHost.c_str(), MessageText(MSG_UNKNOWN_USER), "", 0);
    EXPECT_NE(unknown.find("\nP" + std::string(names.user) + "\n"), std::string::npos) << unknown;
    EXPECT_EQ(unknown.find("uuu"), std::string::npos);
}

TEST_F(LpdSubmitTest, ControlCharactersInTheDocumentNameAddNoLine) {
    lpdtest::SpoolFile spool("data");
    SubmitPortJob(spool.Path(), "Report\nUdfA000victim", "ZYN_LPRPort0");
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    auto c = server.Connections()[0];
    ASSERT_EQ(c.files.size(), 2u);
    const std::string& cf = c.files[1].contents;
    EXPECT_EQ(std::count(cf.begin(), cf.end(), '\n'), 5);
    EXPECT_NE(cf.find("NReport_UdfA000victim\n"), std::string::npos);
}

TEST_F(LpdSubmitTest, SubmissionsOnSeveralThreadsDoNotMix) {
    constexpr int kJobs = 4;
    std::vector<std::string> data;
    std::vector<std::unique_ptr<lpdtest::SpoolFile>> spools;
    for (int i = 0; i < kJobs; ++i) {
        data.push_back(lpdtest::Pattern(300000 + i * 1000));
        spools.push_back(std::make_unique<lpdtest::SpoolFile>(data.back()));
    }
    server.ReadRate(4 << 20);  // slow enough that the jobs overlap
    MessageBoxWatcher watcher;
    std::vector<std::thread> threads;
    for (int i = 0; i < kJobs; ++i)
        threads.emplace_back([&, i] { SubmitPortJob(spools[i]->Path(), "Report", "ZYN_LPRPort0"); });
    for (auto& t : threads) t.join();
    ASSERT_TRUE(server.WaitClosed(kJobs, 20000));
    std::set<int> numbers;
    std::set<size_t> sizes;
    for (auto& c : server.Connections()) {
        int job = JobNumberOf(c);
        numbers.insert(job);
        ASSERT_EQ(c.files.size(), 2u);
        size_t which = (c.files[0].contents.size() - 300000) / 1000;
        ASSERT_LT(which, static_cast<size_t>(kJobs));
        sizes.insert(which);
        EXPECT_TRUE(c.bytes == ExpectedJob(data[which], job, "Report", false));
    }
    EXPECT_EQ(numbers.size(), static_cast<size_t>(kJobs));
    EXPECT_EQ(sizes.size(), static_cast<size_t>(kJobs));
    ExpectBoxes(watcher, {});
}

TEST_F(LpdSubmitTest, WaitingForASlowServerCostsLittleProcessorTime) {
    server.ReadRate(1 << 20);
    std::string data = lpdtest::Pattern(3 << 20);
    lpdtest::SpoolFile spool(data);
    FILETIME created, exited, kernelBefore, userBefore, kernelAfter, userAfter;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernelBefore, &userBefore);
    DWORD start = GetTickCount();
    SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    DWORD wall = GetTickCount() - start;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernelAfter, &userAfter);
    auto ms = [](const FILETIME& f) {
        return ((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000;
    };
    ULONGLONG cpu = ms(kernelAfter) - ms(kernelBefore) + ms(userAfter) - ms(userBefore);
    ASSERT_TRUE(server.WaitClosed(1, 10000));
    EXPECT_EQ(server.Connections()[0].files.at(0).contents.size(), data.size());
    EXPECT_GE(wall, 2000u);
    EXPECT_LT(cpu, wall / 10) << "cpu " << cpu << " ms of " << wall << " ms";
}
