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

// The text of the "ERROR" box: the input, two carriage returns, then the captured lines.
std::wstring ErrorDetailsText(std::wstring_view infile, const std::vector<std::wstring>& lines);

}  // namespace corvana
