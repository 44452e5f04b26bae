// The program's own command line: its arguments, and the "-input"/"-output" pair cut out of them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvana {

// Splits a whole command line, program name first. Characters with codes 1 to 32 separate
// arguments; a double quote opens a stretch (closed by the next one) in which they do not; the
// quotes are dropped; a backslash is an ordinary character; pairs of double quotes at the start
// of an argument are skipped.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);
// Arguments 1 to N (the program's name left out).
std::vector<std::wstring> ProgramArguments(std::wstring_view commandLine);

// Every argument followed by one space.
std::wstring JoinArguments(const std::vector<std::wstring>& arguments);

struct InputOutput {
    std::wstring input;
    std::wstring output;
};
// Cuts the input and output paths out of the joined text by the positions of the first
// "-output" and of the first "-input" before it (case-sensitive); either may come out empty.
InputOutput CutInputOutput(std::wstring_view joined);

}  // namespace corvana
