#include "filelist/supported_files.h"

#include "common/text.h"

namespace corvana {

namespace {
constexpr std::wstring_view kSupportedExtensions[] = {
    L".mp4", L".mkv", L".avi", L".mpg",  L".mpeg", L".mov", L".wmv",  L".flv", L".f4v", L".mp3",  L".wma",
    L".wav", L".m4a", L".ogg", L".aiff", L".aac",  L".ac3", L".eac3", L".mp2", L".wv",  L".webm", L".flac"};
}  // namespace

bool IsSupportedFile(std::wstring_view name) {
    const size_t start = [&] {
        const size_t sep = name.find_last_of(L"\\:");
        return sep == std::wstring_view::npos ? 0 : sep + 1;
    }();
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < start) return false;
    const std::wstring_view extension = name.substr(dot);
    for (const auto& supported : kSupportedExtensions)
        if (EqualsIgnoreAsciiCase(extension, supported)) return true;
    return false;
}

}  // namespace corvana
