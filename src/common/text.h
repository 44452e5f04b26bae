// Text helpers shared by the portable core: UTF-8 and wide strings, trimming, ASCII case folding.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvana {

// Strict UTF-8 decoding: overlong forms, surrogates and code points above U+10FFFF are refused.
std::optional<std::wstring> DecodeUtf8(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);
std::string EncodeUtf8(std::wstring_view text);

// The one line splitter: lines end at CR, LF or CR LF, as in a text written under any of the three
// conventions; a break at the very end adds no empty line.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// Removes leading and trailing characters with codes up to 32 (blanks and control characters).
std::wstring TrimControl(std::wstring_view text);

wchar_t AsciiUpper(wchar_t c);
wchar_t AsciiLower(wchar_t c);
std::wstring AsciiLowerCase(std::wstring_view text);
// Equality ignoring the letter case of ASCII letters.
bool EqualsIgnoreAsciiCase(std::wstring_view a, std::wstring_view b);

}  // namespace corvana
