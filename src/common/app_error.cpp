#include "common/app_error.h"

#include "common/text.h"

namespace corvana {

AppError::AppError(std::wstring message) : message_(std::move(message)), utf8_(EncodeUtf8(message_)) {}

std::wstring ErrorBoxText(std::wstring_view message) {
    std::wstring text(message);
    if (!text.empty() && static_cast<unsigned>(text.back()) > L'.') text += L'.';
    return text;
}

}  // namespace corvana
