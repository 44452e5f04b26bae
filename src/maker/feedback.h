// The feedback form's portable pieces: the e-mail check, the request it sends and how the
// service's answer is judged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvana {

enum class FeedbackChoice { None, Like, Dislike };

// The e-mail pattern, matched with PCRE2 and the option that forbids an empty match.
bool IsValidEmail(std::wstring_view text);

// The value of the "feedback" line: the choice's words and a carriage return, then the message
// with blanks and control characters trimmed from both ends.
std::wstring FeedbackValue(FeedbackChoice choice, std::wstring_view memoText);

// The form's lines in order; "email" only when the trimmed address is not empty.
std::vector<std::wstring> FeedbackRequest(std::wstring_view appCaption, std::wstring_view appVersion,
                                          FeedbackChoice choice, std::wstring_view memoText, std::wstring_view email);

// The service stored the message: its reply, split into lines, joined and trimmed, is exactly "OK".
bool IsFeedbackReceived(std::wstring_view reply);

}  // namespace corvana
