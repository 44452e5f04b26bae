// TAppForm: the main window. It owns the program-wide values (the settings store, the captured
// FFmpeg output, the scan list, the FFmpeg parameters) and every control of the window; the
// command handlers live beside their subsystem (conversion/, filelist/, options/, vendor/).
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
    IDC_ToolBar1 = 100,
    IDC_ListView1,
    IDC_Label1,
    IDC_ComboBox1,
    IDC_Button3,
    IDC_CheckBoxVolume,
    IDC_Label2,
    IDC_CheckBoxSource,
    IDC_Edit1,
    IDC_Button2,
    IDC_Button1,
    IDC_StatusBar1,
    IDC_ProgressBar1,
    IDC_Splitter1,
};

// Menu and tool-button commands.
enum CommandId : int {
    CMD_Clear1 = 1000,
    CMD_AddFile1,
    CMD_AddFolder1,
    CMD_Exit1,
    CMD_ShowErrorDetails1,
    CMD_ResettoDefaults1,
    CMD_Help2,
    CMD_UpdateNotifications1,
    CMD_SendFeedback1,
    CMD_About1,
    CMD_Open1,
    CMD_ShowinExplorer1,
    CMD_RemovefromList1,
    CMD_SendtoRecycleBin1,
    CMD_SelectAll1,
    CMD_Properties1,
    CMD_ChangeDirectory1,
    CMD_ShowinExplorer2,
    CMD_AudioSettings1,
    CMD_RememberAudioSettings1,
    CMD_ToolButton3,
    CMD_ToolButton1,
    CMD_ToolButton7,
    CMD_ToolButton2,
    CMD_ToolButton4,
    // "Simultaneous Conversions": "Automatic", then one item per number of jobs.
    CMD_SimultaneousAutomatic = 1100,
    CMD_SimultaneousFirst,  // 1, 2, 3, 4, 6, 8, 12, 16 in order
    CMD_SimultaneousLast = CMD_SimultaneousFirst + std::size(kSimultaneousChoices) - 1,
};

// The number of jobs of a "Simultaneous Conversions" item after "Automatic".
inline unsigned SimultaneousChoice(int command) { return kSimultaneousChoices[command - CMD_SimultaneousFirst]; }

enum TimerId : UINT_PTR { TimerChecker = 1, TimerParam = 2 };

struct UpdateCheckState;
class TNewVer;

inline constexpr const wchar_t* kMainWindowClass = L"TAppForm";
inline constexpr const wchar_t* kSettingsSection = L"Settings";

class TFormAudioSettings;
class ConversionSession;
// Deletes an "Audio Settings" window; defined beside it so this header needs only its name.
struct AudioSettingsDeleter {
    void operator()(TFormAudioSettings* form) const;
};

class TAppForm : public BaseWindow<TAppForm> {
public:
    // programPath: the program file whose folder and version record start-up uses (tests pass a
    // copy of the built program in a temporary folder).
    explicit TAppForm(std::wstring programPath = {});
    ~TAppForm() override;

    // Creates the window (running FormCreate); show it with Show().
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
    std::wstring OpenDialogFilter;

    // ---- Controls ----
    HWND ToolBar1 = nullptr, ListView1 = nullptr, Label1 = nullptr, ComboBox1 = nullptr, Button3 = nullptr,
         CheckBoxVolume = nullptr, Label2 = nullptr, CheckBoxSource = nullptr, Edit1 = nullptr, Button2 = nullptr,
         Button1 = nullptr, StatusBar1 = nullptr, ProgressBar1 = nullptr, Splitter1 = nullptr, Hints = nullptr;
    HMENU MainMenu1 = nullptr, PopupMenu1 = nullptr, PopupMenu2 = nullptr, PopupMenu3 = nullptr;

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
    void FormCreate();

    // ---- Handlers, by subsystem ----
    // Application shell
    void Exit1Click();
    // Conversion
    // "Convert" starts a run; during a run the button reads "Stop" and stops it.
    void Button1Click();
    void TimerParamTimer();
    bool ConversionRunning() const;
    // Jobs at once: 0 for "Automatic" (one per logical processor).
    unsigned SimultaneousConversions = 0;
    void SimultaneousConversionsClick(int command);
    // Ends the program; a conversion run in progress is stopped first.
    void RequestExit();
    // The program's exit status: 1 after a failed command-line conversion.
    int ExitStatus() const;
    // File list
    // The rows of ListView1 (a virtual list view that shows this model); the control keeps the
    // selection. After changing rows outside Ekle, call FileListChanged.
    FileListModel FileList;
    void Ekle(const std::wstring& isim);
    void KlasorYukle(const std::wstring& klasor);
    void ScanFolder(const std::wstring& folder);
    LRESULT ListView1Data(NMLVDISPINFOW& info);
    // Tells ListView1 the model's row count and repaints it.
    void FileListChanged();
    void AddFile1Click();
    void AddFolder1Click();
    void Clear1Click();
    void RemovefromList1Click();
    void SelectAll1Click();
    void Open1Click();
    void ShowinExplorer1Click();
    void SendtoRecycleBin1Click();
    void Properties1Click();
    LRESULT ListView1ColumnClick(const NMLISTVIEW& info);
    LRESULT ListView1KeyDown(const NMLVKEYDOWN& info);
    void FormDropFiles(HDROP drop);
    void AllowDragDrop();
    // Sort state: the first click on "File" sorts from high to low, as if the unsorted list had
    // been sorted by "File" from low to high. Sorted mode itself is FileList.IsSorted().
    bool Descending = false;
    int SortedColumn = 0;
    // Sorts the rows by SortedColumn and Descending and enters sorted mode; the selection stays
    // with its rows.
    void SortFileList();
    // Unselects every item of ListView1, also where very many are selected.
    void ClearFileListSelection();
    // The captions of the selected items, first to last.
    std::vector<std::wstring> SelectedCaptions() const;
    // Removes every item whose caption equals one of the paths exactly, in one pass.
    void RemoveItemsByPath(const std::vector<std::wstring>& paths);
    // Output and audio options
    void Edit1Change();
    void CheckBoxSourceClick();
    void Button2Click();
    void Button3Click();
    void ChangeDirectory1Click();
    void ShowinExplorer2Click();
    void AudioSettings1Click();
    void RememberAudioSettings1Click();
    void ShowErrorDetails1Click();
    void ResettoDefaults1Click();
    void ChangeMyFolder(const std::wstring& foldername);
    // Every "Audio Settings" window opened so far; closed ones are only hidden.
    std::vector<std::unique_ptr<TFormAudioSettings, AudioSettingsDeleter>> AudioSettingsForms;
    // Vendor services
    void TimerCheckerTimer();
    void UpdateNotifications1Click();
    void SendFeedback1Click();
    void About1Click();
    void Help2Click();
    // Update check: started on the first TimerChecker tick, collected on the first tick after it ends.
    bool CheckerStarted = false;
    std::shared_ptr<UpdateCheckState> UpdateCheck;
    std::wstring UpdateCheckEndpoint;  // host and path the check asks; empty: CheckEndpoint
    std::shared_ptr<TNewVer> NewVer;   // the new-version notice, created at most once per run
    // Forwarding handlers
    void ToolButton3Click() { RunCommand(CMD_AddFile1); }
    void ToolButton1Click() { RunCommand(CMD_AddFolder1); }
    void ToolButton4Click() { RunCommand(CMD_Help2); }
    void ToolButton7Click() { SendFeedback1Click(); }
    void ToolButton2Click() { About1Click(); }

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    friend class BaseWindow<TAppForm>;
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
    UINT dpi_ = 96;
    int panel4Width_ = 238;  // at 96 DPI; the splitter changes it
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
