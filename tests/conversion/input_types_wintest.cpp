// The audio files people have, in every container the list takes, made by the built ffmpeg.exe and
// converted by the real one; and what a failed job's details lead with.
#include <windowsx.h>

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"
#include "conversion/console_text.h"
#include "support/conversion_support.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

struct MadeType {
    const wchar_t* name;
    const wchar_t* arguments;  // how ffmpeg.exe writes it from a WAV tone
};

// Made here: every new type that the built ffmpeg.exe can write; Musepack and Speex made by
// Debian's own encoders at build time (test-sources in the build folder), and a DSD file written
// out below. Not made: Monkey's Audio (".ape"; no encoder in Debian) and DVD video (".vob"; no
// MPEG-PS muxer is built). Their demuxers and decoders are in the build all the same.
const MadeType kMadeTypes[] = {
    {L"a.aif", L"-f aiff"},
    {L"b.aifc", L"-f aiff"},
    {L"c.m4b", L"-f ipod -c:a aac"},
    {L"d.oga", L"-f ogg -c:a libvorbis"},
    {L"e.mka", L"-f matroska -c:a libopus"},
    {L"f.tta", L"-f tta"},
    {L"g.3gp", L"-f 3gp -c:a aac"},
    {L"h.ts", L"-f mpegts -c:a mp2"},
    {L"i.m2ts", L"-f mpegts -c:a ac3"},
};

// A DSD stream file (".dsf") of 0.4 s of DSD silence in two channels, as its layout has it: the
// "DSD " chunk, the format chunk, then the data in blocks of 4,096 bytes per channel.
std::string DsdSilence() {
    const auto le = [](uint64_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
        return s;
    };
    constexpr uint64_t kBlock = 4096, kBlocks = 35, kChannels = 2;
    const std::string data(kBlock * kBlocks * kChannels, '\x69');
    const std::string format = "fmt " + le(52, 8) + le(1, 4) + le(0, 4) + le(2, 4) + le(kChannels, 4) + le(2822400, 4) +
                               le(1, 4) + le(kBlock * kBlocks * 8, 8) + le(kBlock, 4) + le(0, 4);
    const std::string dataChunk = "data" + le(12 + data.size(), 8) + data;
    return "DSD " + le(28, 8) + le(28 + format.size() + dataChunk.size(), 8) + le(0, 8) + format + dataChunk;
}

class InputTypes : public ConversionFixture {
protected:
    TempFolder work{L"types"};

    void Prepare() {
        Start();
        SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());
        ComboBox_SelectString(form->Options().FormatBox(), -1, L"MP3");
    }
    std::vector<std::wstring> Results() const { return ListResults(form->Files().Handle()); }
};

TEST_F(InputTypes, AFolderOfEveryTypeGivesARowAndAnMp3Each) {
    const std::wstring tone = work / L"tone.wav";
    MakeTone(tone, 1.0, 44100, 2);
    ASSERT_TRUE(CreateDirectoryW((work / L"in").c_str(), nullptr));
    for (const MadeType& type : kMadeTypes) {
        const std::wstring made = work / (L"in\\" + std::wstring(type.name));
        ASSERT_EQ(
            RunBuiltFFmpeg(L"-y -v error -i \"" + tone + L"\" " + type.arguments + L" \"" + made + L"\"", BuildDir()),
            0u)
            << EncodeUtf8(type.name);
    }
    std::vector<std::wstring> names;
    for (const MadeType& type : kMadeTypes) names.push_back(type.name);
    for (const wchar_t* name : {L"j.mpc", L"k.spx"}) {
        const std::wstring made = BuildDir() + L"\\test-sources\\tone" + ExtensionPart(name);
        ASSERT_TRUE(CopyFileW(made.c_str(), (work / (L"in\\" + std::wstring(name))).c_str(), FALSE))
            << EncodeUtf8(made);
        names.push_back(name);
    }
    WriteFileBytes(work / L"in\\l.dsf", DsdSilence());
    names.push_back(L"l.dsf");

    Prepare();
    form->Files().AddFolderContents(work / L"in");
    ASSERT_EQ(form->Files().Rows().Count(), names.size()) << "every type is found by the scan";
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), std::vector<std::wstring>(names.size(), L"OK"));
    for (const std::wstring& name : names) {
        const std::wstring output = work / (L"out\\" + BaseName(name) + L".mp3");
        EXPECT_TRUE(DecodesCleanly(output)) << EncodeUtf8(output);
    }
}

TEST_F(InputTypes, ANewTypeThatHoldsSomethingElseFailsWithAReasonAndTheRunGoesOn) {
    ASSERT_TRUE(CreateDirectoryW((work / L"in").c_str(), nullptr));
    for (const wchar_t* name : {L"a.ape", L"b.mpc", L"c.tta", L"d.dsf", L"e.spx", L"f.vob"})
        WriteFileBytes(work / (L"in\\" + std::wstring(name)), "These are notes, not sound.\r\n");
    MakeTone(work / L"in\\z.wav");
    Prepare();
    form->Files().AddFolderContents(work / L"in");
    ASSERT_EQ(form->Files().Rows().Count(), 7u);
    ASSERT_TRUE(ConvertAndWait(*form));
    const std::vector<std::wstring> results = Results();
    for (size_t i = 0; i < results.size(); ++i) {
        const std::wstring caption = form->Files().Rows().At(i).caption;
        EXPECT_EQ(results[i], caption.ends_with(L"z.wav") ? L"OK" : L"Error") << EncodeUtf8(caption);
    }
    EXPECT_TRUE(TemporaryOutputsIn(work / L"out").empty());
    EXPECT_TRUE(DecodesCleanly(work / L"out\\z.mp3"));

    const JobResult failed = ConvertNow(work / L"in\\c.tta", work / L"c.mp3");
    EXPECT_EQ(failed.outcome, JobOutcome::Failed);
    EXPECT_NE(FailureReason(failed.log).find(L"Invalid data found when processing input"), std::wstring::npos)
        << EncodeUtf8(JoinLines(failed.log));
}

TEST_F(InputTypes, ADamagedMp3sDetailsLeadWithTheReason) {
    // What is left of an MP3 whose start was overwritten: no frame FFmpeg can find.
    std::string damaged;
    for (int i = 0; i < 200; ++i) damaged += "Overwritten by a text editor. ";
    WriteFileBytes(work / L"damaged.mp3", damaged);
    const JobResult failed = ConvertNow(work / L"damaged.mp3", work / L"damaged.wav");
    ASSERT_EQ(failed.outcome, JobOutcome::Failed);
    const std::wstring details = ErrorDetailsText(work / L"damaged.mp3", failed.log);
    // The first five lines, whichever line breaks the box shows.
    std::wstring top;
    size_t lines = 0, at = 0;
    for (; at < details.size() && lines < 5; ++at) {
        if (details[at] == L'\r' || details[at] == L'\n') {
            ++lines;
            if (details[at] == L'\r' && at + 1 < details.size() && details[at + 1] == L'\n') ++at;
        }
    }
    top = details.substr(0, at);
    // FFmpeg's own last word on the file ("...damaged.mp3: Invalid argument"), not the exit status.
    const std::wstring reason = FailureReason(failed.log);
    EXPECT_TRUE(reason.starts_with(work / L"damaged.mp3: ")) << EncodeUtf8(reason);
    EXPECT_NE(top.find(reason), std::wstring::npos) << EncodeUtf8(details);
    EXPECT_EQ(details.find(L"configuration:"), std::wstring::npos) << "no banner";
}

}  // namespace
}  // namespace corvana::test
