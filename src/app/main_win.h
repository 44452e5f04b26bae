// MainWindow: the main window. It owns the program-wide values (the settings store, the captured
// FFmpeg output, the scan list, the FFmpeg parameters) and every control of the window; the
// command handlers live beside their subsystem (conversion/, filelist/, options/, maker/).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "conversion/conversion_engine.h"
#include "filelist/file_list_model.h"
#include "win/handles_win.h"
#include "win/window_base_win.h"

namespace corvana {

// Control identifiers (also how another process or a test finds a control).
enum ControlId : int {
    IDC_ToolBar = 100,
    IDC_FileList,
    IDC_FormatLabel,
    IDC_FormatBox,
    IDC_AudioSettingsButton,
    IDC_NormalizeCheck,
    IDC_TargetFolderLabel,
    IDC_UseSourceFolderCheck,
    IDC_TargetFolderEdit,
    IDC_TargetFolderButton,
    IDC_ConvertButton,
    IDC_StatusBar,
    IDC_ProgressBar,
    IDC_Splitter,
};

// Menu and tool-button commands.
enum CommandId : int {
    CMD_Clear = 1000,
    CMD_AddFiles,
    CMD_AddFolder,
    CMD_Exit,
    CMD_ShowErrorDetails,
    CMD_ResetToDefaults,
    CMD_OnlineHelp,
    CMD_UpdateNotifications,
    CMD_SendFeedback,
    CMD_About,
    CMD_Open,
    CMD_ShowFileInExplorer,
    CMD_RemoveFromList,
    CMD_SendToRecycleBin,
    CMD_SelectAll,
    CMD_Properties,
    CMD_ChangeTargetFolder,
    CMD_ShowTargetFolder,
    CMD_AudioSettings,
    CMD_RememberAudioSettings,
    CMD_ToolAddFiles,
    CMD_ToolAddFolder,
    CMD_ToolFeedback,
    CMD_ToolAbout,
    CMD_ToolHelp,
    // "Simultaneous Conversions": "Automatic", then one item per number of jobs.
    CMD_SimultaneousAutomatic = 1100,
    CMD_SimultaneousFirst,  // 1, 2, 3, 4, 6, 8, 12, 16 in order
    CMD_SimultaneousLast = CMD_SimultaneousFirst + std::size(kSimultaneousChoices) - 1,
};

// The number of jobs of a "Simultaneous Conversions" item after "Automatic".
inline unsigned SimultaneousChoice(int command) { return kSimultaneousChoices[command - CMD_SimultaneousFirst]; }

enum TimerId : UINT_PTR { UpdateCheckTimer = 1, CommandLineTimer = 2 };

struct UpdateCheckState;
class UpdateNotice;

inline constexpr const wchar_t* kMainWindowClass = L"TAppForm";
inline constexpr const wchar_t* kSettingsSection = L"Settings";

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
    std::wstring SettingsFolder;
    IniStore SettingsStore;
    std::vector<std::wstring> ScanList;
    std::wstring FFmpegParameters;
    std::wstring LastFolder;
    std::wstring DefaultDestination;

    // ---- Controls ----
    HWND toolBar = nullptr, fileListView = nullptr, formatLabel = nullptr, formatBox = nullptr, audioSettingsButton = nullptr,
         normalizeCheck = nullptr, targetFolderLabel = nullptr, useSourceFolderCheck = nullptr, targetFolderEdit = nullptr, targetFolderButton = nullptr,
         convertButton = nullptr, statusBar = nullptr, progressBar = nullptr, splitter = nullptr, splitButtonHints = nullptr;
    HMENU mainMenu = nullptr, fileListMenu = nullptr, targetFolderMenu = nullptr, audioSettingsMenu = nullptr;

    // ---- Settings ----
    std::wstring SettingsPath() const { return SettingsFolder + L"settings.ini"; }
    // Writes one key of section "Settings" and flushes the file at once, unless "Reset to
    // Defaults..." has handed the file over to the new instance: this one then keeps its options
    // in memory only.
    void WriteSetting(const wchar_t* key, const std::wstring& value);
    bool SettingsHandedOver = false;
    void FlushSettings();

    // ---- Small accessors shared by the handlers ----
    bool IsMenuChecked(int command) const;
    void SetMenuChecked(int command, bool checked);
    void SetMenuEnabled(int command, bool enabled);
    void SetStatusText(const std::wstring& text);
    std::wstring StatusText() const;
    UINT Dpi() const { return dpi_; }
    int Scale(int value) const { return MulDiv(value, static_cast<int>(dpi_), 96); }
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
    // The rows of fileListView (a virtual list view that shows this model); the control keeps the
    // selection. After changing rows outside AddFile, call FileListChanged.
    FileListModel FileList;
    void AddFile(const std::wstring& isim);
    void AddFolderContents(const std::wstring& klasor);
    void ScanFolder(const std::wstring& folder);
    LRESULT FileListItemData(NMLVDISPINFOW& info);
    // Tells fileListView the model's row count and repaints it.
    void FileListChanged();
    void AddFilesFromDialog();
    void AddFolderFromDialog();
    void ClearList();
    void RemoveSelected();
    void SelectAll();
    void OpenSelected();
    void ShowSelectedInExplorer();
    void RecycleSelected();
    void ShowSelectedProperties();
    LRESULT OnColumnClick(const NMLISTVIEW& info);
    LRESULT OnFileListKeyDown(const NMLVKEYDOWN& info);
    void OnDropFiles(HDROP drop);
    void AllowDragDrop();
    // Sort state: the first click on "File" sorts from high to low, as if the unsorted list had
    // been sorted by "File" from low to high. Sorted mode itself is FileList.IsSorted().
    bool Descending = false;
    int SortedColumn = 0;
    // Sorts the rows by SortedColumn and Descending and enters sorted mode; the selection stays
    // with its rows.
    void SortFileList();
    // Unselects every item of fileListView, also where very many are selected.
    void ClearFileListSelection();
    // The captions of the selected items, first to last.
    std::vector<std::wstring> SelectedCaptions() const;
    // Removes every item whose caption equals one of the paths exactly, in one pass.
    void RemoveItemsByPath(const std::vector<std::wstring>& paths);
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
    void OnUpdateCheckTimer();
    void ToggleUpdateNotifications();
    void OpenFeedback();
    void OpenAbout();
    void OpenOnlineHelp();
    // Update check: started on the first UpdateCheckTimer tick, collected on the first tick after it ends.
    bool CheckerStarted = false;
    std::shared_ptr<UpdateCheckState> UpdateCheck;
    std::wstring UpdateCheckEndpoint;  // host and path the check asks; empty: CheckEndpoint
    std::shared_ptr<UpdateNotice> UpdateNoticeWindow;   // the new-version notice, created at most once per run

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<MainWindow>;
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    void ApplyDpiResources();
    void ApplyStoredSettings();
    void ShowPopupBelow(HWND button, HMENU menu);
    LRESULT OnNotify(const NMHDR& header);
    void OnCommand(int id, int code, HWND control);
    void OnSplitterDrag(int clientX);

    void CheckSimultaneousConversionsItem();

    std::unique_ptr<ConversionSession> conversion_;
    bool endRequested_ = false;
    UINT dpi_ = 96;
    int optionPanelWidth_ = 238;  // at 96 DPI; the splitter changes it
    bool settingEditSilently_ = false;
    std::wstring startupError_;
    UniqueHfont font_, convertFont_;
    UniqueHimagelist smallImages_, largeImages_, convertImages_, folderImages_, toolsImages_;
    std::vector<UniqueHbitmap> menuBitmaps_;
    UniqueHaccel accelerators_;
    UniqueHicon iconBig_, iconSmall_;
};

// Small-image indexes of the list of the list view and menus.
enum SmallImage : int { ImgFileSound = 0 };

}  // namespace corvana
