#include "win/message_dialog_win.h"

#include <algorithm>
#include <utility>

#include "common/app_error.h"
#include "win/system_win.h"

namespace corvana {

namespace {

struct DialogRequest {
    const std::wstring* title;
    const std::vector<std::wstring>* captions;
    bool noAnswersCancel;
    HWND dialog = nullptr;
    HHOOK hook = nullptr;
};

// The request of the box being shown on this thread; a box shown from inside another one's
// message loop saves and restores the outer request.
thread_local DialogRequest* t_request = nullptr;

constexpr const wchar_t* kOriginalProcProperty = L"Corvana.MessageDialogProc";

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[32]{};
    GetClassNameW(hwnd, cls, 32);
    return lstrcmpiW(cls, name) == 0;
}

// A box with Yes and No has no Cancel button, so the system ignores Escape and greys the close
// box; both are meant to answer No here.
LRESULT CALLBACK YesNoDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOriginalProcProperty));
    if (msg == WM_NCDESTROY) {
        RemovePropW(hwnd, kOriginalProcProperty);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    } else if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
        wp = MAKEWPARAM(IDNO, BN_CLICKED);
        lp = reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDNO));
    } else if (msg == WM_CLOSE) {
        msg = WM_COMMAND;
        wp = MAKEWPARAM(IDNO, BN_CLICKED);
        lp = reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDNO));
    }
    return CallWindowProcW(original, hwnd, msg, wp, lp);
}

void Customise(DialogRequest& request, HWND dialog) {
    request.dialog = dialog;
    if (!request.title->empty()) SetWindowTextW(dialog, request.title->c_str());

    std::vector<std::pair<int, HWND>> buttons;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        // The box is not shown yet, so its buttons' own style says whether they are in use.
        if (!IsClass(child, L"Button") || !(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT rc;
        GetWindowRect(child, &rc);
        buttons.emplace_back(rc.left, child);
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto& captions = *request.captions;
    for (size_t i = 0; i < buttons.size() && i < captions.size(); ++i)
        SetWindowTextW(buttons[i].second, captions[i].c_str());

    if (request.noAnswersCancel) {
        EnableMenuItem(GetSystemMenu(dialog, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
        const LONG_PTR original = GetWindowLongPtrW(dialog, GWLP_WNDPROC);
        SetPropW(dialog, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(YesNoDialogProc));
    }
}

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
    DialogRequest* request = t_request;
    if (request && code == HCBT_ACTIVATE && !request->dialog) {
        const HWND hwnd = reinterpret_cast<HWND>(wp);
        if (IsClass(hwnd, L"#32770")) Customise(*request, hwnd);
    }
    return CallNextHookEx(request ? request->hook : nullptr, code, wp, lp);
}

UINT StyleOf(MessageKind kind, MessageButtons buttons) {
    UINT style = MB_DEFBUTTON1;
    switch (kind) {
        case MessageKind::Plain: break;
        case MessageKind::Warning: style |= MB_ICONWARNING; break;
        case MessageKind::Error: style |= MB_ICONERROR; break;
        case MessageKind::Information: style |= MB_ICONINFORMATION; break;
        case MessageKind::Confirmation: style |= MB_ICONQUESTION; break;
    }
    switch (buttons) {
        case MessageButtons::OK: style |= MB_OK; break;
        case MessageButtons::OKCancel: style |= MB_OKCANCEL; break;
        case MessageButtons::YesNo: style |= MB_YESNO; break;
        case MessageButtons::YesNoCancel: style |= MB_YESNOCANCEL; break;
    }
    return style;
}

}  // namespace

void ShowMessage(const std::wstring& text, MessageKind kind, const std::wstring& title, HWND owner) {
    MessageBoxW(owner ? owner : GetActiveWindow(), text.c_str(), title.c_str(), StyleOf(kind, MessageButtons::OK));
}

int ShowMessageDialog(const std::wstring& text, MessageKind kind, MessageButtons buttons, const std::wstring& title,
                      const std::vector<std::wstring>& captions, HWND owner) {
    DialogRequest request{&title, &captions, buttons == MessageButtons::YesNo};
    DialogRequest* outer = std::exchange(t_request, &request);
    request.hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    const int result =
        MessageBoxW(owner ? owner : GetActiveWindow(), text.c_str(), title.c_str(), StyleOf(kind, buttons));
    const DWORD error = GetLastError();
    if (request.hook) UnhookWindowsHookEx(request.hook);
    t_request = outer;
    if (result == 0) throw AppError(SystemErrorText(error));
    return result;
}

}  // namespace corvana
