// Converting a music library with the real ffmpeg.exe: the folder structure kept below the target,
// what an earlier run converted skipped, tags and covers carried over, and the run's progress.
#include <windowsx.h>

#include <algorithm>

#include "common/paths.h"
#include "common/text.h"
#include "support/conversion_support.h"
#include "support/flac_pictures.h"
#include "support/list_support.h"
#include "win/command_ids.h"
#include "win/system_win.h"

namespace corvana::test {
namespace {

const std::string& kPng = kOnePixelPng;
using Picture = FlacPicture;

// The tags every test file carries, as ffmpeg.exe names them when it describes a file.
const std::vector<std::pair<std::wstring, std::wstring>> kTags = {{L"title", L"Ünïcode ✓ «Title»"},
                                                                  {L"artist", L"Ártist"},
                                                                  {L"album", L"Album ♫"},
                                                                  {L"album_artist", L"Various"},
                                                                  {L"track", L"3"},
                                                                  {L"disc", L"1"},
                                                                  {L"date", L"2019"},
                                                                  {L"genre", L"Rock"},
                                                                  {L"comment", L"Kept"}};

class MusicLibrary : public ConversionFixture {
protected:
    TempFolder work{L"library"};

    // A tagged FLAC tone (tags above, extra tags after them) with these pictures.
    void MakeAlbumTrack(const std::wstring& path, const std::vector<Picture>& pictures = {{3, "image/png", kPng}},
                        const std::wstring& extraTags = L"", double seconds = 0.5) {
        ASSERT_TRUE(ForceDirectories(FolderOf(path)));
        const std::wstring wav = path + L".wav";
        MakeTone(wav, seconds);
        std::wstring arguments = L"-y -v error -i \"" + wav + L"\"";
        for (const auto& [key, value] : kTags) arguments += L" -metadata " + key + L"=\"" + value + L"\"";
        ASSERT_EQ(RunBuiltFFmpeg(arguments + extraTags + L" \"" + path + L"\"", BuildDir()), 0u);
        DeleteFileW(wav.c_str());
        if (pictures.empty()) return;
        const std::string withPictures = WithFlacPictures(ReadFileBytes(path), pictures);
        ASSERT_FALSE(withPictures.empty());
        WriteFileBytes(path, withPictures);
    }
    // How ffmpeg.exe describes the file (its tags and streams), as UTF-8.
    static std::string Describe(const std::wstring& path) {
        return RunConsoleProgram(BuiltFFmpeg(), L"ffmpeg.exe -hide_banner -i \"" + path + L"\"", BuildDir()).output;
    }
    static int PictureStreams(const std::string& description) {
        int count = 0;
        for (size_t at = description.find("(attached pic)"); at != std::string::npos;
             at = description.find("(attached pic)", at + 1))
            ++count;
        return count;
    }
    void ExpectTagsAndCover(const std::wstring& output) {
        SCOPED_TRACE(EncodeUtf8(output));
        ASSERT_TRUE(DecodesCleanly(output));
        const std::string description = Describe(output);
        for (const auto& [key, value] : kTags)
            EXPECT_NE(description.find(EncodeUtf8(key)), std::string::npos) << EncodeUtf8(key);
        for (const auto& [key, value] : kTags)
            EXPECT_NE(description.find(": " + EncodeUtf8(value)), std::string::npos) << EncodeUtf8(value);
        EXPECT_EQ(PictureStreams(description), 1) << description;
        // Copied as it is, never encoded again.
        EXPECT_NE(ReadFileBytes(output).find(kPng), std::string::npos) << "the cover's own bytes";
    }
    void Prepare(const wchar_t* format, bool keepStructure, bool skipConverted) {
        Start();
        SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());
        ComboBox_SelectString(form->Options().FormatBox(), -1, format);
        if (keepStructure) form->RunCommand(CMD_KeepFolderStructure);
        if (skipConverted) form->RunCommand(CMD_SkipConvertedFiles);
    }
    std::vector<std::wstring> Results() const { return ListResults(form->Files().Handle()); }
    // Every file below the output folder, relative to it, sorted.
    std::vector<std::wstring> Outputs() const {
        std::vector<std::wstring> found;
        std::vector<std::wstring> pending{L""};
        while (!pending.empty()) {
            const std::wstring relative = pending.back();
            pending.pop_back();
            WIN32_FIND_DATAW fd;
            const std::wstring folder = work / (L"out" + relative);
            HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
            if (find == INVALID_HANDLE_VALUE) continue;
            do {
                const std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    pending.push_back(relative + L"\\" + name);
                else
                    found.push_back(relative.empty() ? name : relative.substr(1) + L"\\" + name);
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(MusicLibrary, TheTreeIsRebuiltWithTagsAndCoversAndASecondRunSkipsEverything) {
    const std::wstring library = work / L"Müzik";
    for (const wchar_t* track : {L"Ártist A\\First\\01 Intro.flac", L"Artist B\\Second\\01 Intro.flac",
                                 L"Artist B\\Second\\CD 2\\01 Intro.flac", L"Loose.flac"})
        MakeAlbumTrack(library + L"\\" + track);
    MakeAlbumTrack(work / L"Single.flac");
    Prepare(L"MP3", true, true);
    form->Files().AddFolderContents(library);
    form->Files().AddFile(work / L"Single.flac");  // a file of its own goes into the target itself
    // Sorted after adding (a click on "File"): each row keeps the folder it came from.
    NMLISTVIEW click{};
    click.hdr = {form->Files().Handle(), static_cast<UINT_PTR>(IDC_FileList), LVN_COLUMNCLICK};
    click.iItem = -1;
    SendMessageW(form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    ASSERT_TRUE(form->Files().Rows().IsSorted());
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), std::vector<std::wstring>(5, L"OK"));
    const std::vector<std::wstring> tree = {L"Müzik\\Artist B\\Second\\01 Intro.mp3",
                                            L"Müzik\\Artist B\\Second\\CD 2\\01 Intro.mp3", L"Müzik\\Loose.mp3",
                                            L"Müzik\\Ártist A\\First\\01 Intro.mp3", L"Single.mp3"};
    std::vector<std::wstring> expected = tree;
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(Outputs(), expected);
    for (const std::wstring& output : tree) ExpectTagsAndCover(work / (L"out\\" + output));

    // Again: everything is there already, whole and newer than its source.
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), std::vector<std::wstring>(5, L"Skipped"));
    EXPECT_EQ(Outputs(), expected) << "no copy";
    EXPECT_EQ(form->StatusText(), L"Completed");
}

TEST_F(MusicLibrary, AfterStopASecondRunConvertsExactlyTheRest) {
    for (int i = 1; i <= 6; ++i) MakeAlbumTrack(work / (L"album\\" + std::to_wstring(i) + L".flac"), {}, L"", 20);
    Prepare(L"MP3", false, true);
    form->RunCommand(CMD_SimultaneousFirst);  // one job at a time
    form->Files().AddFolderContents(work / L"album");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Results()[1] == L"OK"; }, 120000));
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);  // Stop
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    const std::vector<std::wstring> first = Results();
    const auto converted = static_cast<size_t>(std::count(first.begin(), first.end(), L"OK"));
    ASSERT_GE(converted, 2u);
    ASSERT_LT(converted, 6u) << "stopped before the end";

    ASSERT_TRUE(ConvertAndWait(*form));
    const std::vector<std::wstring> second = Results();
    for (size_t i = 0; i < second.size(); ++i) EXPECT_EQ(second[i], first[i] == L"OK" ? L"Skipped" : L"OK") << i;
    EXPECT_EQ(Outputs(), (std::vector<std::wstring>{L"1.mp3", L"2.mp3", L"3.mp3", L"4.mp3", L"5.mp3", L"6.mp3"}));
}

TEST_F(MusicLibrary, AnOutputThatIsEmptyOrOlderIsNeverOverwrittenButConvertedAgain) {
    MakeAlbumTrack(work / L"in\\empty.flac", {});
    MakeAlbumTrack(work / L"in\\older.flac", {});
    CreateDirectoryW((work / L"out").c_str(), nullptr);
    WriteFileBytes(work / L"out\\empty.mp3", "");
    WriteFileBytes(work / L"out\\older.mp3", "the user's older file");
    // Written a day before its source.
    HANDLE older =
        CreateFileW((work / L"out\\older.mp3").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(older, INVALID_HANDLE_VALUE);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 24ull * 3600 * 10000000;
    const FILETIME dayBefore{t.LowPart, t.HighPart};
    ASSERT_TRUE(SetFileTime(older, nullptr, nullptr, &dayBefore));
    CloseHandle(older);

    Prepare(L"MP3", false, true);
    form->Files().AddFolderContents(work / L"in");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK"}));
    EXPECT_EQ(ReadFileBytes(work / L"out\\empty.mp3"), "");
    EXPECT_EQ(ReadFileBytes(work / L"out\\older.mp3"), "the user's older file");
    EXPECT_TRUE(DecodesCleanly(work / L"out\\empty (2).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\older (2).mp3"));
}

TEST_F(MusicLibrary, WithoutTheSwitchesEverythingGoesIntoTheTargetAndIsConvertedAgain) {
    MakeAlbumTrack(work / L"lib\\A\\01 Intro.flac", {});
    MakeAlbumTrack(work / L"lib\\B\\01 Intro.flac", {});
    Prepare(L"MP3", false, false);
    form->Files().AddFolderContents(work / L"lib");
    ASSERT_TRUE(ConvertAndWait(*form));
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK"}));
    EXPECT_EQ(Outputs(), (std::vector<std::wstring>{L"01 Intro (2).mp3", L"01 Intro (3).mp3", L"01 Intro (4).mp3",
                                                    L"01 Intro.mp3"}));
}

TEST_F(MusicLibrary, UseSourceFolderWinsOverTheKeptStructure) {
    MakeAlbumTrack(work / L"lib\\A\\song.flac", {});
    Prepare(L"MP3", true, false);
    Button_SetCheck(form->Options().UseSourceFolderCheck(), BST_CHECKED);
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(IDC_UseSourceFolderCheck, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Options().UseSourceFolderCheck()));
    form->Files().AddFolderContents(work / L"lib");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK"}));
    EXPECT_TRUE(DecodesCleanly(work / L"lib\\A\\song.mp3"));
}

struct CoverCase {
    const char* name;
    const wchar_t* format;
    std::vector<Picture> pictures;
    int picturesKept;
};

class Covers : public MusicLibrary, public testing::WithParamInterface<CoverCase> {};

// A cover goes where the format holds one; a picture the output cannot take, or that is no
// picture at all, is left out and the row still says "OK".
TEST_P(Covers, AreKeptWhereTheFormatHoldsThem) {
    const CoverCase& c = GetParam();
    MakeAlbumTrack(work / L"in\\track.flac", c.pictures);
    Prepare(c.format, false, false);
    form->Files().AddFile(work / L"in\\track.flac");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK"}));
    const std::wstring output = work / (L"out\\track." + AsciiLowerCase(c.format));
    ASSERT_TRUE(DecodesCleanly(output));
    const std::string description = Describe(output);
    EXPECT_EQ(PictureStreams(description), c.picturesKept) << description;
    EXPECT_NE(description.find(EncodeUtf8(L": " + kTags[0].second)), std::string::npos) << description;
    if (c.picturesKept == 1 && c.pictures.back().data == kPng) {
        EXPECT_NE(ReadFileBytes(output).find(kPng), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Covers,
    testing::Values(CoverCase{"Mp3", L"MP3", {{3, "image/png", kPng}}, 1},
                    CoverCase{"Flac", L"FLAC", {{3, "image/png", kPng}}, 1},
                    CoverCase{"M4a", L"M4A", {{3, "image/png", kPng}}, 1},
                    CoverCase{"OggHoldsNone", L"OGG", {{3, "image/png", kPng}}, 0},
                    CoverCase{"OpusHoldsNone", L"OPUS", {{3, "image/png", kPng}}, 0},
                    CoverCase{"NotAPicture", L"MP3", {{3, "text/plain", "hello, no picture"}}, 0},
                    CoverCase{"AGifFlacCannotHold", L"FLAC", {{3, "image/gif", "GIF89a not really"}}, 0},
                    CoverCase{"TwoPicturesKeepOne", L"MP3", {{0, "image/png", kPng}, {3, "image/png", kPng}}, 1},
                    CoverCase{"NoCover", L"M4A", {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MusicLibrary, NormalisingDropsTheReplayGainTagsAndKeepsTheOthers) {
    MakeAlbumTrack(work / L"in\\gain.flac", {{3, "image/png", kPng}},
                   L" -metadata REPLAYGAIN_TRACK_GAIN=\"-7.5 dB\" -metadata REPLAYGAIN_ALBUM_GAIN=\"-6 dB\"");
    Prepare(L"FLAC", false, false);
    form->Files().AddFile(work / L"in\\gain.flac");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_NE(Describe(work / L"out\\gain.flac").find("-7.5 dB"), std::string::npos) << "kept without normalising";

    Button_SetCheck(form->Options().NormalizeCheck(), BST_CHECKED);
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK"}));
    const std::string normalised = Describe(work / L"out\\gain (2).flac");
    EXPECT_EQ(normalised.find("-7.5 dB"), std::string::npos) << normalised;
    EXPECT_EQ(normalised.find("-6 dB"), std::string::npos) << normalised;
    ExpectTagsAndCover(work / L"out\\gain (2).flac");
}

TEST_F(MusicLibrary, TheBarMovesDuringALongJobAndStopShowsItsPicture) {
    MakeTone(work / L"long.wav", 600);
    Prepare(L"MP3", false, false);
    form->Files().AddFile(work / L"long.wav");
    const auto picture = [&] {
        BUTTON_IMAGELIST list{};
        SendMessageW(form->ConvertButton(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
        return list.himl;
    };
    const HIMAGELIST idle = picture();
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    EXPECT_NE(picture(), idle) << "the stop picture during the run";
    // The only job has not finished, and the bar shows part of it done.
    const auto position = [&] { return SendMessageW(form->ProgressBarHandle(), PBM_GETPOS, 0, 0); };
    ASSERT_TRUE(PumpUntil([&] { return position() > 0 || !form->ConversionRunning(); }, 120000));
    EXPECT_TRUE(form->ConversionRunning()) << "the job ended before the bar moved";
    const LRESULT partway = position();
    EXPECT_LT(partway, SendMessageW(form->ProgressBarHandle(), PBM_GETRANGE, FALSE, 0));
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 180000));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK"}));
    EXPECT_EQ(picture(), idle);
}

TEST_F(MusicLibrary, AFolderAddedDuringARunNeverTakesTheRunsOutputsForSources) {
    // The target lies inside the folder that is added.
    for (const wchar_t* name : {L"a.flac", L"b.flac", L"c.flac"})
        MakeAlbumTrack(work / (L"lib\\" + std::wstring(name)), {}, L"", 20);
    Prepare(L"MP3", false, false);
    SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"lib\\out").c_str());
    form->RunCommand(CMD_SimultaneousFirst);
    form->Files().AddFolderContents(work / L"lib");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return Results()[0] == L"OK"; }, 120000));
    form->Files().AddFolderContents(work / L"lib");
    EXPECT_EQ(form->Files().Rows().Count(), 3u) << "lib\\out\\a.mp3 is no source";
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 180000));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"OK"}));
}

}  // namespace
}  // namespace corvana::test
