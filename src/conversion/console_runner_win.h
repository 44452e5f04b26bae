// Running a console program hidden, with its standard output and standard error in one pipe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvana {

// A program named without a folder, as the command interpreter would find it from firstFolder:
// there first, then along the search path. Empty when it is nowhere.
std::wstring FindProgram(const std::wstring& name, const std::wstring& firstFolder);

struct ConsoleRun {
    std::optional<uint32_t> exitStatus;  // empty when the program could not be started
    DWORD startError = 0;
    std::string output;  // every byte it wrote, in order
};

// Starts application with commandLine in workDir (hidden window, inherited standard input, one
// pipe for standard output and standard error), reads the pipe while it runs and returns once it
// has ended and the pipe holds nothing more. The pipe's end of data is not waited for: Wine
// reports it about a second after the child has gone.
ConsoleRun RunConsoleProgram(const std::wstring& application, const std::wstring& commandLine,
                             const std::wstring& workDir);

// Bytes in the system's ANSI code page as text.
std::wstring AnsiToWide(std::string_view bytes);

// Console output as text: strict UTF-8 when the bytes are valid UTF-8 (FFmpeg writes file names
// that way), else the ANSI code page.
std::wstring RedecodeAsUtf8(std::string_view bytes);

// The size a directory search reports for the path, or -1 when the search finds nothing.
int64_t FindFileSize(const std::wstring& path);

// Creates a folder with its missing parents. An empty text raises "Unable to create directory";
// otherwise returns whether the folder is there afterwards.
bool ForceDirectories(std::wstring folder);

}  // namespace corvana
