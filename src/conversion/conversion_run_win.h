// The window's side of a conversion run: "Convert" and the progress bar; starts the engine over
// the list (or over the command line's one file), shows what it reports, stops it.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "conversion/console_runner_win.h"
#include "conversion/conversion_engine.h"
#include "filelist/file_list_model.h"
#include "options/output_choice.h"
#include "win/controls_win.h"
#include "win/handles_win.h"

namespace corvana {

// Posted to the main window when the engine has reports waiting, and when a run's jobs are to start.
inline constexpr UINT WM_APP_CONVERSION = WM_APP + 10;
inline constexpr UINT WM_APP_CONVERSION_START = WM_APP + 11;

class ConversionSession {
public:
    // What a run needs of the window and its other parts.
    struct Parts {
        HWND window = nullptr;                           // the engine's reports are posted to it; it owns the boxes
        std::wstring programFolder;                      // where ffmpeg.exe is looked for first
        FileListModel& rows;                             // the list's rows, which a run converts and marks
        std::function<void(size_t, size_t)> redrawRows;  // the rows from one position to another
        // The command line's files and folders go into the list through these: its one input, or
        // the files and folders it names, added together.
        std::function<void(const std::wstring&)> addFile;
        std::function<void(const std::vector<std::wstring>&)> addPaths;
        std::function<OutputChoice()> currentChoice;  // the output options of this moment
        StatusBar& status;
        std::function<void()> layout;            // the progress bar came or went
        std::function<void()> endProgram;        // the program is to end
        std::function<bool()> showErrorDetails;  // "Show Error Details" is on
    };
    explicit ConversionSession(Parts parts);
    ~ConversionSession();

    // Creates "Convert" and the progress bar in the window.
    void CreateControls();
    // The convert button's font and picture at the window's DPI.
    void OnDpiChanged(UINT dpi, HFONT font);
    HWND ConvertButton() const { return convertButton_.Handle(); }
    const ProgressBar& Progress() const { return progress_; }

    // "Convert": starts a run over the list; during a run the button reads "Stop" and stops it.
    void OnConvert();
    // The program's command line, once after start-up: "-input" and "-output" convert one file,
    // replacing the named output once whole; otherwise the files and folders named fill the list.
    void HandleCommandLine(const std::wstring& commandLine);
    // The command line's one job.
    void ConvertCommandLine(const std::wstring& input, const std::wstring& output);
    // The engine's reports, on the window's thread.
    void OnEngineReports();
    // The run's jobs start (a run starts them once the window has painted its new state).
    void OnStart();
    // A row added to the list during a run joins the run.
    void RowAdded(uint64_t id);
    // Ends the program; a run in progress is stopped first.
    void RequestExit();
    // Windows is ending the session: stops the run and returns once every job has ended and
    // removed its temporary file.
    void EndSession();
    // How long a job's FFmpeg may show no sign of life; for the tests.
    void SetHungJobLimit(std::chrono::milliseconds limit) { engine_.SetHungJobLimit(limit); }
    // Jobs at once: 0 for "Automatic" (one per logical processor).
    void SetConcurrency(unsigned setting);
    unsigned Concurrency() const { return concurrency_; }

    bool Running() const { return pendingStart_ || engine_.Running(); }
    // The path is an output of the run going on (letter case aside): a folder added meanwhile
    // does not take it for a source.
    bool IsRunOutput(const std::wstring& path) const;
    // The program's exit status: 0 after a start without arguments or after the command line's
    // conversion succeeded; 1 for every other ending of a command-line start (invalid arguments,
    // a missing input, a failed, stopped or abandoned conversion).
    int ExitStatus() const { return exitStatus_; }

private:
    class ListPlanner;
    class CommandLinePlanner;

    void StartRun(std::vector<uint64_t> rows, JobPlanner& planner, size_t total);
    void Show(const EngineEvent& event);
    void ShowRowText(uint64_t id, const std::wstring& text);
    void RedrawChangedRows();
    // The bar and the taskbar at this much work done, in thousandths of a job.
    void ShowProgress(uint64_t work);
    void ScheduleRunState();
    void ShowRunState();
    static void CALLBACK OnRunStateTimer(HWND window, UINT, UINT_PTR id, DWORD);
    // "Convert"'s check mark, or the stop picture during a run.
    void ShowButtonPicture();
    void EndRun(bool stopped);
    void ShowPendingDetails();

    Parts parts_;
    Button convertButton_;
    ProgressBar progress_;
    UniqueHimagelist convertImages_, stopImages_;
    int buttonMargin_ = 0;
    unsigned concurrency_ = 0;
    ConsoleProcessRunner runner_;
    WindowsJobFiles files_;
    ConversionEngine engine_;
    std::unique_ptr<JobPlanner> planner_;
    // A run whose jobs start at the next WM_APP_CONVERSION_START.
    struct PendingStart {
        std::vector<uint64_t> rows;
        JobPlanner* planner;
    };
    std::optional<PendingStart> pendingStart_;
    bool commandLineRun_ = false;
    bool commandLineOk_ = false;
    bool exitWhenStopped_ = false;
    int exitStatus_ = 0;
    size_t total_ = 0;
    // The progress bar counts thousandths of a job.
    static constexpr uint64_t kProgressSteps = 1000;
    uint64_t workShown_ = 0;
    // The status line and the bar during a run: at most every kRunStateInterval ms.
    static constexpr ULONGLONG kRunStateInterval = 250;
    std::optional<std::wstring> runStatus_;  // what the latest reports leave, not shown yet
    ULONGLONG runStateShown_ = 0;
    UINT_PTR runStateTimer_ = 0;
    bool statusTurn_ = true;             // the status line's turn to be shown, else the bar's
    std::set<uint64_t> changedRows_;     // rows whose text changed since they were last painted
    std::set<std::wstring> runOutputs_;  // the running run's, absolute, in lower case
    std::deque<std::wstring> pendingDetails_;
    bool showingDetails_ = false;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace corvana
