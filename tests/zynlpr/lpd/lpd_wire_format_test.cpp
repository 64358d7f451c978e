// The bytes of a job: commands, subcommands and both control-file forms,
// byte for byte, and the safety of values that would break the format.
#include "lpd/lpd_wire_format.h"

#include <gtest/gtest.h>

#include <string>

using namespace zynlpr;

namespace {

LpdJobNames Names(const char* host, const char* user, const char* document, int job) {
    LpdJobNames names;
    MakeJobNames(names, host, user, document, job);
    return names;
}

std::string ControlFile(const LpdJobNames& names, bool banner) {
    char buf[kLpdBufferSize];
    int n = BuildControlFile(buf, names, banner);
    return std::string(buf, static_cast<size_t>(n));
}

size_t Lines(const std::string& s) {
    size_t n = 0;
    for (char c : s) n += c == '\n';
    return n;
}

}  // namespace

TEST(LpdWireFormat, ControlFileFormsAndTheirSubcommands) {
    LpdJobNames names = Names("pc1", "ann", "Report", 42);
    char command[kLpdBufferSize];

    std::string plain = ControlFile(names, false);
    EXPECT_EQ(plain, "Hpc1\nPann\nfdfA042pc1\nUdfA042pc1\nNReport\n");
    EXPECT_EQ(plain.size(), 40u);
    int n = FormatControlFileCommand(command, static_cast<int>(plain.size()), names);
    EXPECT_EQ(std::string(command, n), "\x02" "40 cfA042pc1\n");

    std::string banner = ControlFile(names, true);
    EXPECT_EQ(banner, "Hpc1\nPann\nCpc1\nJReport\nLann\nfdfA042pc1\nUdfA042pc1\nNReport\n");
    EXPECT_EQ(banner.size(), 58u);
}

TEST(LpdWireFormat, CommandsAndDataFileSizes) {
    LpdJobNames names = Names("pc1", "ann", "Report", 5);
    char buf[kLpdBufferSize];
    int n = FormatReceiveJobCommand(buf, "raw");
    EXPECT_EQ(std::string(buf, n), "\x02raw\n");
    n = FormatDataFileCommand(buf, 1000, names);
    EXPECT_EQ(std::string(buf, n), "\x03" "1000 dfA005pc1\n");
    // 4 GiB and more is announced with its true size, not its low 32 bits.
    n = FormatDataFileCommand(buf, 0x100000000ull + 10, names);
    EXPECT_EQ(std::string(buf, n), "\x03" "4294967306 dfA005pc1\n");
}

TEST(LpdWireFormat, ControlCharactersCannotAddLinesOrEndCommands) {
    LpdJobNames names = Names("pc\n1", "ann\nPmallory", "Report\nUdfA000evil\r\x01", 7);
    std::string cf = ControlFile(names, true);
    EXPECT_EQ(Lines(cf), 8u);
    EXPECT_EQ(cf, "Hpc_1\nPann_Pmallory\nCpc_1\nJReport_UdfA000evil__\nLann_Pmallory\n"
                  "fdfA007pc_1\nUdfA007pc_1\nNReport_UdfA000evil__\n");
    char buf[kLpdBufferSize];
    int n = FormatReceiveJobCommand(buf, "raw\n\x03" "9 dfA");
    EXPECT_EQ(std::string(buf, n), "\x02raw__9 dfA\n");
}

TEST(LpdWireFormat, LongValuesAreShortenedToFitTheBuffers) {
    std::string longText(400, 'x');
    LpdJobNames names = Names(longText.c_str(), longText.c_str(), longText.c_str(), 999);
    EXPECT_EQ(strlen(names.host), kMaxHostChars);
    EXPECT_EQ(strlen(names.user), kMaxUserChars);

    for (bool banner : {false, true}) {
        SCOPED_TRACE(banner ? "banner" : "plain");
        std::string cf = ControlFile(names, banner);
        EXPECT_LE(cf.size(), kLpdBufferSize - 1);
        EXPECT_EQ(Lines(cf), banner ? 8u : 5u);
        EXPECT_EQ(cf.back(), '\n');
        // The file names stay whole; only the document name gave way.
        EXPECT_NE(cf.find("fdfA999" + std::string(kMaxHostChars, 'x') + "\n"), std::string::npos);
        EXPECT_NE(cf.find("\nNxxx"), std::string::npos);
    }
    // With short host and user names there is room for more, but the job
    // name of the banner page stays within the 99 octets of RFC 1179.
    std::string cf = ControlFile(Names("pc1", "ann", longText.c_str(), 1), true);
    size_t j = cf.find("\nJ"), jEnd = cf.find('\n', j + 1);
    ASSERT_NE(j, std::string::npos);
    EXPECT_EQ(jEnd - j - 2, kMaxJobNameChars);
    size_t nLine = cf.find("\nN");
    ASSERT_NE(nLine, std::string::npos);
    EXPECT_GE(cf.size() - nLine - 3, kMaxJobNameChars);

    char buf[kLpdBufferSize];
    int n = FormatReceiveJobCommand(buf, longText.c_str());
    EXPECT_EQ(n, 255);
    EXPECT_EQ(buf[0], '\x02');
    EXPECT_EQ(buf[254], '\n');
}
