// The forms sent to the maker's service and the e-mail check: both encodings give back the form
// when decoded, whatever the text.
#include "common/text.h"
#include "fuzz_input.h"
#include "maker/feedback.h"
#include "maker/web_request.h"

using namespace corvana;

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent-decoding, "+" for a space where the plain path writes one.
std::string Decode(std::string_view encoded, bool plusIsSpace) {
    std::string bytes;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%') {
            FUZZ_CHECK(i + 2 < encoded.size());
            const int high = HexValue(encoded[i + 1]), low = HexValue(encoded[i + 2]);
            FUZZ_CHECK(high >= 0 && low >= 0);
            bytes.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (plusIsSpace && encoded[i] == '+') {
            bytes.push_back(' ');
        } else {
            bytes.push_back(encoded[i]);
        }
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::wstring text = fuzz::Wide(data, size);
    IsValidEmail(text);
    const WebForm form{L"cmd=check", L"text=" + text};
    const std::string plain = EncodePlainForm(form), secure = EncodeSecureForm(form);
    // The value's own "&" and "=" are encoded, so the first "&text=" starts the value.
    const std::string expected = EncodeUtf8(text);
    for (const auto& [encoded, plusIsSpace] : {std::pair{&plain, true}, std::pair{&secure, false}}) {
        FUZZ_CHECK(encoded->find_first_of(" \r\n\t") == std::string::npos);
        const std::string prefix = "cmd=check&text=";
        FUZZ_CHECK(encoded->rfind(prefix, 0) == 0);
        FUZZ_CHECK(Decode(std::string_view(*encoded).substr(prefix.size()), plusIsSpace) == expected);
    }
    return 0;
}
