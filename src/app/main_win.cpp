#include "app/main_win.h"

#include <shlobj.h>
#include <windowsx.h>

#include "app/settings_file_win.h"
#include "app/version_record_win.h"
#include "common/app_error.h"
#include "conversion/conversion_run_win.h"
#include "resource.h"
#include "win/images_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

constexpr UINT WM_APP_STARTUP_ERROR = WM_APP + 1;
constexpr UINT WM_APP_SPLITTER_DRAG = WM_APP + 2;
constexpr const wchar_t* kSplitterClass = L"TSplitter";
constexpr int kSplitterWidth = 5;
constexpr int kSplitterMinSize = 30;

constexpr const wchar_t* kFormats[] = {L"MP3", L"WAV",  L"M4A", L"WMA",  L"FLAC", L"WEBM", L"AIFF",
                                       L"AAC", L"OGG",  L"OPUS", L"AC3", L"EAC3", L"MP2",  L"WV"};

struct ToolButtonInfo {
    int command;
    const wchar_t* caption;
    const wchar_t* hint;
    int image;  // index into the large image list
};
constexpr ToolButtonInfo kToolButtons[] = {
    {CMD_ToolButton3, L"Add Files", L"Select audio files", 0},
    {CMD_ToolButton1, L"Add Folder", L"Select audio folders", 1},
    {0, nullptr, nullptr, -1},  // ToolButton5, the separator
    {CMD_ToolButton7, L"Feedback", L"Send feedback", 2},
    {CMD_ToolButton2, L"About", L"Show aboutbox", 3},
    {CMD_ToolButton4, L"Help", L"Online help", 4},
};

// The bar between the list and the option panel: dragging it resizes both while the mouse moves.
LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == hwnd) {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            MapWindowPoints(hwnd, GetParent(hwnd), &pt, 1);
            SendMessageW(GetParent(hwnd), WM_APP_SPLITTER_DRAG, static_cast<WPARAM>(pt.x), 0);
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
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void RegisterSplitterClass() {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kSplitterClass, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = SplitterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kSplitterClass;
    RegisterClassExW(&wc);
}

HWND MakeControl(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void AppendItem(HMENU menu, int command, const wchar_t* text, UINT extraFlags = 0) {
    AppendMenuW(menu, MF_STRING | extraFlags, static_cast<UINT_PTR>(command), text);
}

void AppendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

}  // namespace

TAppForm::TAppForm(std::wstring programPath)
    : ProgramPath(programPath.empty() ? ModulePath() : std::move(programPath)), CommandLine(GetCommandLineW()) {}

TAppForm::~TAppForm() {
    // Stops a run still going and waits for its jobs, which report to this window.
    conversion_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    for (HMENU m : {PopupMenu1, PopupMenu2, PopupMenu3})
        if (m) DestroyMenu(m);
}

void TAppForm::Create() {
    iconBig_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXICON)));
    iconSmall_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXSMICON)));
    RegisterClassOnce(kMainWindowClass, iconBig_.get(), GetSysColorBrush(COLOR_BTNFACE));
    RegisterSplitterClass();
    CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                    CW_USEDEFAULT, CW_USEDEFAULT, 640, 600, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) RaiseLastError();
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall_.get()));

    // Client area of 601 x 535 at 96 DPI, centred on the screen.
    const RECT rc = CenteredWindowRect(hwnd_, Scale(601), Scale(535),
                                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), true, dpi_);
    SetWindowPos(hwnd_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void TAppForm::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    if (!startupError_.empty()) PostMessageW(hwnd_, WM_APP_STARTUP_ERROR, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Construction

void TAppForm::CreateMenus() {
    HMENU file = CreatePopupMenu();
    AppendItem(file, CMD_Clear1, L"Clear");
    AppendSeparator(file);  // N6
    AppendItem(file, CMD_AddFile1, L"Add Files...");
    AppendItem(file, CMD_AddFolder1, L"Add Folder...");
    AppendSeparator(file);  // N2
    AppendItem(file, CMD_Exit1, L"Exit");

    HMENU simultaneous = CreatePopupMenu();
    AppendItem(simultaneous, CMD_SimultaneousAutomatic, L"Automatic");
    for (int i = CMD_SimultaneousFirst; i <= CMD_SimultaneousLast; ++i) {
        const std::wstring text = std::to_wstring(SimultaneousChoice(i));
        AppendItem(simultaneous, i, text.c_str());
    }

    HMENU settings = CreatePopupMenu();
    AppendItem(settings, CMD_ShowErrorDetails1, L"Show Error Details");
    AppendMenuW(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(simultaneous), L"Simultaneous Conversions");
    AppendSeparator(settings);  // N3
    AppendItem(settings, CMD_ResettoDefaults1, L"Reset to Defaults...");

    HMENU help = CreatePopupMenu();
    AppendItem(help, CMD_Help2, L"Online Help\tF1");
    AppendSeparator(help);  // N1
    AppendItem(help, CMD_UpdateNotifications1, L"Update Notifications", MF_CHECKED | MF_GRAYED);
    AppendSeparator(help);  // UpdateNotificationsBar
    AppendItem(help, CMD_SendFeedback1, L"Send Feedback...");
    AppendItem(help, CMD_About1, L"About...");

    MainMenu1 = CreateMenu();
    AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Settings");
    AppendMenuW(MainMenu1, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
    SetMenu(hwnd_, MainMenu1);

    PopupMenu1 = CreatePopupMenu();
    AppendItem(PopupMenu1, CMD_Open1, L"Open");
    AppendItem(PopupMenu1, CMD_ShowinExplorer1, L"Show in Explorer");
    AppendSeparator(PopupMenu1);  // MenuItem1
    AppendItem(PopupMenu1, CMD_RemovefromList1, L"Remove from List");
    AppendItem(PopupMenu1, CMD_SendtoRecycleBin1, L"Send to Recycle Bin");
    AppendSeparator(PopupMenu1);  // N4
    AppendItem(PopupMenu1, CMD_SelectAll1, L"Select All");
    AppendSeparator(PopupMenu1);  // N5
    AppendItem(PopupMenu1, CMD_Properties1, L"Properties");
    SetMenuDefaultItem(PopupMenu1, CMD_Open1, FALSE);

    PopupMenu2 = CreatePopupMenu();
    AppendItem(PopupMenu2, CMD_ChangeDirectory1, L"Change Destination Folder...");
    AppendItem(PopupMenu2, CMD_ShowinExplorer2, L"Show in Explorer");

    PopupMenu3 = CreatePopupMenu();
    AppendItem(PopupMenu3, CMD_AudioSettings1, L"Audio Settings...");
    AppendItem(PopupMenu3, CMD_RememberAudioSettings1, L"Remember Audio Settings");

    ACCEL f1{FVIRTKEY, VK_F1, static_cast<WORD>(CMD_Help2)};
    accelerators_.reset(CreateAcceleratorTableW(&f1, 1));
}

void TAppForm::CreateToolBar() {
    ToolBar1 = MakeControl(hwnd_, TOOLBARCLASSNAMEW, nullptr,
                           WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, IDC_ToolBar1);
    SendMessageW(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    for (const auto& b : kToolButtons) {
        TBBUTTON tb{};
        if (b.command == 0) {
            tb.fsStyle = BTNS_SEP;
        } else {
            tb.iBitmap = b.image;
            tb.idCommand = b.command;
            tb.fsState = TBSTATE_ENABLED;
            tb.fsStyle = BTNS_BUTTON;
            tb.iString = reinterpret_cast<INT_PTR>(b.caption);
        }
        SendMessageW(ToolBar1, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
}

void TAppForm::CreateControls() {
    CreateToolBar();

    // Panel3: the list.
    ListView1 = MakeControl(hwnd_, WC_LISTVIEWW, L"",
                            WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                                LVS_OWNERDATA,
                            IDC_ListView1, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(ListView1, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(L"File");
    col.cx = 200;
    ListView_InsertColumn(ListView1, 0, &col);
    col.pszText = const_cast<wchar_t*>(L"Result");
    col.cx = 71;
    ListView_InsertColumn(ListView1, 1, &col);

    Splitter1 = MakeControl(hwnd_, kSplitterClass, L"", WS_VISIBLE, IDC_Splitter1);

    // Panel4, top to bottom; creation order is the tab order.
    Label1 = MakeControl(hwnd_, WC_STATICW, L"Output Format:", WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, IDC_Label1);
    ComboBox1 = MakeControl(hwnd_, WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                            IDC_ComboBox1);
    for (const wchar_t* f : kFormats) SendMessageW(ComboBox1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
    SendMessageW(ComboBox1, CB_SETMINVISIBLE, 20, 0);
    SendMessageW(ComboBox1, CB_SETCURSEL, 0, 0);
    Button3 = MakeControl(hwnd_, WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_SPLITBUTTON, IDC_Button3);
    CheckBoxVolume = MakeControl(hwnd_, WC_BUTTONW, L"Volume Normalization",
                                 WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, IDC_CheckBoxVolume);
    Label2 = MakeControl(hwnd_, WC_STATICW, L"Target Folder:", WS_VISIBLE | SS_LEFT, IDC_Label2);
    CheckBoxSource = MakeControl(hwnd_, WC_BUTTONW, L"Use Source Folder", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                 IDC_CheckBoxSource);
    Edit1 = MakeControl(hwnd_, WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, IDC_Edit1, WS_EX_CLIENTEDGE);
    Button2 = MakeControl(hwnd_, WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_SPLITBUTTON, IDC_Button2);
    Button1 = MakeControl(hwnd_, WC_BUTTONW, L"Convert", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_Button1);

    StatusBar1 = MakeControl(hwnd_, STATUSCLASSNAMEW, L"", WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE,
                             IDC_StatusBar1);
    int part = -1;
    SendMessageW(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&part));
    ProgressBar1 = MakeControl(hwnd_, PROGRESS_CLASSW, L"", 0, IDC_ProgressBar1);
    SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 10);

    // Hints of the two split buttons.
    Hints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                            0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (auto [button, hint] : {std::pair{Button3, L"Audio Settings"}, std::pair{Button2, L"Change Destination Folder"}}) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(button);
        ti.lpszText = const_cast<wchar_t*>(hint);
        SendMessageW(Hints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TAppForm::ApplyDpiResources() {
    font_.reset(CreateFontW(-Scale(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    convertFont_.reset(CreateFontW(-Scale(19), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    for (HWND h : {ToolBar1, ListView1, Label1, ComboBox1, Button3, CheckBoxVolume, Label2, CheckBoxSource, Edit1,
                   Button2, StatusBar1})
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    SendMessageW(Button1, WM_SETFONT, reinterpret_cast<WPARAM>(convertFont_.get()), TRUE);

    const int small = Scale(16), large = Scale(64);
    smallImages_.reset(CreateImageList({IDI_FILE_SOUND}, small));
    ListView_SetImageList(ListView1, smallImages_.get(), LVSIL_SMALL);

    largeImages_.reset(CreateImageList(
        {IDI_ADD_VIDEO, IDI_ADD_FOLDER, IDI_ENVELOPE_LETTER, IDI_SIGN_INFO, IDI_SIGN_QUESTION}, large));
    SendMessageW(ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(largeImages_.get()));
    SendMessageW(ToolBar1, TB_SETBITMAPSIZE, 0, MAKELPARAM(large, large));
    SendMessageW(ToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(71), Scale(84)));
    TBBUTTONINFOW sep{};
    sep.cbSize = sizeof(sep);
    sep.dwMask = TBIF_SIZE | TBIF_BYINDEX;
    sep.cx = static_cast<WORD>(Scale(8));
    SendMessageW(ToolBar1, TB_SETBUTTONINFOW, 2, reinterpret_cast<LPARAM>(&sep));
    SendMessageW(ToolBar1, TB_AUTOSIZE, 0, 0);

    // Split buttons: the picture centred; the folder turns grey while the button is disabled
    // (the list's six entries are normal, hot, pressed, disabled, default and stylus-hot).
    toolsImages_.reset(CreateImageList({IDI_SETTING_TOOLS}, small));
    folderImages_.reset(CreateImageList(
        {IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32_GRAY, IDI_FOLDER32, IDI_FOLDER32}, small));
    convertImages_.reset(CreateImageList({IDI_TICK_BUTTON}, small));
    BUTTON_IMAGELIST bil{toolsImages_.get(), {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
    SendMessageW(Button3, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    bil.himl = folderImages_.get();
    SendMessageW(Button2, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    bil = BUTTON_IMAGELIST{convertImages_.get(), {Scale(5), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageW(Button1, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));

    menuBitmaps_.clear();
    const int menuSize = GetSystemMetricsForDpi(SM_CXSMICON, dpi_);
    for (auto [command, image] : {std::pair{CMD_Exit1, IDI_EXIT}, std::pair{CMD_Help2, IDI_HELP},
                                  std::pair{CMD_SendFeedback1, IDI_FEEDBACK}, std::pair{CMD_About1, IDI_ABOUT}}) {
        auto& bitmap = menuBitmaps_.emplace_back(CreateMenuBitmap(image, menuSize));
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        mii.hbmpItem = bitmap.get();
        SetMenuItemInfoW(MainMenu1, static_cast<UINT>(command), FALSE, &mii);
    }
}

// ---------------------------------------------------------------------------------------------
// Layout: 96-DPI numbers scaled by the window's DPI.

void TAppForm::Layout() {
    if (!ToolBar1) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right, height = client.bottom;

    SendMessageW(ToolBar1, TB_AUTOSIZE, 0, 0);
    RECT tb;
    GetWindowRect(ToolBar1, &tb);
    const int top = tb.bottom - tb.top;

    int bottom = height;
    if (IsWindowVisible(ProgressBar1)) {
        bottom -= Scale(17);
        MoveWindow(ProgressBar1, 0, bottom, width, Scale(17), TRUE);
    }
    bottom -= Scale(19);
    MoveWindow(StatusBar1, 0, bottom, width, Scale(19), TRUE);

    // Panel2 spans [top, bottom); Panel4 on the right, the splitter, Panel3 (the list) the rest.
    const int splitter = Scale(kSplitterWidth);
    const int p4w = std::max(0, std::min(Scale(panel4Width_), width - splitter - Scale(kSplitterMinSize)));
    const int p4x = width - p4w;
    MoveWindow(Splitter1, p4x - splitter, top, splitter, bottom - top, TRUE);
    MoveWindow(ListView1, 0, top, std::max(0, p4x - splitter), bottom - top, TRUE);
    RECT lv;
    GetClientRect(ListView1, &lv);
    ListView_SetColumnWidth(ListView1, 1, Scale(71));
    ListView_SetColumnWidth(ListView1, 0, std::max(Scale(20), static_cast<int>(lv.right) - Scale(71)));

    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_.get());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    const int labelHeight = tm.tmHeight;
    const int checkHeight = std::max(Scale(17), static_cast<int>(tm.tmHeight));

    int y = top;
    MoveWindow(Label1, p4x + Scale(4), y, p4w - Scale(4), labelHeight, TRUE);
    y += labelHeight;
    MoveWindow(Button3, p4x + p4w - Scale(41), y, Scale(41), Scale(25), TRUE);
    MoveWindow(ComboBox1, p4x, y, p4w - Scale(41), Scale(300), TRUE);
    y += Scale(26);
    y += Scale(10);
    MoveWindow(CheckBoxVolume, p4x + Scale(4), y, p4w - Scale(4), checkHeight, TRUE);
    y += checkHeight + Scale(10);
    MoveWindow(Label2, p4x + Scale(4), y, p4w - Scale(4), labelHeight, TRUE);
    y += labelHeight + Scale(10);
    MoveWindow(CheckBoxSource, p4x + Scale(4), y, p4w - Scale(4), checkHeight, TRUE);
    y += checkHeight;
    MoveWindow(Button2, p4x + p4w - Scale(41), y, Scale(41), Scale(25), TRUE);
    MoveWindow(Edit1, p4x, y, p4w - Scale(41), Scale(26) - Scale(2), TRUE);
    y += Scale(26) + Scale(10);
    MoveWindow(Button1, p4x + Scale(2), y, p4w - Scale(4), Scale(37), TRUE);
}

void TAppForm::OnSplitterDrag(int clientX) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int splitter = Scale(kSplitterWidth);
    // The panel's new width at 96 DPI: from the mouse to the right edge, keeping both sides at
    // least the splitter's minimum size.
    int width = client.right - clientX - splitter / 2;
    width = std::max(Scale(kSplitterMinSize), std::min(width, static_cast<int>(client.right) - splitter -
                                                                  Scale(kSplitterMinSize)));
    panel4Width_ = MulDiv(width, 96, static_cast<int>(dpi_));
    Layout();
    UpdateWindow(hwnd_);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void TAppForm::FormCreate() {
    // 1. Drop target.
    DragAcceptFiles(hwnd_, TRUE);
    AllowDragDrop();

    // 2.-4. Version record, caption, version text.
    try {
        const TEXEVersionData version = ReadVersionRecord(ProgramPath);
        CompanyName = version.CompanyName;
        ProductName = version.ProductName;
    } catch (const std::exception& e) {
        // A program file without a readable version record: say so once the window is up, and
        // go on with the names this build was made with, so that the settings find their folder.
        startupError_ = Application::ExceptionText(e);
        CompanyName = L"KALDERN";
        ProductName = L"Corvana";
    }
    AppVersion = ReadAppVersion(ProgramPath);
    AppCaption = CompanyName + L" - " + ProductName;
    SetWindowTextW(hwnd_, AppCaption.c_str());

    // 5.-7.
    SettingsFolder = ChooseSettingsFolder(FolderOf(ProgramPath), CompanyName, ProductName);
    SetTimer(hwnd_, TimerChecker, 1000, nullptr);
    SetTimer(hwnd_, TimerParam, 1, nullptr);

    // 8. An unreadable or undecodable file is deleted, silently, and the store starts empty.
    try {
        LoadSettingsFile(SettingsPath(), SettingsStore);
    } catch (const std::exception&) {
        DeleteFileW(SettingsPath().c_str());
        try {
            LoadSettingsFile(SettingsPath(), SettingsStore);
        } catch (const std::exception&) {
            SettingsStore = IniStore();
        }
    }

    // 9.
    OpenDialogFilter = std::wstring(L"Supported Files|") + L"*.mp3;*.wav;*.m4a;*.wma;*.flac;*.webm;" +
                       L"*.aiff;*.aac;*.ogg;*.opus;*.ac3;*.eac3;" + L"*.mp2;*.wv;" +
                       L"*.mp4;*.mkv;*.avi;*.mpg;*.mpeg;" + L"*.mov;*.wmv;*.flv;*.f4v" + L"|All Files|*.*";

    // 10.
    DefaultDestination = ShellFolderPath(CSIDL_DESKTOP);
    ApplyStoredSettings();

    // 11.
    ScanList.clear();
}

void TAppForm::ApplyStoredSettings() {
    // A flush that fails here must not stop the other settings from being applied; the first
    // failure is shown once the window is up.
    const auto keepGoing = [this](auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            if (startupError_.empty()) startupError_ = Application::ExceptionText(e);
        }
    };
    const auto read = [this](const wchar_t* key, const std::wstring& def) {
        return SettingsStore.ReadString(kSettingsSection, key, def);
    };

    const std::wstring destination = read(L"Destination", DefaultDestination);
    if (destination != GetWindowTextString(Edit1)) {
        settingEditSilently_ = true;
        SetWindowTextW(Edit1, destination.c_str());
        settingEditSilently_ = false;
        keepGoing([this] { Edit1Change(); });
    }
    if (read(L"RememberAudioSettings", L"") == L"ON") {
        FFmpegParameters = read(L"FFmpegParameters", L"");
        SetMenuChecked(CMD_RememberAudioSettings1, true);
    }
    if (read(L"ShowErrorDetails", L"") == L"ON") SetMenuChecked(CMD_ShowErrorDetails1, true);
    SimultaneousConversions = ParseSimultaneousConversions(read(L"SimultaneousConversions", L"0"));
    CheckSimultaneousConversionsItem();
    if (read(L"UseSourceFolder", L"") == L"ON") {
        Button_SetCheck(CheckBoxSource, BST_CHECKED);
        keepGoing([this] { CheckBoxSourceClick(); });
    }
}

// ---------------------------------------------------------------------------------------------
// Settings and small accessors

void TAppForm::WriteSetting(const wchar_t* key, const std::wstring& value) {
    SettingsStore.WriteString(kSettingsSection, key, value);
    if (!SettingsHandedOver) FlushSettings();
}

void TAppForm::FlushSettings() { SaveSettingsFile(SettingsPath(), SettingsStore); }

bool TAppForm::IsMenuChecked(int command) const {
    for (HMENU m : {MainMenu1, PopupMenu1, PopupMenu2, PopupMenu3}) {
        const UINT state = GetMenuState(m, static_cast<UINT>(command), MF_BYCOMMAND);
        if (state != static_cast<UINT>(-1)) return (state & MF_CHECKED) != 0;
    }
    return false;
}

void TAppForm::SetMenuChecked(int command, bool checked) {
    for (HMENU m : {MainMenu1, PopupMenu1, PopupMenu2, PopupMenu3})
        if (CheckMenuItem(m, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
            static_cast<DWORD>(-1))
            return;
}

void TAppForm::SetMenuEnabled(int command, bool enabled) {
    for (HMENU m : {MainMenu1, PopupMenu1, PopupMenu2, PopupMenu3})
        if (EnableMenuItem(m, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)) != -1)
            return;
}

void TAppForm::SetStatusText(const std::wstring& text) {
    SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring TAppForm::StatusText() const {
    const auto length = LOWORD(SendMessageW(StatusBar1, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(StatusBar1, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void TAppForm::Exit1Click() { RequestExit(); }

void TAppForm::RequestExit() { conversion_->RequestExit(); }

void TAppForm::Button1Click() { conversion_->OnConvert(); }

bool TAppForm::ConversionRunning() const { return conversion_ && conversion_->Running(); }

int TAppForm::ExitStatus() const { return conversion_ ? conversion_->ExitStatus() : 0; }

void TAppForm::CheckSimultaneousConversionsItem() {
    UINT checked = CMD_SimultaneousAutomatic;
    for (int i = CMD_SimultaneousFirst; i <= CMD_SimultaneousLast; ++i)
        if (SimultaneousChoice(i) == SimultaneousConversions) checked = static_cast<UINT>(i);
    CheckMenuRadioItem(MainMenu1, CMD_SimultaneousAutomatic, CMD_SimultaneousLast, checked, MF_BYCOMMAND);
}

void TAppForm::SimultaneousConversionsClick(int command) {
    SimultaneousConversions = command == CMD_SimultaneousAutomatic ? 0 : SimultaneousChoice(command);
    CheckSimultaneousConversionsItem();
    conversion_->SetConcurrency(SimultaneousConversions);
    WriteSetting(L"SimultaneousConversions", std::to_wstring(SimultaneousConversions));
}

void TAppForm::RunCommand(int command) {
    switch (command) {
    case CMD_Clear1: Clear1Click(); break;
    case CMD_AddFile1: AddFile1Click(); break;
    case CMD_AddFolder1: AddFolder1Click(); break;
    case CMD_Exit1: Exit1Click(); break;
    case CMD_ShowErrorDetails1: ShowErrorDetails1Click(); break;
    case CMD_ResettoDefaults1: ResettoDefaults1Click(); break;
    case CMD_Help2: Help2Click(); break;
    case CMD_UpdateNotifications1: UpdateNotifications1Click(); break;
    case CMD_SendFeedback1: SendFeedback1Click(); break;
    case CMD_About1: About1Click(); break;
    case CMD_Open1: Open1Click(); break;
    case CMD_ShowinExplorer1: ShowinExplorer1Click(); break;
    case CMD_RemovefromList1: RemovefromList1Click(); break;
    case CMD_SendtoRecycleBin1: SendtoRecycleBin1Click(); break;
    case CMD_SelectAll1: SelectAll1Click(); break;
    case CMD_Properties1: Properties1Click(); break;
    case CMD_ChangeDirectory1: ChangeDirectory1Click(); break;
    case CMD_ShowinExplorer2: ShowinExplorer2Click(); break;
    case CMD_AudioSettings1: AudioSettings1Click(); break;
    case CMD_RememberAudioSettings1: RememberAudioSettings1Click(); break;
    case CMD_ToolButton3: ToolButton3Click(); break;
    case CMD_ToolButton1: ToolButton1Click(); break;
    case CMD_ToolButton7: ToolButton7Click(); break;
    case CMD_ToolButton2: ToolButton2Click(); break;
    case CMD_ToolButton4: ToolButton4Click(); break;
    default:
        if (command >= CMD_SimultaneousAutomatic && command <= CMD_SimultaneousLast) SimultaneousConversionsClick(command);
        break;
    }
}

void TAppForm::ShowPopupBelow(HWND button, HMENU menu) {
    RECT rc;
    GetWindowRect(button, &rc);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, rc.left, rc.bottom, 0, hwnd_, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TAppForm::OnCommand(int id, int code, HWND control) {
    if (!control || control == ToolBar1) {
        RunCommand(id);
        return;
    }
    if (code == BN_CLICKED) {
        if (control == Button1) Button1Click();
        else if (control == Button2) Button2Click();
        else if (control == Button3) Button3Click();
        else if (control == CheckBoxSource) CheckBoxSourceClick();
    } else if (code == EN_CHANGE && control == Edit1 && !settingEditSilently_) {
        Edit1Change();
    }
}

LRESULT TAppForm::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == ListView1) {
        if (header.code == LVN_COLUMNCLICK) return ListView1ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header));
        if (header.code == LVN_KEYDOWN) return ListView1KeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header));
        if (header.code == LVN_GETDISPINFOW)
            return ListView1Data(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
    } else if (header.code == BCN_DROPDOWN) {
        if (header.hwndFrom == Button2) ShowPopupBelow(Button2, PopupMenu2);
        if (header.hwndFrom == Button3) ShowPopupBelow(Button3, PopupMenu3);
        return 0;
    } else if (header.code == TTN_GETDISPINFOW) {
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
        for (const auto& b : kToolButtons)
            if (b.command != 0 && static_cast<UINT_PTR>(b.command) == header.idFrom)
                info.lpszText = const_cast<wchar_t*>(b.hint);
        return 0;
    }
    return 0;
}

LRESULT TAppForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        dpi_ = GetDpiForWindow(hwnd_);
        conversion_ = std::make_unique<ConversionSession>(*this);
        CreateMenus();
        CreateControls();
        ApplyDpiResources();
        FormCreate();
        Application::SetMainWindow(hwnd_, accelerators_.get());
        return 0;
    case WM_SIZE:
        Layout();
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wp);
        ApplyDpiResources();
        const RECT* r = reinterpret_cast<const RECT*>(lp);
        SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        Layout();
        return 0;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wp) == ListView1) {
            POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (lp == -1) {  // from the keyboard: below the focused item
                RECT rc{};
                const int item = ListView_GetNextItem(ListView1, -1, LVNI_FOCUSED);
                if (item < 0 || !ListView_GetItemRect(ListView1, item, &rc, LVIR_LABEL)) GetClientRect(ListView1, &rc);
                pt = {rc.left, rc.bottom};
                ClientToScreen(ListView1, &pt);
            }
            TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hwnd_, nullptr);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wp == TimerParam) TimerParamTimer();
        else if (wp == TimerChecker) TimerCheckerTimer();
        return 0;
    case WM_DROPFILES:
        FormDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_SETCURSOR:
        if (Application::IsBusyCursor()) {
            SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
            return TRUE;
        }
        break;
    case WM_APP_SPLITTER_DRAG:
        OnSplitterDrag(static_cast<int>(wp));
        return 0;
    case WM_APP_STARTUP_ERROR: {
        const std::wstring text = std::exchange(startupError_, L"");
        if (!text.empty()) Application::ShowErrorText(text);
        return 0;
    }
    case WM_CLOSE:
        RequestExit();
        return 0;
    case WM_APP_CONVERSION:
        conversion_->OnEngineReports();
        return 0;
    default:
        break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
