#include "conversion/output_folders.h"

#include <algorithm>
#include <array>

#include "common/paths.h"
#include "common/text.h"

namespace corvana {

namespace {

std::wstring_view WithoutTrailingBackslashes(std::wstring_view path) {
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return path;
}

bool IsDeviceName(std::wstring_view name) {
    // A device name stays one with any extension ("NUL.txt").
    const std::wstring stem = AsciiLowerCase(name.substr(0, name.find(L'.')));
    static constexpr std::array<std::wstring_view, 4> kPlain = {L"con", L"prn", L"aux", L"nul"};
    if (std::find(kPlain.begin(), kPlain.end(), stem) != kPlain.end()) return true;
    return stem.size() == 4 && (stem.starts_with(L"com") || stem.starts_with(L"lpt")) && stem[3] >= L'1' &&
           stem[3] <= L'9';
}

}  // namespace

std::wstring TargetFolderName(std::wstring_view folder) {
    std::wstring_view trimmed = WithoutTrailingBackslashes(folder);
    std::wstring name = FileNamePart(trimmed);
    // "D:" (a drive root) names the drive by its letter.
    if (name.empty() && trimmed.size() >= 2 && trimmed[1] == L':') name = std::wstring(1, trimmed[0]);
    for (wchar_t& c : name)
        if (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) c = L'_';
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    if (name.empty()) return L"_";
    if (IsDeviceName(name)) name += L'_';
    return name;
}

std::wstring StructuredOutputFolder(std::wstring_view target, std::wstring_view addedFrom,
                                    std::wstring_view sourceFolder) {
    std::wstring folder = WithTrailingBackslash(std::wstring(target)) + TargetFolderName(addedFrom);
    const std::wstring_view base = WithoutTrailingBackslashes(addedFrom);
    const std::wstring_view source = WithoutTrailingBackslashes(sourceFolder);
    if (source.size() > base.size() && source[base.size()] == L'\\' &&
        EqualsIgnoreAsciiCase(source.substr(0, base.size()), base))
        folder += source.substr(base.size());
    return folder;
}

}  // namespace corvana
