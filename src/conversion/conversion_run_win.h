// The window's side of a conversion run: starts the engine over the list (or over the command
// line's one file), shows what it reports, stops it.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "conversion/console_runner_win.h"
#include "conversion/conversion_engine.h"

namespace corvana {

class MainWindow;

// Posted to the main window when the engine has reports waiting.
inline constexpr UINT WM_APP_CONVERSION = WM_APP + 10;

class ConversionSession {
public:
    explicit ConversionSession(MainWindow& form);
    ~ConversionSession();

    // "Convert": starts a run over the list; during a run the button reads "Stop" and stops it.
    void OnConvert();
    // The command line's "-input"/"-output": one job that replaces the named output once whole.
    void ConvertCommandLine(const std::wstring& input, const std::wstring& output);
    // The engine's reports, on the window's thread.
    void OnEngineReports();
    // A row added to the list during a run joins the run.
    void RowAdded(uint64_t id);
    // Ends the program; a run in progress is stopped first.
    void RequestExit();
    void SetConcurrency(unsigned setting);

    bool Running() const { return engine_.Running(); }
    // 1 when the command line's conversion failed or was stopped: the program's exit status.
    int ExitStatus() const { return exitStatus_; }

private:
    class ListPlanner;
    class CommandLinePlanner;

    void StartRun(std::vector<uint64_t> rows, JobPlanner& planner, size_t total);
    void Show(const EngineEvent& event);
    void ShowRowText(uint64_t id, const std::wstring& text);
    void ShowProgress();
    void EndRun(bool stopped);
    void ShowPendingDetails();

    MainWindow& form_;
    ConsoleProcessRunner runner_;
    WindowsJobFiles files_;
    ConversionEngine engine_;
    std::unique_ptr<JobPlanner> planner_;
    bool commandLineRun_ = false;
    bool commandLineOk_ = false;
    bool exitWhenStopped_ = false;
    int exitStatus_ = 0;
    size_t total_ = 0;
    std::deque<std::wstring> pendingDetails_;
    bool showingDetails_ = false;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace corvana
