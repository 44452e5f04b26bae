// One conversion of one file, from the FFmpeg command to the finished output under its final
// name. The outside world (processes, files) comes in through two small interfaces, so the job
// runs the same against the real system and against the tests' stand-ins.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/temporary_output.h"
#include "conversion/console_text.h"

namespace corvana {

// How a job ended.
enum class JobOutcome {
    Converted,
    Failed,
    Stopped,
    Skipped,  // its output was there already, converted in an earlier run; no job ran
};
// What a row and the status bar say for it: "OK", "Error", "Stopped", "Skipped".
const wchar_t* OutcomeText(JobOutcome outcome);

// Starts console programs and hands back what they write.
class ProcessRunner {
public:
    struct Outcome {
        std::optional<uint32_t> exitStatus;  // empty when the program could not be started
        std::wstring failure;                // why it could not be started
    };
    virtual ~ProcessRunner() = default;
    // Runs commandLine (a program name, such as "ffmpeg.exe", and its arguments) and calls
    // onOutput with each piece of its standard output and standard error as it arrives. Asks
    // shouldEnd often (at least every few milliseconds, also while the program floods its
    // output); once it says yes, asks the program to quit ("q" on its standard input) and ends it
    // outright when it has not quit within two seconds.
    virtual Outcome Run(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                        const std::function<bool()>& shouldEnd) = 0;
    // Turns the program's bytes into text (strict UTF-8, else the system's code page).
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // Whether a process of this id runs now (it may have written a temporary output).
    virtual bool IsRunning(uint32_t processId) const = 0;
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
    // The names (without the folder) of the files in a folder; empty when it cannot be read.
    virtual std::vector<std::wstring> FileNamesIn(const std::wstring& folder) const = 0;
};

// How long a job's FFmpeg may go without printing anything and without its output growing
// before it is taken for hung (an input on a dead network share, a pipe nobody writes to) and
// ended.
inline constexpr std::chrono::milliseconds kHungJobLimit = std::chrono::minutes(5);

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
    std::chrono::milliseconds hungAfter = kHungJobLimit;
};

struct JobResult {
    JobOutcome outcome = JobOutcome::Failed;
    std::wstring output;            // the finished file's name (another one when the planned name was taken meanwhile)
    std::vector<std::wstring> log;  // FFmpeg's output, then lines of our own saying why it failed
};

// Runs the job: learns the source's rate when normalising, runs FFmpeg into the temporary file,
// judges the outcome and gives the file its final name. A failed or stopped job leaves no file
// behind; an existing file is never cut, and replaced only with replaceExisting. An FFmpeg that
// shows no sign of life for ticket.hungAfter is ended, and the job fails.
// onPercent is called with 0-99 whenever the job's progress changes (never with a stale value).
JobResult RunJob(const JobTicket& ticket, ProcessRunner& runner, JobFiles& files, const std::atomic<bool>& stop,
                 const std::function<void(int)>& onPercent = nullptr);

}  // namespace corvana
