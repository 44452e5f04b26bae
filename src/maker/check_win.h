// The update-check worker and what it shares with the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "maker/update_check.h"
#include "win/handles_win.h"

namespace corvana {

// The update values under the program's per-user key (HKEY_CURRENT_USER).
class RegistryUpdateStore : public UpdateStore {
public:
    // Opens the key, creating it when missing; false when that fails.
    bool Open(const std::wstring& keyPath);
    bool IsOpen() const { return static_cast<bool>(key_); }
    std::optional<std::wstring> ReadString(std::wstring_view name) override;
    void WriteString(std::wstring_view name, std::wstring_view value) override;

private:
    UniqueHkey key_;
};

// "Software\<company>\<product>\Settings": the key the update values live in.
std::wstring UpdateStoreKeyPath(const std::wstring& companyName, const std::wstring& productName);

// Everything one check shares between the worker and the main window. Held by both, so that a
// worker still waiting for the service outlives a window that has closed.
struct UpdateCheckState {
    UpdateCheckInputs inputs;
    std::wstring keyPath;
    RegistryUpdateStore store;  // the worker's until results.done, the window's afterwards
    UpdateCheckResults results;
};

// The worker thread: runs one check and frees itself when it ends.
class UpdateChecker {
public:
    // Starts the worker at once. When no thread can be started the check is over at once, with
    // nothing to tell.
    static void Start(std::shared_ptr<UpdateCheckState> state) noexcept;

    // The thread's body: marks the check as not done, then runs it.
    void Execute() noexcept;
    // One whole check against the maker's service; sets results.done once they are in.
    void CheckNow() noexcept;

private:
    explicit UpdateChecker(std::shared_ptr<UpdateCheckState> state) : state_(std::move(state)) {}
    std::shared_ptr<UpdateCheckState> state_;
};

// The real system facts and service behind a check.
class SystemCheckEnvironment : public UpdateCheckEnvironment {
public:
    SystemCheckEnvironment(RegistryUpdateStore& store, std::wstring keyPath)
        : store_(store), keyPath_(std::move(keyPath)) {}
    std::wstring MachineIdentifier() override;
    UpdateStore* OpenUpdateStore() override;
    std::wstring Today() override;
    std::wstring OsDescription() override;
    std::wstring LocaleName() override;
    std::wstring PostForm(const std::wstring& address, const WebForm& form, int timeoutMs) override;

private:
    RegistryUpdateStore& store_;
    std::wstring keyPath_;
};

class UpdateNotice;

// The window's side of the update check: the worker started on the first tick of the window's
// timer, its result collected on the first tick after it has ended (the menu item switched on,
// the notice opened when a newer version is out), and the notifications switch.
class UpdateCheckView {
public:
    // owner: the main window, whose menu holds "Update Notifications" and whose timer ticks.
    UpdateCheckView(HWND owner, UINT_PTR timerId, int menuCommand);
    ~UpdateCheckView();

    // The program's names and version, known once start-up has read the version record.
    void SetProgram(std::wstring caption, std::wstring version, std::wstring company, std::wstring product);
    // Where the check asks (host and path); the maker's service unless set.
    void SetEndpoint(std::wstring endpoint) { endpoint_ = std::move(endpoint); }

    void OnTimer();
    void ToggleNotifications();

    bool Done() const;
    // The new-version notice, made at most once a run; null when none was needed.
    const UpdateNotice* Notice() const { return notice_.get(); }

private:
    HWND owner_;
    UINT_PTR timerId_;
    int menuCommand_;
    std::wstring caption_, version_, company_, product_, endpoint_;
    std::shared_ptr<UpdateCheckState> state_;  // shared with the worker, which may outlive the window
    std::unique_ptr<UpdateNotice> notice_;
};

}  // namespace corvana
