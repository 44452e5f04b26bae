#include "conversion/ffmpeg_command.h"

#include <gtest/gtest.h>

#include <set>

namespace corvana {
namespace {

struct BlockCase {
    const wchar_t* parameters;
    bool normalize;
    const wchar_t* block;
};

class ParameterBlockTest : public testing::TestWithParam<BlockCase> {};

TEST_P(ParameterBlockTest, FramesTheTrimmedParameters) {
    EXPECT_EQ(ParameterBlock(GetParam().parameters, GetParam().normalize), GetParam().block);
}

INSTANTIATE_TEST_SUITE_P(Cases, ParameterBlockTest,
                         testing::Values(BlockCase{L"", false, L" "}, BlockCase{L"   ", false, L" "},
                                         BlockCase{L"   ", true, L" -af loudnorm "},
                                         BlockCase{L"", true, L" -af loudnorm "},
                                         BlockCase{L"-b:a 192k ", false, L" -b:a 192k "},
                                         BlockCase{L"-b:a 192k\r\n", false, L" -b:a 192k "},
                                         BlockCase{L"\t-ar 44100", true, L" -ar 44100 -af loudnorm "},
                                         BlockCase{L"-ac 2  -ar 48000", false, L" -ac 2  -ar 48000 "}));

TEST(FFmpegCommandLine, QuotesBothPathsAroundTheBlock) {
    EXPECT_EQ(FFmpegCommandLine(L"C:\\in put\\a.flac", L"D:\\out\\a.mp3", L"", false),
              L"ffmpeg.exe -hide_banner -y -vn -i \"C:\\in put\\a.flac\" \"D:\\out\\a.mp3\"");
    EXPECT_EQ(FFmpegCommandLine(L"C:\\100%PATH%.flac", L"C:\\o & p.wav", L" -b:a 128k", false),
              L"ffmpeg.exe -hide_banner -y -vn -i \"C:\\100%PATH%.flac\" -b:a 128k \"C:\\o & p.wav\"");
}

// The ReplayGain tags describe the loudness before normalising: they are dropped from the file's
// and the audio stream's tags, and only then.
constexpr const wchar_t* kNoReplayGain =
    L" -metadata REPLAYGAIN_TRACK_GAIN= -metadata:s:a REPLAYGAIN_TRACK_GAIN="
    L" -metadata REPLAYGAIN_TRACK_PEAK= -metadata:s:a REPLAYGAIN_TRACK_PEAK="
    L" -metadata REPLAYGAIN_ALBUM_GAIN= -metadata:s:a REPLAYGAIN_ALBUM_GAIN="
    L" -metadata REPLAYGAIN_ALBUM_PEAK= -metadata:s:a REPLAYGAIN_ALBUM_PEAK=";

TEST(FFmpegCommandLine, NormalisingDropsTheReplayGainTags) {
    EXPECT_EQ(FFmpegCommandLine(L"C:\\a.flac", L"C:\\o.wav", L" -b:a 128k", true),
              std::wstring(L"ffmpeg.exe -hide_banner -y -vn -i \"C:\\a.flac\"") + kNoReplayGain +
                  L" -b:a 128k -af loudnorm \"C:\\o.wav\"");
}

TEST(FFmpegCommandLine, ACoverIsCopiedAndAFilmNeverTaken) {
    EXPECT_EQ(
        FFmpegCommandLine(L"C:\\a.flac", L"C:\\a.mp3", L"", false, std::nullopt, true),
        L"ffmpeg.exe -hide_banner -y -i \"C:\\a.flac\" -map 0:a:0 -map 0:v:0? -map -0:V? -c:v copy -id3v2_version 3 "
        L"\"C:\\a.mp3\"");
    EXPECT_EQ(FFmpegCommandLine(L"C:\\a.mp3", L"C:\\a.m4a", L"-b:a 96k", true, std::nullopt, true),
              std::wstring(L"ffmpeg.exe -hide_banner -y -i \"C:\\a.mp3\" -map 0:a:0 -map 0:v:0? -map -0:V? -c:v copy") +
                  kNoReplayGain + L" -b:a 96k -af loudnorm \"C:\\a.m4a\"");
}

TEST(FFmpegCommandLine, CoversWhereTheOutputHoldsOneAndTheSourceIsNoFilm) {
    struct {
        const wchar_t* source;
        const wchar_t* output;
        const wchar_t* parameters;
        bool keeps;
    } cases[] = {
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"", true},
        {L"C:\\m\\a.MP3", L"D:\\o\\a.FLAC", L"-b:a 128k", true},
        {L"C:\\m\\a.wma", L"D:\\o\\a~Corvana-1.m4a", L"", true},
        {L"C:\\m\\a.flac", L"D:\\o\\a.ogg", L"", false},  // the Ogg muxer refuses pictures
        {L"C:\\m\\a.flac", L"D:\\o\\a.opus", L"", false},
        {L"C:\\m\\a.flac", L"D:\\o\\a.wav", L"", false},
        {L"C:\\m\\film.mp4", L"D:\\o\\film.mp3", L"", false},  // its pictures are a film
        {L"C:\\m\\film.mkv", L"D:\\o\\film.m4a", L"", false},
        {L"C:\\m\\a.unknown", L"D:\\o\\a.mp3", L"", false},
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"-map 0:a", false},  // the user chose the streams
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"-b:a 96k -vn", false},
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"-map:a 0", false},
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"-metadata title=-map", true},
        {L"C:\\m\\a.flac", L"D:\\o\\a.mp3", L"-vnx", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeepsCover(c.source, c.output, c.parameters), c.keeps)
            << c.source << L" " << c.output << L" " << c.parameters;
}

TEST(FFmpegCommandLine, NormalisingKeepsTheLearnedRateAndNothingElseChanges) {
    EXPECT_EQ(FFmpegCommandLine(L"C:\\a.flac", L"C:\\a.mp3", L"", true, SourceAudio{44100, L"s16"}),
              std::wstring(L"ffmpeg.exe -hide_banner -y -vn -i \"C:\\a.flac\"") + kNoReplayGain +
                  L" -af loudnorm,aformat=sample_fmts=s16:sample_rates=44100 \"C:\\a.mp3\"");
    EXPECT_EQ(ParameterBlock(L" -ac 1", true, SourceAudio{22050, L""}),
              L" -ac 1 -af loudnorm,aformat=sample_rates=22050 ");
    // Without normalisation the command is exactly what it always was, rate or not.
    for (const wchar_t* parameters : {L"", L"  -b:a 128k ", L"-ar 22100"}) {
        EXPECT_EQ(FFmpegCommandLine(L"in", L"out", parameters, false, SourceAudio{44100, L"s16"}),
                  FFmpegCommandLine(L"in", L"out", parameters, false));
        EXPECT_EQ(ParameterBlock(parameters, true, std::nullopt), ParameterBlock(parameters, true));
    }
}

TEST(FFmpegCommandLine, ParametersThatSetTheRate) {
    struct {
        const wchar_t* parameters;
        bool sets;
    } cases[] = {
        {L"-ar 22100", true},  {L"-ac 1 -ar 48000", true}, {L"\t-ar:a 8000", true},         {L"", false},
        {L"-b:a 128k", false}, {L"-ac 1 -arate 5", false}, {L"-metadata title=-ar", false}, {L"x-ar 5", false}};
    for (const auto& c : cases) EXPECT_EQ(SetsSampleRate(c.parameters), c.sets) << c.parameters;
}

TEST(FFmpegLog, FirstAudioStreamsRateAndSampleFormat) {
    struct {
        std::vector<std::wstring> log;
        int rate;  // 0: no stream found
        const wchar_t* format;
    } cases[] = {
        {{L"Input #0, flac, from 'C:\\M\u00FCzik\\a 44100 Hz.flac':",
          L"  Duration: 00:00:03.00, start: 0.000000, bitrate: 246 kb/s",
          L"    Stream #0:0: Audio: flac, 96000 Hz, stereo, s32 (24 bit)",
          L"    Stream #0:1: Audio: mp3, 44100 Hz, mono, fltp, 64 kb/s"},
         96000,
         L"s32"},
        {{L"    Stream #0:0(und): Video: h264 (High), yuv420p, 1280x720, 25 fps",
          L"    Stream #0:1(eng): Audio: aac (LC) (mp4a / 0x6134706D), 22050 Hz, mono, fltp, 69 kb/s (default)"},
         22050,
         L"fltp"},
        {{L"    Stream #0:0: Audio: pcm_s16le ([1][0][0][0] / 0x0001), 44100 Hz, 1 channels, s16, 705 kb/s"},
         44100,
         L"s16"},
        {{L"    Stream #0:0: Audio: opus, 48000 Hz, 5.1(side), fltp"}, 48000, L"fltp"},
        {{L"    Stream #0:0: Audio: wmapro, 44100 Hz, stereo, unknownfmt"}, 44100, L""},
        {{L"C:\\x.mp3: Invalid data found when processing input"}, 0, L""},
        {{L"    Stream #0:0: Audio: none"}, 0, L""},
    };
    for (const auto& c : cases) {
        const auto stream = FirstAudioStream(c.log);
        ASSERT_EQ(stream.has_value(), c.rate != 0) << c.log.back();
        if (!stream) continue;
        EXPECT_EQ(stream->sampleRate, c.rate);
        EXPECT_EQ(stream->sampleFormat, c.format);
    }
}

TEST(OutputPath, ExtensionFromFormatAndFolderJoin) {
    EXPECT_EQ(OutputExtension(L"MP3"), L".mp3");
    EXPECT_EQ(OutputExtension(L"EAC3"), L".eac3");
    EXPECT_EQ(ComposeOutputPath(L"D:\\out", L"a.b.c", L".wav"), L"D:\\out\\a.b.c.wav");
    // A target text ending in a backslash is used as it stands.
    EXPECT_EQ(ComposeOutputPath(L"D:\\out\\", L"x", L".mp3"), L"D:\\out\\\\x.mp3");
    EXPECT_EQ(ComposeOutputPath(L"", L"x", L".mp3"), L"x.mp3");
}

struct UniqueCase {
    const wchar_t* path;
    std::set<std::wstring> existing;
    const wchar_t* expected;
};

class UniqueOutputNameTest : public testing::TestWithParam<UniqueCase> {};

TEST_P(UniqueOutputNameTest, PicksTheFirstFreeCounter) {
    const auto& c = GetParam();
    const auto exists = [&](const std::wstring& p) { return c.existing.count(p) != 0; };
    EXPECT_EQ(UniqueOutputName(c.path, exists), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UniqueOutputNameTest,
    testing::Values(UniqueCase{L"D:\\o\\song.mp3", {}, L"D:\\o\\song.mp3"},
                    UniqueCase{L"D:\\o\\song.mp3", {L"D:\\o\\song.mp3"}, L"D:\\o\\song (2).mp3"},
                    UniqueCase{
                        L"D:\\o\\song.mp3", {L"D:\\o\\song.mp3", L"D:\\o\\song (2).mp3"}, L"D:\\o\\song (3).mp3"},
                    UniqueCase{L"D:\\o\\song (2).wav", {L"D:\\o\\song (2).wav"}, L"D:\\o\\song (2) (2).wav"},
                    UniqueCase{L"D:\\o.d\\noext", {L"D:\\o.d\\noext"}, L"D:\\o.d\\noext (2)"},
                    UniqueCase{L"a.b.mp3", {L"a.b.mp3", L"a.b (2).mp3"}, L"a.b (3).mp3"}));

struct JudgeCase {
    std::optional<uint32_t> exitStatus;
    int64_t size;
    bool ok;
};

class JobSucceededTest : public testing::TestWithParam<JudgeCase> {};

TEST_P(JobSucceededTest, NeedsExitStatusZeroAndANonEmptyFile) {
    EXPECT_EQ(JobSucceeded(GetParam().exitStatus, GetParam().size), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(Cases, JobSucceededTest,
                         testing::Values(JudgeCase{0u, 1000, true},
                                         // FFmpeg failed half-way after writing some bytes.
                                         JudgeCase{1u, 1000, false}, JudgeCase{0u, 0, false}, JudgeCase{0u, -1, false},
                                         JudgeCase{std::nullopt, -1, false}, JudgeCase{std::nullopt, 500, false}));

}  // namespace
}  // namespace corvana
