// The update check against the stand-in service and the real registry of the test prefix.
#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "support/browser_log.h"
#include "support/maker_standin.h"
#include "maker/check_win.h"
#include "maker/newversion_win.h"

namespace corvana::test {
namespace {

const std::wstring kKeyPath = L"Software\\KALDERN\\Corvana\\Settings";

// A download on the maker's own host (the stand-in answers on another host, as a plain reply
// planted on the way would).
const std::string kMakerDownload = std::string("https://") + CORVANA_MAKER_HOST + "/corvana-1.8.exe";
const std::wstring kMakerDownloadW(kMakerDownload.begin(), kMakerDownload.end());

std::string CheckReply(const std::string& url) {
    return "<version>1.8</version>\r\n<url>" + url + "</url>\r\n";
}

void DeleteUpdateKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath.c_str());
}

void SetValue(const wchar_t* name, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath.c_str(), name, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void SetDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKeyPath.c_str(), name, REG_DWORD, &value, sizeof(value));
}

// The stored text, "<missing>" when there is none.
std::wstring Value(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyPath.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    return text;
}

std::wstring Today() {
    wchar_t text[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128, nullptr);
    return text;
}

class UpdateCheckWin : public testing::Test {
protected:
    static void SetUpTestSuite() { service = new MakerStandIn(); }
    static void TearDownTestSuite() {
        delete service;
        service = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(service->Running()) << "the stand-in service did not start";
        service->SetBehaviour("");
        service->SetBody(CheckReply(kMakerDownload));
        service->ClearRequests();
        DeleteUpdateKey();
    }
    void TearDown() override { DeleteUpdateKey(); }

    // One check by the worker thread, as the main window starts it.
    std::shared_ptr<UpdateCheckState> RunCheck(int timeoutMs = 10000, std::wstring keyPath = kKeyPath) {
        auto state = std::make_shared<UpdateCheckState>();
        state->inputs = {L"KALDERN - Corvana", L"1.7", service->Endpoint(), timeoutMs};
        state->keyPath = std::move(keyPath);
        UpdateChecker::Start(state);
        EXPECT_TRUE(
            PumpUntil([&] { return state->results.done.load(std::memory_order_acquire); }, 4 * timeoutMs + 5000));
        return state;
    }
    static MakerStandIn* service;
};
MakerStandIn* UpdateCheckWin::service = nullptr;

TEST_F(UpdateCheckWin, FirstStartSendsTheFieldsInOrderAndStoresTheAnswer) {
    const auto state = RunCheck();
    const auto& r = state->results;
    EXPECT_TRUE(r.newVersionAvailable);
    EXPECT_TRUE(r.notificationsSwitchable);
    EXPECT_EQ(r.latestVersion, L"1.8");
    EXPECT_EQ(r.downloadURL, kMakerDownloadW);

    // The secure attempt met a certificate nobody trusts; the plain one carried the form.
    const auto requests = service->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].scheme, "plain");
    EXPECT_EQ(requests[0].path, "/php/check2.php");
    const auto fields = DecodeFormBody(requests[0].body);
    ASSERT_EQ(fields.size(), 7u);
    EXPECT_EQ(fields[0], L"cmd=check");
    EXPECT_EQ(fields[1], L"appname=KALDERN - Corvana");
    EXPECT_EQ(fields[2], L"version=1.7");
    EXPECT_TRUE(fields[3].starts_with(L"os=Windows ")) << fields[3];
    EXPECT_NE(fields[3].find(L" (Version "), std::wstring::npos);
    EXPECT_TRUE(fields[3].ends_with(L", 64-bit Edition)")) << fields[3];
    EXPECT_TRUE(fields[4].starts_with(L"local=")) << fields[4];
    EXPECT_GT(fields[4].size(), 6u);
    EXPECT_TRUE(fields[5].starts_with(L"guid="));
    const std::wstring guid = fields[5].substr(5);
    EXPECT_TRUE(guid.empty() || IsMachineIdentifier(guid)) << guid;
    EXPECT_EQ(fields[6], L"howmany=1");

    EXPECT_EQ(Value(L"HowMany"), L"1");
    EXPECT_EQ(Value(L"InstalledVersion"), L"1.7");
    EXPECT_EQ(Value(L"LastUpdateCheck"), Today());
    EXPECT_EQ(Value(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(Value(L"CurrentVersion"), L"1.8");
    EXPECT_NE(Value(L"CurrentURL").find_first_not_of(L"0123456789ABCDEF"), 0u);
    EXPECT_EQ(UnscrambleUrl(Value(L"CurrentURL")), kMakerDownloadW);
    EXPECT_EQ(Value(L"ShowUpdate"), L"<missing>");
}

TEST_F(UpdateCheckWin, PlainReplyOffTheMakersHostNamesNoAddressAndDropsTheStoredOne) {
    const std::string host = CORVANA_MAKER_HOST;
    for (const std::string& url :
         {std::string("https://downloads.example/corvana-1.8.exe"), "https://" + host + ".evil.test/corvana-1.8.exe",
          "https://" + host + "@evil.test/corvana-1.8.exe"}) {
        SCOPED_TRACE(url);
        DeleteUpdateKey();
        service->ClearRequests();
        SetValue(L"CurrentURL", ScrambleUrl(kMakerDownloadW));
        service->SetBody(CheckReply(url));
        const auto state = RunCheck();
        const auto requests = service->Requests();
        ASSERT_EQ(requests.size(), 1u);
        ASSERT_EQ(requests[0].scheme, "plain");
        const auto& r = state->results;
        EXPECT_TRUE(r.newVersionAvailable);
        EXPECT_EQ(r.latestVersion, L"1.8");
        EXPECT_EQ(r.downloadURL, L"");
        EXPECT_EQ(Value(L"CurrentVersion"), L"1.8");
        EXPECT_EQ(Value(L"CurrentURL"), L"");
    }
}

// A service that fails in one way or another, after an earlier run stored an answer.
struct ServiceCase {
    const char* label;
    const char* behaviour;
    const char* body;
    bool answerUsed;         // a reply arrived and was read (possibly finding nothing in it)
    const wchar_t* version;  // CurrentVersion afterwards
};

const ServiceCase kServiceCases[] = {
    {"reset", "mode=reset\n", "", false, L"1.5"},
    {"hang", "mode=hang\n", "", false, L"1.5"},
    {"server error page", "status=500\n", "<version>1.9</version>", false, L"1.5"},
    {"ERROR", "", "ERROR: unknown product\r\n<version>1.9</version>", false, L"1.5"},
    {"10 MB of text", "mode=huge\n", "", false, L"1.5"},
    {"HTML", "", "<html>\n<body>Maintenance</body>\n</html>", true, L""},
    {"garbage", "", "\x01\xFF\xFE garbage \x80", true, L""},
    {"empty body", "", "", true, L"1.5"},
    {"lines in the wrong order", "", "<url>http://x.example/</url>\n<version>1.9</version>", true, L""},
    {"element names in capitals", "", "<VERSION>1.9</VERSION>\n<URL>http://x.example/</URL>", true, L""},
    {"a version with letters", "", "<version>1.9b</version>\n<url>http://x.example/</url>", true, L"1.9b"},
    {"a file address", "", "<version>1.9</version>\n<url>file:///C:/windows/notepad.exe</url>", true, L"1.9"},
};

class UpdateCheckServiceCases : public UpdateCheckWin, public testing::WithParamInterface<ServiceCase> {};

TEST_P(UpdateCheckServiceCases, NothingShownAndStoredValuesKeptUnlessAnAnswerWasRead) {
    const ServiceCase& c = GetParam();
    const std::wstring oldUrl = ScrambleUrl(L"http://old.example/");
    SetValue(L"CurrentVersion", L"1.5");
    SetValue(L"CurrentURL", oldUrl);
    service->SetBehaviour(c.behaviour);
    service->SetBody(c.body);
    MessageBoxWatcher boxes;
    const auto state = RunCheck(2000);
    const auto& r = state->results;
    EXPECT_EQ(r.notificationsSwitchable, c.answerUsed);
    EXPECT_EQ(Value(L"CurrentVersion"), c.version);
    if (!c.answerUsed) {
        EXPECT_FALSE(r.newVersionAvailable);
        EXPECT_EQ(Value(L"CurrentURL"), oldUrl);
        EXPECT_EQ(r.downloadURL, L"http://old.example/");
    }
    EXPECT_EQ(Value(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(boxes.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(UpdateCheckWin, UpdateCheckServiceCases, testing::ValuesIn(kServiceCases),
                         [](const testing::TestParamInfo<ServiceCase>& info) {
                             std::string name;
                             for (const char* p = info.param.label; *p; ++p)
                                 if (isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

TEST_F(UpdateCheckWin, ValuesOfTheWrongTypeTakeTheirDefaults) {
    SetDword(L"HowMany", 7);
    SetValue(L"InstalledVersion", L"1.7");
    SetDword(L"ShowUpdate", 0);  // not text: reads as the default, notifications on
    SetValue(L"LastUpdateCheck", Today());
    SetValue(L"LastUpdateCheckCount", L"five");
    const auto state = RunCheck();
    EXPECT_EQ(state->results.showUpdate, 1);
    EXPECT_TRUE(state->results.newVersionAvailable);
    EXPECT_EQ(Value(L"HowMany"), L"1");
    EXPECT_EQ(Value(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(service->Requests().size(), 1u);
}

TEST_F(UpdateCheckWin, KeyThatCannotBeOpenedStillUsesThePlainAnswer) {
    // A key name longer than the registry allows cannot be created.
    const auto state = RunCheck(10000, L"Software\\" + std::wstring(300, L'k'));
    EXPECT_FALSE(state->store.IsOpen());
    // The secure attempt failed, so the plain answer clears the failure of the key.
    EXPECT_TRUE(state->results.newVersionAvailable);
    EXPECT_EQ(service->Requests().size(), 1u);
}

TEST_F(UpdateCheckWin, SixthStartOfTheDayAsksNothing) {
    SetValue(L"LastUpdateCheck", Today());
    SetValue(L"LastUpdateCheckCount", L"5");
    const auto state = RunCheck();
    EXPECT_TRUE(state->results.notificationsSwitchable);
    EXPECT_FALSE(state->results.newVersionAvailable);
    EXPECT_TRUE(service->Requests().empty());
    EXPECT_EQ(Value(L"LastUpdateCheckCount"), L"5");
}

// The whole way through the main window: its timer starts the worker, collects the result and
// opens the notice.
class UpdateCheckApp : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.Running());
        DeleteUpdateKey();
    }
    void TearDown() override {
        AppFixture::TearDown();
        DeleteUpdateKey();
    }
    void StartAgainst(const std::string& body) {
        service.SetBody(body);
        Start();
        form->UpdateChecks().SetEndpoint(service.Endpoint());
    }
    bool MenuEnabled() const {
        return (GetMenuState(form->Menu(), CMD_UpdateNotifications, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    MakerStandIn service;
};

TEST_F(UpdateCheckApp, NewVersionOpensTheNoticeAndEnablesTheMenu) {
    MessageBoxWatcher boxes;
    StartAgainst(CheckReply(kMakerDownload));
    EXPECT_FALSE(MenuEnabled());
    ASSERT_TRUE(PumpUntil([&] { return form->UpdateChecks().Notice() != nullptr; }, 15000));
    EXPECT_TRUE(MenuEnabled());
    EXPECT_TRUE(form->IsMenuChecked(CMD_UpdateNotifications));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(form->UpdateChecks().Notice()->Handle()) != FALSE; }, 2000));
    EXPECT_EQ(ControlText(form->UpdateChecks().Notice()->LinkLabel()), L"Click to download Corvana 1.8");
    EXPECT_EQ(form->UpdateChecks().Notice()->LinkAddress(), kMakerDownloadW);
    EXPECT_EQ(boxes.Count(), 0u);

    // The switch is stored for the next start.
    form->UpdateChecks().ToggleNotifications();
    EXPECT_FALSE(form->IsMenuChecked(CMD_UpdateNotifications));
    EXPECT_EQ(Value(L"ShowUpdate"), L"0");
    form->UpdateChecks().ToggleNotifications();
    EXPECT_TRUE(form->IsMenuChecked(CMD_UpdateNotifications));
    EXPECT_EQ(Value(L"ShowUpdate"), L"1");
}

// The link clicked with the real mouse hands the browser the maker's download, or the home page
// when the plain reply named a download anywhere else.
TEST_F(UpdateCheckApp, NoticeLinksToAPlainReplysDownloadOnlyOnTheMakersHost) {
    const std::string homeOpened = std::string("http://") + CORVANA_MAKER_HOST + "/";
    struct {
        std::string url, opened;
    } cases[] = {
        {kMakerDownload, kMakerDownload},
        {"https://downloads.example/corvana-1.8.exe", homeOpened},
        {"https://" + std::string(CORVANA_MAKER_HOST) + "@evil.test/corvana-1.8.exe", homeOpened},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        form.reset();
        DeleteUpdateKey();
        service.ClearRequests();
        BrowserLog browser;
        StartAgainst(CheckReply(c.url));
        ASSERT_TRUE(PumpUntil([&] { return form->UpdateChecks().Notice() != nullptr; }, 15000));
        const UpdateNotice& notice = *form->UpdateChecks().Notice();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(notice.Handle()) != FALSE; }, 2000));
        ASSERT_EQ(service.Requests().size(), 1u);
        EXPECT_EQ(service.Requests()[0].scheme, "plain");

        RECT rc;
        GetWindowRect(notice.LinkLabel(), &rc);
        const POINT at{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        for (DWORD flags : {DWORD{0}, DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_LEFTUP}}) SendMouseAt(flags, at);
        ASSERT_TRUE(PumpUntil([&] { return browser.Text().ends_with('\n'); }, 10000)) << "nothing went to the browser";
        EXPECT_EQ(browser.Text(), c.opened + "\n");
        EXPECT_FALSE(IsWindowVisible(notice.Handle()));
    }
}

TEST_F(UpdateCheckApp, NotificationsOffAskNothingAndUncheckTheMenu) {
    SetValue(L"ShowUpdate", L"0");
    StartAgainst("<version>1.8</version>\r\n");
    ASSERT_TRUE(PumpUntil([&] { return MenuEnabled(); }, 15000));
    EXPECT_FALSE(form->IsMenuChecked(CMD_UpdateNotifications));
    EXPECT_EQ(form->UpdateChecks().Notice(), nullptr);
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(Value(L"HowMany"), L"1");
    EXPECT_EQ(Value(L"LastUpdateCheck"), L"<missing>");
}

TEST_F(UpdateCheckApp, FailedServiceLeavesTheMenuDisabledAndShowsNothing) {
    MessageBoxWatcher boxes;
    service.SetBehaviour("mode=reset\n");
    StartAgainst("");
    // The window looks at the check's result on the first tick after the worker has ended.
    TimerTicks collecting(form->Handle(), UpdateCheckTimer, [&] { return form->UpdateChecks().Done(); });
    ASSERT_TRUE(PumpUntil([&] { return collecting.Count() > 0; }, 15000));
    EXPECT_FALSE(MenuEnabled());
    EXPECT_EQ(form->UpdateChecks().Notice(), nullptr);
    EXPECT_EQ(boxes.Count(), 0u);
}

}  // namespace
}  // namespace corvana::test
