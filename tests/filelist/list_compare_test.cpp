#include "filelist/list_compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace corvana {
namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

struct TextCase {
    const wchar_t* a;
    const wchar_t* b;
    int sign;  // of CompareListText(a, b)
};

class CompareListTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(CompareListTextTest, OrdersAsTheListDoes) {
    const auto& c = GetParam();
    EXPECT_EQ(Sign(CompareListText(c.a, c.b)), c.sign) << c.a << L" vs " << c.b;
    EXPECT_EQ(Sign(CompareListText(c.b, c.a)), -c.sign) << "the order is antisymmetric";
}

INSTANTIATE_TEST_SUITE_P(Cases, CompareListTextTest,
                         testing::Values(
                             // ASCII letters compare without their case; the paths count as equal.
                             TextCase{L"C:\\Music\\Song.MP3", L"c:\\music\\song.mp3", 0}, TextCase{L"abc", L"ABC", 0},
                             TextCase{L"a", L"B", -1}, TextCase{L"Z", L"a", 1},
                             // Folded to upper case, so [ \ ] ^ _ ` come after every letter.
                             TextCase{L"C:\\Music\\_intro.mp3", L"C:\\Music\\b.mp3", 1}, TextCase{L"a_", L"aZ", 1},
                             TextCase{L"`", L"z", 1}, TextCase{L"[", L"Z", 1}, TextCase{L"^", L"y", 1},
                             TextCase{L"C:\\MusicBox\\a.mp3", L"C:\\Music\\a.mp3", -1},
                             // Blanks, dots and digits come before the letters; "{" (after "z") stays after "_".
                             TextCase{L"a b", L"ab", -1}, TextCase{L"a.mp3", L"aa.mp3", -1},
                             TextCase{L"track 9", L"track 10", 1}, TextCase{L"{", L"_", 1}, TextCase{L"{", L"z", 1},
                             // A prefix comes first; the empty text before everything.
                             TextCase{L"C:\\a", L"C:\\a.mp3", -1}, TextCase{L"", L"a", -1}, TextCase{L"", L"", 0},
                             TextCase{L"OK", L"Error", 1}, TextCase{L"", L"Error", -1},
                             // Letters outside ASCII by code value, never folded: é (E9) after É (C9) and after z.
                             TextCase{L"\u00E9", L"\u00C9", 1}, TextCase{L"\u00E9", L"z", 1},
                             TextCase{L"\u0131", L"I", 1}, TextCase{L"\u00C4", L"\u00E4", -1},
                             // Code units, not code points: a surrogate (D83C) sorts before U+FF5E.
                             TextCase{L"\U0001F3B5", L"\uFF5E", -1}));

// The figures themselves, where the order of items depends on more than the sign.
TEST(CompareListText, GivesTheDifferenceOfTheFirstUnequalUnitsOrOfTheLengths) {
    EXPECT_EQ(CompareListText(L"_", L"A"), 0x5F - 0x41);
    EXPECT_EQ(CompareListText(L"b", L"A"), 1);
    EXPECT_EQ(CompareListText(L"ab", L"abcde"), -3);
    EXPECT_EQ(CompareListText(L"\u00E9", L"e"), 0xE9 - 0x45);
}

FileItem Item(const wchar_t* caption, const wchar_t* result) {
    return FileItem{0, caption, result};
}

struct ColumnCase {
    int column;
    bool descending;
    std::vector<std::wstring> expected;  // captions after a stable sort
};

class ListOrderTest : public testing::TestWithParam<ColumnCase> {};

TEST_P(ListOrderTest, SortsByTheColumnInItsDirection) {
    std::vector<FileItem> items{Item(L"C:\\b.mp3", L"OK"), Item(L"c:\\A.mp3", L""), Item(L"C:\\_x.mp3", L"Error"),
                                Item(L"C:\\c.mp3", L"OK"), Item(L"C:\\a.mp3", L"Error")};
    std::stable_sort(items.begin(), items.end(), ListOrder(GetParam().column, GetParam().descending));
    std::vector<std::wstring> captions;
    for (const auto& i : items) captions.push_back(i.caption);
    EXPECT_EQ(captions, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ListOrderTest,
    testing::Values(ColumnCase{0, false, {L"c:\\A.mp3", L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3", L"C:\\_x.mp3"}},
                    ColumnCase{0, true, {L"C:\\_x.mp3", L"C:\\c.mp3", L"C:\\b.mp3", L"c:\\A.mp3", L"C:\\a.mp3"}},
                    // Empty first, then "Error", then "OK"; equal results keep their order.
                    ColumnCase{1, false, {L"c:\\A.mp3", L"C:\\_x.mp3", L"C:\\a.mp3", L"C:\\b.mp3", L"C:\\c.mp3"}},
                    ColumnCase{1, true, {L"C:\\b.mp3", L"C:\\c.mp3", L"C:\\_x.mp3", L"C:\\a.mp3", L"c:\\A.mp3"}}));

}  // namespace
}  // namespace corvana
