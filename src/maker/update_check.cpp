#include "maker/update_check.h"

#include <limits>

#include "common/text.h"

namespace corvana {

namespace {

// The scrambling only keeps the address from reading as plain text in the registry; it is no
// protection and needs none.
constexpr std::string_view kScrambleKey = "KALDERN:Corvana";

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

int64_t ReadInteger(UpdateStore& store, std::wstring_view name, int64_t def) {
    const auto text = store.ReadString(name);
    if (!text) return def;
    return ParseInteger(*text).value_or(def);
}

std::wstring ReadText(UpdateStore& store, std::wstring_view name) {
    return store.ReadString(name).value_or(L"");
}

int64_t Increment(int64_t n) {
    return n == std::numeric_limits<int64_t>::max() ? n : n + 1;
}

// Stands in when the per-user key cannot be opened: reads find nothing, writes are lost.
class NoStore : public UpdateStore {
public:
    std::optional<std::wstring> ReadString(std::wstring_view) override { return std::nullopt; }
    void WriteString(std::wstring_view, std::wstring_view) override {}
};

std::wstring WindowsName(const OsVersionInfo& os) {
    const unsigned v = os.major * 100 + os.minor;
    if (os.server) {
        if (v >= 1000)
            return os.build >= 20348   ? L"Windows Server 2022"
                   : os.build >= 17763 ? L"Windows Server 2019"
                                       : L"Windows Server 2016";
        if (v == 603) return L"Windows Server 2012 R2";
        if (v == 602) return L"Windows Server 2012";
        if (v == 601) return L"Windows Server 2008 R2";
        if (v == 600) return L"Windows Server 2008";
        if (v == 502) return L"Windows Server 2003";
        return L"Windows Server";
    }
    if (v >= 1000) return os.build >= 22000 ? L"Windows 11" : L"Windows 10";
    if (v == 603) return L"Windows 8.1";
    if (v == 602) return L"Windows 8";
    if (v == 601) return L"Windows 7";
    if (v == 600) return L"Windows Vista";
    if (v == 502 || v == 501) return L"Windows XP";
    return L"Windows";
}

}  // namespace

std::wstring ExtractTagValue(std::wstring_view line, std::wstring_view name) {
    const std::wstring open = L"<" + std::wstring(name) + L">";
    const std::wstring close = L"</" + std::wstring(name) + L">";
    if (line.size() < open.size() + close.size()) return {};
    if (line.substr(0, open.size()) != open || line.substr(line.size() - close.size()) != close) return {};
    return std::wstring(line.substr(open.size(), line.size() - open.size() - close.size()));
}

std::optional<int64_t> ParseInteger(std::wstring_view text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) i = 1;
    if (i == text.size()) return std::nullopt;
    // Accumulate negatively so that the most negative value fits as well.
    int64_t value = 0;
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9') return std::nullopt;
        const int digit = c - L'0';
        if (value < (kMin + digit) / 10) return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative) return value;
    if (value == kMin) return std::nullopt;
    return -value;
}

std::wstring ScrambleUrl(std::wstring_view url) {
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    const std::string bytes = EncodeUtf8(url);
    std::wstring out;
    out.reserve(bytes.size() * 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i] ^ kScrambleKey[i % kScrambleKey.size()]);
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0x0F]);
    }
    return out;
}

std::wstring UnscrambleUrl(std::wstring_view scrambled) {
    if (scrambled.size() % 2 != 0) return {};
    std::string bytes;
    bytes.reserve(scrambled.size() / 2);
    for (size_t i = 0; i < scrambled.size(); i += 2) {
        const int high = HexValue(scrambled[i]), low = HexValue(scrambled[i + 1]);
        if (high < 0 || low < 0) return {};
        bytes.push_back(static_cast<char>((high << 4 | low) ^ kScrambleKey[(i / 2) % kScrambleKey.size()]));
    }
    return DecodeUtf8(bytes).value_or(L"");
}

bool IsMachineIdentifier(std::wstring_view text) {
    if (text.size() != 36) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text[i] != L'-' : HexValue(text[i]) < 0) return false;
    }
    return true;
}

std::wstring FormatOsDescription(const OsVersionInfo& os) {
    std::wstring text = WindowsName(os);
    if (os.servicePack > 0) text += L" Service Pack " + std::to_wstring(os.servicePack);
    text += L" (Version " + std::to_wstring(os.major) + L"." + std::to_wstring(os.minor) + L", Build " +
            std::to_wstring(os.build) + L", " + (os.is64Bit ? L"64-bit Edition" : L"32-bit Edition") + L")";
    return text;
}

WebForm BuildCheckForm(const UpdateCheckInputs& inputs, UpdateCheckEnvironment& env, std::wstring_view machineId,
                       int64_t howMany) {
    return {L"cmd=check",
            L"appname=" + inputs.appCaption,
            L"version=" + inputs.appVersion,
            L"os=" + env.OsDescription(),
            L"local=" + env.LocaleName(),
            L"guid=" + std::wstring(machineId),
            L"howmany=" + std::to_wstring(howMany)};
}

void PerformUpdateCheck(const UpdateCheckInputs& inputs, UpdateCheckEnvironment& env,
                        UpdateCheckResults& results) noexcept {
    try {
        bool checkFailed = false;
        const std::wstring machineId = env.MachineIdentifier();

        NoStore noStore;
        UpdateStore* store = env.OpenUpdateStore();
        if (!store) {
            checkFailed = true;
            store = &noStore;
        }

        const std::wstring lastCheck = ReadText(*store, L"LastUpdateCheck");
        int64_t count = ReadInteger(*store, L"LastUpdateCheckCount", 0);

        int64_t howMany = ReadInteger(*store, L"HowMany", 0);
        if (howMany < 0) howMany = 0;
        if (ReadText(*store, L"InstalledVersion") != inputs.appVersion) howMany = 0;
        howMany = Increment(howMany);
        store->WriteString(L"HowMany", std::to_wstring(howMany));
        store->WriteString(L"InstalledVersion", inputs.appVersion);

        results.downloadURL = UnscrambleUrl(ReadText(*store, L"CurrentURL"));
        results.showUpdate = ReadInteger(*store, L"ShowUpdate", 1);

        const auto ask = [&]() -> bool {
            if (results.showUpdate == 0) return false;
            const std::wstring today = env.Today();
            if (lastCheck == today && count >= 5) return false;
            count = lastCheck == today ? Increment(count) : 1;
            store->WriteString(L"LastUpdateCheck", today);
            store->WriteString(L"LastUpdateCheckCount", std::to_wstring(count));
            return true;
        };
        if (!ask()) {
            results.notificationsSwitchable = true;
        } else {
            const WebForm form = BuildCheckForm(inputs, env, machineId, howMany);
            const VendorReply reply =
                SendVendorRequest(inputs.endpoint, form, inputs.timeoutMs,
                                  [&env](const std::wstring& address, const WebForm& f, int timeoutMs) {
                                      return env.PostForm(address, f, timeoutMs);
                                  });
            if (reply.secureFailed) checkFailed = !reply.text.has_value();
            if (reply.text && reply.text->starts_with(L"ERROR")) checkFailed = true;

            if (!checkFailed && reply.text) {
                const std::vector<std::wstring> lines = SplitLines(*reply.text);
                if (!lines.empty()) {
                    results.latestVersion = ExtractTagValue(lines[0], L"version");
                    store->WriteString(L"CurrentVersion", results.latestVersion);
                }
                if (lines.size() >= 2) {
                    results.downloadURL = ExtractTagValue(lines[1], L"url");
                    // Anyone on the way can write a plain reply, so its address counts only on the
                    // maker's own host; any other reads as no address, and the notice offers the home
                    // page. The stored address is replaced all the same: it came with an earlier
                    // reply, perhaps for an older version than the one this reply announces.
                    if (reply.secureFailed && !IsMakerAddress(results.downloadURL)) results.downloadURL.clear();
                    store->WriteString(L"CurrentURL", ScrambleUrl(results.downloadURL));
                }
                results.notificationsSwitchable = true;

                if (results.latestVersion != inputs.appVersion) {
                    std::wstring digits;
                    for (wchar_t c : results.latestVersion)
                        if (c != L'.') digits.push_back(c);
                    if (ParseInteger(digits) && count <= 3) results.newVersionAvailable = true;
                }
            }
        }
    } catch (...) {
        // A check that broke off tells the window nothing rather than something half-made.
        results.newVersionAvailable = false;
    }
    results.done.store(true, std::memory_order_release);
}

}  // namespace corvana
