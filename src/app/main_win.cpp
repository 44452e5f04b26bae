#include "app/main_win.h"

#include "app/version_record_win.h"
#include "common/app_error.h"
#include "conversion/conversion_run_win.h"
#include "maker/about_win.h"
#include "maker/feedback_win.h"
#include "maker/update_check.h"
#include "maker/web_request_win.h"
#include "resource.h"
#include "win/images_win.h"
#include "win/message_dialog_win.h"
#include "win/settings_file_win.h"
#include "win/system_win.h"

namespace corvana {

namespace {

static_assert(CMD_SimultaneousLast - CMD_SimultaneousFirst + 1 == std::size(kSimultaneousChoices),
              "one \"Simultaneous Conversions\" item per choice");

// The number of jobs of a "Simultaneous Conversions" item after "Automatic".
unsigned SimultaneousChoice(int command) {
    return kSimultaneousChoices[command - CMD_SimultaneousFirst];
}

constexpr UINT WM_APP_STARTUP_ERROR = WM_APP + 1;
constexpr UINT WM_APP_LAYOUT = WM_APP + 2;

// The Settings menu's switches and the keys that store them ("ON"/"OFF", off when missing).
constexpr std::pair<int, const wchar_t*> kSwitches[] = {{CMD_ShowErrorDetails, L"ShowErrorDetails"},
                                                        {CMD_KeepFolderStructure, L"KeepFolderStructure"},
                                                        {CMD_SkipConvertedFiles, L"SkipConvertedFiles"}};
constexpr int kSplitterWidth = 5;
constexpr int kSplitterMinSize = 30;
constexpr int kMinimumClientWidth = 360;

}  // namespace

MainWindow::MainWindow(std::wstring programPath, std::wstring commandLine) : commandLine_(std::move(commandLine)) {
    program_.path = programPath.empty() ? ModulePath() : std::move(programPath);
}

MainWindow::~MainWindow() {
    // Stops a run still going and waits for its jobs, which report to this window.
    conversion_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::Create() {
    iconBig_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXICON)));
    iconSmall_.reset(LoadImageIcon(IDI_CORVANA, GetSystemMetrics(SM_CXSMICON)));
    RegisterClassOnce(kMainWindowClass, iconBig_.get(), GetSysColorBrush(COLOR_BTNFACE));
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
    AppendMenuItems(file, {{CMD_Clear, L"&Clear"},
                           kMenuSeparator,
                           {CMD_AddFiles, L"Add &Files..."},
                           {CMD_AddFolder, L"Add F&older..."},
                           kMenuSeparator,
                           {CMD_Exit, L"E&xit"}});

    HMENU simultaneous = CreatePopupMenu();
    AppendMenuItems(simultaneous, {{CMD_SimultaneousAutomatic, L"&Automatic"}});
    for (int i = CMD_SimultaneousFirst; i <= CMD_SimultaneousLast; ++i) {
        const std::wstring text = std::to_wstring(SimultaneousChoice(i));
        AppendMenuItems(simultaneous, {{i, text.c_str()}});
    }

    HMENU settings = CreatePopupMenu();
    AppendMenuItems(settings, {{CMD_ShowErrorDetails, L"Show Error &Details"},
                               {CMD_KeepFolderStructure, L"&Keep Folder Structure"},
                               {CMD_SkipConvertedFiles, L"Skip &Converted Files"}});
    AppendMenuW(settings, MF_POPUP, reinterpret_cast<UINT_PTR>(simultaneous), L"&Simultaneous Conversions");
    AppendMenuItems(settings, {kMenuSeparator, {CMD_ResetToDefaults, L"&Reset to Defaults..."}});

    HMENU help = CreatePopupMenu();
    AppendMenuItems(help, {{CMD_OnlineHelp, L"Online &Help\tF1"},
                           kMenuSeparator,
                           {CMD_UpdateNotifications, L"&Update Notifications", MF_CHECKED | MF_GRAYED},
                           kMenuSeparator,
                           {CMD_SendFeedback, L"Send &Feedback..."},
                           {CMD_About, L"&About..."}});

    mainMenu_ = CreateMenu();
    AppendMenuW(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), L"&Settings");
    AppendMenuW(mainMenu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
    // The window destroys its menu with itself.
    SetMenu(hwnd_, mainMenu_);

    ACCEL f1{FVIRTKEY, VK_F1, static_cast<WORD>(CMD_OnlineHelp)};
    accelerators_.reset(CreateAcceleratorTableW(&f1, 1));
}

void MainWindow::CreateControls() {
    toolBar_.Create(hwnd_, IDC_ToolBar,
                    {{CMD_ToolAddFiles, L"Add Files", L"Select audio files", 0},
                     {CMD_ToolAddFolder, L"Add Folder", L"Select audio folders", 1},
                     {},  // a separator
                     {CMD_ToolFeedback, L"Feedback", L"Send feedback", 2},
                     {CMD_ToolAbout, L"About", L"Show aboutbox", 3},
                     {CMD_ToolHelp, L"Help", L"Online help", 4}});
    toolBar_.onCommand = [this](int command) { RunCommand(command); };
    // Creation order is the tab order: the list, the option panel top to bottom, "Convert".
    files_->Create(IDC_FileList);
    splitter_.Create(hwnd_, IDC_Splitter, [this](int clientX) { OnSplitterDrag(clientX); });
    options_->Create();
    conversion_->CreateControls();
    statusBar_.Create(hwnd_, IDC_StatusBar);
}

void MainWindow::OnDpiChanged() {
    font_ = MakeFont(11);
    convertFont_ = MakeFont(19);
    for (HWND h : {toolBar_.Handle(), files_->Handle(), statusBar_.Handle()}) SetControlFont(h, font_.get());
    options_->SetFont(font_.get());
    options_->OnDpiChanged(Dpi());
    conversion_->OnDpiChanged(Dpi(), convertFont_.get());

    smallImages_.reset(CreateImageList({IDI_FILE_SOUND}, Scale(16)));
    ListView_SetImageList(files_->Handle(), smallImages_.get(), LVSIL_SMALL);

    const int large = Scale(64);
    largeImages_.reset(
        CreateImageList({IDI_ADD_VIDEO, IDI_ADD_FOLDER, IDI_ENVELOPE_LETTER, IDI_SIGN_INFO, IDI_SIGN_QUESTION}, large));
    SendMessageW(toolBar_.Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(largeImages_.get()));
    SendMessageW(toolBar_.Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(large, large));
    SendMessageW(toolBar_.Handle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(Scale(71), Scale(84)));
    TBBUTTONINFOW sep{};
    sep.cbSize = sizeof(sep);
    sep.dwMask = TBIF_SIZE | TBIF_BYINDEX;
    sep.cx = static_cast<WORD>(Scale(8));
    SendMessageW(toolBar_.Handle(), TB_SETBUTTONINFOW, 2, reinterpret_cast<LPARAM>(&sep));
    SendMessageW(toolBar_.Handle(), TB_AUTOSIZE, 0, 0);

    menuBitmaps_.clear();
    const int menuSize = GetSystemMetricsForDpi(SM_CXSMICON, Dpi());
    for (auto [command, image] : {std::pair{CMD_Exit, IDI_EXIT}, std::pair{CMD_OnlineHelp, IDI_HELP},
                                  std::pair{CMD_SendFeedback, IDI_FEEDBACK}, std::pair{CMD_About, IDI_ABOUT}}) {
        auto& bitmap = menuBitmaps_.emplace_back(CreateMenuBitmap(image, menuSize));
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_BITMAP;
        mii.hbmpItem = bitmap.get();
        SetMenuItemInfoW(mainMenu_, static_cast<UINT>(command), FALSE, &mii);
    }
}

// ---------------------------------------------------------------------------------------------
// Layout: 96-DPI numbers scaled by the window's DPI.

void MainWindow::Layout() {
    if (!toolBar_.Handle()) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = client.right, height = client.bottom;

    SendMessageW(toolBar_.Handle(), TB_AUTOSIZE, 0, 0);
    RECT tb;
    GetWindowRect(toolBar_.Handle(), &tb);
    const int top = tb.bottom - tb.top;

    int bottom = height;
    if (conversion_->Progress().Visible()) {
        bottom -= Scale(17);
        PlaceWindow(conversion_->Progress().Handle(), 0, bottom, width, Scale(17));
    }
    bottom -= Scale(19);
    PlaceWindow(statusBar_.Handle(), 0, bottom, width, Scale(19));

    // Between the tool bar and the status bar: the option panel on the right, the splitter, and the
    // list in the rest.
    const int splitterWidth = Scale(kSplitterWidth);
    const int panelWidth =
        std::max(0, std::min(Scale(optionPanelWidth_), width - splitterWidth - Scale(kSplitterMinSize)));
    const int panelLeft = width - panelWidth;
    PlaceWindow(splitter_.Handle(), panelLeft - splitterWidth, top, splitterWidth, bottom - top);
    files_->SetColumnWidths(Scale(20), Scale(71));
    PlaceWindow(files_->Handle(), 0, top, std::max(0, panelLeft - splitterWidth), bottom - top);

    // The option panel is laid out again only when its place or the DPI changed: laying it out
    // reads the font's measures, which costs milliseconds, and when the progress bar comes or goes
    // at a run's start or end nothing in it moves.
    const RECT panel{panelLeft - splitterWidth, top, width, 0};
    const bool panelMoved = !EqualRect(&panel, &laidOutPanel_) || Dpi() != laidOutDpi_;
    if (panelMoved) {
        laidOutPanel_ = panel;
        laidOutDpi_ = Dpi();
        panelBottom_ = options_->Layout(panelLeft, top, panelWidth, Dpi());
    }
    const int y = panelBottom_;
    PlaceWindow(conversion_->ConvertButton(), panelLeft + Scale(2), y, panelWidth - Scale(4), Scale(37));

    // The smallest client area that keeps every control whole: the tool bar's width, and the panel's
    // full height between the tool bar and the status and progress bars (which may appear).
    SIZE toolBarSize{};
    SendMessageW(toolBar_.Handle(), TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolBarSize));
    minimumClient_ = {std::max(static_cast<int>(toolBarSize.cx), Scale(kMinimumClientWidth)),
                      y + Scale(37) + Scale(10) + Scale(19) + Scale(17)};

    // Controls moved over the panel's background leave stale pixels behind unless the whole window
    // is painted again. When the panel stayed, nothing moved over it, and the moved bars and the
    // list paint themselves.
    if (panelMoved) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::RequestLayout() {
    if (layoutRequested_) return;
    layoutRequested_ = true;
    PostMessageW(hwnd_, WM_APP_LAYOUT, 0, 0);
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
    files_->AcceptDrops();

    // The version record names the program, its maker and its version.
    try {
        const VersionRecord version = ReadVersionRecord(program_.path);
        program_.companyName = version.companyName;
        program_.productName = version.productName;
    } catch (const std::exception& e) {
        // A program file without a readable version record: say so once the window is up, and
        // go on with the names this build was made with, so that the settings find their folder.
        startupError_ = Application::ExceptionText(e);
        program_.companyName = L"KALDERN";
        program_.productName = L"Corvana";
    }
    program_.version = ReadAppVersion(program_.path);
    program_.caption = program_.companyName + L" - " + program_.productName;
    SetWindowTextW(hwnd_, program_.caption.c_str());
    updateCheck_->SetProgram(program_.caption, program_.version, program_.companyName, program_.productName);

    SetTimer(hwnd_, UpdateCheckTimer, 1000, nullptr);
    SetTimer(hwnd_, CommandLineTimer, 1, nullptr);
    settings_.Open(FolderOf(program_.path), program_.companyName, program_.productName);
    if (!settings_.Problem().empty() && startupError_.empty())
        startupError_ =
            settings_.Problem() + L"\r\rThe default settings are used this time, and the file is left as it is.";
    ApplyStoredSettings();
}

void MainWindow::ApplyStoredSettings() {
    // A flush that fails here must not stop the other settings from being applied; the first
    // failure is shown once the window is up.
    const auto keepGoing = [this](const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception& e) {
            if (startupError_.empty()) startupError_ = Application::ExceptionText(e);
        }
    };
    options_->ApplyStoredSettings(keepGoing);
    for (const auto& [command, key] : kSwitches)
        if (settings_.Read(key, L"") == L"ON") SetMenuChecked(command, true);
    conversion_->SetConcurrency(ParseSimultaneousConversions(settings_.Read(L"SimultaneousConversions", L"0")));
    CheckSimultaneousConversionsItem();
}

// ---------------------------------------------------------------------------------------------
// Settings and small accessors

std::array<HMENU, 4> MainWindow::Menus() const {
    return {mainMenu_, files_->Menu(), options_->TargetFolderMenu(), options_->AudioSettingsMenu()};
}

bool MainWindow::IsMenuChecked(int command) const {
    for (HMENU m : Menus()) {
        const UINT state = GetMenuState(m, static_cast<UINT>(command), MF_BYCOMMAND);
        if (state != static_cast<UINT>(-1)) return (state & MF_CHECKED) != 0;
    }
    return false;
}

void MainWindow::SetMenuChecked(int command, bool checked) {
    for (HMENU m : Menus())
        if (CheckMenuItem(m, static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
            static_cast<DWORD>(-1))
            return;
}

void MainWindow::RequestExit() {
    if (!ConfirmStopRunning(L"Conversions are still running. Stop them and close Corvana?")) return;
    conversion_->RequestExit();
}

// Running jobs would be lost: the user says first whether they may be.
bool MainWindow::ConfirmStopRunning(const wchar_t* question) {
    if (!conversion_->Running()) return true;
    return ShowMessageDialog(question, MessageKind::Confirmation, MessageButtons::YesNo, L"Confirmation",
                             {L"Yes", L"No"}, hwnd_) == IDYES;
}

void MainWindow::EndProgram() {
    endRequested_ = true;
    Application::Terminate();
}

void MainWindow::OnConvert() {
    conversion_->OnConvert();
}

HWND MainWindow::ConvertButton() const {
    return conversion_->ConvertButton();
}

HWND MainWindow::ProgressBarHandle() const {
    return conversion_->Progress().Handle();
}

unsigned MainWindow::SimultaneousConversions() const {
    return conversion_->Concurrency();
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
        if (SimultaneousChoice(i) == conversion_->Concurrency()) checked = static_cast<UINT>(i);
    CheckMenuRadioItem(mainMenu_, CMD_SimultaneousAutomatic, CMD_SimultaneousLast, checked, MF_BYCOMMAND);
}

void MainWindow::SetSimultaneousConversions(int command) {
    const unsigned jobs = command == CMD_SimultaneousAutomatic ? 0 : SimultaneousChoice(command);
    conversion_->SetConcurrency(jobs);
    CheckSimultaneousConversionsItem();
    settings_.Write(L"SimultaneousConversions", std::to_wstring(jobs));
}

void MainWindow::RunCommand(int command) {
    switch (command) {
        case CMD_Clear: files_->Clear(); break;
        case CMD_AddFiles: files_->AddFilesFromDialog(); break;
        case CMD_AddFolder: files_->AddFolderFromDialog(); break;
        case CMD_Exit: RequestExit(); break;
        case CMD_ShowErrorDetails:
        case CMD_KeepFolderStructure:
        case CMD_SkipConvertedFiles: ToggleSwitch(command); break;
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
        // The tool bar's buttons do what their menu items do.
        case CMD_ToolAddFiles: RunCommand(CMD_AddFiles); break;
        case CMD_ToolAddFolder: RunCommand(CMD_AddFolder); break;
        case CMD_ToolFeedback: OpenFeedback(); break;
        case CMD_ToolAbout: OpenAbout(); break;
        case CMD_ToolHelp: RunCommand(CMD_OnlineHelp); break;
        default:
            if (command >= CMD_SimultaneousAutomatic && command <= CMD_SimultaneousLast)
                SetSimultaneousConversions(command);
            else
                options_->RunCommand(command);
            break;
    }
}

void MainWindow::ToggleSwitch(int command) {
    const bool checked = IsMenuChecked(command);
    SetMenuChecked(command, !checked);
    for (const auto& [switchCommand, key] : kSwitches)
        if (switchCommand == command) settings_.Write(key, checked ? L"OFF" : L"ON");
}

OutputChoice MainWindow::CurrentChoice() const {
    OutputChoice choice = options_->Current();
    choice.keepFolderStructure = IsMenuChecked(CMD_KeepFolderStructure);
    choice.skipConverted = IsMenuChecked(CMD_SkipConvertedFiles);
    return choice;
}

void MainWindow::ResetToDefaults() {
    // During a run the one question also says that the running conversions are stopped.
    const bool yes = conversion_->Running()
                         ? ConfirmStopRunning(L"Conversions are still running. Stop them and restart Corvana?")
                         : ShowMessageDialog(L"Restart Application?", MessageKind::Confirmation, MessageButtons::YesNo,
                                             L"Confirmation", {L"Yes", L"No"}, hwnd_) == IDYES;
    if (!yes) return;
    // From here on the file belongs to the new instance. A conversion run in progress is stopped
    // first, as at any exit, and an option changed meanwhile must not put the old settings back
    // over the new instance's file.
    settings_.HandOver();
    Application::ProcessMessages();
    ShellExecuteW(nullptr, nullptr, program_.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    conversion_->RequestExit();
}

void MainWindow::OpenFeedback() {
    FeedbackDialog form(program_);
    form.ShowModal(hwnd_);
}

void MainWindow::OpenAbout() {
    AboutBox box(program_);
    box.ShowModal(hwnd_);
}

void MainWindow::OpenOnlineHelp() {
    try {
        OpenWebAddress(HelpAddress(MakerHost, program_.productName));
    } catch (const std::exception&) {
        // Online help is a courtesy: a missing browser is not the user's problem to read about.
    }
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            files_ = std::make_unique<FileListView>(
                hwnd_, lastFolder_,
                FileListView::Callbacks{[this](const std::wstring& text) { statusBar_.SetText(text); },
                                        [this](uint64_t id) { conversion_->RowAdded(id); },
                                        [this](const std::wstring& path) { return conversion_->IsRunOutput(path); }});
            options_ = std::make_unique<OutputOptions>(hwnd_, settings_, lastFolder_);
            conversion_ = std::make_unique<ConversionSession>(ConversionSession::Parts{
                hwnd_, FolderOf(program_.path), files_->Rows(),
                [this](size_t first, size_t last) { files_->RedrawRows(first, last); },
                [this](const std::wstring& path) { files_->AddFile(path); },
                [this](const std::vector<std::wstring>& paths) { files_->AddPaths(paths); },
                [this] { return CurrentChoice(); }, statusBar_, [this] { RequestLayout(); }, [this] { EndProgram(); },
                [this] { return IsMenuChecked(CMD_ShowErrorDetails); }});
            updateCheck_ = std::make_unique<UpdateCheckView>(hwnd_, UpdateCheckTimer, CMD_UpdateNotifications);
            CreateMenus();
            CreateControls();
            OnDpiChanged();
            OnCreate();
            Application::SetMainWindow(hwnd_, accelerators_.get());
            return 0;
        case WM_SIZE: Layout(); return 0;
        case WM_GETMINMAXINFO: {
            if (minimumClient_.cx <= 0) break;
            RECT frame{0, 0, minimumClient_.cx, minimumClient_.cy};
            AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), TRUE,
                                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), Dpi());
            reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        // Menus and keyboard shortcuts; the controls' own messages went to the controls.
        case WM_COMMAND:
            if (lp == 0) RunCommand(LOWORD(wp));
            return 0;
        case WM_TIMER:
            if (wp == CommandLineTimer) {
                KillTimer(hwnd_, CommandLineTimer);
                conversion_->HandleCommandLine(commandLine_);
            } else if (wp == UpdateCheckTimer) {
                updateCheck_->OnTimer();
            }
            return 0;
        case WM_DROPFILES: files_->OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;
        case WM_SETCURSOR:
            if (Application::IsBusyCursor()) {
                SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
                return TRUE;
            }
            break;
        case WM_APP_STARTUP_ERROR: {
            const std::wstring text = std::exchange(startupError_, L"");
            if (!text.empty()) Application::ShowErrorText(text);
            return 0;
        }
        case WM_CLOSE: RequestExit(); return 0;
        // Logging off or shutting down asks nothing: Windows ends the program once this returns, so
        // the run is stopped here and its temporary files go first.
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wp) {
                conversion_->EndSession();
                EndProgram();
            }
            return 0;
        case WM_APP_CONVERSION: conversion_->OnEngineReports(); return 0;
        case WM_APP_CONVERSION_START: conversion_->OnStart(); return 0;
        case WM_APP_LAYOUT:
            layoutRequested_ = false;
            Layout();
            return 0;
        default: break;
    }
    return DefaultProc(msg, wp, lp);
}

}  // namespace corvana
