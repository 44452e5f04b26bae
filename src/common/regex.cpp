#include "common/regex.h"

#include <memory>
#include <pcre2.h>

namespace corvana {

bool RegexMatches(std::string_view pattern, std::string_view subject, uint32_t matchOptions) {
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), PCRE2_UTF, &errorCode, &errorOffset,
                      nullptr),
        &pcre2_code_free);
    if (!code) return false;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> match(
        pcre2_match_data_create_from_pattern(code.get(), nullptr), &pcre2_match_data_free);
    const int rc = pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                               matchOptions, match.get(), nullptr);
    return rc >= 0;
}

}  // namespace corvana
