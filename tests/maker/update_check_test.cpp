#include "maker/update_check.h"

#include "common/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace corvana;

namespace {

TEST(ExtractTagValue, OnlyTheExactElementLineYieldsAValue) {
    struct {
        const wchar_t* line;
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"<version>1.8</version>", L"version", L"1.8"}, {L"<url>http://x/y?a=<b></url>", L"url", L"http://x/y?a=<b>"},
        {L"<version></version>", L"version", L""},       {L"<VERSION>1.8</VERSION>", L"version", L""},
        {L"<version>1.8</VERSION>", L"version", L""},    {L" <version>1.8</version>", L"version", L""},
        {L"<version>1.8</version> ", L"version", L""},   {L"<version>1.8", L"version", L""},
        {L"<url>http://x</url>", L"version", L""},       {L"<version>", L"version", L""},
        {L"<version></version", L"version", L""},        {L"", L"version", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractTagValue(c.line, c.name), c.value) << testing::PrintToString(std::wstring(c.line));
}

TEST(UpdateReply, IntegersAreSignedDecimalsWithNothingAround) {
    EXPECT_EQ(ParseInteger(L"18"), 18);
    EXPECT_EQ(ParseInteger(L"-3"), -3);
    EXPECT_EQ(ParseInteger(L"+7"), 7);
    EXPECT_EQ(ParseInteger(L"9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ParseInteger(L"-9223372036854775808"), INT64_MIN);
    for (const wchar_t* bad : {L"", L"-", L"1a", L" 1", L"1 ", L"1.8", L"9223372036854775808", L"0x10", L"\u0661"})
        EXPECT_FALSE(ParseInteger(bad).has_value()) << testing::PrintToString(std::wstring(bad));
}

TEST(UrlScrambling, RoundTripGivesUpperCaseHexThatHidesTheAddress) {
    for (const wchar_t* url :
         {L"http://updates.corvana.example/download/corvana-1.8.exe", L"https://x/\u00e9\u20ac", L"", L"h"}) {
        const std::wstring scrambled = ScrambleUrl(url);
        EXPECT_EQ(scrambled.size(), 2 * EncodeUtf8(url).size());
        for (wchar_t c : scrambled) EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'));
        EXPECT_EQ(scrambled.find(L"687474703A"), std::wstring::npos);  // "http:" as plain hex
        EXPECT_EQ(UnscrambleUrl(scrambled), url);
    }
}

TEST(UrlScrambling, TextThatIsNotHexPairsReadsAsNoAddress) {
    const std::wstring good = ScrambleUrl(L"http://x/");
    EXPECT_EQ(UnscrambleUrl(good.substr(0, good.size() - 1)), L"");  // an odd length
    std::wstring bad = good;
    bad[4] = L'G';
    EXPECT_EQ(UnscrambleUrl(bad), L"");
    bad = good;
    bad[3] = L' ';
    EXPECT_EQ(UnscrambleUrl(bad), L"");
    EXPECT_EQ(UnscrambleUrl(L"http://x/"), L"");
    // Hex pairs that do not unscramble into UTF-8 text.
    EXPECT_EQ(UnscrambleUrl(L"B4"), L"");
}

TEST(MachineIdentifier, FormIsFiveHexGroups) {
    EXPECT_TRUE(IsMachineIdentifier(L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"));
    EXPECT_TRUE(IsMachineIdentifier(L"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
    EXPECT_FALSE(IsMachineIdentifier(L"{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"));
    EXPECT_FALSE(IsMachineIdentifier(L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1fg"));
    EXPECT_FALSE(IsMachineIdentifier(L"0f1e2d3c4b5a-6978-8796-a5b4c3d2e1f0-"));
    EXPECT_FALSE(IsMachineIdentifier(L""));
}

TEST(OsDescription, NameServicePackVersionBuildAndEdition) {
    struct {
        OsVersionInfo os;
        const wchar_t* text;
    } cases[] = {
        {{10, 0, 19045, 0, false, true}, L"Windows 10 (Version 10.0, Build 19045, 64-bit Edition)"},
        {{10, 0, 22631, 0, false, true}, L"Windows 11 (Version 10.0, Build 22631, 64-bit Edition)"},
        {{10, 0, 14393, 0, true, true}, L"Windows Server 2016 (Version 10.0, Build 14393, 64-bit Edition)"},
        {{6, 1, 7601, 1, false, false}, L"Windows 7 Service Pack 1 (Version 6.1, Build 7601, 32-bit Edition)"},
        {{6, 3, 9600, 0, true, true}, L"Windows Server 2012 R2 (Version 6.3, Build 9600, 64-bit Edition)"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatOsDescription(c.os), c.text);
}

// ---------------------------------------------------------------------------------------------
// The check as a whole, against a store, a clock and a service of the test's own.

constexpr const wchar_t* kToday = L"14/05/2025";
constexpr const wchar_t* kGuid = L"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0";
// A download on the maker's own host, and one anywhere else.
const std::wstring kMakerGet = L"http://" + std::wstring(MakerHost) + L"/get";
const std::wstring kNewer = L"<version>1.8</version>\r\n<url>" + kMakerGet + L"</url>";
const std::wstring kNewerElsewhere = L"<version>1.8</version>\r\n<url>https://evil.test/corvana-1.8.exe</url>";

class FakeStore : public UpdateStore {
public:
    std::map<std::wstring, std::wstring, std::less<>> values;
    std::optional<std::wstring> ReadString(std::wstring_view name) override {
        const auto it = values.find(name);
        if (it == values.end() || it->second == kNotAString) return std::nullopt;
        return it->second;
    }
    void WriteString(std::wstring_view name, std::wstring_view value) override { values[std::wstring(name)] = value; }
    std::wstring Value(const wchar_t* name) const {
        const auto it = values.find(name);
        return it == values.end() ? L"<missing>" : it->second;
    }
    // Marks a value that the registry holds with a type other than text.
    static constexpr const wchar_t* kNotAString = L"\x01<binary>";
};

enum class Answer { Reply, Fail };

class FakeEnvironment : public UpdateCheckEnvironment {
public:
    FakeStore store;
    bool storeOpens = true;
    std::wstring today = kToday;
    Answer secure = Answer::Reply, plain = Answer::Reply;
    std::wstring reply = kNewer + L"\r\n";
    std::vector<std::wstring> addresses;
    std::vector<WebForm> forms;

    std::wstring MachineIdentifier() override { return kGuid; }
    UpdateStore* OpenUpdateStore() override { return storeOpens ? &store : nullptr; }
    std::wstring Today() override { return today; }
    std::wstring OsDescription() override { return L"Windows 10 (Version 10.0, Build 19045, 64-bit Edition)"; }
    std::wstring LocaleName() override { return L"de-AT"; }
    std::wstring PostForm(const std::wstring& address, const WebForm& form, int timeoutMs) override {
        EXPECT_EQ(timeoutMs, 10000);
        addresses.push_back(address);
        forms.push_back(form);
        if ((UsesSecurePath(address) ? secure : plain) == Answer::Fail) throw WebRequestError("no reply");
        return reply;
    }
};

const UpdateCheckInputs kInputs{L"KALDERN - Corvana", L"1.7", L"svc.example/php/check2.php", kCheckTimeoutMs};

struct Outcome {
    std::vector<std::wstring> addresses;
    bool window, switchable;
    int64_t showUpdate;
    std::wstring latest, url;
};

Outcome RunCheck(FakeEnvironment& env) {
    UpdateCheckResults results;
    PerformUpdateCheck(kInputs, env, results);
    EXPECT_TRUE(results.done.load(std::memory_order_acquire));
    return {env.addresses,      results.newVersionAvailable, results.notificationsSwitchable,
            results.showUpdate, results.latestVersion,       results.downloadURL};
}

const std::vector<std::wstring> kSecureOnly{L"https://svc.example/php/check2.php"};
const std::vector<std::wstring> kBoth{L"https://svc.example/php/check2.php", L"http://svc.example/php/check2.php"};
const std::vector<std::wstring> kNone{};

TEST(UpdateCheck, FirstStartEverAsksAndOpensTheWindow) {
    FakeEnvironment env;
    const Outcome out = RunCheck(env);
    EXPECT_EQ(out.addresses, kSecureOnly);
    EXPECT_TRUE(out.window);
    EXPECT_TRUE(out.switchable);
    EXPECT_EQ(out.latest, L"1.8");
    EXPECT_EQ(out.url, kMakerGet);
    EXPECT_EQ(env.store.Value(L"HowMany"), L"1");
    EXPECT_EQ(env.store.Value(L"InstalledVersion"), L"1.7");
    EXPECT_EQ(env.store.Value(L"LastUpdateCheck"), kToday);
    EXPECT_EQ(env.store.Value(L"LastUpdateCheckCount"), L"1");
    EXPECT_EQ(env.store.Value(L"CurrentVersion"), L"1.8");
    EXPECT_EQ(UnscrambleUrl(env.store.Value(L"CurrentURL")), kMakerGet);
    EXPECT_EQ(env.store.Value(L"ShowUpdate"), L"<missing>");  // only the menu writes it
}

TEST(UpdateCheck, RequestFieldsInOrder) {
    FakeEnvironment env;
    env.store.values = {{L"InstalledVersion", L"1.7"}, {L"HowMany", L"41"}};
    RunCheck(env);
    ASSERT_EQ(env.forms.size(), 1u);
    EXPECT_EQ(env.forms[0], (WebForm{L"cmd=check", L"appname=KALDERN - Corvana", L"version=1.7",
                                     L"os=Windows 10 (Version 10.0, Build 19045, 64-bit Edition)", L"local=de-AT",
                                     std::wstring(L"guid=") + kGuid, L"howmany=42"}));
}

TEST(UpdateCheck, SixStartsInADayMakeFiveRequestsAndThreeWindows) {
    FakeEnvironment env;
    for (int start = 1; start <= 6; ++start) {
        env.addresses.clear();
        const Outcome out = RunCheck(env);
        SCOPED_TRACE(start);
        EXPECT_EQ(out.addresses, start <= 5 ? kSecureOnly : kNone);
        EXPECT_EQ(out.window, start <= 3);
        EXPECT_TRUE(out.switchable);
        EXPECT_EQ(env.store.Value(L"HowMany"), std::to_wstring(start));
        EXPECT_EQ(env.store.Value(L"LastUpdateCheckCount"), std::to_wstring(std::min(start, 5)));
    }
    // The next day starts counting again.
    env.today = L"15/05/2025";
    env.addresses.clear();
    const Outcome out = RunCheck(env);
    EXPECT_EQ(out.addresses, kSecureOnly);
    EXPECT_TRUE(out.window);
    EXPECT_EQ(env.store.Value(L"LastUpdateCheckCount"), L"1");
}

// One start from a given store, with the outcome and the stored values it must leave.
struct CheckCase {
    const char* label;
    std::map<std::wstring, std::wstring, std::less<>> before;
    std::wstring reply;
    Answer secure, plain;
    bool storeOpens;
    std::vector<std::wstring> addresses;
    bool window, switchable;
    int64_t showUpdate;
    std::wstring latest, url;
    std::map<std::wstring, std::wstring> after;  // "<missing>" for a value never written
};

const std::wstring kOldUrl = ScrambleUrl(L"http://old.example/");

const CheckCase kCheckCases[] = {
    {"a new version restarts the start count",
     {{L"InstalledVersion", L"1.6"}, {L"HowMany", L"9"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"HowMany", L"1"}, {L"InstalledVersion", L"1.7"}}},
    {"notifications off: no request, no date written",
     {{L"ShowUpdate", L"0"},
      {L"InstalledVersion", L"1.7"},
      {L"HowMany", L"2"},
      {L"LastUpdateCheck", L"01/01/2020"},
      {L"LastUpdateCheckCount", L"3"},
      {L"CurrentURL", kOldUrl}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kNone,
     false,
     true,
     0,
     L"",
     L"http://old.example/",
     {{L"HowMany", L"3"}, {L"LastUpdateCheck", L"01/01/2020"}, {L"LastUpdateCheckCount", L"3"}}},
    {"the date format changed within the day",
     {{L"LastUpdateCheck", L"2025-05-14"}, {L"LastUpdateCheckCount", L"5"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"LastUpdateCheck", kToday}, {L"LastUpdateCheckCount", L"1"}}},
    {"the fourth request of a day stores but opens no window",
     {{L"LastUpdateCheck", kToday}, {L"LastUpdateCheckCount", L"3"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"LastUpdateCheckCount", L"4"}, {L"CurrentVersion", L"1.8"}}},
    {"the version the program has",
     {},
     L"<version>1.7</version>\n<url>http://x.example/</url>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"1.7",
     L"http://x.example/",
     {{L"CurrentVersion", L"1.7"}}},
    {"a lower version differs all the same",
     {},
     L"<version>1.0</version>\n<url>http://x.example/</url>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.0",
     L"http://x.example/",
     {{L"CurrentVersion", L"1.0"}}},
    {"a version with letters opens nothing",
     {},
     L"<version>1.8beta</version>\n<url>http://x.example/</url>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"1.8beta",
     L"http://x.example/",
     {{L"CurrentVersion", L"1.8beta"}}},
    {"ERROR keeps the stored answer",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}},
     L"ERROR: unknown product\n<version>1.8</version>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     false,
     1,
     L"",
     L"http://old.example/",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}, {L"LastUpdateCheckCount", L"1"}}},
    {"secure fails, plain answers",
     {},
     kNewer,
     Answer::Fail,
     Answer::Reply,
     true,
     kBoth,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"CurrentVersion", L"1.8"}}},
    {"secure answer: an address anywhere is used",
     {{L"CurrentURL", kOldUrl}},
     kNewerElsewhere,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     L"https://evil.test/corvana-1.8.exe",
     {{L"CurrentURL", ScrambleUrl(L"https://evil.test/corvana-1.8.exe")}}},
    {"plain answer: an address off the maker's host is neither used nor kept",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}},
     kNewerElsewhere,
     Answer::Fail,
     Answer::Reply,
     true,
     kBoth,
     true,
     true,
     1,
     L"1.8",
     L"",
     {{L"CurrentVersion", L"1.8"}, {L"CurrentURL", L""}}},
    {"plain answer: an address on the maker's host replaces the stored one",
     {{L"CurrentURL", kOldUrl}},
     kNewer,
     Answer::Fail,
     Answer::Reply,
     true,
     kBoth,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"CurrentURL", ScrambleUrl(kMakerGet)}}},
    {"neither scheme answers",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}},
     kNewer,
     Answer::Fail,
     Answer::Fail,
     true,
     kBoth,
     false,
     false,
     1,
     L"",
     L"http://old.example/",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}, {L"LastUpdateCheckCount", L"1"}}},
    {"no second line keeps the stored address",
     {{L"CurrentURL", kOldUrl}},
     L"<version>1.8</version>\r\n",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     L"http://old.example/",
     {{L"CurrentURL", kOldUrl}}},
    {"element names in capitals are stored empty",
     {{L"CurrentVersion", L"1.5"}, {L"CurrentURL", kOldUrl}},
     L"<VERSION>1.8</VERSION>\n<URL>http://x/</URL>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"",
     L"",
     {{L"CurrentVersion", L""}, {L"CurrentURL", L""}}},
    {"lines in the wrong order",
     {},
     L"<url>http://x.example/</url>\n<version>1.8</version>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"",
     L"",
     {{L"CurrentVersion", L""}, {L"CurrentURL", L""}}},
    {"an empty answer uses nothing yet enables the menu",
     {{L"CurrentURL", kOldUrl}},
     L"",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"",
     L"http://old.example/",
     {{L"CurrentVersion", L"<missing>"}, {L"CurrentURL", kOldUrl}}},
    {"an HTML error page has no usable lines",
     {},
     L"<html><body><h1>500 Internal Server Error</h1></body></html>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     false,
     true,
     1,
     L"",
     L"",
     {{L"CurrentVersion", L""}}},
    {"unreadable and wrong-type numbers take their defaults",
     {{L"HowMany", L"many"},
      {L"InstalledVersion", L"1.7"},
      {L"LastUpdateCheck", kToday},
      {L"LastUpdateCheckCount", FakeStore::kNotAString},
      {L"ShowUpdate", L"off"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"HowMany", L"1"}, {L"LastUpdateCheckCount", L"1"}}},
    {"a negative start count restarts",
     {{L"HowMany", L"-4"}, {L"InstalledVersion", L"1.7"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"HowMany", L"1"}}},
    {"the largest start count does not wrap",
     {{L"HowMany", L"9223372036854775807"}, {L"InstalledVersion", L"1.7"}},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {{L"HowMany", L"9223372036854775807"}}},
    {"an unreadable stored address reads as none",
     {{L"CurrentURL", L"68747470ZZ"}},
     L"<version>1.8</version>",
     Answer::Reply,
     Answer::Reply,
     true,
     kSecureOnly,
     true,
     true,
     1,
     L"1.8",
     L"",
     {}},
    {"store closed: a secure answer is not used",
     {},
     kNewer,
     Answer::Reply,
     Answer::Reply,
     false,
     kSecureOnly,
     false,
     false,
     1,
     L"",
     L"",
     {}},
    {"store closed: a plain answer after a secure failure is used",
     {},
     kNewer,
     Answer::Fail,
     Answer::Reply,
     false,
     kBoth,
     true,
     true,
     1,
     L"1.8",
     kMakerGet,
     {}},
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.label;
}

class UpdateCheckCases : public testing::TestWithParam<CheckCase> {};

TEST_P(UpdateCheckCases, OutcomeAndStoredValues) {
    const CheckCase& c = GetParam();
    FakeEnvironment env;
    env.store.values = c.before;
    env.reply = c.reply;
    env.secure = c.secure;
    env.plain = c.plain;
    env.storeOpens = c.storeOpens;
    const Outcome out = RunCheck(env);
    EXPECT_EQ(out.addresses, c.addresses);
    EXPECT_EQ(out.window, c.window);
    EXPECT_EQ(out.switchable, c.switchable);
    EXPECT_EQ(out.showUpdate, c.showUpdate);
    EXPECT_EQ(out.latest, c.latest);
    EXPECT_EQ(out.url, c.url);
    for (const auto& [name, value] : c.after)
        EXPECT_EQ(env.store.Value(name.c_str()), value) << testing::PrintToString(name);
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, UpdateCheckCases, testing::ValuesIn(kCheckCases),
                         [](const testing::TestParamInfo<CheckCase>& info) {
                             std::string name;
                             for (const char* p = info.param.label; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
                             return name;
                         });

}  // namespace
