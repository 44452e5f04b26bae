#include "conversion/console_runner_win.h"
#include "support/conversion_support.h"
#include "support/dialog_watcher.h"

namespace corvana::test {
namespace {

class CommandLineConversion : public ConversionFixture {
protected:
    TempFolder work{L"cmdline"};
    std::vector<std::wstring> Captions() const {
        std::vector<std::wstring> c;
        for (int i = 0; i < ListView_GetItemCount(form->Files().Handle()); ++i)
            c.push_back(RowText(form->Files().Handle(), i, 0));
        return c;
    }
    // Lets the command line's conversion run to its end.
    void WaitForTheJob() {
        ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    }
    // settings.ini beside the program copy, with these parameters remembered.
    void RememberParameters(const std::string& parameters) {
        WriteFileBytes(
            ini, "\xEF\xBB\xBF[Settings]\r\nRememberAudioSettings=ON\r\nFFmpegParameters=" + parameters + "\r\n\r\n");
    }
};

// The program in a process of its own: converts and ends with exit status 0.
TEST_F(CommandLineConversion, ConvertsOneFileAndEnds) {
    MakeTone(work / L"a b.flac");
    const std::wstring output = work / L"out dir\\a b.mp3";
    std::wstring commandLine = L"\"" + exe + L"\" -input \"" + (work / L"a b.flac") + L"\" -output \"" + output + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.Path().c_str(), &si, &pi));
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(pi.hProcess, 1);
    ASSERT_TRUE(ended);
    DWORD status = 1;
    GetExitCodeProcess(pi.hProcess, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(DecodesCleanly(output));
}

TEST_F(CommandLineConversion, UnquotedPathsWithSingleSpacesComeOutWhole) {
    MakeTone(work / L"a b.flac");
    Start(L"-input " + (work / L"a b.flac") + L" -output " + (work / L"o d\\a b.wav"));
    WaitForTheJob();
    EXPECT_TRUE(form->EndRequested());
    EXPECT_TRUE(DecodesCleanly(work / L"o d\\a b.wav"));
    EXPECT_EQ(Captions(), std::vector<std::wstring>{work / L"a b.flac"});
}

TEST_F(CommandLineConversion, AMissingInputStaysOpenWithFileNotFound) {
    Start(L"-input \"" + (work / L"nothing.flac") + L"\" -output \"" + (work / L"new\\x.mp3") + L"\"");
    EXPECT_EQ(form->StatusText(), L"File not found!");
    EXPECT_FALSE(form->EndRequested());
    EXPECT_EQ(Captions(), std::vector<std::wstring>{work / L"nothing.flac"});
    EXPECT_FALSE(PathExists(work / L"new"));
}

// The job fails without touching the file already at the output: "Error", and the program stays.
TEST_F(CommandLineConversion, AFailedJobOverAnExistingFileIsAnError) {
    WriteFileBytes(work / L"noise.mp3", std::string(3000, '\x33'));
    WriteFileBytes(work / L"existing.mp3", "keep me");
    Start(L"-input \"" + (work / L"noise.mp3") + L"\" -output \"" + (work / L"existing.mp3") + L"\"");
    WaitForTheJob();
    EXPECT_EQ(form->StatusText(), L"Error");
    EXPECT_EQ(form->ExitStatus(), 1);
    EXPECT_FALSE(form->EndRequested());
    EXPECT_EQ(ReadFileBytes(work / L"existing.mp3"), "keep me");
    EXPECT_EQ(RowText(form->Files().Handle(), 0, 1), L"");
}

// Relative paths mean the current folder; a bare output name lands there too.
TEST_F(CommandLineConversion, RelativePathsMeanTheCurrentFolder) {
    MakeTone(work / L"a.wav");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(work.Path().c_str()));
    ScopeExit restore([&] { SetCurrentDirectoryW(saved); });
    Start(L"-input a.wav -output bare.mp3");
    WaitForTheJob();
    EXPECT_TRUE(form->EndRequested());
    EXPECT_TRUE(DecodesCleanly(work / L"bare.mp3"));
}

// The output is the input under another spelling: refused, and the source stays as it was.
TEST_F(CommandLineConversion, AnOutputThatIsTheInputIsRefused) {
    MakeTone(work / L"song.wav");
    const std::string before = ReadFileBytes(work / L"song.wav");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(work.Path().c_str()));
    ScopeExit restore([&] { SetCurrentDirectoryW(saved); });
    for (const std::wstring& output : {work / L"SONG.WAV", std::wstring(L"song.wav"), work / L"x\\..\\song.wav"}) {
        Start(L"-input \"" + (work / L"song.wav") + L"\" -output \"" + output + L"\"");
        WaitForTheJob();
        EXPECT_EQ(form->StatusText(), L"Error") << output;
        EXPECT_FALSE(form->EndRequested());
        EXPECT_EQ(ReadFileBytes(work / L"song.wav"), before) << output;
        TearDown();
    }
}

// In a process of its own: after a failure the window stays, and closing it ends the program with
// exit status 1.
TEST_F(CommandLineConversion, AFailureEndsWithExitStatusOneWhenClosed) {
    WriteFileBytes(work / L"noise.mp3", std::string(3000, '\x33'));
    ProgramProcess program(exe, L"-input \"" + (work / L"noise.mp3") + L"\" -output \"" + (work / L"o.mp3") + L"\"");
    const HWND window = program.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    const HWND status = GetDlgItem(window, IDC_StatusBar);
    ASSERT_TRUE(PumpUntil([&] { return ControlText(status) == L"Error"; }, 60000));
    EXPECT_FALSE(program.HasEnded());
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.HasEnded(10000));
    EXPECT_EQ(program.ExitCode(), 1u);
    EXPECT_FALSE(PathExists(work / L"o.mp3"));
}

// Every way a start with arguments can end, and the exit status a script sees. Only a
// converted file gives 0 (and a start without arguments, which converts nothing on its own).
struct Ending {
    const char* name;
    const wchar_t* arguments;  // "{work}" stands for the test's folder
    bool endless;              // the job pads its output for ever: it runs when the action comes
    enum Action { Wait, Close, Exit, StopThenClose, EndSession } action;
    int status;
};

class CommandLineEnding : public CommandLineConversion, public testing::WithParamInterface<Ending> {};

TEST_P(CommandLineEnding, OnlyAConvertedFileEndsWithZero) {
    const Ending& ending = GetParam();
    MakeTone(work / L"tone.wav");
    WriteFileBytes(work / L"noise.mp3", std::string(3000, '\x33'));
    WriteFileBytes(work / L"notes.txt", "not audio");
    if (ending.endless) RememberParameters("-af apad");
    std::wstring arguments = ending.arguments;
    for (size_t at; (at = arguments.find(L"{work}")) != std::wstring::npos;) arguments.replace(at, 6, work.Path());
    DialogWatcher watcher(DialogWatcher::Press(IDYES));
    Start(arguments);
    if (ending.endless)
        ASSERT_TRUE(PumpUntil([&] { return !TemporaryOutputsIn(work.Path()).empty(); }, 30000));
    else
        WaitForTheJob();

    switch (ending.action) {
        case Ending::Wait: break;
        case Ending::Close: PostMessageW(form->Handle(), WM_CLOSE, 0, 0); break;
        case Ending::Exit: PostMessageW(form->Handle(), WM_COMMAND, CMD_Exit, 0); break;
        case Ending::StopThenClose:
            SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
            WaitForTheJob();
            PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
            break;
        case Ending::EndSession:
            // As Windows does at log-off: it asks, then says the session ends, then ends the process.
            EXPECT_EQ(SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
            SendMessageW(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            EXPECT_TRUE(TemporaryOutputsIn(work.Path()).empty()) << "gone before Windows ends the process";
            EXPECT_EQ(watcher.Count(), 0u) << "a forced end asks nothing";
            break;
    }
    ASSERT_TRUE(PumpUntil([&] { return form->EndRequested(); }, 20000));
    EXPECT_EQ(form->ExitStatus(), ending.status);
    EXPECT_EQ(PathExists(work / L"out.mp3"), ending.action == Ending::Wait);
    EXPECT_TRUE(PumpUntil([&] { return TemporaryOutputsIn(work.Path()).empty(); }, 10000));
}

constexpr const wchar_t* kToneToOut = L"-input \"{work}\\tone.wav\" -output \"{work}\\out.mp3\"";

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineEnding,
    testing::Values(
        Ending{"NoArguments", L"", false, Ending::Close, 0}, Ending{"Converted", kToneToOut, false, Ending::Wait, 0},
        Ending{"Failed", L"-input \"{work}\\noise.mp3\" -output \"{work}\\out.mp3\"", false, Ending::Close, 1},
        Ending{"MissingInput", L"-input \"{work}\\none.wav\" -output \"{work}\\out.mp3\"", false, Ending::Close, 1},
        Ending{"InvalidArguments", L"\"{work}\\notes.txt\" -bogus", false, Ending::Close, 1},
        Ending{"Stopped", kToneToOut, true, Ending::StopThenClose, 1},
        Ending{"ClosedDuringTheJob", kToneToOut, true, Ending::Close, 1},
        Ending{"ExitDuringTheJob", kToneToOut, true, Ending::Exit, 1},
        Ending{"SessionEndsDuringTheJob", kToneToOut, true, Ending::EndSession, 1}),
    [](const testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

// A program that was killed mid-run could not remove its temporary file; the next run into that
// folder does, and leaves a running instance's file alone.
TEST_F(CommandLineConversion, AKilledRunsLeftoversGoAtTheNextRunIntoTheFolder) {
    MakeTone(work / L"a.wav");
    MakeTone(work / L"b.wav");
    RememberParameters("-af apad");
    {
        ProgramProcess killed(exe, L"-input \"" + (work / L"a.wav") + L"\" -output \"" + (work / L"o.mp3") + L"\"");
        ASSERT_TRUE(PumpUntil([&] { return !TemporaryOutputsIn(work.Path()).empty(); }, 30000));
        TerminateProcess(killed.Process(), 9);
        ASSERT_TRUE(killed.HasEnded(5000));
    }
    ASSERT_TRUE(PumpUntil([] { return RunningProcesses(L"ffmpeg.exe").empty(); }, 5000));
    const std::vector<std::wstring> leftovers = TemporaryOutputsIn(work.Path());
    ASSERT_EQ(leftovers.size(), 1u) << "the killed run's file stays until a run comes";
    // Another instance, running, whose job writes into the folder.
    RememberParameters("");
    ProgramProcess other(exe);
    ASSERT_TRUE(other.WaitForMainWindow());
    const std::wstring live = work / (L"~" + TemporaryTokenPrefix(other.ProcessId()) + L"1.part.mp3");
    WriteFileBytes(live, "being written");

    Start(L"-input \"" + (work / L"b.wav") + L"\" -output \"" + (work / L"b.mp3") + L"\"");
    WaitForTheJob();
    EXPECT_TRUE(form->EndRequested());
    EXPECT_TRUE(DecodesCleanly(work / L"b.mp3"));
    EXPECT_FALSE(PathExists(work / leftovers[0]));
    EXPECT_EQ(ReadFileBytes(live), "being written");
}

// Whatever ends the program, its FFmpeg ends with it.
TEST_F(CommandLineConversion, NoFFmpegOutlivesTheProgram) {
    MakeTone(work / L"a.wav");
    RememberParameters("-af apad");  // a job that never ends by itself
    // A survivor, whatever the outcome, would keep the test run's output open for ever.
    const ScopeExit endSurvivors([] {
        for (DWORD id : RunningProcesses(L"ffmpeg.exe")) {
            UniqueKernelHandle survivor(OpenProcess(PROCESS_TERMINATE, FALSE, id));
            if (survivor) TerminateProcess(survivor.get(), 1);
        }
    });
    ProgramProcess program(exe, L"-input \"" + (work / L"a.wav") + L"\" -output \"" + (work / L"o.mp3") + L"\"");
    // Until FFmpeg is writing: by then it has been put into the job and resumed.
    ASSERT_TRUE(PumpUntil([&] { return !TemporaryOutputsIn(work.Path()).empty(); }, 30000));
    TerminateProcess(program.Process(), 9);
    ASSERT_TRUE(program.HasEnded(5000));
    EXPECT_TRUE(PumpUntil([] { return RunningProcesses(L"ffmpeg.exe").empty(); }, 5000));
}

TEST_F(CommandLineConversion, OtherArgumentsFillTheList) {
    CreateDirectoryW((work / L"album").c_str(), nullptr);
    WriteFileBytes(work / L"album\\1.mp3", "");
    WriteFileBytes(work / L"album\\2.opus", "");
    Start(L"-input \"" + (work / L"album") + L"\" \"" + (work / L"not here.flac") + L"\" notes.txt \"" +
          (work / L"album") + L"\" relative.WAV");
    EXPECT_EQ(Captions(),
              (std::vector<std::wstring>{work / L"album\\1.mp3", work / L"not here.flac", L"relative.WAV"}));
    EXPECT_EQ(form->LastFolder(), work / L"album");
    EXPECT_EQ(form->StatusText(), L"");
    EXPECT_FALSE(form->EndRequested());
}

TEST_F(CommandLineConversion, NothingUsableSaysSo) {
    CreateDirectoryW((work / L"empty").c_str(), nullptr);
    Start(L"\"" + (work / L"empty") + L"\" readme.txt -output");
    EXPECT_EQ(form->StatusText(), L"Invalid Command Line Arguments!");
    EXPECT_TRUE(Captions().empty());
}

TEST_F(CommandLineConversion, NoArgumentsDoNothing) {
    Start();
    EXPECT_EQ(form->StatusText(), L"");
    EXPECT_TRUE(Captions().empty());
}

}  // namespace
}  // namespace corvana::test
