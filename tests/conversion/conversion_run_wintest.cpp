#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "conversion/console_runner_win.h"
#include "conversion/ffmpeg_command.h"
#include "support/conversion_support.h"
#include "support/dialog_watcher.h"
#include "support/list_support.h"

namespace corvana::test {
namespace {

class ConversionRun : public ConversionFixture {
protected:
    TempFolder work{L"run"};

    void SetTarget(const std::wstring& text) { SetWindowTextW(form->Options().TargetFolderEdit(), text.c_str()); }
    void SetFormat(const wchar_t* format) { ComboBox_SelectString(form->Options().FormatBox(), -1, format); }
    std::vector<std::wstring> Results() const { return ListResults(form->Files().Handle()); }
    void Convert() { ASSERT_TRUE(ConvertAndWait(*form)); }
    void ExpectIdle() const {
        EXPECT_EQ(GetWindowTextString(form->ConvertButton()), L"Convert");
        EXPECT_TRUE(IsWindowEnabled(form->ConvertButton()));
        EXPECT_FALSE(IsWindowVisible(form->ProgressBarHandle()));
        EXPECT_FALSE(Application::IsBusyCursor());
    }
};

TEST_F(ConversionRun, AnEmptyListOnlyWarns) {
    Start();
    MessageBoxWatcher watcher;
    form->OnConvert();
    ASSERT_EQ(watcher.Count(), 1u);
    EXPECT_EQ(watcher.Boxes()[0].caption, L"WARNING");
    EXPECT_EQ(watcher.Boxes()[0].text, L"Please add files!");
    EXPECT_EQ(form->StatusText(), L"");
    ExpectIdle();
}

TEST_F(ConversionRun, NamesOutputsUniquelyAndOverwritesNothing) {
    Start();
    MakeTone(work / L"song.flac");
    MakeTone(work / L"song (2).mp3");
    MakeTone(work / L"a.b.c.wav");
    MakeTone(work / L"twin.wav");
    MakeTone(work / L"twin.flac");
    ASSERT_TRUE(CreateDirectoryW((work / L"out").c_str(), nullptr));
    WriteFileBytes(work / L"out\\song.mp3", "first");
    WriteFileBytes(work / L"out\\song (2).mp3", "second");
    // A folder at an output's path is not a file: the name is kept and that job fails.
    ASSERT_TRUE(CreateDirectoryW((work / L"out\\a.b.c.mp3").c_str(), nullptr));
    for (const wchar_t* name : {L"song.flac", L"song (2).mp3", L"a.b.c.wav", L"twin.wav", L"twin.flac"})
        form->Files().AddFile(work / name);
    SetTarget(work / L"out");
    SetFormat(L"MP3");
    form->RunCommand(CMD_SimultaneousFirst + 3);  // four jobs at once: the names are reserved in list order

    Convert();
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"Error", L"OK", L"OK"}));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\song (3).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\song (2) (2).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\twin.mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\twin (2).mp3"));
    EXPECT_EQ(ReadFileBytes(work / L"out\\song.mp3"), "first");
    EXPECT_EQ(ReadFileBytes(work / L"out\\song (2).mp3"), "second");
    EXPECT_TRUE(DirectoryExists(work / L"out\\a.b.c.mp3"));
    EXPECT_TRUE(TemporaryOutputsIn(work / L"out").empty());
    EXPECT_EQ(form->StatusText(), L"Completed");
    ExpectIdle();

    // Same format beside the source: the counter keeps the source as it is.
    const std::string source = ReadFileBytes(work / L"song (2).mp3");
    Button_SetCheck(form->Options().UseSourceFolderCheck(), BST_CHECKED);
    Convert();
    EXPECT_EQ(ReadFileBytes(work / L"song (2).mp3"), source);
    EXPECT_TRUE(DecodesCleanly(work / L"song (2) (2).mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"song.mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"a.b.c.mp3"));
}

// Several jobs at once: every output whole, each where its own name says.
TEST_F(ConversionRun, ManyJobsAtOnceGiveWholeOutputs) {
    Start();
    std::vector<std::wstring> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back(L"tone " + std::to_wstring(i) + L".wav");
        MakeTone(work / names.back(), 1 + i % 3);
        form->Files().AddFile(work / names.back());
    }
    SetTarget(work / L"out");
    SetFormat(L"OGG");
    form->RunCommand(CMD_SimultaneousFirst + 2);  // three
    Convert();
    EXPECT_EQ(Results(), std::vector<std::wstring>(12, L"OK"));
    for (const auto& name : names) EXPECT_TRUE(DecodesCleanly(work / (L"out\\" + BaseName(name) + L".ogg"))) << name;
    EXPECT_TRUE(TemporaryOutputsIn(work / L"out").empty());
}

TEST_F(ConversionRun, CreatesAMissingTargetFolderWithItsParents) {
    Start();
    MakeTone(work / L"x.wav");
    form->Files().AddFile(work / L"x.wav");
    SetTarget(work / L"new\\deeper\\still");
    Convert();
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(DecodesCleanly(work / L"new\\deeper\\still\\x.mp3"));
}

// Relative sources and target folders mean the current folder, for every step of the job; FFmpeg
// runs in the program's folder, which is another.
TEST_F(ConversionRun, RelativePathsMeanTheCurrentFolder) {
    Start();
    MakeTone(work / L"rel.wav");
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(work.Path().c_str()));
    ScopeExit restore([&] { SetCurrentDirectoryW(saved); });
    form->Files().AddFile(L"rel.wav");
    SetTarget(L"out rel");
    Convert();
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(DecodesCleanly(work / L"out rel\\rel.mp3"));
    EXPECT_FALSE(PathExists(folder / L"out rel"));
}

TEST_F(ConversionRun, AnEmptyTargetFolderStopsTheRunAndTheWindowGoesBackToIdle) {
    Start();
    MakeTone(work / L"x.wav");
    form->Files().AddFile(work / L"x.wav");
    SetTarget(L"");
    MessageBoxWatcher watcher;
    // As a click would: through the window procedure, which shows failures in the standard box.
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(IDC_ConvertButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(form->ConvertButton()));
    ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 1; }, 5000));
    EXPECT_EQ(watcher.Boxes()[0].caption, L"Corvana");
    EXPECT_EQ(watcher.Boxes()[0].text, L"Unable to create directory.");
    EXPECT_EQ(Results(), std::vector<std::wstring>{L""});
    EXPECT_FALSE(form->ConversionRunning());
    ExpectIdle();
}

// Every kind of bad source in one run: each row ends with a result, and nothing is overwritten.
TEST_F(ConversionRun, EachBadSourceEndsInError) {
    Start();
    MakeTone(work / L"good.wav");
    WriteFileBytes(work / L"empty.mp3", "");
    WriteFileBytes(work / L"noise.mp3", std::string(5000, '\x5a'));
    WriteFileBytes(work / L"notes.txt", "words");
    form->Files().AddFile(work / L"missing.mp3");
    form->Files().AddFile(work / L"empty.mp3");
    form->Files().AddFile(work / L"noise.mp3");
    form->Files().AddFile(work / L"notes.txt");
    form->Files().AddFile(work / L"good.wav");
    form->Files().AddFile(L"Q:\\no such drive\\x.mp3");
    form->Files().AddFile(std::wstring(L"\\\\?\\") + work.Path() + L"\\" + std::wstring(250, L'l') + L".wav");
    SetTarget(work / L"out");
    Convert();
    EXPECT_EQ(Results(),
              (std::vector<std::wstring>{L"Error", L"Error", L"Error", L"Error", L"OK", L"Error", L"Error"}));
    EXPECT_TRUE(TemporaryOutputsIn(work / L"out").empty());
    ExpectIdle();
}

// A folder that cannot be made: "Error" on each row, and the details say why.
TEST_F(ConversionRun, ATargetThatCannotBeWrittenGivesErrorForEachRow) {
    Start();
    MakeTone(work / L"a.wav");
    MakeTone(work / L"b.wav");
    WriteFileBytes(work / L"plainfile", "x");
    form->Files().AddFile(work / L"a.wav");
    form->Files().AddFile(work / L"b.wav");
    form->SetMenuChecked(CMD_ShowErrorDetails, true);
    for (const std::wstring& target : {work / L"plainfile", std::wstring(L"Q:\\missing drive")}) {
        MessageBoxWatcher watcher;
        SetTarget(target);
        Convert();
        EXPECT_EQ(Results(), (std::vector<std::wstring>{L"Error", L"Error"})) << target;
        ASSERT_TRUE(PumpUntil([&] { return watcher.Count() >= 2; }, 5000));
        EXPECT_NE(watcher.Boxes()[0].text.find(L"The folder " + target + L" could not be created: "),
                  std::wstring::npos)
            << watcher.Boxes()[0].text;
        ExpectIdle();
    }
    EXPECT_EQ(ReadFileBytes(work / L"plainfile"), "x");
}

class ConversionRunChanges : public ConversionRun {
protected:
    // Starts a run one job at a time and acts as soon as the first job has started.
    void RunWhile(const std::function<void()>& action) {
        form->RunCommand(CMD_SimultaneousFirst);
        SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
        ASSERT_TRUE(PumpUntil([&] { return form->StatusText().rfind(L"Processing ", 0) == 0; }, 10000));
        action();
        ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    }
    void AddThree() {
        for (const wchar_t* n : {L"a.wav", L"b.wav", L"c.wav"}) {
            MakeTone(work / n);
            form->Files().AddFile(work / n);
        }
        SetTarget(work / L"out");
    }
};

// The running job ends with its result going nowhere; a row removed before its job is skipped.
TEST_F(ConversionRunChanges, RemovedRowsAreSkippedAndNoResultLandsOnAnotherRow) {
    Start();
    AddThree();
    RunWhile([this] {
        form->Files().Rows().RemovePositions({0, 1});
        form->Files().Refresh();
    });
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(DecodesCleanly(work / L"out\\a.mp3"));
    EXPECT_FALSE(PathExists(work / L"out\\b.mp3"));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\c.mp3"));
    ExpectIdle();
}

// Sorting during a run moves no job: every row is converted once and its result follows it.
TEST_F(ConversionRunChanges, AResultFollowsItsRowWhenTheListIsSorted) {
    Start();
    AddThree();
    RunWhile([this] {
        form->Files().Rows().SetSortOrder([](const FileItem& x, const FileItem& y) { return x.caption > y.caption; });
        form->Files().Refresh();
    });
    EXPECT_EQ(RowText(form->Files().Handle(), 2, 0), work / L"a.wav");
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"OK"}));
    EXPECT_FALSE(PathExists(work / L"out\\a (2).mp3"));
}

TEST_F(ConversionRunChanges, RowsAddedOrAClearedListDuringARunAreHandled) {
    Start();
    AddThree();
    MakeTone(work / L"d.wav");
    LRESULT rangeAtStart = 0;
    RunWhile([&] {
        rangeAtStart = SendMessageW(form->ProgressBarHandle(), PBM_GETRANGE, FALSE, 0);
        form->Files().AddFile(work / L"d.wav");
    });
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"OK", L"OK"}));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\d.mp3"));
    EXPECT_GT(rangeAtStart, 0);
    EXPECT_EQ(SendMessageW(form->ProgressBarHandle(), PBM_GETRANGE, FALSE, 0), rangeAtStart)
        << "the maximum is not raised";

    RunWhile([this] {
        form->Files().Rows().Clear();
        form->Files().Refresh();
    });
    EXPECT_TRUE(Results().empty());
    EXPECT_EQ(form->StatusText(), L"Completed");
    ExpectIdle();
}

// Jobs that would never end: FFmpeg pads the output with silence for ever ("apad").
class ConversionStop : public ConversionRun {
protected:
    void StartEndlessRun(int rows, int atOnce) {
        Start();
        for (int i = 0; i < rows; ++i) {
            const std::wstring name = work / (L"endless " + std::to_wstring(i) + L".wav");
            MakeTone(name);
            form->Files().AddFile(name);
        }
        form->Options().SaveParameters(L"-af apad");
        SetTarget(work / L"out");
        form->RunCommand(CMD_SimultaneousFirst + atOnce - 1);
        SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
        ASSERT_TRUE(
            PumpUntil([&] { return RunningProcesses(L"ffmpeg.exe").size() == static_cast<size_t>(atOnce); }, 20000));
        // Every running row shows its progress.
        ASSERT_TRUE(PumpUntil(
            [&] {
                const auto results = Results();
                return std::all_of(results.begin(), results.begin() + atOnce,
                                   [](const std::wstring& r) { return !r.empty() && r.back() == L'%'; });
            },
            20000));
    }
    void ExpectNothingLeft() {
        EXPECT_TRUE(PumpUntil([] { return RunningProcesses(L"ffmpeg.exe").empty(); }, 5000));
        WIN32_FIND_DATAW fd;
        UniqueFindHandle find(FindFirstFileW((work / L"out\\*.*").c_str(), &fd));
        std::vector<std::wstring> files;
        if (find) do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(fd.cFileName);
            } while (FindNextFileW(find.get(), &fd));
        EXPECT_TRUE(files.empty()) << testing::PrintToString(files);
    }
};

TEST_F(ConversionStop, StopEndsEveryRunningJobAndLeavesNoFile) {
    StartEndlessRun(3, 2);
    EXPECT_EQ(GetWindowTextString(form->ConvertButton()), L"Stop");
    EXPECT_TRUE(IsWindowEnabled(form->ConvertButton()));
    EXPECT_EQ(Results()[0].back(), L'%');
    EXPECT_EQ(Results()[2], L"");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 10000));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"Stopped", L"Stopped", L""}));
    EXPECT_EQ(form->StatusText(), L"Stopped");
    ExpectIdle();
    ExpectNothingLeft();
}

// The jobs start once the window has shown the run. Stop pressed before then ends the run with
// no job started; a row added before then joins it.
TEST_F(ConversionStop, BeforeTheFirstJobStopEndsTheRunAndAnAddedRowJoinsIt) {
    Start();
    for (const wchar_t* name : {L"a.wav", L"b.wav"}) {
        MakeTone(work / name);
        form->Files().AddFile(work / name);
    }
    SetTarget(work / L"out");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->ConversionRunning());
    EXPECT_EQ(GetWindowTextString(form->ConvertButton()), L"Stop");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    EXPECT_FALSE(form->ConversionRunning());
    PumpFor(500);
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"", L""}));
    EXPECT_EQ(form->StatusText(), L"Stopped");
    ExpectIdle();
    ExpectNothingLeft();

    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    MakeTone(work / L"c.wav");
    form->Files().AddFile(work / L"c.wav");
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 60000));
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"OK", L"OK", L"OK"}));
    EXPECT_TRUE(DecodesCleanly(work / L"out\\c.mp3"));
    EXPECT_EQ(form->StatusText(), L"Completed");
}

// An FFmpeg that does not listen (it waits for its input, which never comes) is ended outright.
TEST_F(ConversionStop, AnFFmpegThatIgnoresTheRequestIsEnded) {
    Start();
    const std::wstring pipe = L"\\\\.\\pipe\\corvana-silent-" + std::to_wstring(GetCurrentProcessId());
    UniqueFileHandle server(
        CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(server);
    form->Files().AddFile(pipe);
    SetTarget(work / L"out");
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    // FFmpeg waits for its input once it has opened the pipe as its client.
    ASSERT_TRUE(PumpUntil(
        [&] {
            ULONG client = 0;
            const auto running = RunningProcesses(L"ffmpeg.exe");
            return GetNamedPipeClientProcessId(server.get(), &client) &&
                   std::find(running.begin(), running.end(), client) != running.end();
        },
        20000));
    const DWORD pressed = GetTickCount();
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 10000));
    EXPECT_GE(GetTickCount() - pressed, 1900u) << "asked to quit first";
    EXPECT_EQ(Results(), std::vector<std::wstring>{L"Stopped"});
    ExpectNothingLeft();
}

// Closing during a run asks first: "No" keeps every job running, "Yes" stops the run, removes its
// temporary files and closes. The close box and File > Exit ask the same.
TEST_F(ConversionStop, ClosingTheWindowAsksThenStopsTheRunFirst) {
    StartEndlessRun(2, 1);
    for (const UINT command : {static_cast<UINT>(WM_CLOSE), static_cast<UINT>(CMD_Exit)}) {
        DialogWatcher no(DialogWatcher::Press(IDNO));
        if (command == WM_CLOSE)
            PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
        else
            PostMessageW(form->Handle(), WM_COMMAND, CMD_Exit, 0);
        // Once the box is gone the request has been handled to its end, and stopping the run or
        // ending the program would have begun there. The short pause is for anything it left queued.
        ASSERT_TRUE(PumpUntil([&] { return no.Count() == 1 && !IsWindow(no.Seen().front().hwnd); }, 10000));
        PumpFor(50);
        const DialogSnapshot box = no.Seen().front();
        EXPECT_EQ(box.caption, L"Confirmation");
        EXPECT_EQ(box.text, L"Conversions are still running. Stop them and close Corvana?");
        ASSERT_EQ(box.buttons.size(), 2u);
        EXPECT_EQ(box.buttons[0].text, L"Yes");
        EXPECT_EQ(box.buttons[1].text, L"No");
        EXPECT_FALSE(form->EndRequested());
        EXPECT_TRUE(form->ConversionRunning());
        EXPECT_EQ(RunningProcesses(L"ffmpeg.exe").size(), 1u);
    }
    const std::vector<std::wstring> running = TemporaryOutputsIn(work / L"out");
    EXPECT_EQ(running.size(), 1u) << "the job went on writing";

    DialogWatcher yes(DialogWatcher::Press(IDYES));
    PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->EndRequested(); }, 10000));
    EXPECT_EQ(yes.Count(), 1u);
    EXPECT_FALSE(form->ConversionRunning());
    EXPECT_EQ(Results(), (std::vector<std::wstring>{L"Stopped", L""}));
    ExpectNothingLeft();
}

// Another thread asks the window for an answer while a job runs: it gets one each time.
TEST_F(ConversionStop, TheWindowAnswersDuringALongJob) {
    StartEndlessRun(1, 1);
    std::atomic<bool> done{false};
    std::atomic<int> answered{0}, unanswered{0};
    const HWND window = form->Handle();
    std::thread asker([&] {
        for (int i = 0; i < 40; ++i) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result))
                ++answered;
            else
                ++unanswered;
            Sleep(50);
        }
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 60000);
    asker.join();
    EXPECT_EQ(answered, 40);
    EXPECT_EQ(unanswered, 0);
    EXPECT_TRUE(form->ConversionRunning()) << "the job was still running all along";
    SendMessageW(form->ConvertButton(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !form->ConversionRunning(); }, 10000));
}

}  // namespace
}  // namespace corvana::test
