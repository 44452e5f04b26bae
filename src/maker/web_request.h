// The maker's web service as the maker services see it: where it lives, how a form is written
// on each of the two schemes, which addresses may go to the browser, and the order in which the
// schemes are tried.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvana {

// The host (optionally host:port) comes from the build, so that a test or private build talks to a
// service of its own and no release ever sends anything to a host nobody here controls.
inline constexpr const wchar_t* MakerHost = L"" CORVANA_MAKER_HOST;
inline constexpr const wchar_t* CheckEndpoint = L"" CORVANA_MAKER_HOST "/php/check2.php";
inline constexpr const wchar_t* FeedbackEndpoint = L"" CORVANA_MAKER_HOST "/php/feedback.php";
// Where the download link leads when the service named no usable address.
inline constexpr const wchar_t* HomePageFallback = L"http://" CORVANA_MAKER_HOST;

inline constexpr int kCheckTimeoutMs = 10000;
inline constexpr int kFeedbackTimeoutMs = 3000;

// Replies are a few short lines; anything longer is a broken or hostile server and is refused
// before it can use up memory.
inline constexpr size_t kMaxReplyBytes = 64 * 1024;

// A form: "name=value" lines sent in order. The name is what comes before the first "="; the
// value may hold anything, line breaks included.
using WebForm = std::vector<std::wstring>;

// Why PostForm returned no reply.
class WebRequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The body of the secure path: UTF-8 bytes percent-encoded, only unreserved characters kept.
std::string EncodeSecureForm(const WebForm& form);
// The body of the plain path: "+" for a space, letters, digits and "*-._" kept, every other byte
// of the UTF-8 form as upper-case "%XX".
std::string EncodePlainForm(const WebForm& form);

// True when the address (in any letter case) names the secure scheme.
bool UsesSecurePath(std::wstring_view address);

// True only for an http:// or https:// address that a browser can be handed safely: a host part
// follows the scheme, and nothing in it is blank, a control character or a quote.
bool IsWebAddress(std::wstring_view address);

// True only for a web address (see IsWebAddress) on the maker's own host: the host name equals that
// of makerHost in any letter case, and the address carries no user part. A port on either side is
// not compared. makerHost is "host" or "host:port", as in CORVANA_MAKER_HOST.
bool IsMakerAddress(std::wstring_view address, std::wstring_view makerHost = MakerHost);

// A reply body as text, decoded by the character set its Content-Type header declares. Bytes that
// do not decode become U+FFFD; with no character set declared, UTF-8 is tried first, then Latin-1.
std::wstring DecodeReplyText(std::string_view body, std::wstring_view contentType);

// Sends a form to the address and returns the reply; throws (WebRequestError or any other
// exception) when no reply arrived.
using FormPoster = std::function<std::wstring(const std::wstring& address, const WebForm& form, int timeoutMs)>;

struct VendorReply {
    std::optional<std::wstring> text;  // empty when neither scheme answered
    bool secureFailed = false;         // the secure attempt brought no reply
};

// The maker request sequence: the secure scheme first, the plain one only when that brought no
// reply at all. endpoint is host and path without a scheme.
VendorReply SendVendorRequest(std::wstring_view endpoint, const WebForm& form, int timeoutMs, const FormPoster& post);

}  // namespace corvana
