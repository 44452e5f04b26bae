// Paths around and far past MAX_PATH through the program's own pieces: the command line's one job
// and rows converted into a deep target folder, with the real ffmpeg.exe.
#include <algorithm>

#include "support/conversion_support.h"
#include "support/dialog_watcher.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

constexpr size_t kLengths[] = {250, 259, 260, 261, 300, 600, 1000};

// Everything below the folder is one of the files or a folder on the way to one: nothing was
// written under a shortened name, and no stray folder was made.
void ExpectNothingBut(const std::wstring& folder, const std::vector<std::wstring>& files) {
    for (const auto& entry : EntriesBelow(folder)) {
        const bool expected = std::any_of(files.begin(), files.end(), [&](const std::wstring& file) {
            return file == entry || (file.size() > entry.size() && file.compare(0, entry.size(), entry) == 0 &&
                                     file[entry.size()] == L'\\');
        });
        EXPECT_TRUE(expected) << "unexpected " << entry.size() << "-character path " << entry;
    }
}

std::string LengthName(const testing::TestParamInfo<size_t>& info) {
    return std::to_string(info.param);
}

class LongCommandLine : public ConversionFixture, public testing::WithParamInterface<size_t> {
protected:
    TempFolder work{L"long"};
};

// Input and output of the same length, the output's folders still to be made.
TEST_P(LongCommandLine, ConvertsAndEnds) {
    const std::wstring input = DeepPath(work / L"in", GetParam(), L" song.flac");
    const std::wstring output = DeepPath(work / L"out", GetParam(), L" song.mp3", false);
    MakeTone(input);
    ASSERT_TRUE(PathExists(input));
    Start(L"-input \"" + input + L"\" -output \"" + output + L"\"");
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    EXPECT_TRUE(form->EndRequested()) << form->StatusText();
    EXPECT_TRUE(DecodesCleanly(output));
    ExpectNothingBut(work.Path(), {input, output});
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongCommandLine, testing::ValuesIn(kLengths), LengthName);

// The program in a process of its own, its command line as the system hands it over.
TEST_F(ConversionFixture, ALongCommandLineConvertsInAProcessOfItsOwn) {
    TempFolder work(L"long");
    const std::wstring input = DeepPath(work / L"in", 1000, L".wav");
    const std::wstring output = DeepPath(work / L"out", 1000, L".ogg", false);
    MakeTone(input);
    ProgramProcess program(exe, L"-input \"" + input + L"\" -output \"" + output + L"\"");
    ASSERT_TRUE(program.HasEnded(60000));
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_TRUE(DecodesCleanly(output));
}

class LongTargetFolder : public ConversionFixture, public testing::WithParamInterface<size_t> {
protected:
    TempFolder work{L"long"};
    std::vector<std::wstring> Results() const { return ListResults(form->Files().Handle()); }
};

// A target folder of this length, made with its parents; a source of this length beside a short
// one. A second run finds both names taken and picks the next free ones there.
TEST_P(LongTargetFolder, RowsConvertIntoIt) {
    const std::wstring shortSource = work / L"short.wav";
    const std::wstring longSource = DeepPath(work / L"src", GetParam(), L" long.wav");
    const std::wstring target = DeepPath(work / L"target", GetParam(), L"", false);
    MakeTone(shortSource);
    MakeTone(longSource);
    Start();
    form->Files().AddFile(shortSource);
    form->Files().AddFile(longSource);
    SetWindowTextW(form->Options().TargetFolderEdit(), target.c_str());
    ASSERT_EQ(GetWindowTextString(form->Options().TargetFolderEdit()), target);

    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK"}));
    const std::wstring shortOutput = target + L"\\short.mp3",
                       longOutput = target + L"\\" + BaseName(longSource) + L".mp3";
    EXPECT_TRUE(DecodesCleanly(shortOutput));
    EXPECT_TRUE(DecodesCleanly(longOutput));
    const std::string first = ReadFileBytes(longOutput);

    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK"}));
    const std::wstring shortSecond = target + L"\\short (2).mp3",
                       longSecond = target + L"\\" + BaseName(longSource) + L" (2).mp3";
    EXPECT_TRUE(DecodesCleanly(shortSecond));
    EXPECT_TRUE(DecodesCleanly(longSecond));
    EXPECT_EQ(ReadFileBytes(longOutput), first);
    ExpectNothingBut(work.Path(), {shortSource, longSource, shortOutput, longOutput, shortSecond, longSecond});
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongTargetFolder, testing::ValuesIn(kLengths), LengthName);

// A folder name longer than any file system takes: the row fails, and its details name the
// folder as the user wrote it.
TEST_F(LongTargetFolder, AFolderThatCannotBeMadeIsAnErrorNamingIt) {
    const std::wstring source = work / L"x.wav";
    MakeTone(source);
    const std::wstring target = work / (std::wstring(300, L'z') + L"\\below");
    Start();
    form->Files().AddFile(source);
    SetWindowTextW(form->Options().TargetFolderEdit(), target.c_str());
    form->RunCommand(CMD_ShowErrorDetails);
    DialogWatcher watcher(DialogWatcher::Press(IDOK), L"ERROR");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"Error"});
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    const std::wstring details = watcher.Seen().front().text;
    EXPECT_NE(details.find(target), std::wstring::npos) << details;
    EXPECT_EQ(details.find(L"\\\\?\\"), std::wstring::npos) << details;
    ExpectNothingBut(work.Path(), {source});
}

}  // namespace
}  // namespace corvana::test
