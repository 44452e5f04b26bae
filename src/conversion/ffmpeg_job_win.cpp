// One FFmpeg job: the command, the run with its captured output, the judgement and the details
// box of a failure.
#include <windowsx.h>

#include "app/main_win.h"
#include "conversion/console_runner_win.h"
#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "win/system_win.h"

namespace corvana {

namespace {

// The input's first audio stream, as FFmpeg describes the input when it is given no output; empty
// when FFmpeg cannot be found or names no rate.
std::optional<SourceAudio> LearnSourceAudio(const std::wstring& infile, const std::wstring& programFolder) {
    const std::wstring ffmpeg = FindProgram(L"ffmpeg.exe", programFolder);
    if (ffmpeg.empty()) return std::nullopt;
    const ConsoleRun run =
        RunConsoleProgram(ffmpeg, L"ffmpeg.exe -hide_banner -nostdin -i \"" + infile + L"\"", programFolder);
    return FirstAudioStream(SplitLines(RedecodeAsUtf8(run.output)));
}

}  // namespace

std::optional<uint32_t> TAppForm::GetDosOutput(const std::wstring& CommandLine, const std::wstring& WorkDir) {
    // The program is started directly, not through the command interpreter, so that nothing in
    // a path (such as %NAME%) is expanded or taken as a command.
    const std::wstring name = CommandLine.substr(0, CommandLine.find(L' '));
    const std::wstring programFolder = FolderOf(ProgramPath);
    const std::wstring application = FindProgram(name, programFolder);
    if (application.empty()) {
        CapturedOutput.push_back(name + L" was not found beside the program (" + programFolder +
                                 L") or on the search path.");
        return std::nullopt;
    }
    const ConsoleRun run = RunConsoleProgram(application, CommandLine, WorkDir);
    if (!run.exitStatus) {
        CapturedOutput.push_back(application + L" could not be started: " + SystemErrorText(run.startError));
        return std::nullopt;
    }
    for (auto& line : SplitLines(RedecodeAsUtf8(run.output))) CapturedOutput.push_back(std::move(line));
    return run.exitStatus;
}

std::wstring TAppForm::FFmpegIleDonustur(const std::wstring& Infile, const std::wstring& Outfile) {
    CapturedOutput.clear();
    bool success = false;
    try {
        const std::wstring workDir = FolderOf(ProgramPath);
        const bool normalize = Button_GetCheck(CheckBoxVolume) == BST_CHECKED;
        // Normalising runs at 192 kHz in floating point and would hand that on: keep the source's
        // rate and sample format unless the user's parameters choose a rate.
        std::optional<SourceAudio> keep;
        if (normalize && !SetsSampleRate(FFmpegParameters)) keep = LearnSourceAudio(Infile, workDir);
        const bool existedBefore = FileExists(Outfile);
        std::optional<uint32_t> status =
            GetDosOutput(FFmpegCommandLine(Infile, Outfile, FFmpegParameters, normalize, keep), workDir);
        if (keep && status && *status != 0) {
            // Should an encoder refuse what was kept, the job runs once more as it would have
            // without it, so keeping the source's rate never makes a job fail.
            CapturedOutput.clear();
            status = GetDosOutput(FFmpegCommandLine(Infile, Outfile, FFmpegParameters, normalize), workDir);
        }
        const int64_t size = FileExists(Outfile) ? FindFileSize(Outfile) : -1;
        const JobOutcome outcome = JudgeJob(status, size, existedBefore);
        // Say why in the log when FFmpeg's own output may not.
        if (status && *status != 0)
            CapturedOutput.push_back(L"FFmpeg ended with exit status " + std::to_wstring(*status) + L".");
        else if (status && !outcome.ok)
            CapturedOutput.push_back(size == 0 ? L"FFmpeg wrote an empty output file."
                                               : L"FFmpeg wrote no output file.");
        if (outcome.deleteOutput) DeleteFileW(Outfile.c_str());
        success = outcome.ok;
    } catch (const std::exception& e) {
        CapturedOutput.push_back(Application::ExceptionText(e));
        success = false;
    }
    const std::wstring result = success ? kResultOK : kResultError;
    if (!success && IsMenuChecked(CMD_ShowErrorDetails1))
        MessageBoxW(hwnd_, ErrorDetailsText(Infile, CapturedOutput).c_str(), L"ERROR", MB_OK | MB_ICONERROR);
    return result;
}

}  // namespace corvana
