// The info text as ZynPMReadInfo hands it out, and the listing side that
// fills it: line splitting, the too-small buffer, long lines, and that
// neither side ever writes past its buffer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_backend.h"

using zyntest::FakeProgramManager;
using zynshell::kBackendShell;

namespace {

// Reads lines until ReadInfo returns 0, with a generous buffer.
std::vector<std::string> ReadAll(FakeProgramManager& pm, int bufferSize = 600) {
    std::vector<std::string> lines;
    std::vector<char> buffer(bufferSize);
    while (pm.ReadInfo(buffer.data(), bufferSize)) lines.emplace_back(buffer.data());
    return lines;
}

using Lines = std::vector<std::string>;

TEST(InfoText, SplitsAtCarriageReturnLineFeed) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText("A\r\nB\r\n");
    EXPECT_EQ(ReadAll(pm), (Lines{"A", "B"}));  // no empty line at the end
    EXPECT_EQ(pm.infoAvailable, 0);

    pm.SetInfoText("A\r\n\r\nB");
    EXPECT_EQ(ReadAll(pm), (Lines{"A", "", "B"}));

    pm.SetInfoText("A\nB\r\n");  // a lone line feed is an ordinary character
    EXPECT_EQ(ReadAll(pm), (Lines{"A\nB"}));

    pm.SetInfoText("A\rB");  // a carriage return alone also ends the line
    EXPECT_EQ(ReadAll(pm), (Lines{"A", "B"}));
}

TEST(InfoText, EmptyTextGivesNoLineAndClearsTheBuffer) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText("");
    char buffer[16] = "garbage";
    EXPECT_EQ(pm.ReadInfo(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(pm.lastError, 0);

    strcpy(buffer, "garbage");  // nothing available at all
    EXPECT_EQ(pm.ReadInfo(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(InfoText, NextInfoLineWithoutTextSetsCode9) {
    FakeProgramManager pm(kBackendShell);
    EXPECT_EQ(pm.NextInfoLine(), nullptr);
    EXPECT_EQ(pm.lastError, zynshell::kErrNoInfo);
}

TEST(InfoText, LineOfExactlyBufferSizeIsSkippedWithCode10) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText("ABCD\r\nNext\r\n");
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(pm.ReadInfo(buffer, 4), 0);  // "ABCD" needs 5 bytes
    EXPECT_EQ(pm.lastError, zynshell::kErrBufferTooSmall);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');  // nothing else written
    ASSERT_EQ(pm.ReadInfo(buffer, 5), 1);  // the next line, the skipped one is gone
    EXPECT_STREQ(buffer, "Next");
    EXPECT_EQ(pm.lastError, zynshell::kErrBufferTooSmall);  // success does not reset it
    EXPECT_EQ(pm.ReadInfo(buffer, 5), 0);
}

TEST(InfoText, LinesLongerThan511ComeInPiecesOf511) {
    FakeProgramManager pm(kBackendShell);
    const std::string longLine(1100, 'L');
    pm.SetInfoText(longLine + "\r\nEnd\r\n");
    const Lines lines = ReadAll(pm, 1024);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::string(511, 'L'));
    EXPECT_EQ(lines[1], std::string(511, 'L'));
    EXPECT_EQ(lines[2], std::string(78, 'L'));
    EXPECT_EQ(lines[3], "End");
}

TEST(InfoText, ExactlyFiveHundredElevenCharacters) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText(std::string(511, 'M') + "\r\nN\r\n");
    const Lines lines = ReadAll(pm, 1024);
    // The scan stops just before the carriage return; the rest of the line
    // is then an empty piece.
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(511, 'M'));
    EXPECT_EQ(lines.back(), "N");
}

TEST(InfoText, ReadIntoBufferNeverWritesPastItsSize) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText(std::string(700, 'W') + "\r\n");
    std::vector<char> buffer(1024, '#');
    EXPECT_EQ(pm.ReadInfo(buffer.data(), 100), 0);  // a 511-character piece into 100
    EXPECT_EQ(pm.lastError, zynshell::kErrBufferTooSmall);
    for (size_t i = 1; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << i;
}

TEST(InfoText, NewListingReplacesUnreadText) {
    FakeProgramManager pm(kBackendShell);
    pm.SetInfoText("Old1\r\nOld2\r\n");
    char buffer[32];
    ASSERT_EQ(pm.ReadInfo(buffer, sizeof buffer), 1);
    pm.SetInfoText("New\r\n");
    EXPECT_EQ(ReadAll(pm), (Lines{"New"}));
}

TEST(InfoText, ListingThatOverflowsStopsAtLastWholeLine) {
    FakeProgramManager pm(kBackendShell);
    pm.BeginInfo();
    int accepted = 0;
    for (int i = 0; i < 200; ++i) {  // 200 lines of 40 bytes, far more than 5120
        if (pm.AppendInfoFormat("line %03d %s\r\n", i, std::string(29, 'x').c_str())) ++accepted;
    }
    pm.EndInfo();
    EXPECT_TRUE(pm.GuardIntact());
    EXPECT_EQ(accepted, (zynshell::kInfoBufferSize - 1) / 40);
    const Lines lines = ReadAll(pm);
    ASSERT_EQ(static_cast<int>(lines.size()), accepted);
    EXPECT_EQ(lines.back(), "line 126 " + std::string(29, 'x'));
}

TEST(InfoText, OverflowInTheMiddleOfALineDropsThatWholeLine) {
    FakeProgramManager pm(kBackendShell);
    pm.BeginInfo();
    const std::string filler(5100, 'f');
    ASSERT_TRUE(pm.AppendInfo((filler + "\r\n").c_str()));
    // A line appended field by field: its first field fits, its second not.
    EXPECT_TRUE(pm.AppendInfo("\"desc\","));
    EXPECT_FALSE(pm.AppendInfo(std::string(40, 'p').c_str()));
    EXPECT_FALSE(pm.AppendInfo("\r\n"));  // dropped: the listing is full
    pm.EndInfo();
    EXPECT_TRUE(pm.GuardIntact());
    const Lines lines = ReadAll(pm);
    // 5100 characters come as pieces of 511; the half line is gone.
    std::string joined;
    for (const auto& l : lines) joined += l;
    EXPECT_EQ(joined, filler);
}

TEST(InfoText, LineFillingTheBufferExactly) {
    FakeProgramManager pm(kBackendShell);
    pm.BeginInfo();
    EXPECT_TRUE(pm.AppendInfo((std::string(5117, 'e') + "\r\n").c_str()));  // 5119 + terminator
    EXPECT_FALSE(pm.AppendInfo("x\r\n"));
    pm.EndInfo();
    EXPECT_TRUE(pm.GuardIntact());
    EXPECT_EQ(pm.infoBuffer()[5119], '\0');
}

}  // namespace
