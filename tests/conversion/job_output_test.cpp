#include "conversion/job_output.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

std::wstring Latin1(std::string_view bytes) {
    return std::wstring(bytes.begin(), bytes.end());
}

TEST(OutputKeeper, KeepsEverythingUpToTwiceTheLimit) {
    OutputKeeper keeper(16);
    keeper.Append("line one\r\nline two\r\n");
    keeper.Append("end\n");
    EXPECT_EQ(keeper.LeftOutBytes(), 0u);
    EXPECT_EQ(keeper.Lines(Latin1), (std::vector<std::wstring>{L"line one", L"line two", L"end"}));
}

// The first and the last lines stay whole, whatever the pieces the output arrived in.
TEST(OutputKeeper, KeepsHeadAndTailAndSaysHowMuchWasLeftOut) {
    std::string all;
    for (int i = 0; i < 1000; ++i) all += "frame=" + std::to_string(i) + "\r";
    all = "banner\nInput #0\n" + all + "last words\n";
    for (size_t piece : {1u, 7u, 4096u}) {
        OutputKeeper keeper(64);
        for (size_t at = 0; at < all.size(); at += piece) keeper.Append(std::string_view(all).substr(at, piece));
        EXPECT_EQ(keeper.TotalBytes(), all.size());
        const auto lines = keeper.Lines(Latin1);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[0], L"banner");
        EXPECT_EQ(lines[1], L"Input #0");
        EXPECT_EQ(lines.back(), L"last words");
        size_t shown = 0, marker = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind(L"[", 0) == 0)
                marker = i;
            else
                shown += lines[i].size() + 1;
        }
        ASSERT_GT(marker, 0u);
        const std::wstring expected =
            L"[" + std::to_wstring(all.size() - shown) + L" bytes of FFmpeg's output left out]";
        EXPECT_EQ(lines[marker], expected) << piece;
        for (size_t i = 2; i + 1 < lines.size(); ++i) {
            if (i == marker) continue;
            EXPECT_EQ(lines[i].rfind(L"frame=", 0), 0u) << "no line is cut: " << lines[i];
        }
    }
}

TEST(OutputKeeper, AHugeOutputCostsOnlyTheLimit) {
    OutputKeeper keeper(1024);
    const std::string chunk(100000, 'x');
    for (int i = 0; i < 100; ++i) keeper.Append(chunk);
    EXPECT_EQ(keeper.TotalBytes(), 10000000u);
    EXPECT_EQ(keeper.LeftOutBytes(), 10000000u - 2048u);
}

struct ClockCase {
    const char* text;
    std::optional<long long> hundredths;
};
class ClockTimes : public testing::TestWithParam<ClockCase> {};
TEST_P(ClockTimes, Parse) {
    EXPECT_EQ(ParseClockTime(GetParam().text), GetParam().hundredths);
}
INSTANTIATE_TEST_SUITE_P(Cases, ClockTimes,
                         testing::Values(ClockCase{"00:03:00.05, start", 18005}, ClockCase{"01:00:00.00", 360000},
                                         ClockCase{"00:00:01.5", 150}, ClockCase{"00:00:02.999", 299},
                                         ClockCase{"00:00:07", 700}, ClockCase{"-00:00:00.02", -2},
                                         ClockCase{"N/A", std::nullopt}, ClockCase{"", std::nullopt},
                                         ClockCase{"00:61:00.00", std::nullopt}, ClockCase{"12:34", std::nullopt},
                                         ClockCase{"99999999999999999999:00:00", std::nullopt}));

TEST(ProgressReader, PercentOfTheInputsDurationFromProgressLines) {
    ProgressReader reader;
    EXPECT_EQ(reader.Percent(), std::nullopt);
    reader.Feed("Input #0, wav, from 'a.wav':\n  Duration: 00:03:20.00, bitrate: 1411 kb/s\n");
    EXPECT_EQ(reader.Percent(), 0);
    // A progress line may arrive in pieces and ends in a bare CR.
    reader.Feed("size=     512kB time=00:01");
    EXPECT_EQ(reader.Percent(), 0);
    reader.Feed(":40.00 bitrate= 128.0kbits/s speed=40x\r");
    EXPECT_EQ(reader.Percent(), 50);
    // A second "Duration" (of an output, say) changes nothing; padding past the end stays below 100.
    reader.Feed("  Duration: 00:00:01.00\nsize=1kB time=00:09:00.00 bitrate=1k\r");
    EXPECT_EQ(reader.Duration(), 20000);
    EXPECT_EQ(reader.Percent(), 99);
}

TEST(ProgressReader, UnknownDurationGivesNoPercent) {
    ProgressReader reader;
    reader.Feed("  Duration: N/A, bitrate: N/A\nsize=1kB time=00:00:05.00 bitrate=1k\r");
    EXPECT_EQ(reader.Percent(), std::nullopt);
    EXPECT_EQ(reader.Position(), 500);
}

}  // namespace
}  // namespace corvana
