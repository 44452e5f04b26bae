// The background update check: the worker, the main window's timer that starts it and collects
// its result, and the menu item that switches the notifications.
#include "maker/check_win.h"

#include <thread>

#include "maker/newversion_win.h"
#include "maker/web_request_win.h"

namespace corvana {

// ---------------------------------------------------------------------------------------------
// The stored values

bool RegistryUpdateStore::Open(const std::wstring& keyPath) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    key_.reset(key);
    return true;
}

std::optional<std::wstring> RegistryUpdateStore::ReadString(std::wstring_view name) {
    if (!key_) return std::nullopt;
    const std::wstring valueName(name);
    // A value can grow between the two calls; a few rounds settle it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_.get(), valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS status = RegQueryValueExW(key_.get(), valueName.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(text.data()), &bytes);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        text.resize(bytes / sizeof(wchar_t));
        // The stored text may or may not carry its terminating zero.
        if (const size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
        return text;
    }
    return std::nullopt;
}

void RegistryUpdateStore::WriteString(std::wstring_view name, std::wstring_view value) {
    if (!key_) return;
    const std::wstring valueName(name), text(value);
    RegSetValueExW(key_.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring UpdateStoreKeyPath(const std::wstring& companyName, const std::wstring& productName) {
    return L"Software\\" + companyName + L"\\" + productName + L"\\Settings";
}

// ---------------------------------------------------------------------------------------------
// System facts

std::wstring SystemCheckEnvironment::MachineIdentifier() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS)
        return {};
    UniqueHkey owner(key);
    wchar_t text[64] = {};
    DWORD bytes = sizeof(text) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, L"MachineGuid", nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    const std::wstring id(text);
    return IsMachineIdentifier(id) ? id : std::wstring();
}

UpdateStore* SystemCheckEnvironment::OpenUpdateStore() {
    return store_.Open(keyPath_) ? &store_ : nullptr;
}

std::wstring SystemCheckEnvironment::Today() {
    wchar_t text[128] = {};
    if (GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128, nullptr) == 0) return {};
    return text;
}

std::wstring SystemCheckEnvironment::OsDescription() {
    OsVersionInfo info;
    using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    // The documented GetVersionEx answers what the manifest declares, not what runs.
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (rtlGetVersion && rtlGetVersion(&version) == 0) {
        info.major = version.dwMajorVersion;
        info.minor = version.dwMinorVersion;
        info.build = version.dwBuildNumber;
        info.servicePack = version.wServicePackMajor;
        info.server = version.wProductType != VER_NT_WORKSTATION;
    }
#ifdef _WIN64
    info.is64Bit = true;
#else
    BOOL wow64 = FALSE;
    info.is64Bit = IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
    return FormatOsDescription(info);
}

std::wstring SystemCheckEnvironment::LocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) <= 1) return L"xx";
    return name;
}

std::wstring SystemCheckEnvironment::PostForm(const std::wstring& address, const WebForm& form, int timeoutMs) {
    return corvana::PostForm(address, form, timeoutMs);
}

// ---------------------------------------------------------------------------------------------
// The worker

void UpdateChecker::Start(std::shared_ptr<UpdateCheckState> state) noexcept {
    try {
        auto* checker = new UpdateChecker(state);
        try {
            std::thread([checker] {
                checker->Execute();
                delete checker;
            }).detach();
        } catch (...) {
            delete checker;
            throw;
        }
    } catch (...) {
        state->results.done.store(true, std::memory_order_release);
    }
}

void UpdateChecker::Execute() noexcept {
    state_->results.done.store(false, std::memory_order_relaxed);
    CheckNow();
}

void UpdateChecker::CheckNow() noexcept {
    SystemCheckEnvironment env(state_->store, state_->keyPath);
    PerformUpdateCheck(state_->inputs, env, state_->results);
}

// ---------------------------------------------------------------------------------------------
// The main window's side

UpdateCheckView::UpdateCheckView(HWND owner, UINT_PTR timerId, int menuCommand)
    : owner_(owner), timerId_(timerId), menuCommand_(menuCommand) {}

UpdateCheckView::~UpdateCheckView() = default;

void UpdateCheckView::SetProgram(std::wstring caption, std::wstring version, std::wstring company,
                                 std::wstring product) {
    caption_ = std::move(caption);
    version_ = std::move(version);
    company_ = std::move(company);
    product_ = std::move(product);
}

bool UpdateCheckView::Done() const {
    return state_ && state_->results.done.load(std::memory_order_acquire);
}

void UpdateCheckView::OnTimer() {
    if (!state_) {
        state_ = std::make_shared<UpdateCheckState>();
        state_->inputs.appCaption = caption_;
        state_->inputs.appVersion = version_;
        if (!endpoint_.empty()) state_->inputs.endpoint = endpoint_;
        state_->keyPath = UpdateStoreKeyPath(company_, product_);
        UpdateChecker::Start(state_);
        return;
    }
    if (!Done()) return;

    KillTimer(owner_, timerId_);
    const UpdateCheckResults& results = state_->results;
    const HMENU menu = GetMenu(owner_);
    if (results.notificationsSwitchable) {
        EnableMenuItem(menu, static_cast<UINT>(menuCommand_), MF_BYCOMMAND | MF_ENABLED);
        if (results.showUpdate == 0) CheckMenuItem(menu, static_cast<UINT>(menuCommand_), MF_BYCOMMAND | MF_UNCHECKED);
    }
    if (results.newVersionAvailable && !notice_) {
        notice_ = std::make_unique<UpdateNotice>(product_, results.latestVersion, results.downloadURL, owner_);
        notice_->Create();
    }
}

void UpdateCheckView::ToggleNotifications() {
    const HMENU menu = GetMenu(owner_);
    const bool on = !(GetMenuState(menu, static_cast<UINT>(menuCommand_), MF_BYCOMMAND) & MF_CHECKED);
    CheckMenuItem(menu, static_cast<UINT>(menuCommand_), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    // The worker's key handle is free once the check is over (the item is disabled until then);
    // when the worker could not open the key, it is tried once more here.
    RegistryUpdateStore ownStore;
    RegistryUpdateStore* store = state_ ? &state_->store : &ownStore;
    if (!store->IsOpen()) store->Open(UpdateStoreKeyPath(company_, product_));
    store->WriteString(L"ShowUpdate", on ? L"1" : L"0");
}

}  // namespace corvana
