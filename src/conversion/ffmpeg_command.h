// The text of one FFmpeg job and the reading of its outcome: the command line, the output's
// name, and whether the job counts as done.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvana {

inline constexpr const wchar_t* kResultOK = L"OK";
inline constexpr const wchar_t* kResultError = L"Error";

// The user's parameters (plus " -af loudnorm" when normalising), trimmed of blanks and control
// characters and framed by one blank on each side; a single blank when nothing is left.
std::wstring ParameterBlock(std::wstring_view parameters, bool normalize);

// "ffmpeg.exe -y -vn -i" + quoted input + parameter block + quoted output.
std::wstring FFmpegCommandLine(std::wstring_view infile, std::wstring_view outfile, std::wstring_view parameters,
                               bool normalize);

// The pieces an output path is made of. A file name is what follows the last backslash or colon;
// its extension starts at its last dot.
std::wstring FolderPart(std::wstring_view path);  // up to and including the last backslash or colon
std::wstring FileNamePart(std::wstring_view path);
std::wstring BaseName(std::wstring_view path);       // the file name without its extension
std::wstring ExtensionPart(std::wstring_view path);  // from the last dot of the file name; may be empty
// The path without its file name and without a trailing backslash; a drive root keeps its own.
std::wstring SourceFolder(std::wstring_view path);
// "." + the format's name with its ASCII letters in lower case ("EAC3" gives ".eac3").
std::wstring OutputExtension(std::wstring_view format);
// folder + "\" + base name + extension. A source given without any folder keeps its output
// beside it (no folder) instead of in the root of the current drive.
std::wstring ComposeOutputPath(std::wstring_view folder, std::wstring_view baseName, std::wstring_view extension);

// The path itself when no file is there, else the first free "base (n).ext" for n = 2, 3, ...
// fileExists answers for files only: a folder at the path does not count.
std::wstring UniqueOutputName(std::wstring_view path, const std::function<bool(const std::wstring&)>& fileExists);

// What a finished job means. A job is done only when FFmpeg said so (exit status 0) and left a
// non-empty file; a failed job's output goes away only when the job itself created it.
struct JobOutcome {
    bool ok = false;
    bool deleteOutput = false;
};
// exitStatus: empty when FFmpeg could not be started. outputSize: -1 when no file is at the path.
JobOutcome JudgeJob(const std::optional<uint32_t>& exitStatus, int64_t outputSize, bool outputExistedBefore);

}  // namespace corvana
