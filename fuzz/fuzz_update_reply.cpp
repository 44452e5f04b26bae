// What the maker's service sends back: reply text in any character set, the element lines, the
// numbers in them, the scrambled download address and the address test.
#include "fuzz_input.h"
#include "maker/update_check.h"
#include "maker/web_request.h"

using namespace corvana;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    // The first line, up to a zero byte, is the Content-Type header; the rest is the body.
    const size_t split = bytes.find('\0');
    const std::wstring contentType =
        split == std::string_view::npos ? std::wstring() : fuzz::Latin1(bytes.substr(0, split));
    const std::string_view body = split == std::string_view::npos ? bytes : bytes.substr(split + 1);
    const std::wstring text = DecodeReplyText(body, contentType);

    for (const wchar_t* tag : {L"version", L"url", L"message"}) {
        const std::wstring value = ExtractTagValue(text, tag);
        FUZZ_CHECK(value.size() <= text.size());
        ParseInteger(value);
        IsWebAddress(value);
    }
    ParseInteger(text);
    IsMachineIdentifier(text);
    UsesSecurePath(text);
    // Scrambling gives the address back; unscrambling anything never fails badly.
    FUZZ_CHECK(UnscrambleUrl(ScrambleUrl(text)) == text);
    UnscrambleUrl(text);
    return 0;
}
