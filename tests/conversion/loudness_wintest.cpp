// Volume normalisation keeps the source's sampling rate (loudnorm alone would hand on 192 kHz).
#include <windowsx.h>

#include "common/text.h"
#include "conversion/console_runner_win.h"
#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "support/conversion_support.h"

namespace corvana::test {
namespace {

class Normalisation : public ConversionFixture {
protected:
    void SetUp() override {
        ConversionFixture::SetUp();
        Start();
    }
    // A stereo tone at the given rate.
    std::wstring Source(int rate, double seconds = 1) {
        const std::wstring path = folder / (L"src " + std::to_wstring(rate) + L".wav");
        if (!PathExists(path)) MakeTone(path, seconds, rate, 2);
        return path;
    }
    std::optional<int> RateOf(const std::wstring& path) {
        const CapturedRun run =
            RunConsoleProgram(BuiltFFmpeg(), L"ffmpeg.exe -hide_banner -i \"" + path + L"\"", folder.Path());
        const auto stream = FirstAudioStream(SplitLines(DecodeConsoleOutput(run.output)));
        return stream ? std::optional<int>(stream->sampleRate) : std::nullopt;
    }
};

TEST_F(Normalisation, KeepsTheSourceRateWhereTheFormatCarriesIt) {
    for (int rate : {8000, 22050, 44100, 48000, 96000}) {
        const std::wstring source = Source(rate);
        for (const wchar_t* format : {L"flac", L"wav", L"mp3", L"ogg", L"opus"}) {
            const std::wstring format_(format);
            // Opus only takes 48 kHz and its family, and MP3 stops at 48 kHz: there FFmpeg picks
            // the format's own rate, as it does when nothing asks for one.
            int expected = rate;
            if (format_ == L"opus" || (format_ == L"mp3" && rate > 48000)) expected = 48000;
            const std::wstring output = folder / (L"out " + std::to_wstring(rate) + L"." + format_);
            SCOPED_TRACE(testing::PrintToString(output));
            ASSERT_EQ(ConvertNow(source, output, L"", true).outcome, JobOutcome::Converted);
            EXPECT_EQ(RateOf(output), expected);
        }
    }
}

TEST_F(Normalisation, TheUsersRateWins) {
    const std::wstring source = Source(44100);
    for (const wchar_t* format : {L"flac", L"wav"}) {
        const std::wstring output = folder / (std::wstring(L"user.") + format);
        ASSERT_EQ(ConvertNow(source, output, L"-ar 22100", true).outcome, JobOutcome::Converted);
        EXPECT_EQ(RateOf(output), 22100);
    }
}

TEST_F(Normalisation, FlacStaysCloseToTheUnnormalisedSize) {
    const std::wstring source = Source(44100, 3);
    ASSERT_EQ(ConvertNow(source, folder / L"normalised.flac", L"", true).outcome, JobOutcome::Converted);
    ASSERT_EQ(ConvertNow(source, folder / L"plain.flac").outcome, JobOutcome::Converted);
    const int64_t normalised = WindowsJobFiles().FileSize(folder / L"normalised.flac");
    const int64_t plain = WindowsJobFiles().FileSize(folder / L"plain.flac");
    EXPECT_EQ(RateOf(folder / L"normalised.flac"), 44100);
    EXPECT_LT(normalised, plain * 3 / 2) << normalised << " bytes against " << plain;
}

}  // namespace
}  // namespace corvana::test
