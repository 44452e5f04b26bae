#include "win/controls_win.h"

#include <windowsx.h>

#include <algorithm>

#include "win/application_win.h"
#include "win/gdi_win.h"
#include "win/system_win.h"

namespace corvana {

void PlaceWindow(HWND window, int x, int y, int width, int height, bool compareHeight) {
    RECT now;
    GetWindowRect(window, &now);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&now), 2);
    if (now.left == x && now.top == y && now.right - now.left == width &&
        (!compareHeight || now.bottom - now.top == height))
        return;
    MoveWindow(window, x, y, width, height, TRUE);
}

HWND CreateControl(const ControlArgs& args) {
    return CreateWindowExW(args.exStyle, args.className, args.text, WS_CHILD | args.style, 0, 0, 0, 0, args.parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr), nullptr);
}

namespace {

// The window property that ties a control's window to its object.
constexpr const wchar_t* kControlProperty = L"Corvana.Control";

Control* ControlOf(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kControlProperty)) : nullptr;
}

}  // namespace

Control::~Control() {
    // The windows may outlive the object (destroyed later with their parent): they must not lead
    // to it then.
    for (HWND hwnd : tied_)
        if (IsWindow(hwnd) && ControlOf(hwnd) == this) RemovePropW(hwnd, kControlProperty);
}

void Control::Create(const ControlArgs& args) {
    hwnd_ = CreateControl(args);
    Adopt(hwnd_);
}

void Control::Adopt(HWND hwnd) {
    if (!hwnd) return;
    SetPropW(hwnd, kControlProperty, this);
    tied_.push_back(hwnd);
}

void Control::SetFont(HFONT font) const {
    SetControlFont(hwnd_, font);
}

std::wstring Control::Text() const {
    return GetWindowTextString(hwnd_);
}

std::optional<LRESULT> Control::Reflect(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (Control* control = ControlOf(reinterpret_cast<HWND>(lp));
                control && control->OnCommand(LOWORD(wp), HIWORD(wp)))
                return 0;
            break;
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lp);
            if (Control* control = ControlOf(header.hwndFrom)) return control->OnNotify(header);
            break;
        }
        case WM_CONTEXTMENU:
            if (Control* control = ControlOf(reinterpret_cast<HWND>(wp)); control && control->onContextMenu) {
                control->onContextMenu(lp);
                return 0;
            }
            break;
        default: break;
    }
    return std::nullopt;
}

void Label::Create(HWND parent, int id, const wchar_t* text, DWORD style) {
    Control::Create({parent, WC_STATICW, text, WS_VISIBLE | style, id});
}

void Button::Create(HWND parent, int id, const wchar_t* text, DWORD style) {
    Control::Create({parent, WC_BUTTONW, text, WS_VISIBLE | style, id});
}

bool Button::Checked() const {
    return Button_GetCheck(hwnd_) == BST_CHECKED;
}

void Button::SetChecked(bool checked) const {
    Button_SetCheck(hwnd_, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Button::OnCommand(int, int code) {
    if (code != BN_CLICKED) return false;
    if (onClick) onClick();
    return true;
}

void EditField::Create(HWND parent, int id, DWORD style, DWORD exStyle) {
    Control::Create({parent, WC_EDITW, L"", WS_VISIBLE | style, id, exStyle});
}

void EditField::SetText(const std::wstring& text, bool notify) {
    quiet_ = !notify;
    SetWindowTextW(hwnd_, text.c_str());
    quiet_ = false;
}

bool EditField::OnCommand(int, int code) {
    if (code != EN_CHANGE) return false;
    if (onChange && !quiet_) onChange();
    return true;
}

void DropDownList::Create(HWND parent, int id, std::span<const wchar_t* const> items) {
    Control::Create({parent, WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, id});
    for (const wchar_t* item : items) ComboBox_AddString(hwnd_, item);
    SendMessageW(hwnd_, CB_SETMINVISIBLE, 20, 0);
    ComboBox_SetCurSel(hwnd_, 0);
}

void StatusBar::Create(HWND parent, int id) {
    Control::Create({parent, STATUSCLASSNAMEW, L"", WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, id});
    int part = -1;
    SendMessageW(hwnd_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&part));
}

void StatusBar::SetText(const std::wstring& text) {
    SendMessageW(hwnd_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::Text() const {
    const auto length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void ProgressBar::Create(HWND parent, int id) {
    Control::Create({parent, PROGRESS_CLASSW, L"", 0, id});
    SendMessageW(hwnd_, PBM_SETRANGE32, 0, 10);
}

void ProgressBar::Start(uint64_t total) {
    ShowWindow(hwnd_, SW_SHOW);
    SendMessageW(hwnd_, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
    SendMessageW(hwnd_, PBM_SETPOS, 0, 0);
}

void ProgressBar::SetPosition(uint64_t done) {
    // One step past, then back: the bar shows the new position at once instead of easing to it.
    SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(done + 1), 0);
    SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(done), 0);
}

void ProgressBar::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

void SplitButton::Create(HWND parent, int id, const wchar_t* hint, HWND hints, HMENU menu) {
    // With BS_ICON the button draws its picture without the text.
    Button::Create(parent, id, hint, WS_TABSTOP | BS_SPLITBUTTON | BS_ICON);
    hints_ = hints;
    menu_ = menu;
    AddHint(hints, parent, hwnd_, hint);
}

void SplitButton::SetImages(HIMAGELIST images) {
    SetButtonPicture(hwnd_, images, BUTTON_IMAGELIST_ALIGN_CENTER);
}

std::optional<LRESULT> SplitButton::OnNotify(NMHDR& header) {
    if (header.code != BCN_DROPDOWN) return std::nullopt;
    ShowMenu();
    return 0;
}

void ToolBar::Create(HWND parent, int id, std::initializer_list<Item> items) {
    Control::Create({parent, TOOLBARCLASSNAMEW, nullptr,
                     WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, id});
    // The bar's own tooltip asks for the hints.
    Adopt(reinterpret_cast<HWND>(SendMessageW(hwnd_, TB_GETTOOLTIPS, 0, 0)));
    items_.assign(items);
    SendMessageW(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    for (const Item& item : items_) {
        TBBUTTON tb{};
        if (item.command == 0) {
            tb.fsStyle = BTNS_SEP;
        } else {
            tb.iBitmap = item.image;
            tb.idCommand = item.command;
            tb.fsState = TBSTATE_ENABLED;
            tb.fsStyle = BTNS_BUTTON;
            tb.iString = reinterpret_cast<INT_PTR>(item.caption);
        }
        SendMessageW(hwnd_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
}

bool ToolBar::OnCommand(int id, int) {
    if (onCommand) onCommand(id);
    return true;
}

std::optional<LRESULT> ToolBar::OnNotify(NMHDR& header) {
    if (header.code != TTN_GETDISPINFOW) return std::nullopt;
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    for (const Item& item : items_)
        if (item.command != 0 && static_cast<UINT_PTR>(item.command) == header.idFrom)
            info.lpszText = const_cast<wchar_t*>(item.hint);
    return 0;
}

std::optional<LRESULT> ListViewControl::OnNotify(NMHDR& header) {
    return onNotify ? onNotify(header) : std::nullopt;
}

namespace {

int MenuWidth(HMENU menu, HWND window) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    const UINT dpi = GetDpiForWindow(window);
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi);
    const UniqueHfont font(CreateFontIndirectW(&metrics.lfMenuFont));
    ScopedGetDC dc(window);
    ScopedSelectObject selectFont(dc, font.get());
    int widest = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256]{};
        const int length = GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        RECT r{};
        DrawTextW(dc, text, length, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        widest = std::max(widest, static_cast<int>(r.right));
    }
    // Room for the check mark column on the left and the submenu arrow column on the right.
    return widest + 2 * GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + ScaleForDpi(16, dpi);
}

}  // namespace

void SplitButton::ShowMenu() const {
    const HWND owner = GetParent(hwnd_);
    RECT button, window;
    GetWindowRect(hwnd_, &button);
    GetWindowRect(owner, &window);
    const bool sticksOut = button.left + MenuWidth(menu_, owner) > window.right;
    const UINT align = sticksOut ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    const int x = sticksOut ? button.right : button.left;
    // A hint popping up over the open menu would hide it.
    SendMessageW(hints_, TTM_POP, 0, 0);
    SendMessageW(hints_, TTM_ACTIVATE, FALSE, 0);
    TrackPopupMenu(menu_, align | TPM_TOPALIGN | TPM_LEFTBUTTON, x, button.bottom, 0, owner, nullptr);
    SendMessageW(hints_, TTM_ACTIVATE, TRUE, 0);
}

void Splitter::Create(HWND parent, int id, std::function<void(int clientX)> onDrag) {
    constexpr const wchar_t* kClass = L"TSplitter";
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
    }
    onDrag_ = std::move(onDrag);
    Control::Create({parent, kClass, L"", WS_VISIBLE, id});
    SetWindowSubclass(hwnd_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Splitter::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<Splitter*>(data);
    switch (msg) {
        case WM_LBUTTONDOWN: SetCapture(hwnd); return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == hwnd) {
                POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                MapWindowPoints(hwnd, GetParent(hwnd), &pt, 1);
                Application::Guarded([&] { self->onDrag_(pt.x); });
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) ReleaseCapture();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
            DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, Proc, 1); break;
        default: break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

HWND CreateHintWindow(HWND owner) {
    return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                           owner, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void AddHint(HWND hints, HWND parent, HWND control, const wchar_t* hint) {
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<wchar_t*>(hint);
    SendMessageW(hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void SetButtonPicture(HWND button, HIMAGELIST images, UINT alignment, int margin) {
    BUTTON_IMAGELIST list{images, {margin, 0, 0, 0}, alignment};
    SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
}

void AppendMenuItems(HMENU menu, std::initializer_list<MenuItem> items) {
    for (const MenuItem& item : items) {
        if (item.command == 0)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING | item.flags, static_cast<UINT_PTR>(item.command), item.text);
    }
}

}  // namespace corvana
