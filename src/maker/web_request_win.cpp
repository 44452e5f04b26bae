#include "maker/web_request_win.h"

#include <windows.h>
#include <shellapi.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "common/text.h"
#include "win/handles_win.h"

namespace corvana {

namespace {

void CloseInternetHandle(HINTERNET h) {
    ::WinHttpCloseHandle(h);
}
using UniqueInternet = UniqueHandle<HINTERNET, CloseInternetHandle>;

[[noreturn]] void Fail(const char* what, DWORD code = GetLastError()) {
    throw WebRequestError(std::string(what) + " (" + std::to_string(code) + ")");
}

std::wstring QueryTextHeader(HINTERNET request, DWORD info) {
    DWORD size = 0;
    WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size, WINHTTP_NO_HEADER_INDEX))
        return {};
    text.resize(size / sizeof(wchar_t));
    return text;
}

std::optional<DWORD> QueryNumberHeader(HINTERNET request, DWORD info) {
    DWORD value = 0, size = sizeof(value);
    if (!WinHttpQueryHeaders(request, info | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return std::nullopt;
    return value;
}

// One request in flight. The blocking WinHTTP calls run on a helper thread so that the caller can
// give up on time: WinHTTP does not bound every wait by its own timeouts (a server that accepts
// the request and never answers can hold the status line for minutes). Held by both threads.
struct Exchange {
    UniqueInternet session, connection, request;
    std::string body;
    bool secure = false;
    int timeoutMs = 0;
    std::atomic<bool> abandoned{false};
    UniqueKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Results, read by the caller only after `done` is set.
    std::string error;
    DWORD status = 0;
    std::wstring contentType;
    std::string reply;
};

// Sends the request and reads the reply; sets exchange.error on any failure.
void Transfer(Exchange& exchange) {
    HINTERNET request = exchange.request.get();
    const auto fail = [&](const char* what) {
        exchange.error = std::string(what) + " (" + std::to_string(GetLastError()) + ")";
    };
    const wchar_t* headers =
        exchange.secure ? L"Connection: close\r\nContent-Type: application/x-www-form-urlencoded; charset=UTF-8\r\n"
                        : L"Content-Type: application/x-www-form-urlencoded\r\n";
    if (!WinHttpSendRequest(request, headers, static_cast<DWORD>(-1L), exchange.body.data(),
                            static_cast<DWORD>(exchange.body.size()), static_cast<DWORD>(exchange.body.size()), 0))
        return fail("request not sent");

    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(exchange.timeoutMs);
    if (exchange.abandoned || !WinHttpReceiveResponse(request, nullptr)) return fail("no reply");

    const auto status = QueryNumberHeader(request, WINHTTP_QUERY_STATUS_CODE);
    if (!status) return fail("no status");
    exchange.status = *status;
    if (!exchange.secure && (*status < 200 || *status > 299)) {
        exchange.error = "status " + std::to_string(*status);
        return;
    }
    if (const auto length = QueryNumberHeader(request, WINHTTP_QUERY_CONTENT_LENGTH);
        length && *length > kMaxReplyBytes) {
        exchange.error = "reply too long";
        return;
    }
    exchange.contentType = QueryTextHeader(request, WINHTTP_QUERY_CONTENT_TYPE);

    // The timeout bounds the whole reply, not each piece of it, so a server that trickles bytes
    // cannot hold the caller much longer than one timeout.
    char buffer[8192];
    for (;;) {
        if (exchange.abandoned || GetTickCount64() >= deadline) {
            exchange.error = "reply timed out";
            return;
        }
        // Asking only for what has arrived keeps a read from waiting to fill the whole buffer.
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) return fail("reply broken off");
        if (available == 0) break;
        DWORD read = 0;
        if (exchange.abandoned || !WinHttpReadData(request, buffer, std::min<DWORD>(available, sizeof(buffer)), &read))
            return fail("reply broken off");
        if (read == 0) break;
        if (exchange.reply.size() + read > kMaxReplyBytes) {
            exchange.error = "reply too long";
            return;
        }
        exchange.reply.append(buffer, read);
    }
}

}  // namespace

std::wstring PostForm(const std::wstring& address, const WebForm& form, int timeoutMs) {
    const bool secure = UsesSecurePath(address);
    // Cracked with the scheme in lower case; the address itself may write it in any case, and an
    // address without a scheme is a plain one.
    std::wstring target;
    if (secure) {
        target = L"https://" + address.substr(8);
    } else if (address.size() >= 7 && EqualsIgnoreAsciiCase(std::wstring_view(address).substr(0, 7), L"http://")) {
        target = L"http://" + address.substr(7);
    } else if (address.find(L"://") == std::wstring::npos) {
        target = L"http://" + address;
    } else {
        throw WebRequestError("unsupported address scheme");
    }

    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(target.c_str(), 0, 0, &parts)) Fail("address not understood");
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                        std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";

    auto exchange = std::make_shared<Exchange>();
    exchange->secure = secure;
    exchange->timeoutMs = timeoutMs;
    exchange->body = secure ? EncodeSecureForm(form) : EncodePlainForm(form);
    if (!exchange->done) Fail("no event");

    exchange->session.reset(
        WinHttpOpen(L"Corvana", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!exchange->session) Fail("no HTTP session");
    // Name resolution is bounded too: an unanswered DNS query must not outlast the timeout.
    if (!WinHttpSetTimeouts(exchange->session.get(), timeoutMs, timeoutMs, timeoutMs, timeoutMs))
        Fail("timeouts not set");
    // A redirect could carry the form to a host the program never named.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    WinHttpSetOption(exchange->session.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    exchange->connection.reset(WinHttpConnect(exchange->session.get(), host.c_str(), parts.nPort, 0));
    if (!exchange->connection) Fail("no connection");
    exchange->request.reset(WinHttpOpenRequest(exchange->connection.get(), L"POST", path.c_str(), nullptr,
                                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                               secure ? WINHTTP_FLAG_SECURE : 0));
    if (!exchange->request) Fail("no request");

    std::thread helper([exchange] {
        try {
            Transfer(*exchange);
        } catch (...) {
            exchange->error = "transfer failed";
        }
        SetEvent(exchange->done.get());
    });

    // The connection (with the request) and the reply each have the timeout; a little more for
    // the helper to report.
    const DWORD limit = static_cast<DWORD>(2 * static_cast<ULONGLONG>(timeoutMs) + 500);
    if (WaitForSingleObject(exchange->done.get(), limit) != WAIT_OBJECT_0) {
        // Closing the request breaks off a blocked call; a call that still does not return is left
        // to end on its own, with the exchange kept alive by the helper.
        exchange->abandoned = true;
        WinHttpCloseHandle(exchange->request.release());
        if (WaitForSingleObject(exchange->done.get(), 250) == WAIT_OBJECT_0)
            helper.join();
        else
            helper.detach();
        throw WebRequestError("no reply in time");
    }
    helper.join();
    if (!exchange->error.empty()) throw WebRequestError(exchange->error);
    return DecodeReplyText(exchange->reply, exchange->contentType);
}

void OpenWebAddress(const std::wstring& address) {
    // The shell's "open" would just as well run a program or open a local file.
    if (!IsWebAddress(address)) return;
    ShellExecuteW(GetDesktopWindow(), L"open", address.c_str(), nullptr, nullptr, SW_HIDE);
}

}  // namespace corvana
