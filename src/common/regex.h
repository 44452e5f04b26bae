// Pattern matching with PCRE2 (UTF-8 subjects and patterns).
#pragma once

#include <cstdint>
#include <string_view>

namespace corvana {

// True when the pattern matches somewhere in the subject. matchOptions are PCRE2 match options
// (for instance PCRE2_NOTEMPTY). A pattern that does not compile matches nothing.
bool RegexMatches(std::string_view pattern, std::string_view subject, uint32_t matchOptions = 0);

}  // namespace corvana
