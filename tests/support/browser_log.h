// The shell hands web addresses to Wine's browser hand-over, which runs a recording script that
// writes C:\corvana-browser.log; tests read what the "browser" was given.
#pragma once

#include <windows.h>

#include <string>

#include "support/maker_standin.h"
#include "support/win_test_support.h"

namespace corvana::test {

class BrowserLog {
public:
    BrowserLog() {
        DeleteFileW(kLog);
        const std::string script = UnixPathOf(SourceDir() + L"\\tests\\maker\\standin\\browser_log.sh");
        const std::wstring wide(script.begin(), script.end());
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ, wide.c_str(),
                        static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    }
    ~BrowserLog() {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers");
        DeleteFileW(kLog);
    }
    BrowserLog(const BrowserLog&) = delete;
    BrowserLog& operator=(const BrowserLog&) = delete;
    std::string Text() const { return ReadFileBytes(kLog); }
    // Waits until the browser has been handed something (the hand-over runs in another process).
    bool WaitForText(DWORD timeoutMs = 10000) const {
        return PumpUntil([&] { return !Text().empty(); }, timeoutMs);
    }

private:
    static constexpr const wchar_t* kLog = L"C:\\corvana-browser.log";
};

}  // namespace corvana::test
