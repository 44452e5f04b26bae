#include "conversion/command_line.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

using Args = std::vector<std::wstring>;

struct SplitCase {
    const wchar_t* commandLine;
    Args arguments;  // without the program's name
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsLikeTheProgramExpects) {
    EXPECT_EQ(ProgramArguments(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    testing::Values(SplitCase{L"\"C:\\Program Files\\Corvana\\Corvana.exe\"", {}}, SplitCase{L"Corvana.exe   ", {}},
                    SplitCase{L"Corvana.exe -input \"C:\\a b.flac\" -output \"D:\\out dir\\a b.mp3\"",
                              {L"-input", L"C:\\a b.flac", L"-output", L"D:\\out dir\\a b.mp3"}},
                    SplitCase{L"Corvana.exe\ta\t\tb \x01 c", {L"a", L"b", L"c"}},
                    // A backslash before a quote is an ordinary character.
                    SplitCase{L"x.exe \"C:\\dir\\\" next", {L"C:\\dir\\", L"next"}},
                    SplitCase{L"x.exe pre\"mid dle\"post", {L"premid dlepost"}},
                    // Pairs of quotes at the start of an argument are skipped; an empty pair is no argument.
                    SplitCase{L"x.exe \"\"abc \"\" \"\"\"\"d", {L"abc", L"d"}},
                    SplitCase{L"x.exe \"unclosed stretch", {L"unclosed stretch"}},
                    SplitCase{L"x.exe 100%PATH%.flac a&b^c!.mp3", {L"100%PATH%.flac", L"a&b^c!.mp3"}}));

struct CutCase {
    Args arguments;
    const wchar_t* input;
    const wchar_t* output;
};

class CutInputOutputTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutInputOutputTest, CutsByPositionInTheJoinedText) {
    const InputOutput cut = CutInputOutput(JoinArguments(GetParam().arguments));
    EXPECT_EQ(cut.input, GetParam().input);
    EXPECT_EQ(cut.output, GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutInputOutputTest,
    testing::Values(
        CutCase{{L"-input", L"C:\\a b.flac", L"-output", L"D:\\o d\\a b.mp3"}, L"C:\\a b.flac", L"D:\\o d\\a b.mp3"},
        // Unquoted: the joining puts one space back between the pieces.
        CutCase{{L"-input", L"C:\\a", L"b.flac", L"-output", L"D:\\a", L"b.mp3"}, L"C:\\a b.flac", L"D:\\a b.mp3"},
        // Keywords are case-sensitive.
        CutCase{{L"-Input", L"a.flac", L"-output", L"b.mp3"}, L"", L"b.mp3"},
        CutCase{{L"-input", L"a.flac", L"-OUTPUT", L"b.mp3"}, L"a.flac -OUTPUT b.mp3 ", L""},
        // "-output" first: the head holds no "-input".
        CutCase{{L"-output", L"b.mp3", L"-input", L"a.flac"}, L"", L"b.mp3 -input a.flac"},
        // Without "-output" the head is the whole joined text, final space included.
        CutCase{{L"-input", L"a.flac"}, L"a.flac ", L""}, CutCase{{L"-input", L"a.flac", L"-output"}, L"a.flac", L""},
        CutCase{{L"-input"}, L"", L""}, CutCase{{L"-output"}, L"", L""}, CutCase{{}, L"", L""},
        // The first "-output" anywhere counts, also inside a path.
        CutCase{
            {L"-input", L"C:\\rec-output\\a.flac", L"-output", L"D:\\b.mp3"}, L"C:\\re", L"a.flac -output D:\\b.mp3"},
        // Words before "-input" are ignored; words between belong to the input, after to the output.
        CutCase{
            {L"junk", L"-input", L"a.flac", L"extra", L"-output", L"b.mp3", L"tail"}, L"a.flac extra", L"b.mp3 tail"},
        CutCase{{L"-input-output", L"x"}, L"", L"x"}));

}  // namespace
}  // namespace corvana
