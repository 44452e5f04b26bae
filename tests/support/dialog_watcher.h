// Watches for dialog windows ("#32770") of this process from another thread, records what each
// one shows (caption, text, buttons, default button, every child control) and then acts on it:
// presses a button, presses Escape, uses the close box, or anything else a test needs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/win_test_support.h"

namespace corvana::test {

struct DialogControl {
    HWND hwnd;
    int id;
    std::wstring className;
    std::wstring text;
    LONG_PTR style;
    RECT rect;  // on the screen
};

struct DialogSnapshot {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;  // the message text (control 0xFFFF) of a message box, or a details box's read-only field
    std::vector<DialogControl> buttons;  // push buttons, left to right
    std::vector<DialogControl> controls;
    int defaultId = 0;  // the button drawn as the default one, else what the dialog reports
    bool closeBoxEnabled = false;
    HICON icon = nullptr;  // the picture of the first icon control
};

class DialogWatcher {
public:
    using Action = std::function<void(const DialogSnapshot&)>;

    // Acts on every new dialog of this process whose caption is captionFilter (any when empty).
    explicit DialogWatcher(Action action, std::wstring captionFilter = L"")
        : action_(std::move(action)), filter_(std::move(captionFilter)), thread_([this] { Run(); }) {}
    ~DialogWatcher() {
        stop_ = true;
        thread_.join();
    }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    std::vector<DialogSnapshot> Seen() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    size_t Count() const {
        std::lock_guard lock(mutex_);
        return seen_.size();
    }

    // Actions.
    static Action Press(int id) {
        return [id](const DialogSnapshot& d) {
            PostMessageW(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, id)));
        };
    }
    static Action PressEscape() { return PressKey(VK_ESCAPE); }
    // The key goes to the control that has the focus, as typed keys do.
    static Action PressKey(WPARAM key) {
        return [key](const DialogSnapshot& d) {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            GetGUIThreadInfo(GetWindowThreadProcessId(d.hwnd, nullptr), &info);
            const HWND target = info.hwndFocus ? info.hwndFocus : d.hwnd;
            PostMessageW(target, WM_KEYDOWN, key, 0x00010001);
            PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0010001));
        };
    }
    // The common item dialog: types text into its name box (control 1152) and presses its OK
    // button. Empty text in a folder picker takes the folder the dialog shows.
    static Action TypeNameAndConfirm(std::wstring text) {
        return [text](const DialogSnapshot& d) {
            SendMessageTimeoutW(GetDlgItem(d.hwnd, 1152), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                SMTO_ABORTIFHUNG, 5000, nullptr);
            PostMessageW(d.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, IDOK)));
        };
    }
    static Action UseCloseBox() {
        return [](const DialogSnapshot& d) { PostMessageW(d.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); };
    }

    static DialogSnapshot Snapshot(HWND dialog) {
        DialogSnapshot s;
        s.hwnd = dialog;
        s.caption = ControlText(dialog);
        s.text = ControlText(GetDlgItem(dialog, 0xFFFF));
        DWORD_PTR def = 0;
        SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 5000, &def);
        if (HIWORD(def) == DC_HASDEFID) s.defaultId = LOWORD(def);
        const UINT state = GetMenuState(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND);
        s.closeBoxEnabled = state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
        for (HWND child : ChildWindows(dialog)) {
            DialogControl c{
                child, GetDlgCtrlID(child), ClassNameOf(child), ControlText(child), GetWindowLongPtrW(child, GWL_STYLE),
                {}};
            GetWindowRect(child, &c.rect);
            s.controls.push_back(c);
            const LONG_PTR type = c.style & BS_TYPEMASK;
            if (lstrcmpiW(c.className.c_str(), L"Button") == 0 && IsWindowVisible(child) &&
                (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON))
                s.buttons.push_back(c);
            if (lstrcmpiW(c.className.c_str(), L"Static") == 0 && (c.style & SS_TYPEMASK) == SS_ICON && !s.icon) {
                DWORD_PTR icon = 0;
                SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
                s.icon = reinterpret_cast<HICON>(icon);
            }
        }
        if (s.text.empty())
            for (const auto& c : s.controls)
                if (lstrcmpiW(c.className.c_str(), L"Edit") == 0 && (c.style & ES_READONLY)) s.text = c.text;
        std::stable_sort(s.buttons.begin(), s.buttons.end(),
                         [](const auto& a, const auto& b) { return a.rect.left < b.rect.left; });
        for (const auto& b : s.buttons)
            if ((b.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) s.defaultId = b.id;
        return s;
    }

private:
    void Run() {
        std::vector<HWND> handled;
        while (!stop_) {
            for (HWND dialog : WindowsOf(GetCurrentProcessId(), L"#32770")) {
                if (std::find(handled.begin(), handled.end(), dialog) != handled.end()) continue;
                // One that never gets ready is looked at again on the next round; the test waiting
                // for it fails on its own time limit.
                if (!WaitUntilReady(dialog)) continue;
                if (!filter_.empty() && ControlText(dialog) != filter_) continue;
                handled.push_back(dialog);
                DialogSnapshot snapshot = Snapshot(dialog);
                {
                    std::lock_guard lock(mutex_);
                    seen_.push_back(snapshot);
                }
                action_(snapshot);
            }
            Sleep(30);
        }
    }

    // A dialog has finished setting itself up once its thread's message loop has taken a message
    // posted after the dialog appeared: what the dialog queued for itself meanwhile came first.
    // A hook on that thread sees the message taken.
    bool WaitUntilReady(HWND dialog) {
        const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
        const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, SeeMarkerTaken, nullptr, thread);
        if (!hook) return false;
        Markers& markers = TakenMarkers();
        const LPARAM ticket = ++markers.lastTicket;
        bool ready = false;
        if (PostMessageW(dialog, MarkerMessage(), 0, ticket)) {
            const DWORD start = GetTickCount();
            std::unique_lock lock(markers.mutex);
            while (!stop_ && IsWindow(dialog) && GetTickCount() - start < 10000) {
                if (markers.taken.erase(ticket)) {
                    ready = true;
                    break;
                }
                markers.changed.wait_for(lock, std::chrono::milliseconds(50));
            }
        }
        UnhookWindowsHookEx(hook);
        return ready;
    }
    // Shared by every watcher, since each hook on a thread sees every watcher's markers.
    struct Markers {
        std::mutex mutex;
        std::condition_variable changed;
        std::set<LPARAM> taken;
        std::atomic<LPARAM> lastTicket{0};
    };
    static Markers& TakenMarkers() {
        static Markers markers;
        return markers;
    }
    static UINT MarkerMessage() {
        static const UINT message = RegisterWindowMessageW(L"Corvana test: dialog watcher marker");
        return message;
    }
    static LRESULT CALLBACK SeeMarkerTaken(int code, WPARAM removal, LPARAM lp) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lp);
        if (code == HC_ACTION && removal == PM_REMOVE && msg.message == MarkerMessage()) {
            Markers& markers = TakenMarkers();
            std::lock_guard lock(markers.mutex);
            markers.taken.insert(msg.lParam);
            markers.changed.notify_all();
        }
        return CallNextHookEx(nullptr, code, removal, lp);
    }

    Action action_;
    std::wstring filter_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<DialogSnapshot> seen_;
    std::thread thread_;
};

}  // namespace corvana::test
