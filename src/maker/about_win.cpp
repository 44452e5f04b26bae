#include "maker/about_win.h"

#include <windowsx.h>

#include <random>

#include "win/message_dialog_win.h"
#include "resource.h"
#include "maker/web_request.h"
#include "maker/web_request_win.h"
#include "win/controls_win.h"
#include "win/images_win.h"
#include "win/modal_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr const wchar_t* kAboutClass = L"TAboutBox";
constexpr const wchar_t* kPanelClass = L"TAboutPanel";
constexpr UINT_PTR kRainTimer = 1;
constexpr UINT_PTR kSlideTimer = 2;  // slides the picture panel aside
constexpr int kInfoButtonId = 1002;
constexpr int kHomeLinkId = 1003;
enum : int { CMD_Acknowledgements = 101, CMD_UninstallHelp, CMD_License };

// Layout at 96 DPI.
constexpr SIZE kClient{446, 374};
constexpr RECT kPicturePanel{48, 42, 48 + 350, 42 + 291};
constexpr SIZE kHiddenPicture{324, 220};
constexpr RECT kMakerMark{2, 0, 346, 105};
constexpr RECT kLogoBevel{9, 122, 9 + 34, 122 + 34};
constexpr RECT kLogo{10, 123, 10 + 32, 123 + 32};
constexpr RECT kVersionText{49, 122, 49 + 290, 122 + 40};
constexpr RECT kOkButton{49, 226, 49 + 122, 226 + 33};
constexpr RECT kInfoButton{177, 226, 177 + 122, 226 + 33};
constexpr RECT kHomeLink{4, 268, 346, 287};
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kLime = RGB(0, 255, 0);

std::mt19937& RainEngine() {
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

RECT ScaleRect(const RECT& r, const AboutBox& box) {
    return {box.Scale(r.left), box.Scale(r.top), box.Scale(r.right), box.Scale(r.bottom)};
}

bool PointIn(const RECT& r, LPARAM lp) {
    const POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return PtInRect(&r, pt) != FALSE;
}

// The animation draws straight onto the window, beside (never over) its panels.
class WindowCanvas : public RainCanvas {
public:
    WindowCanvas(HWND hwnd, HFONT font) : dc_(hwnd), selectFont_(dc_, font) {
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, RGB(0, 0, 0));
    }
    void EraseCell(int column, int row) override {
        RECT cell{column * RainAnimation::kCharWidth, row * RainAnimation::kCharHeight,
                  (column + 1) * RainAnimation::kCharWidth, (row + 1) * RainAnimation::kCharHeight};
        FillRect(dc_, &cell, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    void DrawCharacter(int column, int row, wchar_t c, RainColour colour) override {
        SetTextColor(dc_, RGB(colour.red, colour.green, colour.blue));
        TextOutW(dc_, column * RainAnimation::kCharWidth, row * RainAnimation::kCharHeight, &c, 1);
    }

private:
    ScopedGetDC dc_;
    ScopedSelectObject selectFont_;
};

}  // namespace

AboutBox::AboutBox(const ProgramInfo& program)
    : program_(program), rain_([](int n) { return static_cast<int>(RainEngine()() % static_cast<unsigned>(n)); }) {}

AboutBox::~AboutBox() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (infoMenu_) DestroyMenu(infoMenu_);
}

void AboutBox::Create(HWND owner) {
    RegisterClassOnce(kAboutClass, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), CS_DBLCLKS);
    RegisterChildClass(kPanelClass, IDC_ARROW, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), CS_DBLCLKS);
    CreateCentered(owner, kAboutClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                   WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kClient);
}

void AboutBox::ShowModal(HWND owner) {
    Create(owner);
    RunModal(hwnd_, owner);
}

void AboutBox::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

// ---------------------------------------------------------------------------------------------

void AboutBox::OnCreate() {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    rain_.Start(outer.right - outer.left, outer.bottom - outer.top);
    OnResize();
    SetTimer(hwnd_, kRainTimer, 50, nullptr);

    SetWindowTextW(hwnd_, (L"About " + program_.productName).c_str());
    SetWindowTextW(versionLabel_, (program_.productName + L" " + program_.version).c_str());
    SetWindowTextW(makerLabel_, program_.companyName.c_str());
    Layout();
    SetWindowTextW(okButton_, L"OK");
    SetWindowTextW(infoButton_, L"Info");
    RECT client;
    GetClientRect(hwnd_, &client);
    SetWindowPos(hiddenPicturePanel_, HWND_BOTTOM, (client.right - Scale(kHiddenPicture.cx)) / 2,
                 (client.bottom - Scale(kHiddenPicture.cy)) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void AboutBox::OnDpiChanged() {
    bigFont_ = MakeFont(16);
    nameFont_ = MakeFont(34);
    linkFont_ = MakeFont(11, FW_NORMAL, true, L"MS Sans Serif");
    // The animation's grid of characters keeps its size at every DPI.
    rainFont_ = CreateUiFont(RainAnimation::kCharHeight, FW_NORMAL, false, L"Courier New");
    for (HWND control : {okButton_, infoButton_, versionLabel_}) SetControlFont(control, bigFont_.get());
    SetControlFont(makerLabel_, nameFont_.get());
    LoadPictures();
}

void AboutBox::LoadPictures() {
    logoSize_ = Scale(80);
    logo_.reset(LoadImageIcon(IDI_LOGO, logoSize_));
    cat_.reset(LoadImageIcon(IDI_CAT, Scale(kHiddenPicture.cy - 6)));
    appIcon_.reset(LoadImageIcon(IDI_CORVANA, Scale(32)));
    arrow_.reset(LoadImageIcon(IDI_ARROW, Scale(16)));
    InvalidateRect(picturePanel_, nullptr, FALSE);
    InvalidateRect(hiddenPicturePanel_, nullptr, FALSE);
}

void AboutBox::Layout() {
    MoveWindow(picturePanel_, Scale(kPicturePanel.left), Scale(kPicturePanel.top),
               Scale(kPicturePanel.right - kPicturePanel.left), Scale(kPicturePanel.bottom - kPicturePanel.top), TRUE);
    for (auto [button, r] : {std::pair{okButton_, kOkButton}, std::pair{infoButton_, kInfoButton}}) {
        const RECT s = ScaleRect(r, *this);
        MoveWindow(button, s.left, s.top, s.right - s.left, s.bottom - s.top, TRUE);
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    MoveWindow(hiddenPicturePanel_, (client.right - Scale(kHiddenPicture.cx)) / 2,
               (client.bottom - Scale(kHiddenPicture.cy)) / 2, Scale(kHiddenPicture.cx), Scale(kHiddenPicture.cy),
               TRUE);
    const RECT version = ScaleRect(kVersionText, *this);
    MoveWindow(versionLabel_, version.left, version.top, version.right - version.left, version.bottom - version.top,
               TRUE);
    const RECT link = HomeLinkRect();
    MoveWindow(homeLink_, link.left, link.top, link.right - link.left, link.bottom - link.top, TRUE);
    const RECT name = MakerMarkPlace().name;
    MoveWindow(makerLabel_, name.left, name.top, name.right - name.left, name.bottom - name.top, TRUE);
}

AboutBox::MakerMark AboutBox::MakerMarkPlace() const {
    // The logo and the maker's name beside it, centred together in the logo's area.
    const RECT area = ScaleRect(kMakerMark, *this);
    const std::wstring company = GetWindowTextString(makerLabel_);
    SIZE nameSize{};
    {
        ScopedGetDC dc(makerLabel_);
        const ScopedSelectObject selectFont(dc, nameFont_.get());
        GetTextExtentPoint32W(dc, company.c_str(), static_cast<int>(company.size()), &nameSize);
    }
    const int gap = Scale(10);
    const int left = area.left + ((area.right - area.left) - (logoSize_ + gap + nameSize.cx)) / 2;
    const int logoTop = area.top + ((area.bottom - area.top) - logoSize_) / 2;
    const int nameTop = area.top + ((area.bottom - area.top) - nameSize.cy) / 2;
    const int nameLeft = left + logoSize_ + gap;
    return {RECT{left, logoTop, left + logoSize_, logoTop + logoSize_},
            RECT{nameLeft, nameTop, nameLeft + nameSize.cx, nameTop + nameSize.cy}};
}

RECT AboutBox::LogoRect() const {
    return ScaleRect(kLogo, *this);
}
RECT AboutBox::HomeLinkRect() const {
    return ScaleRect(kHomeLink, *this);
}

void AboutBox::OnResize() {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    RECT all{0, 0, outer.right - outer.left, outer.bottom - outer.top};
    FillRect(ScopedGetDC(hwnd_), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    rain_.SetupGrid();
}

void AboutBox::OnRainTimer() {
    WindowCanvas canvas(hwnd_, rainFont_.get());
    rain_.Tick(canvas);
}

void AboutBox::OnLogoDoubleClick() {
    if (sliding_) return;
    ShowWindow(hiddenPicturePanel_, SW_SHOWNA);
    sliding_ = true;
    SetTimer(hwnd_, kSlideTimer, 5, nullptr);
}

void AboutBox::OnSlideTimer() {
    RECT r;
    GetWindowRect(picturePanel_, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int left = r.left + 5;
    SetWindowPos(picturePanel_, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right < left) {
        KillTimer(hwnd_, kSlideTimer);
        sliding_ = false;
    }
}

void AboutBox::OnHiddenPictureDoubleClick() {
    if (sliding_) return;
    ShowWindow(hiddenPicturePanel_, SW_HIDE);
    RECT r, client;
    GetWindowRect(picturePanel_, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(hwnd_, &client);
    SetWindowPos(picturePanel_, nullptr, (client.right - (r.right - r.left)) / 2, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutBox::OnInfo() {
    ShowDropDownMenu(infoButton_, infoMenu_);
}

void AboutBox::ShowDropDownMenu(HWND button, HMENU menu) {
    if (!dropDownGuard_.ShouldShow(button, menu, GetTickCount())) return;
    RECT rc;
    GetClientRect(button, &rc);
    POINT pt{0, rc.bottom};
    ClientToScreen(button, &pt);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    dropDownGuard_.Closed(button, menu, GetTickCount());
}

void AboutBox::OpenAcknowledgements() {
    OpenWebAddress(std::wstring(L"https://") + MakerHost + L"/blog/credits-and-acknowledgements/");
}

void AboutBox::OpenUninstallHelp() {
    OpenWebAddress(std::wstring(L"http://") + MakerHost + L"/blog/how-to-uninstall-kaldern-software/");
}

void AboutBox::OpenLicense() {
    const std::wstring path = WithTrailingBackslash(FolderOf(program_.path)) + L"license.txt";
    if (FileExists(path))
        ShellExecuteW(hwnd_, nullptr, SystemFolderProgram(L"notepad.exe").c_str(), path.c_str(), nullptr,
                      SW_SHOWNORMAL);
    else
        ShowMessage(L"File not found!", MessageKind::Error, L"License", hwnd_);
}

void AboutBox::OpenHomePage() {
    OpenWebAddress(std::wstring(L"http://") + MakerHost + L"/");
}

// ---------------------------------------------------------------------------------------------
// Painting

void AboutBox::PaintPanel(HWND panel, HDC target) {
    RECT client;
    GetClientRect(panel, &client);
    // Drawn off screen first, so the panel never flickers while the animation runs beside it.
    const UniqueHdc memory(CreateCompatibleDC(target));
    const HDC dc = memory.get();
    const UniqueHbitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
    const ScopedSelectObject selectBitmap(dc, bitmap.get());
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    if (panel == hiddenPicturePanel_) {
        const int size = Scale(kHiddenPicture.cy - 6);
        DrawIconEx(dc, (client.right - size) / 2, (client.bottom - size) / 2, cat_.get(), size, size, 0, nullptr,
                   DI_NORMAL);
    } else {
        const UniqueHbrush frame(CreateSolidBrush(RGB(70, 70, 70)));
        FrameRect(dc, &client, frame.get());

        // The maker's mark; its name beside it is a label of its own.
        const MakerMark mark = MakerMarkPlace();
        DrawIconEx(dc, mark.logo.left, mark.logo.top, logo_.get(), logoSize_, logoSize_, 0, nullptr, DI_NORMAL);

        RECT bevel = ScaleRect(kLogoBevel, *this);
        DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
        const RECT icon = LogoRect();
        DrawIconEx(dc, icon.left, icon.top, appIcon_.get(), icon.right - icon.left, icon.bottom - icon.top, 0, nullptr,
                   DI_NORMAL);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void AboutBox::DrawButton(const DRAWITEMSTRUCT& item) {
    const bool pressed = item.itemState & ODS_SELECTED;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    if (item.hwndItem == homeLink_) {
        // Underlined lime text on black, as a link.
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        const std::wstring host = GetWindowTextString(homeLink_);
        const ScopedSelectObject selectFont(dc, linkFont_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kLime);
        DrawTextW(dc, host.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
        return;
    }
    FillRect(dc, &r, UniqueHbrush(CreateSolidBrush(pressed ? RGB(70, 70, 70) : RGB(35, 35, 35))).get());
    FrameRect(dc, &r, UniqueHbrush(CreateSolidBrush(RGB(120, 120, 120))).get());
    RECT text = r;
    if (item.hwndItem == infoButton_) {
        const int size = Scale(16);
        DrawIconEx(dc, r.right - size - Scale(8), (r.top + r.bottom - size) / 2, arrow_.get(), size, size, 0, nullptr,
                   DI_NORMAL);
        text.right -= size;
    }
    if (pressed) OffsetRect(&text, 1, 1);
    const std::wstring caption = GetWindowTextString(item.hwndItem);
    {
        const ScopedSelectObject selectFont(dc, bigFont_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kWhite);
        DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -Scale(3), -Scale(3));
        DrawFocusRect(dc, &focus);
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT AboutBox::ChildMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(panel, &ps);
            PaintPanel(panel, dc);
            EndPaint(panel, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN: BeginDrag(panel, lp); return 0;
        case WM_LBUTTONDBLCLK:
            if (panel == hiddenPicturePanel_)
                OnHiddenPictureDoubleClick();
            else if (PointIn(LogoRect(), lp))
                OnLogoDoubleClick();
            return 0;
        case WM_MOUSEMOVE: ContinueDrag(panel, lp); return 0;
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP: EndDrag(); return 0;
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wp) == homeLink_) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
            // The labels: white on the panel's black.
            SetTextColor(reinterpret_cast<HDC>(wp), kWhite);
            SetBkColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 0));
            return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
        case WM_COMMAND: return HandleMessage(msg, wp, lp);
        case WM_DRAWITEM: DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
        default: break;
    }
    return DefWindowProcW(panel, msg, wp, lp);
}

LRESULT AboutBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: {
            const auto instance = GetModuleHandleW(nullptr);
            hiddenPicturePanel_ = CreateChild(kPanelClass, WS_CLIPSIBLINGS);
            picturePanel_ =
                CreateChild(kPanelClass, WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
            // What the panel shows as text is made of real controls, so that a screen reader finds it;
            // OK comes first in the tab order, the home-page link last.
            makerLabel_ = CreateControl({picturePanel_, WC_STATICW, L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX});
            versionLabel_ =
                CreateControl({picturePanel_, WC_STATICW, L"", WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL});
            okButton_ =
                CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                                picturePanel_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
            infoButton_ = CreateWindowExW(
                0, WC_BUTTONW, L"Info", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0, picturePanel_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInfoButtonId)), instance, nullptr);
            homeLink_ = CreateControl(
                {picturePanel_, WC_BUTTONW, MakerHost, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kHomeLinkId});
            SetWindowPos(picturePanel_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            infoMenu_ = CreatePopupMenu();
            AppendMenuItems(infoMenu_, {{CMD_Acknowledgements, L"Acknowledgements..."},
                                        {CMD_UninstallHelp, L"How to uninstall..."},
                                        {CMD_License, L"License..."}});

            homeLinkHint_ = CreateHintWindow(hwnd_);
            static std::wstring homePage;
            homePage = std::wstring(L"http://") + MakerHost + L"/";
            AddHint(homeLinkHint_, picturePanel_, homeLink_, homePage.c_str());

            OnDpiChanged();
            Layout();
            OnCreate();
            return 0;
        }
        case WM_SIZE: OnResize(); return 0;
        case WM_TIMER:
            if (wp == kRainTimer)
                OnRainTimer();
            else if (wp == kSlideTimer)
                OnSlideTimer();
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case IDOK:
                case IDCANCEL: OnOk(); break;
                case kInfoButtonId: OnInfo(); break;
                case kHomeLinkId: OpenHomePage(); break;
                case CMD_Acknowledgements: OpenAcknowledgements(); break;
                case CMD_UninstallHelp: OpenUninstallHelp(); break;
                case CMD_License: OpenLicense(); break;
                default: break;
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN: BeginDrag(hwnd_, lp); return 0;
        case WM_MOUSEMOVE: ContinueDrag(hwnd_, lp); return 0;
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
        case WM_XBUTTONUP: EndDrag(); return 0;
        case DM_GETDEFID: {
            // Enter presses the focused button (OK, Info or the link), as in a dialog.
            const HWND focus = GetFocus();
            for (HWND button : {okButton_, infoButton_, homeLink_})
                if (focus == button) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
            return MAKELRESULT(IDOK, DC_HASDEFID);
        }
        case WM_CLOSE: Close(); return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, kRainTimer);
            KillTimer(hwnd_, kSlideTimer);
            return 0;
        default: break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
