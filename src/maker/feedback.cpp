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
                                          FeedbackChoice choice, std::wstring_view memoText,
                                          std::wstring_view email) {
    std::vector<std::wstring> form{L"cmd=feedback", L"appname=" + std::wstring(appCaption),
                                   L"version=" + std::wstring(appVersion),
                                   L"feedback=" + FeedbackValue(choice, memoText)};
    const std::wstring mail = TrimControl(email);
    if (!mail.empty()) form.push_back(L"email=" + mail);
    return form;
}

bool IsFeedbackReceived(std::wstring_view reply) {
    // Split at CR, LF or CR LF and join with CR LF: line breaks inside stay, so only a reply that
    // is "OK" apart from surrounding blanks and breaks counts.
    std::wstring joined;
    size_t start = 0;
    bool first = true;
    for (size_t i = 0; i <= reply.size(); ++i) {
        if (i == reply.size() || reply[i] == L'\r' || reply[i] == L'\n') {
            if (i == reply.size() && start == i && !first) break;
            if (!first) joined += L"\r\n";
            joined.append(reply.substr(start, i - start));
            first = false;
            if (i < reply.size() && reply[i] == L'\r' && i + 1 < reply.size() && reply[i + 1] == L'\n') ++i;
            start = i + 1;
        }
    }
    return TrimControl(joined) == L"OK";
}

}  // namespace corvana
