// One conversion of one file, from the FFmpeg command to the finished output under its final
// name. The outside world (processes, files) comes in through two small interfaces, so the job
// runs the same against the real system and against the tests' stand-ins.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/console_text.h"

namespace corvana {

inline constexpr const wchar_t* kResultStopped = L"Stopped";

// Starts console programs and hands back what they write.
class ProcessRunner {
public:
    struct Outcome {
        std::optional<uint32_t> exitStatus;  // empty when the program could not be started
        std::wstring failure;                // why it could not be started
    };
    virtual ~ProcessRunner() = default;
    // Runs commandLine (a program name, such as "ffmpeg.exe", and its arguments) and calls
    // onOutput with each piece of its standard output and standard error as it arrives. Once stop
    // is set, asks the program to quit ("q" on its standard input) and ends it outright when it
    // has not quit within two seconds.
    virtual Outcome Run(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                        const std::atomic<bool>& stop) = 0;
    // Turns the program's bytes into text (strict UTF-8, else the system's code page).
    virtual std::wstring Decode(std::string_view bytes) const = 0;
};

// The few file operations a job needs.
class JobFiles {
public:
    virtual ~JobFiles() = default;
    virtual bool FileExists(const std::wstring& path) const = 0;   // a file, not a folder
    virtual int64_t FileSize(const std::wstring& path) const = 0;  // -1 when no file is there
    // True when both paths lead to one existing file, however they are spelled.
    virtual bool SameFile(const std::wstring& a, const std::wstring& b) const = 0;
    // Gives a file another name; without replace, fails when the new name is taken. On failure
    // returns the reason.
    virtual std::optional<std::wstring> Rename(const std::wstring& from, const std::wstring& to, bool replace) = 0;
    virtual void Delete(const std::wstring& path) = 0;
    // Creates a folder with its missing parents; on failure returns the reason.
    virtual std::optional<std::wstring> CreateFolder(const std::wstring& folder) = 0;
};

// Everything one job needs, fixed when it starts. Paths are absolute.
struct JobTicket {
    uint64_t id = 0;
    std::wstring source;
    std::wstring output;     // the name the finished file gets
    std::wstring temporary;  // where FFmpeg writes until the job has succeeded
    std::wstring parameters;
    bool normalize = false;
    // The command line names its output: a file there is replaced once the job has succeeded.
    // A run from the list never replaces anything.
    bool replaceExisting = false;
};

struct JobResult {
    std::wstring word;              // "OK", "Error" or "Stopped"
    std::wstring output;            // the finished file's name (another one when the planned name was taken meanwhile)
    std::vector<std::wstring> log;  // FFmpeg's output, then lines of our own saying why it failed
};

// Runs the job: learns the source's rate when normalising, runs FFmpeg into the temporary file,
// judges the outcome and gives the file its final name. A failed or stopped job leaves no file
// behind; an existing file is never cut, and replaced only with replaceExisting.
// onPercent is called with 0-99 whenever the job's progress changes (never with a stale value).
JobResult RunJob(const JobTicket& ticket, ProcessRunner& runner, JobFiles& files, const std::atomic<bool>& stop,
                 const std::function<void(int)>& onPercent = nullptr);

// The temporary name of an output: in the output's folder, with the output's extension, so that
// FFmpeg picks the same format. token tells runs and jobs apart.
std::wstring TemporaryOutputPath(std::wstring_view output, std::wstring_view token);

}  // namespace corvana
