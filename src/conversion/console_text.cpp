#include "conversion/console_text.h"

#include "common/text.h"

namespace corvana {

std::wstring DecodeConsoleBytes(std::string_view bytes, const AnsiDecoder& ansiDecode) {
    if (auto text = DecodeUtf8(bytes)) return std::move(*text);
    return ansiDecode(bytes);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c != L'\0') {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
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

std::wstring ErrorDetailsText(std::wstring_view infile, const std::vector<std::wstring>& lines) {
    std::wstring text(infile);
    text += L"\r\r";
    text += JoinLines(lines);
    return text;
}

}  // namespace corvana
