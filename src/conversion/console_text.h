// Turning the bytes a console program wrote into text lines: decoded once as a whole, split only
// where the program wrote a line break.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvana {

using AnsiDecoder = std::function<std::wstring(std::string_view)>;

// The bytes as strict UTF-8 when they are valid UTF-8, else through the system's ANSI code page.
std::wstring DecodeConsoleBytes(std::string_view bytes, const AnsiDecoder& ansiDecode);

// Console output as text lines (see SplitLines). Zero characters are dropped, since no box could
// show what follows them.
std::vector<std::wstring> ConsoleLines(std::string_view bytes, const AnsiDecoder& ansiDecode);

// Each line followed by CR LF.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

// How the line a job adds to its log when FFmpeg ended with a failing status begins.
inline constexpr std::wstring_view kExitStatusLine = L"FFmpeg ended with exit status ";

// Why a job failed, from its log: the last line that says what went wrong (FFmpeg's last error,
// or the job's own reason), passing over the exit status and FFmpeg's "Conversion failed!";
// empty when no line says anything.
std::wstring FailureReason(const std::vector<std::wstring>& lines);

// The text of the "ERROR" box: the input, two carriage returns, the reason (FailureReason) and
// two more when there is one, then the captured lines.
std::wstring ErrorDetailsText(std::wstring_view infile, const std::vector<std::wstring>& lines);

}  // namespace corvana
