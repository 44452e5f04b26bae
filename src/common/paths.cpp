#include "common/paths.h"

namespace corvana {

namespace {
size_t FileNameStart(std::wstring_view path) {
    const size_t sep = path.find_last_of(L"\\:");
    return sep == std::wstring_view::npos ? 0 : sep + 1;
}
size_t ExtensionStart(std::wstring_view path) {
    const size_t start = FileNameStart(path);
    const size_t dot = path.rfind(L'.');
    return dot == std::wstring_view::npos || dot < start ? path.size() : dot;
}
}  // namespace

std::wstring FolderPart(std::wstring_view path) {
    return std::wstring(path.substr(0, FileNameStart(path)));
}

std::wstring FileNamePart(std::wstring_view path) {
    return std::wstring(path.substr(FileNameStart(path)));
}

std::wstring BaseName(std::wstring_view path) {
    const size_t start = FileNameStart(path);
    return std::wstring(path.substr(start, ExtensionStart(path) - start));
}

std::wstring ExtensionPart(std::wstring_view path) {
    return std::wstring(path.substr(ExtensionStart(path)));
}

std::wstring FolderOf(std::wstring_view path) {
    std::wstring folder = FolderPart(path);
    // "C:\\" stays a root; "C:\\music\\" loses its backslash.
    if (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
    return folder;
}

std::wstring WithTrailingBackslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring DrivePart(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return std::wstring(path.substr(0, 2));
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring_view::npos || server == 2) return {};
        const size_t share = path.find(L'\\', server + 1);
        return std::wstring(path.substr(0, share == std::wstring_view::npos ? path.size() : share));
    }
    return {};
}

std::wstring ExtendedLengthPath(std::wstring_view path) {
    const auto isLetter = [](wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); };
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + std::wstring(path);
    // "\\server\share\..." but not "\\?\..." or "\\.\..." (already extended, or a device).
    if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' && path[2] != L'.' &&
        !DrivePart(path).empty())
        return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    return std::wstring(path);
}

}  // namespace corvana
