// Helpers for the conversion and file-list tests: the real ffmpeg.exe beside a program copy,
// sample audio made by it, and a main window whose copy of the program has ffmpeg.exe beside it.
#pragma once

#include <optional>
#include <string>

#include "conversion/conversion_job.h"
#include "support/app_fixture.h"

namespace corvana::test {

// Puts ffmpeg.exe into the folder (a hard link where the file system allows, else a copy).
void PlaceFFmpegBeside(const std::wstring& folder);

// Runs the built ffmpeg.exe with the arguments in the folder; returns its exit status.
unsigned long RunBuiltFFmpeg(const std::wstring& arguments, const std::wstring& folder);

// Writes a sine tone of the given length into the file: a WAV file made directly, any other format
// (by its extension) converted from one by ffmpeg.exe.
void MakeTone(const std::wstring& path, double seconds = 0.5, int sampleRate = 44100, int channels = 1);

// A console program run to its end with everything it wrote (standard output and error).
struct CapturedRun {
    std::optional<uint32_t> exitStatus;  // empty when it could not be started
    std::string output;
};
CapturedRun RunConsoleProgram(const std::wstring& application, const std::wstring& commandLine,
                              const std::wstring& workDir);

// True when FFmpeg reads the whole file back without an error.
bool DecodesCleanly(const std::wstring& path);

// The text of a list row's column, as the list view shows it.
std::wstring RowText(HWND list, int row, int column);

// Presses "Convert" as a click would and lets the window run until the run has ended; false when
// it has not ended within the time.
bool ConvertAndWait(MainWindow& form, DWORD timeoutMs = 180000);

// One job on this thread with the real process runner and files, ffmpeg.exe found from
// programFolder; a file at the output is replaced once the job has succeeded (as the command
// line's job does).
JobResult ConvertNow(const std::wstring& programFolder, const std::wstring& source, const std::wstring& output,
                     const std::wstring& parameters = L"", bool normalize = false);

// Names of the files in the folder that look like a job's temporary output ("~....part.ext").
std::vector<std::wstring> TemporaryOutputsIn(const std::wstring& folder);

// The ids of the running processes of a program (by its file name, such as "ffmpeg.exe").
std::vector<DWORD> RunningProcesses(const wchar_t* exeName);

class ConversionFixture : public AppFixture {
protected:
    void SetUp() override { PlaceFFmpegBeside(folder.Path()); }
    JobResult ConvertNow(const std::wstring& source, const std::wstring& output, const std::wstring& parameters = L"",
                         bool normalize = false) {
        return test::ConvertNow(folder.Path(), source, output, parameters, normalize);
    }
};

}  // namespace corvana::test
