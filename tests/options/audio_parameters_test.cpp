#include "options/audio_parameters.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

// Index of a caption within its row.
int Pick(AudioRow row, std::wstring_view caption) {
    const auto& choices = AudioRows()[row].choices;
    for (size_t i = 0; i < choices.size(); ++i)
        if (caption == choices[i].caption) return static_cast<int>(i);
    ADD_FAILURE() << "no such caption";
    return -1;
}

struct ComposeCase {
    const char* name;
    const wchar_t* bitrate;
    const wchar_t* control;
    const wchar_t* rate;
    const wchar_t* channels;
    const wchar_t* expected;
};

class Compose : public testing::TestWithParam<ComposeCase> {};

TEST_P(Compose, JoinsTheChosenFragments) {
    const auto& c = GetParam();
    const AudioSelection selection{Pick(RowBitrate, c.bitrate), Pick(RowBitrateControl, c.control),
                                   Pick(RowSamplingRate, c.rate), Pick(RowChannels, c.channels)};
    EXPECT_EQ(ComposeAudioParameters(selection), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Compose,
    testing::Values(ComposeCase{"AllAuto", L"Auto", L"Auto", L"Auto", L"Auto", L""},
                    ComposeCase{"MonoAlone", L"Auto", L"Auto", L"Auto", L"Mono", L"-ac 1"},
                    ComposeCase{"BitrateAlone", L"320 Kbps", L"Auto", L"Auto", L"Auto", L"-b:a 320k"},
                    ComposeCase{"BitrateControlAlone", L"Auto", L"Average Bit Rate (ABR)", L"Auto", L"Auto", L"-abr 1"},
                    ComposeCase{"TwentyTwoKilohertzIsTwentyTwoThousandFifty", L"Auto", L"Auto", L"22.05 kHz", L"Auto",
                                L"-ar 22050"},
                    ComposeCase{"AllFourInChannelBitrateRateControlOrder", L"192 Kbps", L"Variable Bit Rate (VBR)",
                                L"44.1 kHz", L"Stereo", L"-ac 2 -b:a 192k -ar 44100 -q:a 0"},
                    ComposeCase{"GapInTheMiddle", L"128 Kbps", L"Variable Bit Rate (VBR)", L"Auto", L"Auto",
                                L"-b:a 128k -q:a 0"},
                    ComposeCase{"ChannelsAndControlOnly", L"Auto", L"Average Bit Rate (ABR)", L"Auto", L"7.1 Surround",
                                L"-ac 8 -abr 1"},
                    ComposeCase{"RateAndChannels", L"Auto", L"Auto", L"192 kHz", L"5.1 Surround", L"-ac 6 -ar 192000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComposeText, TrimsEachStepSoBlankFragmentsLeaveNoSpaces) {
    EXPECT_EQ(ComposeAudioParameters(L"", L"", L"", L""), L"");
    EXPECT_EQ(ComposeAudioParameters(L"", L"", L"", L"-q:a 0"), L"-q:a 0");
    EXPECT_EQ(ComposeAudioParameters(L"-ac 1", L"", L"", L""), L"-ac 1");
    EXPECT_EQ(ComposeAudioParameters(L"", L"-b:a 128k", L"", L"-abr 1"), L"-b:a 128k -abr 1");
}

}  // namespace
}  // namespace corvana
