#include "common/app_error.h"
#include "common/regex.h"
#include "common/text.h"

#include <gtest/gtest.h>

using namespace corvana;

TEST(Text, Utf8RoundTripOutsideTheBasicPlane) {
    const std::string bytes = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5";  // a, e acute, euro, musical note
    const auto wide = DecodeUtf8(bytes);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(EncodeUtf8(*wide), bytes);
}

TEST(Text, TrimControlStripsCodesUpTo32Only) {
    EXPECT_EQ(TrimControl(L"\t \r\n -ac 1 \x01\x1F"), L"-ac 1");
    EXPECT_EQ(TrimControl(L" \u00A0x\u00A0 "), L"\u00A0x\u00A0");
    EXPECT_EQ(TrimControl(L"   "), L"");
}

TEST(Text, CaseFoldingIsAsciiOnly) {
    EXPECT_TRUE(EqualsIgnoreAsciiCase(L"Destination", L"dESTINATION"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(L"\u00C9", L"\u00E9"));
    EXPECT_EQ(AsciiLowerCase(L"EAC3\u00C9"), L"eac3\u00C9");
}

TEST(ErrorBox, FullStopAppendedAfterCodesAboveTheFullStop) {
    struct {
        const wchar_t* message;
        const wchar_t* shown;
    } cases[] = {
        {L"Unable to create directory", L"Unable to create directory."},
        {L"Done.", L"Done."},
        {L"Really!", L"Really!"},         // '!' is below '.'
        {L"path\\", L"path\\."},          // backslash is above
        {L"(x)", L"(x)"},                 // ')' is below
        {L"M\u00FCzik", L"M\u00FCzik."},  // non-ASCII letters are above
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(Regex, Pcre2MatchesThroughTheBuild) {
    EXPECT_TRUE(RegexMatches("^[a-z]+@[a-z]+\\.example$", "someone@mail.example"));
    EXPECT_FALSE(RegexMatches("^[a-z]+@[a-z]+\\.example$", "someone at mail"));
}

namespace corvana {
namespace {

struct SplitCase {
    const wchar_t* text;
    std::vector<std::wstring> lines;
};

class SplitLinesTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, BreaksOnlyAtLineBreaks) {
    EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTest,
    testing::Values(SplitCase{L"", {}}, SplitCase{L"one", {L"one"}}, SplitCase{L"a\r\nb\r\n", {L"a", L"b"}},
                    SplitCase{L"a\nb", {L"a", L"b"}},
                    // Progress lines end in a bare CR and stay lines of their own.
                    SplitCase{L"size= 1kB\rsize= 2kB\rdone\n", {L"size= 1kB", L"size= 2kB", L"done"}},
                    SplitCase{L"a\r\r\nb", {L"a", L"", L"b"}}, SplitCase{L"a\n\nb\n", {L"a", L"", L"b"}},
                    SplitCase{L"\n", {L""}}, SplitCase{L"a\rb\nc\r\nd", {L"a", L"b", L"c", L"d"}}));

}  // namespace
}  // namespace corvana
