#include "maker/about_win.h"

#include <windowsx.h>

#include <random>

#include "app/main_win.h"
#include "resource.h"
#include "maker/web_request.h"
#include "maker/web_request_win.h"
#include "win/images_win.h"
#include "win/modal_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr const wchar_t* kAboutClass = L"TAboutBox";
constexpr const wchar_t* kPanelClass = L"TAboutPanel";
constexpr UINT_PTR kRainTimer = 1;  // tmTimer
constexpr UINT_PTR kEggTimer = 2;   // TimerEgg
constexpr int kInfoButtonId = 1002;
enum : int { CMD_Credits1 = 101, CMD_Howtouninstall1, CMD_LicensePrivacyPolicy1 };

// Layout at 96 DPI.
constexpr SIZE kClient{446, 374};
constexpr RECT kPanel1{48, 42, 48 + 350, 42 + 291};
constexpr SIZE kPanelEgg{324, 220};
constexpr RECT kImage2{2, 0, 346, 105};
constexpr RECT kBevel1{9, 122, 9 + 34, 122 + 34};
constexpr RECT kImage1{10, 123, 10 + 32, 123 + 32};
constexpr RECT kLabel2{49, 122, 49 + 290, 122 + 40};
constexpr RECT kBitBtn1{49, 226, 49 + 122, 226 + 33};
constexpr RECT kBitBtn2{177, 226, 177 + 122, 226 + 33};
constexpr RECT kLabel5{4, 268, 346, 287};
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

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* box = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box || msg == WM_NCCREATE || msg == WM_NCDESTROY) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    Application::Guarded([&] { result = box->PanelMessage(hwnd, msg, wp, lp); });
    return result;
}

void RegisterPanelClass() {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kPanelClass, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);
}

HFONT MakeFont(int height, const wchar_t* face, bool underline = false) {
    return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

// The animation draws straight onto the window, beside (never over) its panels.
class WindowCanvas : public RainCanvas {
public:
    WindowCanvas(HWND hwnd, HFONT font) : hwnd_(hwnd), dc_(GetDC(hwnd)) {
        old_ = SelectObject(dc_, font);
        SetBkMode(dc_, OPAQUE);
        SetBkColor(dc_, RGB(0, 0, 0));
    }
    ~WindowCanvas() override {
        SelectObject(dc_, old_);
        ReleaseDC(hwnd_, dc_);
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
    HWND hwnd_;
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace

AboutBox::AboutBox(const MainWindow& app)
    : app_(app), rain_([](int n) { return static_cast<int>(RainEngine()() % static_cast<unsigned>(n)); }) {}

AboutBox::~AboutBox() {
    if (hwnd_) DestroyWindow(hwnd_);
    if (PopupMenu1) DestroyMenu(PopupMenu1);
}

void AboutBox::Create(HWND owner) {
    RegisterClassOnce(kAboutClass, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), CS_DBLCLKS);
    RegisterPanelClass();
    dpi_ = owner ? GetDpiForWindow(owner) : GetDpiForSystem();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    const RECT rc = CenteredWindowRect(owner, Scale(kClient.cx), Scale(kClient.cy), style, exStyle, false, dpi_);
    CreateWindowExW(exStyle, kAboutClass, L"", style, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, owner,
                    nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) RaiseLastError();
}

void AboutBox::ShowModal(HWND owner) {
    Create(owner);
    RunModal(hwnd_, owner);
}

void AboutBox::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

// ---------------------------------------------------------------------------------------------

void AboutBox::FormCreate() {
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    rain_.Start(outer.right - outer.left, outer.bottom - outer.top);
    FormResize();
    SetTimer(hwnd_, kRainTimer, 50, nullptr);

    SetWindowTextW(hwnd_, (L"About " + app_.ProductName).c_str());
    label2_ = app_.ProductName + L" " + app_.AppVersion;
    SetWindowTextW(BitBtn1, L"OK");
    SetWindowTextW(BitBtn2, L"Info");
    LoadPictures();
    RECT client;
    GetClientRect(hwnd_, &client);
    SetWindowPos(PanelEgg, HWND_BOTTOM, (client.right - Scale(kPanelEgg.cx)) / 2,
                 (client.bottom - Scale(kPanelEgg.cy)) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void AboutBox::LoadPictures() {
    logoSize_ = Scale(80);
    logo_.reset(LoadImageIcon(IDI_LOGO, logoSize_));
    cat_.reset(LoadImageIcon(IDI_CAT, Scale(kPanelEgg.cy - 6)));
    appIcon_.reset(LoadImageIcon(IDI_CORVANA, Scale(32)));
    arrow_.reset(LoadImageIcon(IDI_ARROW, Scale(16)));
    InvalidateRect(Panel1, nullptr, FALSE);
    InvalidateRect(PanelEgg, nullptr, FALSE);
}

void AboutBox::LayOut() {
    font_.reset(MakeFont(Scale(11), L"Tahoma"));
    bigFont_.reset(MakeFont(Scale(16), L"Tahoma"));
    linkFont_.reset(MakeFont(Scale(11), L"MS Sans Serif", true));
    rainFont_.reset(MakeFont(RainAnimation::kCharHeight, L"Courier New"));
    MoveWindow(Panel1, Scale(kPanel1.left), Scale(kPanel1.top), Scale(kPanel1.right - kPanel1.left),
               Scale(kPanel1.bottom - kPanel1.top), TRUE);
    for (auto [button, r] : {std::pair{BitBtn1, kBitBtn1}, std::pair{BitBtn2, kBitBtn2}}) {
        const RECT s = ScaleRect(r, *this);
        MoveWindow(button, s.left, s.top, s.right - s.left, s.bottom - s.top, TRUE);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont_.get()), TRUE);
    }
    RECT client;
    GetClientRect(hwnd_, &client);
    MoveWindow(PanelEgg, (client.right - Scale(kPanelEgg.cx)) / 2, (client.bottom - Scale(kPanelEgg.cy)) / 2,
               Scale(kPanelEgg.cx), Scale(kPanelEgg.cy), TRUE);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = Panel1;
    ti.uId = 1;
    ti.rect = Label5Rect();
    SendMessageW(Hints, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

RECT AboutBox::Image1Rect() const { return ScaleRect(kImage1, *this); }
RECT AboutBox::Label5Rect() const { return ScaleRect(kLabel5, *this); }

void AboutBox::FormResize() {
    HDC dc = GetDC(hwnd_);
    RECT outer;
    GetWindowRect(hwnd_, &outer);
    RECT all{0, 0, outer.right - outer.left, outer.bottom - outer.top};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(hwnd_, dc);
    rain_.SetupGrid();
}

void AboutBox::tmTimerTimer() {
    WindowCanvas canvas(hwnd_, rainFont_.get());
    rain_.Tick(canvas);
}

void AboutBox::Image1DblClick() {
    if (eggTimerRunning_) return;
    ShowWindow(PanelEgg, SW_SHOWNA);
    eggTimerRunning_ = true;
    SetTimer(hwnd_, kEggTimer, 5, nullptr);
}

void AboutBox::TimerEggTimer() {
    RECT r;
    GetWindowRect(Panel1, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int left = r.left + 5;
    SetWindowPos(Panel1, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right < left) {
        KillTimer(hwnd_, kEggTimer);
        eggTimerRunning_ = false;
    }
}

void AboutBox::ImageEggDblClick() {
    if (eggTimerRunning_) return;
    ShowWindow(PanelEgg, SW_HIDE);
    RECT r, client;
    GetWindowRect(Panel1, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(hwnd_, &client);
    SetWindowPos(Panel1, nullptr, (client.right - (r.right - r.left)) / 2, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutBox::BitBtn2Click() { ShowDropDownMenu(BitBtn2, PopupMenu1); }

void AboutBox::ShowDropDownMenu(HWND button, HMENU menu) {
    if (!dropDownGuard_.ShouldShow(button, menu, GetTickCount())) return;
    RECT rc;
    GetClientRect(button, &rc);
    POINT pt{0, rc.bottom};
    ClientToScreen(button, &pt);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
    dropDownGuard_.Closed(button, menu, GetTickCount());
}

void AboutBox::Credits1Click() {
    OpenWebAddress(std::wstring(L"https://") + MakerHost + L"/blog/credits-and-acknowledgements/");
}

void AboutBox::Howtouninstall1Click() {
    OpenWebAddress(std::wstring(L"http://") + MakerHost + L"/blog/how-to-uninstall-kaldern-software/");
}

void AboutBox::LicensePrivacyPolicy1Click() {
    const std::wstring path = WithTrailingBackslash(FolderOf(app_.ProgramPath)) + L"license.txt";
    if (FileExists(path))
        ShellExecuteW(hwnd_, nullptr, L"notepad.exe", path.c_str(), nullptr, SW_SHOWNORMAL);
    else
        MessageBoxW(hwnd_, L"File not found!", L"License", MB_OK | MB_ICONERROR);
}

void AboutBox::Label5Click() { OpenWebAddress(std::wstring(L"http://") + MakerHost + L"/"); }

// ---------------------------------------------------------------------------------------------
// Dragging by the body with any button but the right one.

bool AboutBox::StartDrag(HWND from, UINT msg) {
    if (msg == WM_RBUTTONDOWN) return false;
    dragging_ = true;
    GetCursorPos(&dragAnchor_);
    SetCapture(from);
    return true;
}

void AboutBox::ContinueDrag() {
    if (!dragging_) return;
    POINT pt;
    GetCursorPos(&pt);
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, r.left + pt.x - dragAnchor_.x, r.top + pt.y - dragAnchor_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    dragAnchor_ = pt;
}

void AboutBox::EndDrag() {
    if (!dragging_) return;
    dragging_ = false;
    ReleaseCapture();
}

// ---------------------------------------------------------------------------------------------
// Painting

void AboutBox::PaintPanel(HWND panel, HDC target) {
    RECT client;
    GetClientRect(panel, &client);
    // Drawn off screen first, so the panel never flickers while the animation runs beside it.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    if (panel == PanelEgg) {
        const int size = Scale(kPanelEgg.cy - 6);
        DrawIconEx(dc, (client.right - size) / 2, (client.bottom - size) / 2, cat_.get(), size, size, 0, nullptr,
                   DI_NORMAL);
    } else {
        HBRUSH frame = CreateSolidBrush(RGB(70, 70, 70));
        FrameRect(dc, &client, frame);
        DeleteObject(frame);

        // Image2: the maker's mark and name, centred in the logo's area.
        const RECT logo = ScaleRect(kImage2, *this);
        HFONT nameFont = MakeFont(Scale(34), L"Tahoma");
        HGDIOBJ oldFont = SelectObject(dc, nameFont);
        SIZE nameSize{};
        const std::wstring company = app_.CompanyName;
        GetTextExtentPoint32W(dc, company.c_str(), static_cast<int>(company.size()), &nameSize);
        const int gap = Scale(10);
        const int total = logoSize_ + gap + nameSize.cx;
        const int x = logo.left + ((logo.right - logo.left) - total) / 2;
        DrawIconEx(dc, x, logo.top + ((logo.bottom - logo.top) - logoSize_) / 2, logo_.get(), logoSize_, logoSize_, 0,
                   nullptr, DI_NORMAL);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kWhite);
        TextOutW(dc, x + logoSize_ + gap, logo.top + ((logo.bottom - logo.top) - nameSize.cy) / 2, company.c_str(),
                 static_cast<int>(company.size()));
        SelectObject(dc, oldFont);
        DeleteObject(nameFont);

        RECT bevel = ScaleRect(kBevel1, *this);
        DrawEdge(dc, &bevel, BDR_SUNKENOUTER, BF_RECT);
        const RECT icon = Image1Rect();
        DrawIconEx(dc, icon.left, icon.top, appIcon_.get(), icon.right - icon.left, icon.bottom - icon.top, 0, nullptr,
                   DI_NORMAL);

        SelectObject(dc, bigFont_.get());
        RECT label2 = ScaleRect(kLabel2, *this);
        DrawTextW(dc, label2_.c_str(), -1, &label2, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);

        SelectObject(dc, linkFont_.get());
        SetTextColor(dc, kLime);
        RECT label5 = Label5Rect();
        const std::wstring host = MakerHost;
        DrawTextW(dc, host.c_str(), -1, &label5, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, oldFont);
    }

    BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

void AboutBox::DrawButton(const DRAWITEMSTRUCT& item) {
    const bool pressed = item.itemState & ODS_SELECTED;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    HBRUSH fill = CreateSolidBrush(pressed ? RGB(70, 70, 70) : RGB(35, 35, 35));
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    HBRUSH frame = CreateSolidBrush(RGB(120, 120, 120));
    FrameRect(dc, &r, frame);
    DeleteObject(frame);
    RECT text = r;
    if (item.hwndItem == BitBtn2) {
        const int size = Scale(16);
        DrawIconEx(dc, r.right - size - Scale(8), (r.top + r.bottom - size) / 2, arrow_.get(), size, size, 0, nullptr,
                   DI_NORMAL);
        text.right -= size;
    }
    if (pressed) OffsetRect(&text, 1, 1);
    const std::wstring caption = GetWindowTextString(item.hwndItem);
    HGDIOBJ old = SelectObject(dc, bigFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = r;
        InflateRect(&focus, -Scale(3), -Scale(3));
        DrawFocusRect(dc, &focus);
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT AboutBox::PanelMessage(HWND panel, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(panel, &ps);
        PaintPanel(panel, dc);
        EndPaint(panel, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (panel == Panel1 && PointIn(Label5Rect(), lp)) {
            linkPressed_ = true;
            return 0;
        }
        StartDrag(panel, msg);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        StartDrag(panel, msg);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (panel == PanelEgg) ImageEggDblClick();
        else if (PointIn(Image1Rect(), lp)) Image1DblClick();
        return 0;
    case WM_MOUSEMOVE:
        ContinueDrag();
        return 0;
    case WM_LBUTTONUP:
        if (linkPressed_) {
            linkPressed_ = false;
            if (panel == Panel1 && PointIn(Label5Rect(), lp)) Label5Click();
        }
        EndDrag();
        return 0;
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        EndDrag();
        return 0;
    case WM_SETCURSOR:
        if (panel == Panel1 && LOWORD(lp) == HTCLIENT) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(panel, &pt);
            const RECT link = Label5Rect();
            if (PtInRect(&link, pt)) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
    case WM_COMMAND:
        return HandleMessage(msg, wp, lp);
    case WM_DRAWITEM:
        DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    default:
        break;
    }
    return DefWindowProcW(panel, msg, wp, lp);
}

LRESULT AboutBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        dpi_ = GetDpiForWindow(hwnd_);
        const auto instance = GetModuleHandleW(nullptr);
        PanelEgg = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, hwnd_, nullptr,
                                   instance, this);
        Panel1 = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                 0, 0, hwnd_, nullptr, instance, this);
        BitBtn1 = CreateWindowExW(0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0, 0,
                                  Panel1, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), instance, nullptr);
        BitBtn2 = CreateWindowExW(0, WC_BUTTONW, L"Info", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, 0, 0,
                                  0, Panel1, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kInfoButtonId)), instance,
                                  nullptr);
        SetWindowPos(Panel1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        PopupMenu1 = CreatePopupMenu();
        AppendMenuW(PopupMenu1, MF_STRING, CMD_Credits1, L"Acknowledgements...");
        AppendMenuW(PopupMenu1, MF_STRING, CMD_Howtouninstall1, L"How to uninstall...");
        AppendMenuW(PopupMenu1, MF_STRING, CMD_LicensePrivacyPolicy1, L"License...");

        Hints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                                0, 0, 0, hwnd_, nullptr, instance, nullptr);
        static std::wstring homePage;
        homePage = std::wstring(L"http://") + MakerHost + L"/";
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_SUBCLASS;
        ti.hwnd = Panel1;
        ti.uId = 1;
        ti.lpszText = homePage.data();
        SendMessageW(Hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));

        LayOut();
        FormCreate();
        return 0;
    }
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_DPICHANGED: {  // FormAfterMonitorDpiChanged
        dpi_ = HIWORD(wp);
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        LayOut();
        LoadPictures();
        return 0;
    }
    case WM_TIMER:
        if (wp == kRainTimer) tmTimerTimer();
        else if (wp == kEggTimer) TimerEggTimer();
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL: BitBtn1Click(); break;
        case kInfoButtonId: BitBtn2Click(); break;
        case CMD_Credits1: Credits1Click(); break;
        case CMD_Howtouninstall1: Howtouninstall1Click(); break;
        case CMD_LicensePrivacyPolicy1: LicensePrivacyPolicy1Click(); break;
        default: break;
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        StartDrag(hwnd_, msg);
        return 0;
    case WM_MOUSEMOVE:
        ContinueDrag();
        return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_XBUTTONUP:
        EndDrag();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kRainTimer);
        KillTimer(hwnd_, kEggTimer);
        return 0;
    default:
        break;
    }
    return DefaultProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// The main window's commands that open the box and the help page.

void MainWindow::OpenAbout() {
    AboutBox box(*this);
    box.ShowModal(hwnd_);
}

void MainWindow::OpenOnlineHelp() {
    try {
        OpenWebAddress(HelpAddress(MakerHost, ProductName));
    } catch (const std::exception&) {
        // Online help is a courtesy: a missing browser is not the user's problem to read about.
    }
}

}  // namespace corvana
