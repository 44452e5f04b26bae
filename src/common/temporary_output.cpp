#include "common/temporary_output.h"

#include "common/paths.h"

namespace corvana {

namespace {
constexpr std::wstring_view kMark = L"~Corvana-";
constexpr std::wstring_view kPart = L".part";

// Reads the decimal number at the start of text (at most 10 digits) and removes it.
std::optional<uint64_t> TakeNumber(std::wstring_view& text) {
    size_t digits = 0;
    uint64_t value = 0;
    while (digits < text.size() && digits < 10 && text[digits] >= L'0' && text[digits] <= L'9')
        value = value * 10 + static_cast<uint64_t>(text[digits++] - L'0');
    if (digits == 0) return std::nullopt;
    text.remove_prefix(digits);
    return value;
}
}  // namespace

std::wstring TemporaryTokenPrefix(uint32_t processId) {
    return std::wstring(kMark.substr(1)) + std::to_wstring(processId) + L"-";
}

std::wstring TemporaryOutputPath(std::wstring_view output, std::wstring_view token) {
    return FolderPart(output) + L"~" + std::wstring(token) + std::wstring(kPart) + ExtensionPart(output);
}

std::optional<uint32_t> TemporaryOutputOwner(std::wstring_view name) {
    // Asked for every file a folder scan meets: it looks at the name in place.
    const size_t separator = name.find_last_of(L"\\:");
    std::wstring_view rest = separator == std::wstring_view::npos ? name : name.substr(separator + 1);
    if (!rest.starts_with(kMark)) return std::nullopt;
    rest.remove_prefix(kMark.size());
    const auto process = TakeNumber(rest);
    if (!process || *process > UINT32_MAX || !rest.starts_with(L'-')) return std::nullopt;
    rest.remove_prefix(1);
    if (!TakeNumber(rest)) return std::nullopt;
    if (rest.starts_with(L'-')) {
        rest.remove_prefix(1);
        if (!TakeNumber(rest)) return std::nullopt;
    }
    if (!rest.starts_with(kPart)) return std::nullopt;
    rest.remove_prefix(kPart.size());
    // Nothing more, or the output's extension.
    if (!rest.empty() && (rest[0] != L'.' || rest.find(L'.', 1) != std::wstring_view::npos)) return std::nullopt;
    return static_cast<uint32_t>(*process);
}

}  // namespace corvana
