#include "maker/newversion_win.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include "resource.h"
#include "maker/web_request.h"
#include "maker/web_request_win.h"
#include "win/controls_win.h"
#include "win/images_win.h"

namespace corvana {

namespace {

enum : int { IDC_NoticeIcon = 100, IDC_NoticeHeadline, IDC_NoticeLink, IDC_NoticeClose };

constexpr int kClientWidth = 320, kClientHeight = 68;

// The visual style's value of a system colour, or the classic one when no style is active.
COLORREF ThemeColor(HWND hwnd, int index) {
    if (HTHEME theme = OpenThemeData(hwnd, L"WINDOW")) {
        const COLORREF color = GetThemeSysColor(theme, index);
        CloseThemeData(theme);
        return color;
    }
    return GetSysColor(index);
}

}  // namespace

UpdateNotice::UpdateNotice(std::wstring productName, std::wstring latestVersion, std::wstring downloadURL,
                           HWND mainWindow, int64_t closeAfterSeconds)
    : productName_(std::move(productName)),
      latestVersion_(std::move(latestVersion)),
      downloadURL_(std::move(downloadURL)),
      countdown_(closeAfterSeconds),
      mainWindow_(mainWindow) {}

UpdateNotice::~UpdateNotice() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void UpdateNotice::Create() {
    RegisterClassOnce(kNewVersionWindowClass, nullptr, GetSysColorBrush(COLOR_BTNFACE));
    // A tool window gets no taskbar button; "no activate" keeps the focus where the user has it.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kNewVersionWindowClass, L"",
                    WS_POPUP | WS_CLIPCHILDREN, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    SetTimer(hwnd_, TimerStart, 1, nullptr);
    SetTimer(hwnd_, TimerClose, 1000, nullptr);
    SetTimer(hwnd_, TimerLink, 100, nullptr);
}

void UpdateNotice::CreateControls() {
    iconImage_ = CreateControl({hwnd_, WC_STATICW, L"", WS_VISIBLE | SS_OWNERDRAW, IDC_NoticeIcon});
    // SS_NOTIFY: without it the text lets the mouse through to the window, which does not drag there.
    headlineLabel_ =
        CreateControl({hwnd_, WC_STATICW, L"", WS_VISIBLE | SS_CENTER | SS_NOPREFIX | SS_NOTIFY, IDC_NoticeHeadline});
    linkLabel_ = CreateControl({hwnd_, WC_STATICW, L"", WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, IDC_NoticeLink});
    // Drawn as a cross; the text names it for screen readers.
    closeButton_ = CreateControl({hwnd_, WC_BUTTONW, L"Close", WS_VISIBLE | BS_OWNERDRAW, IDC_NoticeClose});
    for (HWND control : {iconImage_, headlineLabel_})
        SetWindowSubclass(control, DragSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void UpdateNotice::OnCreate() {
    CreateControls();
    OnDpiChanged();

    // Top right of the primary screen.
    const int width = Scale(kClientWidth), height = Scale(kClientHeight);
    SetWindowPos(hwnd_, nullptr, GetSystemMetrics(SM_CXSCREEN) - width - Scale(5), Scale(5), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();

    SetWindowTextW(headlineLabel_, L"UPDATE AVAILABLE");
    const std::wstring link = L"Click to download " + productName_ + L" " + latestVersion_;
    SetWindowTextW(linkLabel_, link.c_str());
    linkColor_ = ThemeColor(hwnd_, COLOR_WINDOWTEXT);
}

void UpdateNotice::OnDpiChanged() {
    font_ = MakeFont(11);
    titleFont_ = MakeFont(13, FW_BOLD);
    linkFont_ = MakeFont(13, FW_NORMAL, true);
    SetControlFont(hwnd_, font_.get(), false);
    SetControlFont(headlineLabel_, titleFont_.get(), false);
    SetControlFont(linkLabel_, linkFont_.get(), false);
    icon_.reset(LoadImageIcon(IDI_CORVANA, Scale(48)));
}

RECT UpdateNotice::TextAreaRect() const {
    // The window's raised border, the icon with its margins on the left, the close button's strip on the right.
    const int border = Scale(2);
    return RECT{border + Scale(3 + 60 + 3), border, Scale(kClientWidth) - border - Scale(22),
                Scale(kClientHeight) - border};
}

void UpdateNotice::Layout() {
    const int border = Scale(2);
    const int inner = Scale(kClientHeight) - 2 * border;
    MoveWindow(iconImage_, border + Scale(3), border + (inner - Scale(60)) / 2, Scale(60), Scale(60), FALSE);
    MoveWindow(closeButton_, Scale(kClientWidth) - border - Scale(22), border, Scale(22), Scale(22), FALSE);
    const RECT textArea = TextAreaRect();
    const int titleHeight = Scale(16);
    MoveWindow(headlineLabel_, textArea.left + Scale(3), textArea.top + Scale(3),
               textArea.right - textArea.left - Scale(6), titleHeight, FALSE);
    const int linkTop = textArea.top + Scale(3) + titleHeight;
    MoveWindow(linkLabel_, textArea.left, linkTop, textArea.right - textArea.left, textArea.bottom - linkTop, FALSE);
}

void UpdateNotice::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    if (item.hwndItem == iconImage_) {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        const int size = Scale(48);
        DrawIconEx(dc, (rc.left + rc.right - size) / 2, (rc.top + rc.bottom - size) / 2, icon_.get(), size, size, 0,
                   nullptr, DI_NORMAL);
    } else if (item.hwndItem == linkLabel_) {
        // Transparent over the panel; the text centred both ways, wrapped at word ends.
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        wchar_t text[512] = {};
        GetWindowTextW(linkLabel_, text, 512);
        const ScopedSelectObject selectFont(dc, linkFont_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, linkColor_);
        RECT measure = rc;
        DrawTextW(dc, text, -1, &measure, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int textHeight = measure.bottom - measure.top;
        RECT target = rc;
        target.top += std::max(0, static_cast<int>(rc.bottom - rc.top) - textHeight) / 2;
        DrawTextW(dc, text, -1, &target, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else if (item.hwndItem == closeButton_) {
        // A flat button with a cross.
        const bool pressed = (item.itemState & ODS_SELECTED) != 0;
        DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT | (pressed ? DFCS_PUSHED : 0));
        const int inset = Scale(7), shift = pressed ? 1 : 0;
        const UniqueHpen pen(CreatePen(PS_SOLID, std::max(1, Scale(2)), GetSysColor(COLOR_BTNTEXT)));
        const ScopedSelectObject selectPen(dc, pen.get());
        MoveToEx(dc, rc.left + inset + shift, rc.top + inset + shift, nullptr);
        LineTo(dc, rc.right - inset + shift, rc.bottom - inset + shift);
        MoveToEx(dc, rc.right - inset - 1 + shift, rc.top + inset + shift, nullptr);
        LineTo(dc, rc.left + inset - 1 + shift, rc.bottom - inset + shift);
    }
}

void UpdateNotice::OnShowTimer() {
    KillTimer(hwnd_, TimerStart);
    AnimateWindow(hwnd_, 100, AW_CENTER | AW_HOR_POSITIVE | AW_HOR_NEGATIVE);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    // The notice never keeps the activation, should the system have handed it over.
    if (mainWindow_ && IsWindow(mainWindow_) && GetActiveWindow() == hwnd_) SetActiveWindow(mainWindow_);
}

void UpdateNotice::OnCountdownTimer() {
    --countdown_;
    if (countdown_ > 0) return;
    KillTimer(hwnd_, TimerClose);
    AnimateWindow(hwnd_, 100, AW_HIDE | AW_CENTER);
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void UpdateNotice::OnLinkTimer() {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(linkLabel_, &pt);
    RECT rc;
    GetClientRect(linkLabel_, &rc);
    const COLORREF color = ThemeColor(hwnd_, PtInRect(&rc, pt) ? COLOR_MENUHILIGHT : COLOR_WINDOWTEXT);
    if (color != linkColor_) {
        linkColor_ = color;
        InvalidateRect(linkLabel_, nullptr, FALSE);
    }
}

std::wstring UpdateNotice::LinkAddress() const {
    // The address came from the network: anything but a web page (a local file, a program) would be
    // run by the shell, so it counts as no address at all.
    return IsWebAddress(downloadURL_) ? downloadURL_ : std::wstring(HomePageFallback);
}

void UpdateNotice::OpenLink() {
    OpenWebAddress(LinkAddress());
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void UpdateNotice::OnCloseButton() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void UpdateNotice::OnClose() {
    ShowWindow(hwnd_, SW_HIDE);
}

bool UpdateNotice::HandleMouse(HWND sender, UINT msg, WPARAM, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN: BeginDrag(sender, lp); return true;
        case WM_RBUTTONDOWN: return true;
        case WM_MOUSEMOVE: ContinueDrag(sender, lp); return true;
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
        case WM_RBUTTONUP: EndDrag(); return true;
        case WM_CAPTURECHANGED: DragInterrupted(); return false;
        default: return false;
    }
}

LRESULT CALLBACK UpdateNotice::DragSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<UpdateNotice*>(data);
    bool handled = false;
    Application::Guarded([&] { handled = self->HandleMouse(hwnd, msg, wp, lp); });
    if (handled) return 0;
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, DragSubclassProc, 1);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT UpdateNotice::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_PAINT: {
            // A raised border round the whole window.
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            RECT rc;
            GetClientRect(hwnd_, &rc);
            DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_CTLCOLORSTATIC:
            SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_DRAWITEM: DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == linkLabel_ || reinterpret_cast<HWND>(wp) == closeButton_) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lp) == linkLabel_ && HIWORD(wp) == STN_CLICKED)
                OpenLink();
            else if (reinterpret_cast<HWND>(lp) == closeButton_ && HIWORD(wp) == BN_CLICKED)
                OnCloseButton();
            return 0;
        case WM_TIMER:
            if (wp == TimerStart)
                OnShowTimer();
            else if (wp == TimerClose)
                OnCountdownTimer();
            else if (wp == TimerLink)
                OnLinkTimer();
            return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_RBUTTONDOWN: {
            // The space round the two labels carries no drag handlers.
            const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            const RECT textArea = TextAreaRect();
            if (PtInRect(&textArea, pt)) return 0;
            HandleMouse(hwnd_, msg, wp, lp);
            return msg == WM_XBUTTONDOWN ? TRUE : 0;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP:
        case WM_RBUTTONUP:
        case WM_CAPTURECHANGED: HandleMouse(hwnd_, msg, wp, lp); return msg == WM_XBUTTONUP ? TRUE : 0;
        default: break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
