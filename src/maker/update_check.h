// The update check as a decision: what is read and written in the per-user store, whether a
// request is made, and what the main window is told afterwards. The outside world (store, clock,
// system facts, the web request) comes in through UpdateCheckEnvironment, so the whole check runs
// the same against the registry and WinHTTP as against a test's fakes.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maker/web_request.h"

namespace corvana {

// The value of one element line "<name>value</name>", or empty when the line is anything else.
std::wstring ExtractTagValue(std::wstring_view line, std::wstring_view name);

// An optionally signed decimal integer with nothing around it; nothing when out of range.
std::optional<int64_t> ParseInteger(std::wstring_view text);

// The download address is kept scrambled, as upper-case hexadecimal byte pairs, so that it does
// not read as an address in the registry. Unscrambling text that is not such pairs gives "".
std::wstring ScrambleUrl(std::wstring_view url);
std::wstring UnscrambleUrl(std::wstring_view scrambled);

// True for 36 characters: hexadecimal digits in groups of 8, 4, 4, 4 and 12 joined by hyphens.
bool IsMachineIdentifier(std::wstring_view text);

struct OsVersionInfo {
    unsigned major = 0, minor = 0, build = 0;
    unsigned servicePack = 0;  // 0: none installed
    bool server = false;
    bool is64Bit = false;
};
// "Windows 10 (Version 10.0, Build 19045, 64-bit Edition)" and the like.
std::wstring FormatOsDescription(const OsVersionInfo& os);

// The program's stored update values (strings only; numbers as decimal text).
class UpdateStore {
public:
    virtual ~UpdateStore() = default;
    // Nothing when the value is missing or not a string.
    virtual std::optional<std::wstring> ReadString(std::wstring_view name) = 0;
    // A value that cannot be written is lost silently: the check never reports anything.
    virtual void WriteString(std::wstring_view name, std::wstring_view value) = 0;
};

class UpdateCheckEnvironment {
public:
    virtual ~UpdateCheckEnvironment() = default;
    virtual std::wstring MachineIdentifier() = 0;  // "" when unavailable
    // The store, opened (and created if missing); nullptr when it cannot be opened.
    virtual UpdateStore* OpenUpdateStore() = 0;
    virtual std::wstring Today() = 0;  // the user's short date text
    virtual std::wstring OsDescription() = 0;
    virtual std::wstring LocaleName() = 0;  // "xx" when unknown
    // Throws when no reply arrived (see FormPoster).
    virtual std::wstring PostForm(const std::wstring& address, const WebForm& form, int timeoutMs) = 0;
};

struct UpdateCheckInputs {
    std::wstring appCaption;
    std::wstring appVersion;
    std::wstring endpoint = CheckEndpoint;
    int timeoutMs = kCheckTimeoutMs;
};

// What one check tells the main window. The worker writes every field, then sets done (release);
// the window reads the rest only after it has seen the flag (acquire).
struct UpdateCheckResults {
    std::atomic<bool> done{false};
    bool newVersionAvailable = false;
    bool notificationsSwitchable = false;
    int64_t showUpdate = 1;
    std::wstring latestVersion;
    std::wstring downloadURL;
};

// The request form of the check, fields in the order the service expects.
WebForm BuildCheckForm(const UpdateCheckInputs& inputs, UpdateCheckEnvironment& env, std::wstring_view machineId,
                       int64_t howMany);

// One whole check; sets results.done last. Lets no exception out.
void PerformUpdateCheck(const UpdateCheckInputs& inputs, UpdateCheckEnvironment& env,
                        UpdateCheckResults& results) noexcept;

}  // namespace corvana
