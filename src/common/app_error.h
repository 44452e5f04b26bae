// The failure that abandons a command and reaches the standard error box ("Corvana").
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace corvana {

class AppError : public std::exception {
public:
    explicit AppError(std::wstring message);
    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

// The text of the standard error box: the message, with a full stop appended when its last
// character has a code above that of the full stop.
std::wstring ErrorBoxText(std::wstring_view message);

}  // namespace corvana
