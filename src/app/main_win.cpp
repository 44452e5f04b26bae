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
    {CMD_ToolAddFiles, L"Add Files", L"Select audio files", 0},
    {CMD_ToolAddFolder, L"Add Folder", L"Select audio folders", 1},
    {0, nullptr, nullptr, -1},  // the separator
    {CMD_ToolFeedback, L"Feedback", L"Send feedback", 2},
    {CMD_ToolAbout, L"About", L"Show aboutbox", 3},
    {CMD_ToolHelp, L"Help", L"Online help", 4},
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

MainWindow::MainWindow(std::wstring programPath)
    : ProgramPath(programPath.empty() ? ModulePath() : std::move(programPath)), CommandLine(GetCommandLineW()) {}

MainWindow::~MainWindow() {
    // Stops a run still going and waits for its jobs, which report to this window.
    conversion_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    for (HMENU m : {targetFolderMenu, audioSettingsMenu})
        if (m) DestroyMenu(m);
}

void MainWindow::Create() {
    iconBig_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXICON)));
    iconSmall_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXSMICON)));
    RegisterClassOnce(kMainWindowClass, iconBig_.get(), GetSysColorBrush(COLOR_BTNFACE));
    RegisterSplitterClass();
    CreateCentered(nullptr, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                   {601, 535}, Centring::OnScreen, true);
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall_.get()));
    Layout();
}

void MainWindow::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    if (!startupError_.empty()) PostMessageW(hwnd_, WM_APP_STARTUP_ERROR, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Construction

void MainWindow::CreateMenus() {
    HMENU file = CreatePopupMenu();
    AppendItem(file, CMD_Clear, L"Clear");
    AppendSeparator(file);  // N6
    AppendItem(file, CMD_AddFiles, L"Add Files...");
    AppendItem(file, CMD_AddFolder, L"Add Folder...");
    AppendSeparator(file);  // N2
    AppendItem(file, CMD_Exit, L"Exit");

    HMENU simultaneous = CreatePopupMenu();
    AppendItem(simultaneous, CMD_SimultaneousAutomatic, L"Automatic");
    for (int i = CMD_SimultaneousFirst; i <= CMD_SimultaneousLast; ++i) {
        const std::wstring text = std::to_wstring(SimultaneousChoice(i));
        AppendItem(simultaneous, i, text.c_str());
    }

    HMENU settings = CreatePopupMenu();
    AppendItem(settings, CMD_ShowErrorDetails, L"Show Error Details");
    AppendMenuW(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(simultaneous), L"Simultaneous Conversions");
    AppendSeparator(settings);  // N3
    AppendItem(settings, CMD_ResetToDefaults, L"Reset to Defaults...");

    HMENU help = CreatePopupMenu();
    AppendItem(help, CMD_OnlineHelp, L"Online Help\tF1");
    AppendSeparator(help);  // N1
    AppendItem(help, CMD_UpdateNotifications, L"Update Notifications", MF_CHECKED | MF_GRAYED);
    AppendSeparator(help);  // UpdateNotificationsBar
    AppendItem(help, CMD_SendFeedback, L"Send Feedback...");
    AppendItem(help, CMD_About, L"About...");

    mainMenu = CreateMenu();
    AppendMenuW(mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
    AppendMenuW(mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"Settings");
    AppendMenuW(mainMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help");
    SetMenu(hwnd_, mainMenu);

    targetFolderMenu = CreatePopupMenu();
    AppendItem(targetFolderMenu, CMD_ChangeTargetFolder, L"Change Destination Folder...");
    AppendItem(targetFolderMenu, CMD_ShowTargetFolder, L"Show in Explorer");

    audioSettingsMenu = CreatePopupMenu();
    AppendItem(audioSettingsMenu, CMD_AudioSettings, L"Audio Settings...");
    AppendItem(audioSettingsMenu, CMD_RememberAudioSettings, L"Remember Audio Settings");

    ACCEL f1{FVIRTKEY, VK_F1, static_cast<WORD>(CMD_OnlineHelp)};
    accelerators_.reset(CreateAcceleratorTableW(&f1, 1));
}

void MainWindow::CreateToolBar() {
    toolBar = MakeControl(hwnd_, TOOLBARCLASSNAMEW, nullptr,
                          WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, IDC_ToolBar);
    SendMessageW(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
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
        SendMessageW(toolBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&tb));
    }
}

void MainWindow::CreateControls() {
    CreateToolBar();

    files_->Create(IDC_FileList);

    splitter = MakeControl(hwnd_, kSplitterClass, L"", WS_VISIBLE, IDC_Splitter);

    // The option panel, top to bottom; creation order is the tab order.
    formatLabel =
        MakeControl(hwnd_, WC_STATICW, L"Output Format:", WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, IDC_FormatLabel);
    formatBox =
        MakeControl(hwnd_, WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, IDC_FormatBox);
    for (const wchar_t* f : kFormats) SendMessageW(formatBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f));
    SendMessageW(formatBox, CB_SETMINVISIBLE, 20, 0);
    SendMessageW(formatBox, CB_SETCURSEL, 0, 0);
    audioSettingsButton =
        MakeControl(hwnd_, WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_SPLITBUTTON, IDC_AudioSettingsButton);
    normalizeCheck = MakeControl(hwnd_, WC_BUTTONW, L"Volume Normalization", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                 IDC_NormalizeCheck);
    targetFolderLabel = MakeControl(hwnd_, WC_STATICW, L"Target Folder:", WS_VISIBLE | SS_LEFT, IDC_TargetFolderLabel);
    useSourceFolderCheck = MakeControl(hwnd_, WC_BUTTONW, L"Use Source Folder",
                                       WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, IDC_UseSourceFolderCheck);
    targetFolderEdit = MakeControl(hwnd_, WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, IDC_TargetFolderEdit,
                                   WS_EX_CLIENTEDGE);
    targetFolderButton =
        MakeControl(hwnd_, WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_SPLITBUTTON, IDC_TargetFolderButton);
    convertButton =
        MakeControl(hwnd_, WC_BUTTONW, L"Convert", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDC_ConvertButton);

    statusBar = MakeControl(hwnd_, STATUSCLASSNAMEW, L"", WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE, IDC_StatusBar);
    int part = -1;
    SendMessageW(statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&part));
    progressBar = MakeControl(hwnd_, PROGRESS_CLASSW, L"", 0, IDC_ProgressBar);
    SendMessageW(progressBar, PBM_SETRANGE32, 0, 10);

    // splitButtonHints of the two split buttons.
    splitButtonHints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                       0, 0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (auto [button, hint] : {std::pair{audioSettingsButton, L"Audio Settings"},
                                std::pair{targetFolderButton, L"Change Destination Folder"}}) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(button);
        ti.lpszText = const_cast<wchar_t*>(hint);
        SendMessageW(splitButtonHints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void MainWindow::OnDpiChanged() {
    font_ = MakeFont(11);
    convertFont_ = MakeFont(19);
    for (HWND h : {toolBar, files_->Handle(), formatLabel, formatBox, audioSettingsButton, normalizeCheck,
                   targetFolderLabel, useSourceFolderCheck, targetFolderEdit, targetFolderButton, statusBar})
        SetControlFont(h, font_.get());
    SetControlFont(convertButton, convertFont_.get());

    const int small = Scale(16), large = Scale(64);
    smallImages_.reset(CreateImageList({IDI_FILE_SOUND}, small));
    ListView_SetImageList(files_->Handle(), smallImages_.get(), LVSIL_SMALL);

    largeImages_.reset(CreateImageList(
        {IDI_ADD_VIDEO, IDI_ADD_FOLDER, IDI_ENVELOPE_LETTER, IDI_SIGN_INFO, IDI_SIGN_QUESTION}, large));
    SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(largeImages_.get()));
    SendMessageW(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(large, large));
    SendMessageW(toolBar, TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(71), Scale(84)));
    TBBUTTONINFOW sep{};
    sep.cbSize = sizeof(sep);
    sep.dwMask = TBIF_SIZE | TBIF_BYINDEX;
    sep.cx = static_cast<WORD>(Scale(8));
    SendMessageW(toolBar, TB_SETBUTTONINFOW, 2, reinterpret_cast<LPARAM>(&sep));
    SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);

    // Split buttons: the picture centred; the folder turns grey while the button is disabled
    // (the list's six entries are normal, hot, pressed, disabled, default and stylus-hot).
    toolsImages_.reset(CreateImageList({IDI_SETTING_TOOLS}, small));
    folderImages_.reset(CreateImageList(
        {IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32, IDI_FOLDER32_GRAY, IDI_FOLDER32, IDI_FOLDER32}, small));
    convertImages_.reset(CreateImageList({IDI_TICK_BUTTON}, small));
    BUTTON_IMAGELIST bil{toolsImages_.get(), {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
    SendMessageW(audioSettingsButton, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    bil.himl = folderImages_.get();
    SendMessageW(targetFolderButton, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
    bil = BUTTON_IMAGELIST{convertImages_.get(), {Scale(5), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageW(convertButton, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));

    menuBitmaps_.clear();
    const int menuSize = GetSystemMetricsForDpi(SM_CXSMICON, Dpi());
    for (auto [command, image] : {std::pair{CMD_Exit, IDI_EXIT}, std::pair{CMD_OnlineHelp, IDI_HELP},
                                  std::pair{CMD_SendFeedback, IDI_FEEDBACK}, std::pair{CMD_About, IDI_ABOUT}}) {
        auto& bitmap = menuBitmaps_.emplace_back(CreateMenuBitmap(image, menuSize));
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        mii.hbmpItem = bitmap.get();
        SetMenuItemInfoW(mainMenu, static_cast<UINT>(command), FALSE, &mii);
    }
}

// ---------------------------------------------------------------------------------------------
// Layout: 96-DPI numbers scaled by the window's DPI.

void MainWindow::Layout() {
    if (!toolBar) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right, height = client.bottom;

    SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
    RECT tb;
    GetWindowRect(toolBar, &tb);
    const int top = tb.bottom - tb.top;

    int bottom = height;
    if (IsWindowVisible(progressBar)) {
        bottom -= Scale(17);
        MoveWindow(progressBar, 0, bottom, width, Scale(17), TRUE);
    }
    bottom -= Scale(19);
    MoveWindow(statusBar, 0, bottom, width, Scale(19), TRUE);

    // Between the tool bar and the status bar: the option panel on the right, the splitter, and the
    // list in the rest.
    const int splitterWidth = Scale(kSplitterWidth);
    const int panelWidth =
        std::max(0, std::min(Scale(optionPanelWidth_), width - splitterWidth - Scale(kSplitterMinSize)));
    const int panelLeft = width - panelWidth;
    MoveWindow(splitter, panelLeft - splitterWidth, top, splitterWidth, bottom - top, TRUE);
    MoveWindow(files_->Handle(), 0, top, std::max(0, panelLeft - splitterWidth), bottom - top, TRUE);
    RECT lv;
    GetClientRect(files_->Handle(), &lv);
    ListView_SetColumnWidth(files_->Handle(), 1, Scale(71));
    ListView_SetColumnWidth(files_->Handle(), 0, std::max(Scale(20), static_cast<int>(lv.right) - Scale(71)));

    TEXTMETRICW tm{};
    {
        ScopedGetDC dc(hwnd_);
        ScopedSelectObject selectFont(dc, font_.get());
        GetTextMetricsW(dc, &tm);
    }
    const int labelHeight = tm.tmHeight;
    const int checkHeight = std::max(Scale(17), static_cast<int>(tm.tmHeight));

    int y = top;
    MoveWindow(formatLabel, panelLeft + Scale(4), y, panelWidth - Scale(4), labelHeight, TRUE);
    y += labelHeight;
    MoveWindow(audioSettingsButton, panelLeft + panelWidth - Scale(41), y, Scale(41), Scale(25), TRUE);
    MoveWindow(formatBox, panelLeft, y, panelWidth - Scale(41), Scale(300), TRUE);
    y += Scale(26);
    y += Scale(10);
    MoveWindow(normalizeCheck, panelLeft + Scale(4), y, panelWidth - Scale(4), checkHeight, TRUE);
    y += checkHeight + Scale(10);
    MoveWindow(targetFolderLabel, panelLeft + Scale(4), y, panelWidth - Scale(4), labelHeight, TRUE);
    y += labelHeight + Scale(10);
    MoveWindow(useSourceFolderCheck, panelLeft + Scale(4), y, panelWidth - Scale(4), checkHeight, TRUE);
    y += checkHeight;
    MoveWindow(targetFolderButton, panelLeft + panelWidth - Scale(41), y, Scale(41), Scale(25), TRUE);
    MoveWindow(targetFolderEdit, panelLeft, y, panelWidth - Scale(41), Scale(26) - Scale(2), TRUE);
    y += Scale(26) + Scale(10);
    MoveWindow(convertButton, panelLeft + Scale(2), y, panelWidth - Scale(4), Scale(37), TRUE);
}

void MainWindow::OnSplitterDrag(int clientX) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int splitterWidth = Scale(kSplitterWidth);
    // The panel's new width at 96 DPI: from the mouse to the right edge, keeping both sides at
    // least the splitter's minimum size.
    int width = client.right - clientX - splitterWidth / 2;
    width = std::max(Scale(kSplitterMinSize),
                     std::min(width, static_cast<int>(client.right) - splitterWidth - Scale(kSplitterMinSize)));
    optionPanelWidth_ = MulDiv(width, 96, static_cast<int>(Dpi()));
    Layout();
    UpdateWindow(hwnd_);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void MainWindow::OnCreate() {
    DragAcceptFiles(hwnd_, TRUE);
    files_->AcceptDrops();

    // The version record names the program, its maker and its version.
    try {
        const VersionRecord version = ReadVersionRecord(ProgramPath);
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
    updateCheck_->SetProgram(AppCaption, AppVersion, CompanyName, ProductName);

    SetTimer(hwnd_, UpdateCheckTimer, 1000, nullptr);
    SetTimer(hwnd_, CommandLineTimer, 1, nullptr);
    settings_.Open(FolderOf(ProgramPath), CompanyName, ProductName);

    DefaultDestination = ShellFolderPath(CSIDL_DESKTOP);
    ApplyStoredSettings();
}

void MainWindow::ApplyStoredSettings() {
    // A flush that fails here must not stop the other settings from being applied; the first
    // failure is shown once the window is up.
    const auto keepGoing = [this](auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            if (startupError_.empty()) startupError_ = Application::ExceptionText(e);
        }
    };
    const auto read = [this](const wchar_t* key, const std::wstring& def) { return settings_.Read(key, def); };

    const std::wstring destination = read(L"Destination", DefaultDestination);
    if (destination != GetWindowTextString(targetFolderEdit)) {
        settingEditSilently_ = true;
        SetWindowTextW(targetFolderEdit, destination.c_str());
        settingEditSilently_ = false;
        keepGoing([this] { OnTargetFolderChanged(); });
    }
    if (read(L"RememberAudioSettings", L"") == L"ON") {
        FFmpegParameters = read(L"FFmpegParameters", L"");
        SetMenuChecked(CMD_RememberAudioSettings, true);
    }
    if (read(L"ShowErrorDetails", L"") == L"ON") SetMenuChecked(CMD_ShowErrorDetails, true);
    SimultaneousConversions = ParseSimultaneousConversions(read(L"SimultaneousConversions", L"0"));
    CheckSimultaneousConversionsItem();
    if (read(L"UseSourceFolder", L"") == L"ON") {
        Button_SetCheck(useSourceFolderCheck, BST_CHECKED);
        keepGoing([this] { OnUseSourceFolderClick(); });
    }
}

// ---------------------------------------------------------------------------------------------
// Settings and small accessors

bool MainWindow::IsMenuChecked(int command) const {
    for (HMENU m : {mainMenu, files_->Menu(), targetFolderMenu, audioSettingsMenu}) {
        const UINT state = GetMenuState(m, static_cast<UINT>(command), MF_BYCOMMAND);
        if (state != static_cast<UINT>(-1)) return (state & MF_CHECKED) != 0;
    }
    return false;
}

void MainWindow::SetMenuChecked(int command, bool checked) {
    for (HMENU m : {mainMenu, files_->Menu(), targetFolderMenu, audioSettingsMenu})
        if (CheckMenuItem(m, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
            static_cast<DWORD>(-1))
            return;
}

void MainWindow::SetMenuEnabled(int command, bool enabled) {
    for (HMENU m : {mainMenu, files_->Menu(), targetFolderMenu, audioSettingsMenu})
        if (EnableMenuItem(m, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED)) != -1)
            return;
}

void MainWindow::SetStatusText(const std::wstring& text) {
    SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring MainWindow::StatusText() const {
    const auto length = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void MainWindow::Exit() {
    RequestExit();
}

void MainWindow::RequestExit() {
    conversion_->RequestExit();
}

void MainWindow::EndProgram() {
    endRequested_ = true;
    Application::Terminate();
}

void MainWindow::OnConvert() {
    conversion_->OnConvert();
}

bool MainWindow::ConversionRunning() const {
    return conversion_ && conversion_->Running();
}

int MainWindow::ExitStatus() const {
    return conversion_ ? conversion_->ExitStatus() : 0;
}

void MainWindow::CheckSimultaneousConversionsItem() {
    UINT checked = CMD_SimultaneousAutomatic;
    for (int i = CMD_SimultaneousFirst; i <= CMD_SimultaneousLast; ++i)
        if (SimultaneousChoice(i) == SimultaneousConversions) checked = static_cast<UINT>(i);
    CheckMenuRadioItem(mainMenu, CMD_SimultaneousAutomatic, CMD_SimultaneousLast, checked, MF_BYCOMMAND);
}

void MainWindow::SimultaneousConversionsClick(int command) {
    SimultaneousConversions = command == CMD_SimultaneousAutomatic ? 0 : SimultaneousChoice(command);
    CheckSimultaneousConversionsItem();
    conversion_->SetConcurrency(SimultaneousConversions);
    settings_.Write(L"SimultaneousConversions", std::to_wstring(SimultaneousConversions));
}

void MainWindow::RunCommand(int command) {
    switch (command) {
        case CMD_Clear: files_->Clear(); break;
        case CMD_AddFiles: files_->AddFilesFromDialog(); break;
        case CMD_AddFolder: files_->AddFolderFromDialog(); break;
        case CMD_Exit: Exit(); break;
        case CMD_ShowErrorDetails: ToggleShowErrorDetails(); break;
        case CMD_ResetToDefaults: ResetToDefaults(); break;
        case CMD_OnlineHelp: OpenOnlineHelp(); break;
        case CMD_UpdateNotifications: updateCheck_->ToggleNotifications(); break;
        case CMD_SendFeedback: OpenFeedback(); break;
        case CMD_About: OpenAbout(); break;
        case CMD_Open: files_->OpenSelected(); break;
        case CMD_ShowFileInExplorer: files_->ShowSelectedInExplorer(); break;
        case CMD_RemoveFromList: files_->RemoveSelected(); break;
        case CMD_SendToRecycleBin: files_->RecycleSelected(); break;
        case CMD_SelectAll: files_->SelectAll(); break;
        case CMD_Properties: files_->ShowSelectedProperties(); break;
        case CMD_ChangeTargetFolder: ChangeTargetFolder(); break;
        case CMD_ShowTargetFolder: ShowTargetFolder(); break;
        case CMD_AudioSettings: OpenAudioSettings(); break;
        case CMD_RememberAudioSettings: ToggleRememberAudioSettings(); break;
        // The tool bar's buttons do what their menu items do.
        case CMD_ToolAddFiles: RunCommand(CMD_AddFiles); break;
        case CMD_ToolAddFolder: RunCommand(CMD_AddFolder); break;
        case CMD_ToolFeedback: OpenFeedback(); break;
        case CMD_ToolAbout: OpenAbout(); break;
        case CMD_ToolHelp: RunCommand(CMD_OnlineHelp); break;
        default:
            if (command >= CMD_SimultaneousAutomatic && command <= CMD_SimultaneousLast)
                SimultaneousConversionsClick(command);
            break;
    }
}

void MainWindow::ShowPopupBelow(HWND button, HMENU menu) {
    RECT rc;
    GetWindowRect(button, &rc);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, rc.left, rc.bottom, 0, hwnd_, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Messages

void MainWindow::OnCommand(int id, int code, HWND control) {
    if (!control || control == toolBar) {
        RunCommand(id);
        return;
    }
    if (code == BN_CLICKED) {
        if (control == convertButton)
            OnConvert();
        else if (control == targetFolderButton)
            OnTargetFolderButton();
        else if (control == audioSettingsButton)
            OnAudioSettingsButton();
        else if (control == useSourceFolderCheck)
            OnUseSourceFolderClick();
    } else if (code == EN_CHANGE && control == targetFolderEdit && !settingEditSilently_) {
        OnTargetFolderChanged();
    }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == files_->Handle()) {
        if (header.code == LVN_COLUMNCLICK) return files_->OnColumnClick(reinterpret_cast<const NMLISTVIEW&>(header));
        if (header.code == LVN_KEYDOWN) return files_->OnKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header));
        if (header.code == LVN_GETDISPINFOW)
            return files_->ItemData(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)));
    } else if (header.code == BCN_DROPDOWN) {
        if (header.hwndFrom == targetFolderButton) ShowPopupBelow(targetFolderButton, targetFolderMenu);
        if (header.hwndFrom == audioSettingsButton) ShowPopupBelow(audioSettingsButton, audioSettingsMenu);
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

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            files_ = std::make_unique<FileListView>(
                hwnd_, LastFolder,
                FileListView::Callbacks{[this](const std::wstring& text) { SetStatusText(text); },
                                        [this](uint64_t id) { conversion_->RowAdded(id); }});
            conversion_ = std::make_unique<ConversionSession>(*this);
            updateCheck_ = std::make_unique<UpdateCheckView>(hwnd_, UpdateCheckTimer, CMD_UpdateNotifications);
            CreateMenus();
            CreateControls();
            OnDpiChanged();
            OnCreate();
            Application::SetMainWindow(hwnd_, accelerators_.get());
            return 0;
        case WM_SIZE: Layout(); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp));
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wp) == files_->Handle()) {
                files_->ShowContextMenu(lp);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wp == CommandLineTimer)
                HandleCommandLine();
            else if (wp == UpdateCheckTimer)
                updateCheck_->OnTimer();
            return 0;
        case WM_DROPFILES: files_->OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_SETCURSOR:
            if (Application::IsBusyCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_APP_SPLITTER_DRAG: OnSplitterDrag(static_cast<int>(wp)); return 0;
        case WM_APP_STARTUP_ERROR: {
            const std::wstring text = std::exchange(startupError_, L"");
            if (!text.empty()) Application::ShowErrorText(text);
            return 0;
    }
    case WM_CLOSE: RequestExit(); return 0;
    case WM_APP_CONVERSION: conversion_->OnEngineReports(); return 0;
    default:
        break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
