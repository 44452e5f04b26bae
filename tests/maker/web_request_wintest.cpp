// PostForm and the maker request sequence over real HTTP against the stand-in service.
#include <gtest/gtest.h>

#include "support/maker_standin.h"
#include "maker/web_request_win.h"

namespace corvana::test {
namespace {

const WebForm kForm{L"cmd=check", L"appname=KALDERN - Corvana", L"text=a&b=c+d\r\nnext line",
                    L"name=M\u00fcller \u20ac", L"empty="};

class WebRequestWin : public testing::Test {
protected:
    static void SetUpTestSuite() { service = new MakerStandIn(); }
    static void TearDownTestSuite() {
        delete service;
        service = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service->Running()) << "the stand-in service did not start";
        service->SetBehaviour("");
        service->SetBody("<version>1.8</version>\r\n<url>http://x.example/</url>\r\n");
        service->ClearRequests();
    }
    static MakerStandIn* service;
};
MakerStandIn* WebRequestWin::service = nullptr;

// Runs PostForm and tells whether it failed, and how long it took.
struct Attempt {
    bool failed = false;
    std::wstring reply;
    ULONGLONG ms = 0;
};
Attempt Post(const std::wstring& address, int timeoutMs, const WebForm& form = kForm) {
    Attempt a;
    const ULONGLONG start = GetTickCount64();
    try {
        a.reply = PostForm(address, form, timeoutMs);
    } catch (const WebRequestError&) {
        a.failed = true;
    }
    a.ms = GetTickCount64() - start;
    return a;
}

TEST_F(WebRequestWin, PlainPathSendsItsOwnEncodingAndReturnsTheReply) {
    for (const std::wstring scheme : {L"http://", L"HTTP://", L""}) {
        service->ClearRequests();
        const Attempt a = Post(scheme + service->Endpoint(), 5000);
        ASSERT_FALSE(a.failed) << testing::PrintToString(scheme);
        EXPECT_EQ(a.reply, L"<version>1.8</version>\r\n<url>http://x.example/</url>\r\n");
        const auto requests = service->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].scheme, "plain");
        EXPECT_EQ(requests[0].method, "POST");
        EXPECT_EQ(requests[0].path, "/php/check2.php");
        EXPECT_EQ(requests[0].contentType, "application/x-www-form-urlencoded");
        EXPECT_EQ(requests[0].body,
                  "cmd=check&appname=KALDERN+-+Corvana&text=a%26b%3Dc%2Bd%0D%0Anext+line&name=M%C3%BCller+%E2%82%AC&"
                  "empty=");
        EXPECT_EQ(DecodeFormBody(requests[0].body), kForm);
    }
}

TEST_F(WebRequestWin, ReplyDecodedByTheDeclaredCharacterSet) {
    service->SetBody("<version>\xE9</version>");
    service->SetBehaviour("content_type=text/plain; charset=ISO-8859-1\n");
    EXPECT_EQ(Post(L"http://" + service->Endpoint(), 5000).reply, L"<version>\u00e9</version>");
    service->SetBody("<version>\xC3\xA9</version>");
    service->SetBehaviour("content_type=text/plain; charset=utf-8\n");
    EXPECT_EQ(Post(L"http://" + service->Endpoint(), 5000).reply, L"<version>\u00e9</version>");
}

// What the plain path makes of a service that misbehaves: every case is a failure, within about
// the timeout, never a hang.
struct FailureCase {
    const char* label;
    const char* behaviour;
    const char* body;
    bool fails;
};

const FailureCase kPlainCases[] = {
    {"server error page", "status=500\n", "<html><body>Internal Server Error</body></html>", true},
    {"not found", "status=404\n", "Not Found", true},
    {"redirect is not followed", "status=302\n", "", true},
    {"connection reset", "mode=reset\n", "", true},
    {"no answer at all", "mode=hang\n", "", true},
    {"bytes trickling in past the timeout", "mode=drip\ndrip_ms=300\n", "<version>1.8</version>\r\n", true},
    {"10 MB body", "mode=huge\n", "", true},
    {"10 MB body without a length", "mode=huge\nlength_header=no\n", "", true},
    {"slow but within the timeout", "delay_ms=500\n", "<version>1.8</version>", false},
    {"empty body", "", "", false},
    {"ERROR is a reply like any other", "", "ERROR: unknown", false},
    {"just under the size limit", "", nullptr, false},
};

class PlainPathFailures : public WebRequestWin, public testing::WithParamInterface<FailureCase> {};

TEST_P(PlainPathFailures, FailsOnlyWhenNoUsableReplyArrived) {
    const FailureCase& c = GetParam();
    service->SetBehaviour(c.behaviour);
    service->SetBody(c.body ? c.body : std::string(kMaxReplyBytes, 'x'));
    const int timeoutMs = 2000;
    const Attempt a = Post(L"http://" + service->Endpoint(), timeoutMs);
    EXPECT_EQ(a.failed, c.fails);
    if (!c.fails) {
        EXPECT_EQ(a.reply.size(), c.body ? strlen(c.body) : kMaxReplyBytes);
    }
    // Bounded by the timeout: connection, reply and the last piece of a trickle.
    EXPECT_LT(a.ms, 3u * timeoutMs);
}

INSTANTIATE_TEST_SUITE_P(WebRequestWin, PlainPathFailures, testing::ValuesIn(kPlainCases),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             std::string name;
                             for (const char* p = info.param.label; *p; ++p)
                                 if (isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

TEST_F(WebRequestWin, NothingListeningFailsOnBothPaths) {
    // A port the service held a moment ago and gave up: nothing listens there now.
    int closedPort = 0;
    {
        MakerStandIn other;
        ASSERT_TRUE(other.Running());
        closedPort = other.Port();
    }
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        const Attempt a =
            Post(std::wstring(scheme) + L"127.0.0.1:" + std::to_wstring(closedPort) + L"/php/check2.php", 3000);
        EXPECT_TRUE(a.failed);
        EXPECT_LT(a.ms, 9000u);
    }
}

TEST_F(WebRequestWin, UnresolvableHostFails) {
    const Attempt a = Post(L"http://no-such-host.invalid/php/check2.php", 3000);
    EXPECT_TRUE(a.failed);
}

TEST_F(WebRequestWin, SecurePathWithAnUntrustedCertificateFails) {
    const Attempt a = Post(L"https://" + service->Endpoint(), 5000);
    EXPECT_TRUE(a.failed);
    // The form never left: the channel was refused before any request.
    EXPECT_TRUE(service->Requests().empty());
}

TEST_F(WebRequestWin, SequenceFallsBackToPlainWhenTheSecureAttemptFails) {
    const VendorReply reply = SendVendorRequest(service->Endpoint(), kForm, 5000, PostForm);
    EXPECT_TRUE(reply.secureFailed);
    ASSERT_TRUE(reply.text.has_value());
    EXPECT_EQ(*reply.text, L"<version>1.8</version>\r\n<url>http://x.example/</url>\r\n");
    const auto requests = service->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].scheme, "plain");
}

TEST_F(WebRequestWin, SequenceFailsOnlyAfterBothAttempts) {
    service->SetBehaviour("mode=reset\n");
    const VendorReply reply = SendVendorRequest(service->Endpoint(), kForm, 3000, PostForm);
    EXPECT_TRUE(reply.secureFailed);
    EXPECT_FALSE(reply.text.has_value());
    EXPECT_EQ(service->Requests().size(), 1u);  // the plain attempt reached the service
}

TEST_F(WebRequestWin, UnsupportedSchemeFailsWithoutContact) {
    EXPECT_TRUE(Post(L"ftp://" + service->Endpoint(), 3000).failed);
    EXPECT_TRUE(service->Requests().empty());
}

}  // namespace
}  // namespace corvana::test
