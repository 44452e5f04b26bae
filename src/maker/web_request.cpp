#include "maker/web_request.h"

#include <cstdint>

#include "common/text.h"

namespace corvana {

namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";

bool IsAsciiAlnum(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

void AppendPercent(std::string& out, unsigned char c) {
    out.push_back('%');
    out.push_back(kUpperHex[c >> 4]);
    out.push_back(kUpperHex[c & 0x0F]);
}

template <typename EncodeText>
std::string EncodeForm(const WebForm& form, EncodeText encode) {
    std::string body;
    for (const std::wstring& line : form) {
        const size_t eq = line.find(L'=');
        const std::wstring_view name = std::wstring_view(line).substr(0, eq);
        const std::wstring_view value =
            eq == std::wstring::npos ? std::wstring_view() : std::wstring_view(line).substr(eq + 1);
        if (!body.empty()) body.push_back('&');
        body += encode(EncodeUtf8(name));
        body.push_back('=');
        body += encode(EncodeUtf8(value));
    }
    return body;
}

std::string SecureEncode(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~')
            out.push_back(static_cast<char>(c));
        else
            AppendPercent(out, c);
    }
    return out;
}

std::string PlainEncode(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == ' ')
            out.push_back('+');
        else if (IsAsciiAlnum(c) || c == '*' || c == '-' || c == '.' || c == '_')
            out.push_back(static_cast<char>(c));
        else
            AppendPercent(out, c);
    }
    return out;
}

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

// UTF-8 that never fails: each byte that does not start a valid sequence becomes U+FFFD.
std::wstring DecodeUtf8Lenient(std::string_view bytes) {
    std::wstring out;
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b0 = static_cast<uint8_t>(bytes[i]);
        const size_t length = b0 < 0x80             ? 1
                              : (b0 & 0xE0) == 0xC0 ? 2
                              : (b0 & 0xF0) == 0xE0 ? 3
                              : (b0 & 0xF8) == 0xF0 ? 4
                                                    : 0;
        if (length > 0 && i + length <= bytes.size()) {
            if (auto decoded = DecodeUtf8(bytes.substr(i, length))) {
                out += *decoded;
                i += length;
                continue;
            }
        }
        out.push_back(L'\uFFFD');
        ++i;
    }
    return out;
}

std::wstring DecodeLatin1(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<uint8_t>(c)));
    return out;
}

std::wstring DecodeAscii(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(static_cast<uint8_t>(c) < 0x80 ? static_cast<wchar_t>(c) : L'\uFFFD');
    return out;
}

std::wstring DecodeWindows1252(std::string_view bytes) {
    // 0x80-0x9F differ from Latin-1; the five unassigned codes become U+FFFD.
    static constexpr wchar_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                          0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::wstring out = DecodeLatin1(bytes);
    for (wchar_t& c : out)
        if (c >= 0x80 && c <= 0x9F) c = kHigh[c - 0x80];
    return out;
}

std::wstring CharsetOf(std::wstring_view contentType) {
    const std::wstring lower = AsciiLowerCase(contentType);
    const size_t at = lower.find(L"charset=");
    if (at == std::wstring::npos) return {};
    std::wstring value = lower.substr(at + 8);
    value = value.substr(0, value.find(L';'));
    value = TrimControl(value);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    return value;
}

// The host name of "host", "host:port" or "[v6 address]:port", exactly as written.
std::wstring_view HostNameOf(std::wstring_view authority) {
    if (authority.starts_with(L'[')) {
        const size_t close = authority.find(L']');
        return close == std::wstring_view::npos ? authority : authority.substr(0, close + 1);
    }
    return authority.substr(0, authority.find(L':'));
}

}  // namespace

std::string EncodeSecureForm(const WebForm& form) {
    return EncodeForm(form, SecureEncode);
}

std::string EncodePlainForm(const WebForm& form) {
    return EncodeForm(form, PlainEncode);
}

bool UsesSecurePath(std::wstring_view address) {
    return StartsWithIgnoreCase(address, L"https://");
}

bool IsWebAddress(std::wstring_view address) {
    std::wstring_view rest;
    if (StartsWithIgnoreCase(address, L"http://"))
        rest = address.substr(7);
    else if (StartsWithIgnoreCase(address, L"https://"))
        rest = address.substr(8);
    else
        return false;
    if (rest.empty() || rest.front() == L'/' || rest.front() == L'\\') return false;
    for (wchar_t c : address)
        if (c <= L' ' || c == 0x7F || c == L'"') return false;
    return true;
}

bool IsMakerAddress(std::wstring_view address, std::wstring_view makerHost) {
    if (!IsWebAddress(address)) return false;
    const std::wstring_view rest = address.substr(address.find(L"://") + 3);
    // Everything up to the path must be the host and at most a port, so that text which merely
    // starts with the maker's host ("maker.evil", "maker@evil", "maker:1@evil") never passes.
    const std::wstring_view authority = rest.substr(0, rest.find_first_of(L"/?#"));
    const std::wstring_view host = HostNameOf(authority);
    const std::wstring_view port = authority.substr(host.size());
    if (!port.empty() && (port.front() != L':' || port.find_first_not_of(L"0123456789", 1) != std::wstring_view::npos))
        return false;
    return !host.empty() && EqualsIgnoreAsciiCase(host, HostNameOf(makerHost));
}

std::wstring DecodeReplyText(std::string_view body, std::wstring_view contentType) {
    const std::wstring charset = CharsetOf(contentType);
    if (charset == L"utf-8" || charset == L"utf8") return DecodeUtf8Lenient(body);
    if (charset == L"iso-8859-1" || charset == L"latin1" || charset == L"iso8859-1") return DecodeLatin1(body);
    if (charset == L"us-ascii" || charset == L"ascii") return DecodeAscii(body);
    if (charset == L"windows-1252" || charset == L"cp1252") return DecodeWindows1252(body);
    if (auto utf8 = DecodeUtf8(body)) return *utf8;
    return DecodeLatin1(body);
}

VendorReply SendVendorRequest(std::wstring_view endpoint, const WebForm& form, int timeoutMs, const FormPoster& post) {
    VendorReply reply;
    try {
        reply.text = post(L"https://" + std::wstring(endpoint), form, timeoutMs);
        return reply;
    } catch (const std::exception&) {
        reply.secureFailed = true;
    }
    try {
        reply.text = post(L"http://" + std::wstring(endpoint), form, timeoutMs);
    } catch (const std::exception&) {
        reply.text.reset();
    }
    return reply;
}

}  // namespace corvana
