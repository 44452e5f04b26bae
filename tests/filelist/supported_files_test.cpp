#include "filelist/supported_files.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

struct TypeCase {
    const wchar_t* name;
    bool supported;
};

class IsSupportedFileTest : public testing::TestWithParam<TypeCase> {};

TEST_P(IsSupportedFileTest, LooksAtTheExtensionOnly) {
    EXPECT_EQ(IsSupportedFile(GetParam().name), GetParam().supported) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IsSupportedFileTest,
    testing::Values(TypeCase{L"SONG.MP3", true}, TypeCase{L"C:\\a.b\\x.Flac", true}, TypeCase{L"x.mp3.bak", false},
                    TypeCase{L"mp3", false}, TypeCase{L"x.", false}, TypeCase{L"C:\\music.mp3\\x", false},
                    TypeCase{L".mp3", true}, TypeCase{L"C:\\d\\.wav", true}, TypeCase{L"C:x.wv", true},
                    TypeCase{L"C:.mp3x", false}, TypeCase{L"b.opus", false}, TypeCase{L"c.txt", false},
                    TypeCase{L"clip.MPEG", true}, TypeCase{L"a.EAC3", true}, TypeCase{L"a.webm", true},
                    TypeCase{L"a.f4v", true}, TypeCase{L"a.aiff", true}, TypeCase{L"a.aif", true},
                    TypeCase{L"a.AIFC", true}, TypeCase{L"x.ts", true}, TypeCase{L"x.tsx", false},
                    TypeCase{L"x.m2t", false}, TypeCase{L"\u00C9t\u00E9.M4A", true},
                    TypeCase{L"a.m\u0130\u0070\u0033", false}, TypeCase{L"", false},
                    TypeCase{L"D:\\out\\~Corvana-216-1.part.mp3", false},
                    TypeCase{L"~Corvana-216-1-2.part.flac", false}, TypeCase{L"~Corvana-216.part.mp3", true}));

TEST(OpenDialogFilter, ListsTheTypesInTheDialogsOrder) {
    EXPECT_EQ(OpenDialogFilter(),
              L"Supported Files|*.mp3;*.wav;*.m4a;*.wma;*.flac;*.webm;*.aiff;*.aac;*.ogg;*.opus;*.ac3;*.eac3;"
              L"*.mp2;*.wv;*.mp4;*.mkv;*.avi;*.mpg;*.mpeg;*.mov;*.wmv;*.flv;*.f4v;*.aif;*.aifc;*.m4b;*.oga;*.mka;"
              L"*.3gp;*.ape;*.mpc;*.tta;*.spx;*.dsf;*.m2ts;*.ts;*.vob|All Files|*.*");
}

// Which types hold audio alone decides whether a picture in them is a cover.
TEST(IsAudioOnlyFile, FilmContainersAndUnknownTypesAreNot) {
    for (const wchar_t* name : {L"a.flac", L"a.MP3", L"a.m4b", L"a.mka", L"a.oga", L"a.aif", L"a.opus"})
        EXPECT_TRUE(IsAudioOnlyFile(name)) << name;
    for (const wchar_t* name : {L"a.mp4", L"a.mkv", L"a.webm", L"a.3gp", L"a.ts", L"a.vob", L"a.txt", L"flac"})
        EXPECT_FALSE(IsAudioOnlyFile(name)) << name;
}

// The open dialog offers what scans and drops take, and Opus besides. The types are written out
// here rather than read from the program's own table, so that a type dropped from scans, or Opus
// taken by them, shows.
TEST(IsSupportedFile, TakesEveryTypeTheOpenDialogOffersButOpus) {
    const std::wstring offered[] = {
        L"mp3", L"wav", L"m4a", L"wma", L"flac", L"webm", L"aiff", L"aac", L"ogg",  L"opus", L"ac3", L"eac3", L"mp2",
        L"wv",  L"mp4", L"mkv", L"avi", L"mpg",  L"mpeg", L"mov",  L"wmv", L"flv",  L"f4v",  L"aif", L"aifc", L"m4b",
        L"oga", L"mka", L"3gp", L"ape", L"mpc",  L"tta",  L"spx",  L"dsf", L"m2ts", L"ts",   L"vob"};
    for (const std::wstring& extension : offered) {
        std::wstring upper;
        for (wchar_t c : extension) upper += static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - 32 : c);
        EXPECT_EQ(IsSupportedFile(L"x." + extension), extension != L"opus") << extension;
        EXPECT_EQ(IsSupportedFile(L"x." + upper), extension != L"opus") << upper;
    }
}

}  // namespace
}  // namespace corvana
