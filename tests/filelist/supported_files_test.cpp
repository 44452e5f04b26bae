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
                                         TypeCase{L"a.m\u0130\u0070\u0033", false}, TypeCase{L"", false},
                                         TypeCase{L"D:\\out\\~Corvana-216-1.part.mp3", false},
                                         TypeCase{L"~Corvana-216-1-2.part.flac", false},
                                         TypeCase{L"~Corvana-216.part.mp3", true}));

TEST(OpenDialogFilter, ListsTheTypesInTheDialogsOrder) {
    EXPECT_EQ(OpenDialogFilter(),
              L"Supported Files|*.mp3;*.wav;*.m4a;*.wma;*.flac;*.webm;*.aiff;*.aac;*.ogg;*.opus;*.ac3;*.eac3;"
              L"*.mp2;*.wv;*.mp4;*.mkv;*.avi;*.mpg;*.mpeg;*.mov;*.wmv;*.flv;*.f4v|All Files|*.*");
}

// The open dialog offers what scans and drops take, and Opus besides.
TEST(IsSupportedFile, TakesEveryTypeTheOpenDialogOffersButOpus) {
    const std::wstring filter = OpenDialogFilter();
    const std::wstring head = L"Supported Files|", tail = L"|All Files|*.*";
    ASSERT_EQ(filter.rfind(head, 0), 0u);
    ASSERT_EQ(filter.substr(filter.size() - tail.size()), tail);
    const std::wstring patterns = filter.substr(head.size(), filter.size() - head.size() - tail.size());
    size_t offered = 0;
    for (size_t at = 0; at <= patterns.size();) {
        size_t end = patterns.find(L';', at);
        if (end == std::wstring::npos) end = patterns.size();
        const std::wstring pattern = patterns.substr(at, end - at);
        ASSERT_EQ(pattern.rfind(L"*.", 0), 0u) << pattern;
        const std::wstring extension = pattern.substr(2);
        std::wstring upper;
        for (wchar_t c : extension) upper += static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - 32 : c);
        EXPECT_EQ(IsSupportedFile(L"x." + extension), extension != L"opus") << extension;
        EXPECT_EQ(IsSupportedFile(L"x." + upper), extension != L"opus") << upper;
        ++offered;
        at = end + 1;
    }
    EXPECT_GE(offered, 14u) << "every output format can also be read";
}

}  // namespace
}  // namespace corvana
