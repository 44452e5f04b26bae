// MainWindow: the main window. It creates the subsystems' objects (the settings, the file list, the
// output options, the conversion run, the update check), lays out their controls, runs the menus'
// commands, and holds the menus, the tool bar and what belongs to the program as a whole.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "common/program_info.h"
#include "filelist/file_list_view_win.h"
#include "maker/check_win.h"
#include "options/output_options_win.h"
#include "win/command_ids.h"
#include "win/controls_win.h"
#include "win/handles_win.h"
#include "win/settings_file_win.h"
#include "win/window_base_win.h"

namespace corvana {

enum TimerId : UINT_PTR { UpdateCheckTimer = 1, CommandLineTimer = 2 };

inline constexpr const wchar_t* kMainWindowClass = L"TAppForm";

class ConversionSession;

class MainWindow : public BaseWindow<MainWindow> {
public:
    // programPath: the program file whose folder and version record start-up uses (tests pass a
    // copy of the built program in a temporary folder). commandLine: the process's command line,
    // handled once after start-up.
    explicit MainWindow(std::wstring programPath = {}, std::wstring commandLine = GetCommandLineW());
    ~MainWindow() override;

    // Creates the window (running OnCreate); show it with Show().
    void Create();
    void Show(int showCommand = SW_SHOWNORMAL);

    // ---- The subsystems ----
    const ProgramInfo& Program() const { return program_; }
    SettingsFile& Settings() { return settings_; }
    FileListView& Files() { return *files_; }
    const FileListView& Files() const { return *files_; }
    OutputOptions& Options() { return *options_; }
    UpdateCheckView& UpdateChecks() { return *updateCheck_; }
    ConversionSession& Conversion() { return *conversion_; }
    // The folder most recently chosen or loaded, shared by the file list and the target folder.
    const std::wstring& LastFolder() const { return lastFolder_; }

    // ---- Controls of the window itself ----
    HWND ToolBar() const { return toolBar_.Handle(); }
    HWND Splitter() const { return splitter_.Handle(); }
    HWND ConvertButton() const;
    HWND ProgressBarHandle() const;
    HWND StatusBarHandle() const { return statusBar_.Handle(); }
    HMENU Menu() const { return mainMenu_; }

    // ---- Commands and state ----
    // Runs the handler of a menu or tool-button command.
    void RunCommand(int command);
    bool IsMenuChecked(int command) const;
    void SetMenuChecked(int command, bool checked);
    std::wstring StatusText() const { return statusBar_.Text(); }
    void Layout();
    // Lays the window out in a message of its own, soon: for when the progress bar comes or goes
    // at a run's start or end, so that resizing the list (tens of milliseconds with a scroll bar)
    // and starting or ending the run do not hold the window together.
    void RequestLayout();
    // "Convert" starts a run; during a run the button reads "Stop" and stops it.
    void OnConvert();
    bool ConversionRunning() const;
    // Jobs at once: 0 for "Automatic" (one per logical processor).
    unsigned SimultaneousConversions() const;
    // Ends the program; a conversion run in progress is stopped first, once the user has agreed.
    void RequestExit();
    // True once this window has asked the program to end.
    bool EndRequested() const { return endRequested_; }
    // The program's exit status: 1 for a command-line start that did not convert its file.
    int ExitStatus() const;

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<MainWindow>;
    void OnCreate();
    void CreateControls();
    void CreateMenus();
    void OnDpiChanged();
    void ApplyStoredSettings();
    // Every menu of the window, the drop-down and context menus included: a command is found in one.
    std::array<HMENU, 4> Menus() const;
    void OnSplitterDrag(int clientX);
    // Ends the message loop after the current message.
    void EndProgram();

    bool ConfirmStopRunning(const wchar_t* question);
    // Switches a Settings item on or off and stores it.
    void ToggleSwitch(int command);
    // The output options with the Settings menu's switches.
    OutputChoice CurrentChoice() const;
    void ResetToDefaults();
    void SetSimultaneousConversions(int command);
    void CheckSimultaneousConversionsItem();
    void OpenFeedback();
    void OpenAbout();
    void OpenOnlineHelp();

    ProgramInfo program_;
    std::wstring commandLine_;
    std::wstring lastFolder_;
    SettingsFile settings_;
    std::unique_ptr<FileListView> files_;
    std::unique_ptr<OutputOptions> options_;
    std::unique_ptr<UpdateCheckView> updateCheck_;
    std::unique_ptr<ConversionSession> conversion_;
    bool endRequested_ = false;
    int optionPanelWidth_ = 238;  // at 96 DPI; the splitter changes it
    SIZE minimumClient_{};        // at the window's DPI, found by the layout
    RECT laidOutPanel_{};         // where the layout last put the option panel, at this DPI
    UINT laidOutDpi_ = 0;
    int panelBottom_ = 0;  // below the panel's last control
    bool layoutRequested_ = false;
    std::wstring startupError_;
    corvana::ToolBar toolBar_;
    corvana::Splitter splitter_;
    StatusBar statusBar_;
    HMENU mainMenu_ = nullptr;
    UniqueHfont font_, convertFont_;
    UniqueHimagelist smallImages_, largeImages_;
    std::vector<UniqueHbitmap> menuBitmaps_;
    UniqueHaccel accelerators_;
    UniqueHicon iconBig_, iconSmall_;
};

}  // namespace corvana
