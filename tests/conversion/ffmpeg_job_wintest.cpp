#include <windowsx.h>

#include <atomic>
#include <thread>

#include "common/text.h"
#include "conversion/console_runner_win.h"
#include "conversion/ffmpeg_command.h"
#include "conversion/conversion_run_win.h"
#include "support/conversion_support.h"

namespace corvana::test {
namespace {

using FFmpegJob = ConversionFixture;

TEST_F(FFmpegJob, ConvertsAToneIntoEachOfTheFourteenFormats) {
    Start();
    TempFolder work(L"formats");
    const std::wstring source = work / L"tone.wav";
    MakeTone(source);
    form->Files().AddFile(source);
    SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());
    ASSERT_EQ(ComboBox_GetCount(form->Options().FormatBox()), 14);
    for (int i = 0; i < 14; ++i) {
        ComboBox_SetCurSel(form->Options().FormatBox(), i);
        const std::wstring format = GetWindowTextString(form->Options().FormatBox());
        ASSERT_TRUE(ConvertAndWait(*form));
        const std::wstring output = work / (L"out\\tone" + OutputExtension(format));
        EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"OK") << format;
        EXPECT_GT(WindowsJobFiles().FileSize(output), 0) << format;
        EXPECT_TRUE(DecodesCleanly(output)) << format;
    }
}

// Names the command interpreter would have expanded or split, and names with characters beyond
// ASCII: each converts the file it names, and the source stays as it was.
TEST_F(FFmpegJob, ConvertsTheFileItsNameSays) {
    Start();
    TempFolder work(L"names");
    const std::vector<std::wstring> names = {L"100%PATH%.flac",
                                             L"%USERNAME% live.wav",
                                             L"a&b^c!(1)'x',y;z.ogg",
                                             L"caf\u00E9 na\u00EFve.m4a",
                                             L"\u65E5\u672C\u8A9E \U0001F3B5.flac",
                                             L"a.b.c.wav",
                                             L"noextension"};
    for (size_t i = 0; i < names.size(); ++i) {
        const std::wstring source = work / names[i];
        const std::wstring made = work / (L"made" + std::to_wstring(i) + L".wav");
        MakeTone(made);
        ASSERT_TRUE(MoveFileW(made.c_str(), source.c_str())) << i;
        const std::string before = ReadFileBytes(source);
        const std::wstring output = work / (BaseName(names[i]) + L" out.mp3");
        EXPECT_EQ(ConvertNow(source, output).outcome, JobOutcome::Converted) << i;
        EXPECT_TRUE(DecodesCleanly(output)) << i;
        EXPECT_EQ(ReadFileBytes(source), before) << i;
    }
}

// FFmpeg writes part of the output, then fails on a damaged stretch of the input (-xerror).
TEST_F(FFmpegJob, AFailureAfterSomeOutputIsAnError) {
    Start();
    TempFolder work(L"halfway");
    const std::wstring source = work / L"damaged.mp3";
    MakeTone(source, 3);
    std::string bytes = ReadFileBytes(source);
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 4000; ++i) bytes[i] = static_cast<char>(i * 7919);
    WriteFileBytes(source, bytes);
    const std::wstring output = work / L"out.wav";
    const JobResult result = ConvertNow(source, output, L"-xerror");
    EXPECT_EQ(result.outcome, JobOutcome::Failed);
    EXPECT_FALSE(PathExists(output)) << "the job's own partial file is removed";
    ASSERT_FALSE(result.log.empty());
    EXPECT_EQ(result.log.back(), L"FFmpeg ended with exit status 1.");

    // A file that was there before the job is the user's: a failure never touches it.
    const std::wstring existing = work / L"existing.wav";
    WriteFileBytes(existing, "the user's own file");
    EXPECT_EQ(ConvertNow(source, existing, L"-xerror").outcome, JobOutcome::Failed);
    EXPECT_EQ(ReadFileBytes(existing), "the user's own file");
    EXPECT_TRUE(TemporaryOutputsIn(work.Path()).empty());
}

TEST_F(FFmpegJob, BadInputsEndInErrorWithALogThatSaysWhy) {
    Start();
    TempFolder work(L"bad");
    WriteFileBytes(work / L"empty.mp3", "");
    std::string noise(20000, '\0');
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    WriteFileBytes(work / L"noise.mp3", noise);
    WriteFileBytes(work / L"notes.txt", "just some words\r\n");
    MakeTone(work / L"good.wav");
    CreateDirectoryW((work / L"taken.mp3").c_str(), nullptr);

    struct Case {
        std::wstring source, output, parameters;
    };
    const std::vector<Case> cases = {
        {work / L"missing.mp3", work / L"o1.mp3", L""},
        {work / L"empty.mp3", work / L"o2.mp3", L""},
        {work / L"noise.mp3", work / L"o3.mp3", L""},
        {work / L"notes.txt", work / L"o4.mp3", L""},
        {work / L"good.wav", work / L"o5.mp3", L"-b:a nonsense"},
        {work / L"good.wav", work / L"taken.mp3", L""},
        {work / L"good.wav", L"Q:\\no drive\\o7.mp3", L""},
        {work / L"good.wav", work / L"good.wav", L""},
    };
    for (const auto& c : cases) {
        const JobResult result = ConvertNow(c.source, c.output, c.parameters);
        EXPECT_EQ(result.outcome, JobOutcome::Failed) << c.source << L" -> " << c.output;
        EXPECT_FALSE(result.log.empty()) << c.source;
        EXPECT_FALSE(FileExists(c.output) && c.output != work / L"good.wav") << c.output;
    }
    EXPECT_TRUE(DirectoryExists(work / L"taken.mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"good.wav")) << "the source is never touched";
}

// ffmpeg.exe is looked for beside the program, then along the search path; found nowhere, the
// log says so.
TEST_F(FFmpegJob, FoundOnTheSearchPathWhenNotBesideTheProgramElseSaysSo) {
    TempFolder bare(L"bare");  // a program folder without ffmpeg.exe
    TempFolder work(L"onpath");
    MakeTone(work / L"a.wav");
    wchar_t saved[32767];
    const DWORD savedLength = GetEnvironmentVariableW(L"PATH", saved, 32767);
    ScopeExit restore([&] { SetEnvironmentVariableW(L"PATH", savedLength ? saved : nullptr); });
    struct Case {
        std::wstring path;
        bool found;
    };
    for (const Case& c :
         {Case{L"C:\\windows\\system32;" + BuildDir(), true}, Case{L"C:\\windows\\system32;C:\\windows", false}}) {
        SetEnvironmentVariableW(L"PATH", c.path.c_str());
        DeleteFileW((work / L"a.mp3").c_str());
        const JobResult result = test::ConvertNow(bare.Path(), work / L"a.wav", work / L"a.mp3");
        SCOPED_TRACE(testing::PrintToString(c.path));
        if (c.found) {
            EXPECT_EQ(result.outcome, JobOutcome::Converted);
            EXPECT_TRUE(DecodesCleanly(work / L"a.mp3"));
        } else {
            EXPECT_EQ(result.outcome, JobOutcome::Failed);
            EXPECT_EQ(result.log, std::vector<std::wstring>{L"ffmpeg.exe was not found beside the program (" +
                                                            bare.Path() + L") or on the search path."});
            EXPECT_FALSE(PathExists(work / L"a.mp3"));
        }
    }
}

// The box shows the input, a blank line and FFmpeg's log, with a line longer than one pipe read and
// a non-ASCII path whole.
TEST_F(FFmpegJob, TheErrorBoxShowsLongLinesAndNonAsciiNamesWhole) {
    Start();
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    TempFolder work(L"box");
    const std::wstring sub = work / (std::wstring(120, L'd') + L" \u65E5\u672C\u8A9E caf\u00E9");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring source = sub + L"\\" + std::wstring(100, L'n') + L" \U0001F3B5 \u00E9.wav";
    MakeTone(source);
    form->Options().SaveParameters(L"-hide_banner -codec:a no_such_codec");
    form->Files().AddFile(source);
    SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());

    MessageBoxWatcher watcher;
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"Error");
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    const auto box = watcher.Boxes().front();
    EXPECT_EQ(box.caption, L"ERROR");
    const std::wstring inputLine = L"Input #0, wav, from '" + source + L"':";
    EXPECT_EQ(box.text.rfind(source + L"\r\n\r\n", 0), 0u) << box.text;
    EXPECT_NE(box.text.find(L"\r\n" + inputLine + L"\r\n"), std::wstring::npos) << box.text;
    EXPECT_GT(EncodeUtf8(inputLine).size(), 255u);
}

TEST_F(FFmpegJob, NoBoxForASuccessOrWithoutShowErrorDetails) {
    Start();
    TempFolder work(L"nobox");
    MakeTone(work / L"a.wav");
    SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());
    MessageBoxWatcher watcher;
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    form->Files().AddFile(work / L"a.wav");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"OK");
    form->SetMenuChecked(CMD_ShowErrorDetails, false);
    form->Files().AddFile(work / L"missing.wav");
    ASSERT_TRUE(ConvertAndWait(*form));
    EXPECT_EQ(RowText(form->Files().Handle(), 1, 1), L"Error");
    // The run's end is seen only once the window has handled the reports that ended it, and a details
    // box is shown within that handling. The short pause is for anything it left queued.
    PumpFor(50);
    EXPECT_EQ(watcher.Count(), 0u);
}

// An FFmpeg stuck on its input (a pipe nobody writes to, as a dead network share would be) prints
// nothing and writes nothing: once the limit has passed, its row says "Error" and why.
TEST_F(FFmpegJob, AnFFmpegThatStopsRespondingEndsAsAnError) {
    Start();
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    form->Conversion().SetHungJobLimit(std::chrono::seconds(2));
    TempFolder work(L"hung");
    const std::wstring pipe = L"\\\\.\\pipe\\corvana-hung-" + std::to_wstring(GetCurrentProcessId());
    UniqueFileHandle server(
        CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(server);
    MakeTone(work / L"fine.wav");
    form->Files().AddFile(pipe);
    form->Files().AddFile(work / L"fine.wav");
    SetWindowTextW(form->Options().TargetFolderEdit(), (work / L"out").c_str());

    MessageBoxWatcher watcher;
    ASSERT_TRUE(ConvertAndWait(*form, 60000));
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"Error");
    EXPECT_EQ(RowText(form->Files().Handle(), 1, 1), L"OK") << "the run goes on";
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    const std::wstring text = watcher.Boxes().front().text;
    EXPECT_NE(text.find(L"FFmpeg stopped responding: it printed nothing and its output did not grow for 2 seconds"),
              std::wstring::npos)
        << text;
    EXPECT_TRUE(TemporaryOutputsIn(work / L"out").empty());
    EXPECT_TRUE(PumpUntil([] { return RunningProcesses(L"ffmpeg.exe").empty(); }, 5000));
}

// What goes wrong under a run fails only its own row, with the reason, and the run goes on: a
// source held open by another program, a source deleted after it was added, the target folder
// deleted during the run.
TEST_F(FFmpegJob, SourcesAndFoldersThatGoAwayFailOnlyTheirRows) {
    Start();
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    TempFolder work(L"gone");
    for (const wchar_t* name : {L"locked.wav", L"gone.wav", L"fine.wav"}) {
        MakeTone(work / name);
        form->Files().AddFile(work / name);
    }
    const UniqueFileHandle lock(
        CreateFileW((work / L"locked.wav").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    ASSERT_TRUE(DeleteFileW((work / L"gone.wav").c_str()));
    const std::wstring out = work / L"out";
    SetWindowTextW(form->Options().TargetFolderEdit(), out.c_str());
    form->RunCommand(CMD_SimultaneousFirst);  // one at a time

    MessageBoxWatcher watcher;
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return RowText(form->Files().Handle(), 0, 1) == L"Error"; }, 30000));
    RemoveDirectoryW(out.c_str());  // empty: the locked source gave nothing to write
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    EXPECT_EQ(RowText(form->Files().Handle(), 1, 1), L"Error");
    EXPECT_EQ(RowText(form->Files().Handle(), 2, 1), L"OK");
    EXPECT_TRUE(DecodesCleanly(out + L"\\fine.mp3"));
    EXPECT_TRUE(TemporaryOutputsIn(out).empty());
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 2; }, 5000));
    const auto boxes = watcher.Boxes();
    EXPECT_EQ(boxes[0].text.rfind(work / L"locked.wav", 0), 0u) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find(L"Permission denied"), std::wstring::npos) << boxes[0].text;
    EXPECT_EQ(boxes[1].text.rfind(work / L"gone.wav", 0), 0u) << boxes[1].text;
    EXPECT_NE(boxes[1].text.find(L"No such file or directory"), std::wstring::npos) << boxes[1].text;
}

// A disk that fills up during a job: that row fails with the reason and leaves nothing, and the
// next row, which fits, converts. The test command mounts a small file system for this where the
// machine lets it (CORVANA_SMALL_DISK, a folder on it).
TEST_F(FFmpegJob, AFullDiskFailsTheRowAndLeavesNothing) {
    wchar_t small[MAX_PATH]{};
    if (!GetEnvironmentVariableW(L"CORVANA_SMALL_DISK", small, MAX_PATH))
        GTEST_SKIP() << "needs a small file system (CORVANA_SMALL_DISK), which this machine could not mount";
    Start();
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    TempFolder work(L"full");
    MakeTone(work / L"big.wav", 20.0);  // 1.7 MB as WAV: more than the disk holds
    MakeTone(work / L"small.wav", 0.5);
    form->Files().AddFile(work / L"big.wav");
    form->Files().AddFile(work / L"small.wav");
    const std::wstring out = std::wstring(small) + L"\\out-" + std::to_wstring(GetCurrentProcessId());
    SetWindowTextW(form->Options().TargetFolderEdit(), out.c_str());
    ComboBox_SelectString(form->Options().FormatBox(), -1, L"WAV");
    form->RunCommand(CMD_SimultaneousFirst);

    MessageBoxWatcher watcher;
    ASSERT_TRUE(ConvertAndWait(*form, 60000));
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"Error");
    EXPECT_EQ(RowText(form->Files().Handle(), 1, 1), L"OK");
    EXPECT_FALSE(PathExists(out + L"\\big.wav"));
    EXPECT_TRUE(DecodesCleanly(out + L"\\small.wav"));
    EXPECT_TRUE(TemporaryOutputsIn(out).empty());
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    EXPECT_NE(watcher.Boxes()[0].text.find(L"No space left on device"), std::wstring::npos) << watcher.Boxes()[0].text;
    RemoveTree(out);
}

// A program that floods its output is asked to end as soon as one that is quiet.
TEST_F(FFmpegJob, AFloodingFFmpegAnswersStopAtOnce) {
    TempFolder work(L"flood");
    MakeTone(work / L"tone.wav");
    // Raw audio to the pipe, the tone looped for ever: the pipe never runs dry.
    const std::wstring ffmpeg = folder / L"ffmpeg.exe";
    const std::wstring commandLine =
        L"ffmpeg.exe -hide_banner -stream_loop -1 -i \"" + (work / L"tone.wav") + L"\" -f wav -";
    std::atomic<bool> stop{false};
    std::atomic<size_t> received{0};
    std::atomic<ULONGLONG> stoppedAt{0}, endedAt{0};
    std::thread job([&] {
        RunProcess(
            ffmpeg, commandLine, work.Path(), [&](std::string_view bytes) { received += bytes.size(); },
            [&] { return stop.load(); });
        endedAt = GetTickCount64();
    });
    const ScopeExit endSurvivors([&] {
        // Should the stop go unheard, the test still ends (and fails below).
        if (!PumpUntil([&] { return endedAt != 0; }, 10000))
            for (DWORD id : RunningProcesses(L"ffmpeg.exe")) {
                UniqueKernelHandle survivor(OpenProcess(PROCESS_TERMINATE, FALSE, id));
                if (survivor) TerminateProcess(survivor.get(), 1);
            }
        job.join();
    });
    ASSERT_TRUE(PumpUntil([&] { return received > 4u << 20; }, 30000));
    stoppedAt = GetTickCount64();
    stop = true;
    ASSERT_TRUE(PumpUntil([&] { return endedAt != 0; }, 10000)) << "never answered Stop";
    EXPECT_LE(endedAt - stoppedAt, 2500u);
}

// FFmpeg gets its own standard handles and nothing else the program holds open, whether its output
// goes into a temporary file or, with no temporary folder to write in, into a pipe; either way all
// it wrote is read and nothing is left behind.
TEST_F(FFmpegJob, FFmpegInheritsOnlyItsOwnHandlesAndLeavesNoFileBehind) {
    TempFolder work(L"handles");
    MakeTone(work / L"tone.wav", 2.0);
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring outputFiles =
        std::wstring(temp) + L"corvana-" + std::to_wstring(GetCurrentProcessId()) + L"-*.log";
    const auto outputFilesLeft = [&] {
        WIN32_FIND_DATAW found;
        UniqueFindHandle find(FindFirstFileW(outputFiles.c_str(), &found));
        return static_cast<bool>(find);
    };
    const auto setTemp = [](const wchar_t* folder) {
        SetEnvironmentVariableW(L"TMP", folder);
        SetEnvironmentVariableW(L"TEMP", folder);
    };
    const std::wstring tempNow = temp, noFolder = work / L"no such folder";
    const ScopeExit restoreTemp([&] { setTemp(tempNow.c_str()); });
    for (const std::wstring& tempFolder : {tempNow, noFolder}) {
        setTemp(tempFolder.c_str());
        // A handle another part of the program made inheritable.
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        UniqueKernelHandle signaled(CreateEventW(&inherit, TRUE, TRUE, nullptr));
        std::string output;
        std::optional<uint32_t> exitStatus;
        std::thread job([&] {
            exitStatus = RunProcess(folder / L"ffmpeg.exe",
                                    L"ffmpeg.exe -hide_banner -re -y -i \"" + (work / L"tone.wav") + L"\" \"" +
                                        (work / L"out.mp3") + L"\"",
                                    work.Path(), [&](std::string_view bytes) { output.append(bytes); })
                             .exitStatus;
        });
        std::vector<DWORD> children;
        EXPECT_TRUE(PumpUntil([&] { return !(children = RunningProcesses(L"ffmpeg.exe")).empty(); }, 10000));
        for (const DWORD id : children) {
            // Should the child hold the event under the same value, resetting its copy resets ours.
            UniqueKernelHandle child(OpenProcess(PROCESS_DUP_HANDLE, FALSE, id));
            HANDLE copy = nullptr;
            if (child && DuplicateHandle(child.get(), signaled.get(), GetCurrentProcess(), &copy, 0, FALSE,
                                         DUPLICATE_SAME_ACCESS)) {
                ResetEvent(copy);
                CloseHandle(copy);
            }
        }
        job.join();
        EXPECT_EQ(WaitForSingleObject(signaled.get(), 0), WAIT_OBJECT_0) << "the child had the event";
        EXPECT_EQ(exitStatus, 0u) << output;
        EXPECT_NE(output.find("Duration: 00:00:02.00"), std::string::npos) << output;
        EXPECT_NE(output.find("muxing overhead"), std::string::npos) << output;  // its last line
        EXPECT_FALSE(outputFilesLeft());
    }
}

}  // namespace
}  // namespace corvana::test
