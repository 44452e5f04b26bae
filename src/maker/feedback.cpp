#include "maker/feedback.h"

#include <pcre2.h>

#include "common/regex.h"
#include "common/text.h"

namespace corvana {

bool IsValidEmail(std::wstring_view text) {
    static constexpr std::string_view kPattern = "^[a-zA-Z0-9_.+-]+@[a-zA-Z0-9-]+\\.[a-zA-Z0-9-.]*[a-zA-Z0-9]+$";
    return RegexMatches(kPattern, EncodeUtf8(text), PCRE2_NOTEMPTY);
}

std::wstring FeedbackValue(FeedbackChoice choice, std::wstring_view memoText) {
    std::wstring value;
    if (choice == FeedbackChoice::Like) value = L"I like it!\r";
    if (choice == FeedbackChoice::Dislike) value = L"I dislike it!\r";
    return value + TrimControl(memoText);
}

std::vector<std::wstring> FeedbackRequest(std::wstring_view appCaption, std::wstring_view appVersion,
                                          FeedbackChoice choice, std::wstring_view memoText, std::wstring_view email) {
    std::vector<std::wstring> form{L"cmd=feedback", L"appname=" + std::wstring(appCaption),
                                   L"version=" + std::wstring(appVersion),
                                   L"feedback=" + FeedbackValue(choice, memoText)};
    const std::wstring mail = TrimControl(email);
    if (!mail.empty()) form.push_back(L"email=" + mail);
    return form;
}

bool IsFeedbackReceived(std::wstring_view reply) {
    // Lines joined with CR LF: line breaks inside stay, so only a reply that is "OK" apart from
    // surrounding blanks and breaks counts.
    std::wstring joined;
    bool first = true;
    for (const auto& line : SplitLines(reply)) {
        if (!first) joined += L"\r\n";
        joined += line;
        first = false;
    }
    return TrimControl(joined) == L"OK";
}

}  // namespace corvana
