// What the maker's service sends back: reply text in any character set, read by the whole update
// check on either scheme (its element lines, the version comparison, the stored and scrambled
// download address, which a plain reply may only take from the maker's host), and the address tests.
#include <map>

#include "fuzz_input.h"
#include "maker/update_check.h"
#include "maker/web_request.h"

using namespace corvana;

namespace {

class MemoryStore : public UpdateStore {
public:
    std::optional<std::wstring> ReadString(std::wstring_view name) override {
        const auto found = values.find(std::wstring(name));
        if (found == values.end()) return std::nullopt;
        return found->second;
    }
    void WriteString(std::wstring_view name, std::wstring_view value) override {
        values[std::wstring(name)] = std::wstring(value);
    }
    std::map<std::wstring, std::wstring> values;
};

// The check's outside world, with the service's reply as the fuzzer's text on the secure scheme or,
// when that brings none, on the plain one.
class ReplyEnvironment : public UpdateCheckEnvironment {
public:
    ReplyEnvironment(std::wstring reply, bool secureAnswers)
        : reply_(std::move(reply)), secureAnswers_(secureAnswers) {}
    std::wstring MachineIdentifier() override { return L"0f8fad5b-d9cb-469f-a165-70867728950e"; }
    UpdateStore* OpenUpdateStore() override { return &store; }
    std::wstring Today() override { return L"10.12.2026"; }
    std::wstring OsDescription() override { return L"Windows 10 (Version 10.0, Build 19045, 64-bit Edition)"; }
    std::wstring LocaleName() override { return L"en"; }
    std::wstring PostForm(const std::wstring& address, const WebForm&, int) override {
        if (UsesSecurePath(address) && !secureAnswers_) throw WebRequestError("no secure reply");
        return reply_;
    }
    MemoryStore store;

private:
    std::wstring reply_;
    bool secureAnswers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::Bytes(data, size);
    // The first line, up to a zero byte, is the Content-Type header; the rest is the body.
    const size_t split = bytes.find('\0');
    const std::wstring contentType =
        split == std::string_view::npos ? std::wstring() : fuzz::Latin1(bytes.substr(0, split));
    const std::string_view body = split == std::string_view::npos ? bytes : bytes.substr(split + 1);
    const std::wstring text = DecodeReplyText(body, contentType);

    for (const bool secureAnswers : {true, false}) {
        ReplyEnvironment env(text, secureAnswers);
        UpdateCheckInputs inputs;
        inputs.appCaption = L"KALDERN - Corvana";
        inputs.appVersion = L"1.7";
        UpdateCheckResults results;
        PerformUpdateCheck(inputs, env, results);
        FUZZ_CHECK(results.done.load());
        if (results.newVersionAvailable) FUZZ_CHECK(results.latestVersion != inputs.appVersion);
        if (const auto stored = env.store.ReadString(L"CurrentURL"))
            FUZZ_CHECK(UnscrambleUrl(*stored) == results.downloadURL);
        if (!secureAnswers) FUZZ_CHECK(results.downloadURL.empty() || IsMakerAddress(results.downloadURL));
    }

    for (const wchar_t* tag : {L"version", L"url", L"message"}) {
        const std::wstring value = ExtractTagValue(text, tag);
        FUZZ_CHECK(value.size() <= text.size());
        ParseInteger(value);
        IsWebAddress(value);
        // An address on the maker's host is a web address, whatever that host is.
        if (IsMakerAddress(value, text)) FUZZ_CHECK(IsWebAddress(value));
    }
    ParseInteger(text);
    IsMachineIdentifier(text);
    UsesSecurePath(text);
    // Scrambling gives the address back; unscrambling anything never fails badly.
    FUZZ_CHECK(UnscrambleUrl(ScrambleUrl(text)) == text);
    UnscrambleUrl(text);
    return 0;
}
