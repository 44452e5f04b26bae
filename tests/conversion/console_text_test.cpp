#include "conversion/console_text.h"

#include "conversion/job_output.h"

#include <gtest/gtest.h>

namespace corvana {
namespace {

// Stands in for the system's ANSI code page: Latin-1, one byte to one character.
std::wstring Latin1(std::string_view bytes) {
    std::wstring text;
    for (unsigned char c : bytes) text += static_cast<wchar_t>(c);
    return text;
}

TEST(ConsoleLines, DropsZeroCharacters) {
    EXPECT_EQ(ConsoleLines(std::string("x\0y\nz", 5), Latin1), (std::vector<std::wstring>{L"xy", L"z"}));
}

TEST(DecodeConsoleBytes, ValidUtf8IsReadAsUtf8) {
    // "Input #0, from 'C:\ビデオ\café 🎵.flac':" as FFmpeg writes it.
    const std::string bytes = "from 'C:\\\xE3\x83\x93\xE3\x83\x87\xE3\x82\xAA\\caf\xC3\xA9 \xF0\x9F\x8E\xB5.flac'";
    EXPECT_EQ(DecodeConsoleBytes(bytes, Latin1), L"from 'C:\\\u30D3\u30C7\u30AA\\caf\u00E9 \U0001F3B5.flac'");
}

TEST(DecodeConsoleBytes, OtherBytesGoThroughTheAnsiCodePage) {
    EXPECT_EQ(DecodeConsoleBytes("caf\xE9", Latin1), L"caf\u00E9");
    EXPECT_EQ(DecodeConsoleBytes("\xC3", Latin1), L"\u00C3");
}

TEST(ConsoleCapture, ANameCutAcrossReadsAndALongLineComeOutWhole) {
    // The bytes arrive from the pipe in pieces of any size; kept as they come, they decode and
    // split as one.
    const std::string name = "caf\xC3\xA9-\xE6\x97\xA5\xE6\x9C\xAC.flac";
    const std::string longLine(300, 'x');
    const std::string output = "Input #0, from '" + name + "':\r\n" + longLine + "\nsize=1\rsize=2\r\n";
    for (size_t piece : {1u, 7u, 255u}) {
        OutputKeeper keeper;
        for (size_t i = 0; i < output.size(); i += piece) keeper.Append(std::string_view(output).substr(i, piece));
        const auto lines = keeper.Lines(Latin1);
        ASSERT_EQ(lines.size(), 4u) << piece;
        EXPECT_EQ(lines[0], L"Input #0, from 'caf\u00E9-\u65E5\u672C.flac':");
        EXPECT_EQ(lines[1], std::wstring(300, L'x'));
        EXPECT_EQ(lines[2], L"size=1");
        EXPECT_EQ(lines[3], L"size=2");
    }
}

TEST(ErrorDetailsText, InputThenTheReasonThenLinesWithCrLf) {
    EXPECT_EQ(ErrorDetailsText(L"C:\\a.mp3", {L"one", L"two"}), L"C:\\a.mp3\r\rtwo\r\rone\r\ntwo\r\n");
    EXPECT_EQ(ErrorDetailsText(L"C:\\a.mp3", {}), L"C:\\a.mp3\r\r");
    EXPECT_EQ(ErrorDetailsText(L"C:\\a.mp3", {L"", L"Conversion failed!"}), L"C:\\a.mp3\r\r\r\nConversion failed!\r\n");
}

TEST(FailureReason, IsTheLastLineThatSaysWhatWentWrong) {
    struct {
        std::vector<std::wstring> log;
        const wchar_t* reason;
    } cases[] = {
        {{L"Input #0, mp3, from 'C:\\bad.mp3':", L"C:\\bad.mp3: Invalid data found when processing input",
          L"FFmpeg ended with exit status 1."},
         L"C:\\bad.mp3: Invalid data found when processing input"},
        {{L"Stream mapping:", L"Error while decoding stream #0:0: Invalid data found when processing input",
          L"size=      10kB time=00:00:01.00 bitrate= 80.0kbits/s speed=10x", L"Conversion failed!",
          L"FFmpeg ended with exit status 1."},
         L"Error while decoding stream #0:0: Invalid data found when processing input"},
        {{L"size=1kB time=00:00:05.00",
          L"FFmpeg stopped responding: it printed nothing and its output did not "
          L"grow for 5 minutes, so it was ended."},
         L"FFmpeg stopped responding: it printed nothing and its output did not grow for 5 minutes, so it was ended."},
        {{L"FFmpeg wrote an empty output file."}, L"FFmpeg wrote an empty output file."},
        {{L"  ", L"FFmpeg ended with exit status 1.", L"Conversion failed!"}, L""},
        {{}, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureReason(c.log), c.reason);
}

}  // namespace
}  // namespace corvana
