#include "win/details_dialog_win.h"

#include <algorithm>
#include <vector>

#include "common/text.h"
#include "win/controls_win.h"
#include "win/gdi_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr int kTextId = 100;
// At 96 DPI.
constexpr int kMargin = 10, kButtonWidth = 88, kButtonHeight = 26, kPreferredTextWidth = 640;

struct DetailsState {
    std::wstring caption;
    std::wstring text;  // with CR LF line breaks, as the field wants them
    HWND field = nullptr, ok = nullptr;
    UINT dpi = 96;
    UniqueHfont font;
    int Scale(int value) const { return ScaleForDpi(value, dpi); }
};

std::wstring WithFieldLineBreaks(const std::wstring& text) {
    std::wstring joined;
    joined.reserve(text.size() + text.size() / 16);
    const std::vector<std::wstring> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) joined += L"\r\n";
        joined += lines[i];
    }
    return joined;
}

void LayOut(HWND dialog, const DetailsState& s) {
    RECT client;
    GetClientRect(dialog, &client);
    const int margin = s.Scale(kMargin), buttonWidth = s.Scale(kButtonWidth), buttonHeight = s.Scale(kButtonHeight);
    const int buttonTop = client.bottom - margin - buttonHeight;
    MoveWindow(s.field, margin, margin, std::max(0, static_cast<int>(client.right) - 2 * margin),
               std::max(0, buttonTop - 2 * margin), TRUE);
    MoveWindow(s.ok, client.right - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight, TRUE);
}

// Wide enough for the preferred width, tall enough for every line, but inside the work area.
void SizeToText(HWND dialog, DetailsState& s, HWND owner) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT work = mi.rcWork;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle, s.dpi);
    const int frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    const int maxWidth = (work.right - work.left) * 9 / 10, maxHeight = (work.bottom - work.top) * 9 / 10;

    const int margin = s.Scale(kMargin);
    const int width = std::min(s.Scale(kPreferredTextWidth) + 2 * margin + frameWidth, maxWidth);
    // The field wraps long lines; its line count at this width gives the height it wants.
    MoveWindow(s.field, 0, 0, width - frameWidth - 2 * margin, s.Scale(100), FALSE);
    const int lines = static_cast<int>(SendMessageW(s.field, EM_GETLINECOUNT, 0, 0));
    TEXTMETRICW tm{};
    {
        ScopedGetDC dc(s.field);
        ScopedSelectObject selectFont(dc, s.font.get());
        GetTextMetricsW(dc, &tm);
    }
    const int fieldHeight = lines * tm.tmHeight + s.Scale(8) + GetSystemMetricsForDpi(SM_CYEDGE, s.dpi) * 2;
    const int height = std::clamp(fieldHeight + 3 * margin + s.Scale(kButtonHeight) + frameHeight, s.Scale(180),
                                  std::max(s.Scale(180), maxHeight));

    // Centred over the owner (or the work area), kept inside the work area.
    RECT over = work;
    if (owner) GetWindowRect(owner, &over);
    const int left = std::clamp(static_cast<int>(over.left + over.right - width) / 2, static_cast<int>(work.left),
                                std::max(static_cast<int>(work.left), static_cast<int>(work.right) - width));
    const int top = std::clamp(static_cast<int>(over.top + over.bottom - height) / 2, static_cast<int>(work.top),
                               std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - height));
    SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK DetailsProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<DetailsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            s = reinterpret_cast<DetailsState*>(lp);
            SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
            SetWindowTextW(dialog, s->caption.c_str());
            s->dpi = GetDpiForWindow(dialog);
            s->font = CreateUiFont(s->Scale(11));
            s->field =
                CreateControl({dialog, WC_EDITW, L"",
                               WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                               kTextId, WS_EX_CLIENTEDGE});
            s->ok = CreateControl({dialog, WC_BUTTONW, L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK});
            for (HWND control : {s->field, s->ok}) SetControlFont(control, s->font.get(), false);
            // The field's own limit (32K characters) would cut a long output.
            SendMessageW(s->field, EM_SETLIMITTEXT, 0, 0);
            SetWindowTextW(s->field, s->text.c_str());
            SizeToText(dialog, *s, GetWindow(dialog, GW_OWNER));
            LayOut(dialog, *s);
            SetFocus(s->ok);
            return FALSE;  // the focus is set
        }
        case WM_SIZE:
            if (s) LayOut(dialog, *s);
            return TRUE;
        case WM_GETMINMAXINFO:
            if (s) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lp);
                info->ptMinTrackSize = {s->Scale(300), s->Scale(180)};
            }
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp));
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void ShowDetailsDialog(const std::wstring& text, const std::wstring& caption, HWND owner) {
    if (!owner) owner = GetActiveWindow();
    // An empty template: the box makes its controls itself, sized in pixels for its DPI.
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_CLIPCHILDREN;
    dialogTemplate.header.cx = 300;
    dialogTemplate.header.cy = 200;
    DetailsState state;
    state.caption = caption;
    state.text = WithFieldLineBreaks(text);
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, owner, DetailsProc,
                            reinterpret_cast<LPARAM>(&state));
}

}  // namespace corvana
