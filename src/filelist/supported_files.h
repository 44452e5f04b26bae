// The type test of folder scans, drops and command-line lists: the extension alone decides.
#pragma once

#include <string_view>

namespace corvana {

// True when the name's extension (from the last dot after the last backslash or colon, compared
// without ASCII case) is one of the supported audio and video types. ".opus" is not among them.
bool IsSupportedFile(std::wstring_view name);

}  // namespace corvana
