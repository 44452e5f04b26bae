// Running a console program hidden, with its standard output and standard error read as they come.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/conversion_job.h"

namespace corvana {

// A program named without a folder, as the command interpreter would find it from firstFolder:
// there first, then along the search path. Empty when it is nowhere.
std::wstring FindProgram(const std::wstring& name, const std::wstring& firstFolder);

struct ConsoleRun {
    std::optional<uint32_t> exitStatus;  // empty when the program could not be started
    DWORD startError = 0;
};

// Starts application with commandLine in workDir (hidden, without a console; its standard output
// and standard error go into one temporary file, or a pipe when no file can be made, and its
// standard input is a pipe) and hands each piece of its output to onOutput as it arrives; returns
// once it has ended and all it wrote has been handed on. Only those three handles are inherited.
// Once shouldEnd (when given) says yes, the program gets "q" on its standard input and, when it
// has not ended two seconds later, is ended outright; shouldEnd is asked between any two reads,
// so a program that floods its output is ended as soon as one that is quiet. Every program
// started here ends with this process.
ConsoleRun RunProcess(const std::wstring& application, const std::wstring& commandLine, const std::wstring& workDir,
                      const std::function<void(std::string_view)>& onOutput,
                      const std::function<bool()>& shouldEnd = nullptr);

// The jobs' process runner: the program named first in a command line is found beside this
// program, then along the search path, and runs in this program's folder.
class ConsoleProcessRunner : public ProcessRunner {
public:
    explicit ConsoleProcessRunner(std::wstring programFolder);
    Outcome Run(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                const std::function<bool()>& shouldEnd) override;
    std::wstring Decode(std::string_view bytes) const override;
    bool IsRunning(uint32_t processId) const override;

private:
    std::wstring programFolder_;
};

// The jobs' files: the real file system.
class WindowsJobFiles : public JobFiles {
public:
    bool FileExists(const std::wstring& path) const override;
    int64_t FileSize(const std::wstring& path) const override;
    bool SameFile(const std::wstring& a, const std::wstring& b) const override;
    std::optional<std::wstring> Rename(const std::wstring& from, const std::wstring& to, bool replace) override;
    void Delete(const std::wstring& path) override;
    std::optional<std::wstring> CreateFolder(const std::wstring& folder) override;
    std::vector<std::wstring> FileNamesIn(const std::wstring& folder) const override;
};

// Bytes in the system's ANSI code page as text.
std::wstring AnsiToWide(std::string_view bytes);

// Console output as text: strict UTF-8 when the bytes are valid UTF-8 (FFmpeg writes file names
// that way), else the ANSI code page.
std::wstring DecodeConsoleOutput(std::string_view bytes);

}  // namespace corvana
