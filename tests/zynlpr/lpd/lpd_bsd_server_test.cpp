// Round trips through a real LPD server: the BSD lpd of Debian's lpr
// package, started by the bsd_lpd ctest fixture on a loopback address
// (ZYN_BSD_LPD_DIR/address) with a raw queue "zyntest" that writes each job
// to a file (ZYN_BSD_LPD_DIR/out).
#include "job/job_submit.h"

#include <gtest/gtest.h>
#include <message_box_watcher.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "lpd_test_support.h"

namespace {

// A file of the fixture's folder as this (Windows) program sees it, through
// drive Z:.
std::string FixtureFile(const char* name) {
    const char* dir = getenv("ZYN_BSD_LPD_DIR");
    if (!dir) return {};
    std::string path = std::string("Z:") + dir + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
std::string OutputFile() { return FixtureFile("out"); }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits until the queue has written `size` bytes (lpd prints after the job
// is received, in a process of its own).
std::string WaitForOutput(const std::string& path, size_t size) {
    for (int i = 0; i < 200; ++i) {
        std::string out = ReadAll(path);
        if (out.size() >= size) return out;
        Sleep(50);
    }
    return ReadAll(path);
}

class BsdLpdTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (OutputFile().empty()) GTEST_SKIP() << "run through ctest (bsd_lpd fixture)";
        std::string address = ReadAll(FixtureFile("address"));
        ASSERT_FALSE(address.empty());
        server = address.substr(0, address.find('\n'));
        ASSERT_TRUE(lpdtest::InitMonitorForTests());
        lpdtest::DeleteTestKeys();
        lpdtest::WritePort("ZYN_LPRPort0", server.c_str(), "zyntest");
        // Each test starts from an empty output file.
        std::ofstream(OutputFile(), std::ios::binary | std::ios::trunc);
    }
    void TearDown() override { lpdtest::DeleteTestKeys(); }
    std::string server;
};

}  // namespace

TEST_F(BsdLpdTest, SubmittedFileArrivesByteIdentical) {
    for (bool banner : {false, true}) {
        SCOPED_TRACE(banner ? "banner" : "plain");
        std::ofstream(OutputFile(), std::ios::binary | std::ios::trunc);
        lpdtest::WritePort("ZYN_LPRPort0", server.c_str(), "zyntest", banner ? "1" : "0");
        std::string data = lpdtest::Pattern(700000);
        lpdtest::SpoolFile spool(data);
        MessageBoxWatcher watcher;
        zynlpr::SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
        std::string out = WaitForOutput(OutputFile(), data.size());
        EXPECT_EQ(out.size(), data.size());
        EXPECT_TRUE(out == data);
        EXPECT_EQ(watcher.Count(), 0u);
    }
}

TEST_F(BsdLpdTest, UnknownQueueIsRefusedWithMessages) {
    lpdtest::WritePort("ZYN_LPRPort0", server.c_str(), "no-such-queue");
    lpdtest::SpoolFile spool("data");
    MessageBoxWatcher watcher;
    zynlpr::SubmitPortJob(spool.Path(), "Report", "ZYN_LPRPort0");
    ASSERT_TRUE(watcher.WaitForCount(2, 5000));
    auto seen = watcher.Seen();
    EXPECT_EQ(seen[0].text, lpdtest::ExpectedText(8018));
    // 8014, and 8015 with the server's text when it sent one.
    EXPECT_EQ(seen[1].text.rfind(lpdtest::ExpectedText(8014), 0), 0u) << seen[1].text;
    EXPECT_EQ(seen[1].style, zynlpr::kErrorBoxStyle);
}
