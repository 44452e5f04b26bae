// MainWindow: the main window. It creates the subsystems' objects (the settings, the file list,
// the conversion run, the update check), lays out their controls and routes messages to them. It
// still holds the output options' controls and handlers itself (options/), and the program-wide
// values they share.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/settings_file_win.h"
#include "conversion/conversion_engine.h"
#include "filelist/file_list_view_win.h"
#include "maker/check_win.h"
#include "win/handles_win.h"
#include "win/window_base_win.h"

namespace corvana {

enum TimerId : UINT_PTR { UpdateCheckTimer = 1, CommandLineTimer = 2 };

inline constexpr const wchar_t* kMainWindowClass = L"TAppForm";

class AudioSettingsDialog;
class ConversionSession;
// Deletes an "Audio Settings" window; defined beside it so this header needs only its name.
struct AudioSettingsDeleter {
    void operator()(AudioSettingsDialog* form) const;
};

class MainWindow : public BaseWindow<MainWindow> {
public:
    // programPath: the program file whose folder and version record start-up uses (tests pass a
    // copy of the built program in a temporary folder).
    explicit MainWindow(std::wstring programPath = {});
    ~MainWindow() override;

    // Creates the window (running OnCreate); show it with Show().
    void Create();
    void Show(int showCommand = SW_SHOWNORMAL);

    // ---- Program-wide values ----
    std::wstring ProgramPath;
    std::wstring CommandLine;  // the process's command line; tests replace it before Create()
    std::wstring CompanyName, ProductName, AppCaption, AppVersion;
    std::wstring FFmpegParameters;
    std::wstring LastFolder;
    std::wstring DefaultDestination;

    // ---- Controls ----
    HWND toolBar = nullptr, formatLabel = nullptr, formatBox = nullptr, audioSettingsButton = nullptr,
         normalizeCheck = nullptr, targetFolderLabel = nullptr, useSourceFolderCheck = nullptr,
         targetFolderEdit = nullptr, targetFolderButton = nullptr, convertButton = nullptr, statusBar = nullptr,
         progressBar = nullptr, splitter = nullptr, splitButtonHints = nullptr;
    HMENU mainMenu = nullptr, targetFolderMenu = nullptr, audioSettingsMenu = nullptr;

    // ---- Settings ----
    SettingsFile& Settings() { return settings_; }

    // ---- Small accessors shared by the handlers ----
    bool IsMenuChecked(int command) const;
    void SetMenuChecked(int command, bool checked);
    void SetMenuEnabled(int command, bool enabled);
    void SetStatusText(const std::wstring& text);
    std::wstring StatusText() const;
    // Runs the handler of a menu or tool-button command.
    void RunCommand(int command);
    void Layout();

    // ---- Start-up ----
    void OnCreate();

    // ---- Handlers, by subsystem ----
    // Application shell
    void Exit();
    // Conversion
    // "Convert" starts a run; during a run the button reads "Stop" and stops it.
    void OnConvert();
    void HandleCommandLine();
    bool ConversionRunning() const;
    // Jobs at once: 0 for "Automatic" (one per logical processor).
    unsigned SimultaneousConversions = 0;
    void SimultaneousConversionsClick(int command);
    // Ends the program; a conversion run in progress is stopped first.
    void RequestExit();
    // Ends the message loop after the current message.
    void EndProgram();
    // True once this window has asked the program to end.
    bool EndRequested() const { return endRequested_; }
    // The program's exit status: 1 after a failed command-line conversion.
    int ExitStatus() const;
    // File list
    FileListView& Files() { return *files_; }
    const FileListView& Files() const { return *files_; }
    // Output and audio options
    void OnTargetFolderChanged();
    void OnUseSourceFolderClick();
    void OnTargetFolderButton();
    void OnAudioSettingsButton();
    void ChangeTargetFolder();
    void ShowTargetFolder();
    void OpenAudioSettings();
    void ToggleRememberAudioSettings();
    void ToggleShowErrorDetails();
    void ResetToDefaults();
    void SetTargetFolder(const std::wstring& foldername);
    // Every "Audio Settings" window opened so far; closed ones are only hidden.
    std::vector<std::unique_ptr<AudioSettingsDialog, AudioSettingsDeleter>> AudioSettingsDialogs;
    // Vendor services
    UpdateCheckView& UpdateChecks() { return *updateCheck_; }
    void OpenFeedback();
    void OpenAbout();
    void OpenOnlineHelp();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<MainWindow>;
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    void OnDpiChanged();
    void ApplyStoredSettings();
    void ShowPopupBelow(HWND button, HMENU menu);
    LRESULT OnNotify(const NMHDR& header);
    void OnCommand(int id, int code, HWND control);
    void OnSplitterDrag(int clientX);

    void CheckSimultaneousConversionsItem();

    SettingsFile settings_;
    std::unique_ptr<FileListView> files_;
    std::unique_ptr<UpdateCheckView> updateCheck_;
    std::unique_ptr<ConversionSession> conversion_;
    bool endRequested_ = false;
    int optionPanelWidth_ = 238;  // at 96 DPI; the splitter changes it
    bool settingEditSilently_ = false;
    std::wstring startupError_;
    UniqueHfont font_, convertFont_;
    UniqueHimagelist smallImages_, largeImages_, convertImages_, folderImages_, toolsImages_;
    std::vector<UniqueHbitmap> menuBitmaps_;
    UniqueHaccel accelerators_;
    UniqueHicon iconBig_, iconSmall_;
};

}  // namespace corvana
