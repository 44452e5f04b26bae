// The two ways the maker services reach the outside: a form sent to the maker's web service, and
// a web page handed to the user's browser.
#pragma once

#include <string>

#include "maker/web_request.h"

namespace corvana {

// Sends the form by POST and returns the reply text. An https:// address (any letter case) goes
// through the secure path, which returns the body whatever the status; anything else through the
// plain path, which fails on a status outside 2xx. Throws WebRequestError when no reply arrived,
// including a reply longer than kMaxReplyBytes. Blocks the calling thread; safe on any thread.
std::wstring PostForm(const std::wstring& address, const WebForm& form, int timeoutMs);

// Asks the shell to open a web page. Only http:// and https:// addresses are handed over;
// anything else is ignored, as is any failure of the shell.
void OpenWebAddress(const std::wstring& address);

}  // namespace corvana
