#include "conversion/command_line.h"

namespace corvana {

namespace {
bool IsSeparator(wchar_t c) {
    return c >= 1 && c <= 32;
}
}  // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
    std::vector<std::wstring> arguments;
    size_t i = 0;
    const size_t n = commandLine.size();
    for (;;) {
        for (;;) {
            while (i < n && IsSeparator(commandLine[i])) ++i;
            if (i + 1 < n && commandLine[i] == L'"' && commandLine[i + 1] == L'"') {
                i += 2;
            } else {
                break;
            }
        }
        if (i >= n || commandLine[i] == L'\0') break;
        std::wstring argument;
        while (i < n && commandLine[i] != L'\0' && !IsSeparator(commandLine[i])) {
            if (commandLine[i] == L'"') {
                ++i;
                while (i < n && commandLine[i] != L'\0' && commandLine[i] != L'"') argument += commandLine[i++];
                if (i < n && commandLine[i] == L'"') ++i;
            } else {
                argument += commandLine[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::vector<std::wstring> ProgramArguments(std::wstring_view commandLine) {
    auto arguments = SplitCommandLine(commandLine);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

std::wstring JoinArguments(const std::vector<std::wstring>& arguments) {
    std::wstring joined;
    for (const auto& a : arguments) {
        joined += a;
        joined += L' ';
    }
    return joined;
}

InputOutput CutInputOutput(std::wstring_view joined) {
    InputOutput cut;
    std::wstring_view head = joined;
    // The text after "-output" and its blank, up to the final blank of the joined text; the head
    // is what stands before the blank in front of "-output".
    if (const size_t a = joined.find(L"-output"); a != std::wstring_view::npos) {
        const size_t from = a + 8;  // past "-output" (seven characters) and the blank after it
        const size_t end = joined.empty() ? 0 : joined.size() - 1;
        if (from < end) cut.output = joined.substr(from, end - from);
        head = joined.substr(0, a >= 1 ? a - 1 : 0);
    }
    if (const size_t b = head.find(L"-input"); b != std::wstring_view::npos) {
        const size_t from = b + 7;  // past "-input" (six characters) and the blank after it
        if (from < head.size()) cut.input = head.substr(from);
    }
    return cut;
}

}  // namespace corvana
