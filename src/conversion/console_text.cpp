#include "conversion/console_text.h"

#include "common/text.h"

namespace corvana {

std::wstring DecodeConsoleBytes(std::string_view bytes, const AnsiDecoder& ansiDecode) {
    if (auto text = DecodeUtf8(bytes)) return std::move(*text);
    return ansiDecode(bytes);
}

std::vector<std::wstring> ConsoleLines(std::string_view bytes, const AnsiDecoder& ansiDecode) {
    std::wstring text = DecodeConsoleBytes(bytes, ansiDecode);
    std::erase(text, L'\0');
    return SplitLines(text);
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    size_t size = 0;
    for (const auto& l : lines) size += l.size() + 2;
    std::wstring text;
    text.reserve(size);
    for (const auto& l : lines) {
        text += l;
        text += L"\r\n";
    }
    return text;
}

std::wstring FailureReason(const std::vector<std::wstring>& lines) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        const std::wstring line = TrimControl(*it);
        // Not reasons: the exit status the job adds, FFmpeg's closing words, its progress lines.
        if (line.empty() || line.starts_with(kExitStatusLine) || line == L"Conversion failed!" ||
            line.starts_with(L"size=") || line.starts_with(L"video:"))
            continue;
        return line;
    }
    return {};
}

std::wstring ErrorDetailsText(std::wstring_view infile, const std::vector<std::wstring>& lines) {
    std::wstring text(infile);
    text += L"\r\r";
    if (const std::wstring reason = FailureReason(lines); !reason.empty()) {
        text += reason;
        text += L"\r\r";
    }
    text += JoinLines(lines);
    return text;
}

}  // namespace corvana
