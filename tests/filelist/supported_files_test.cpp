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

INSTANTIATE_TEST_SUITE_P(Cases, IsSupportedFileTest,
                         testing::Values(TypeCase{L"SONG.MP3", true}, TypeCase{L"C:\\a.b\\x.Flac", true},
                                         TypeCase{L"x.mp3.bak", false}, TypeCase{L"mp3", false}, TypeCase{L"x.", false},
                                         TypeCase{L"C:\\music.mp3\\x", false}, TypeCase{L".mp3", true},
                                         TypeCase{L"C:\\d\\.wav", true}, TypeCase{L"C:x.wv", true},
                                         TypeCase{L"C:.mp3x", false}, TypeCase{L"b.opus", false},
                                         TypeCase{L"c.txt", false}, TypeCase{L"clip.MPEG", true},
                                         TypeCase{L"a.EAC3", true}, TypeCase{L"a.webm", true}, TypeCase{L"a.f4v", true},
                                         TypeCase{L"a.aiff", true}, TypeCase{L"a.aif", false},
                                         TypeCase{L"\u00C9t\u00E9.M4A", true},
                                         TypeCase{L"a.m\u0130\u0070\u0033", false}, TypeCase{L"", false}));

// Every extension of the supported list, in both letter cases.
TEST(IsSupportedFile, AcceptsEachOfTheTwentyTwo) {
    for (const wchar_t* e :
         {L"mp4", L"mkv", L"avi", L"mpg",  L"mpeg", L"mov", L"wmv",  L"flv", L"f4v", L"mp3",  L"wma",
          L"wav", L"m4a", L"ogg", L"aiff", L"aac",  L"ac3", L"eac3", L"mp2", L"wv",  L"webm", L"flac"}) {
        std::wstring upper;
        for (const wchar_t* p = e; *p; ++p) upper += static_cast<wchar_t>(*p >= L'a' && *p <= L'z' ? *p - 32 : *p);
        EXPECT_TRUE(IsSupportedFile(std::wstring(L"x.") + e)) << e;
        EXPECT_TRUE(IsSupportedFile(L"x." + upper)) << e;
    }
}

}  // namespace
}  // namespace corvana
