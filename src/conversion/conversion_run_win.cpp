// The conversion run behind "Convert": the engine converts the rows on threads of its own, while
// the window stays usable; the window shows each job's progress and result as they come.
#include "conversion/conversion_run_win.h"

#include <windowsx.h>

#include "win/message_dialog_win.h"
#include "app/main_win.h"
#include "common/app_error.h"
#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "win/system_win.h"

namespace corvana {

// A row's job as the options stand when it starts: format, target folder or source folder,
// parameters and normalisation are read then, so a change applies to the jobs that follow.
class ConversionSession::ListPlanner : public JobPlanner {
public:
    explicit ListPlanner(MainWindow& form) : form_(form) {}
    std::optional<PlannedJob> Plan(uint64_t id) override {
        const FileItem* row = form_.Files().Rows().Find(id);
        if (!row) return std::nullopt;
        PlannedJob job;
        // Made absolute once, so that the existence test, the naming, the folder and FFmpeg all
        // mean the same file.
        job.source = AbsolutePath(row->caption);
        const std::wstring extension = OutputExtension(GetWindowTextString(form_.formatBox));
        if (Button_GetCheck(form_.useSourceFolderCheck) == BST_CHECKED) {
            job.outputFolder = FolderOf(job.source);
        } else {
            const std::wstring target = GetWindowTextString(form_.targetFolderEdit);
            if (target.empty()) job.failure = L"No target folder is set.";
            job.outputFolder = AbsolutePath(target);
        }
        job.output = ComposeOutputPath(job.outputFolder, BaseName(job.source), extension);
        job.parameters = form_.FFmpegParameters;
        job.normalize = Button_GetCheck(form_.normalizeCheck) == BST_CHECKED;
        return job;
    }

private:
    MainWindow& form_;
};

class ConversionSession::CommandLinePlanner : public JobPlanner {
public:
    CommandLinePlanner(MainWindow& form, std::wstring input, std::wstring output)
        : form_(form), input_(std::move(input)), output_(std::move(output)) {}
    std::optional<PlannedJob> Plan(uint64_t) override {
        PlannedJob job;
        job.source = input_;
        job.output = output_;
        job.outputFolder = FolderOf(output_);  // created with its parents, as for the list
        job.replaceExisting = true;
        job.parameters = form_.FFmpegParameters;
        job.normalize = Button_GetCheck(form_.normalizeCheck) == BST_CHECKED;
        return job;
    }

private:
    MainWindow& form_;
    std::wstring input_, output_;
};

ConversionSession::ConversionSession(MainWindow& form)
    : form_(form),
      runner_(FolderOf(form.ProgramPath)),
      engine_(
          runner_, files_, [hwnd = form.Handle()] { PostMessageW(hwnd, WM_APP_CONVERSION, 0, 0); },
          L"Corvana-" + std::to_wstring(GetCurrentProcessId()) + L"-") {}

ConversionSession::~ConversionSession() {
    if (taskbar_) taskbar_->Release();
}

void ConversionSession::SetConcurrency(unsigned setting) {
    engine_.SetConcurrency(setting);
}

void ConversionSession::OnConvert() {
    if (engine_.Running()) {
        if (!engine_.Stopping()) {
            engine_.Stop();
            // Until the jobs have ended; then the button reads "Convert" again.
            EnableWindow(form_.convertButton, FALSE);
        }
        return;
    }
    if (form_.Files().Rows().Empty()) {
        ShowMessage(L"Please add files!", MessageKind::Warning, L"WARNING", form_.Handle());
        return;
    }
    if (Button_GetCheck(form_.useSourceFolderCheck) != BST_CHECKED &&
        GetWindowTextString(form_.targetFolderEdit).empty())
        throw AppError(L"Unable to create directory");

    form_.Files().Rows().ClearResults();
    InvalidateRect(form_.Files().Handle(), nullptr, FALSE);
    std::vector<uint64_t> rows;
    rows.reserve(form_.Files().Rows().Count());
    for (size_t i = 0; i < form_.Files().Rows().Count(); ++i) rows.push_back(form_.Files().Rows().At(i).id);
    commandLineRun_ = false;
    planner_ = std::make_unique<ListPlanner>(form_);
    StartRun(std::move(rows), *planner_, form_.Files().Rows().Count());
}

void ConversionSession::ConvertCommandLine(const std::wstring& input, const std::wstring& output) {
    if (engine_.Running()) return;
    commandLineRun_ = true;
    commandLineOk_ = false;
    planner_ = std::make_unique<CommandLinePlanner>(form_, input, output);
    // The job is no row's: the command line's run shows its outcome in the status bar only.
    StartRun({1}, *planner_, 1);
}

void ConversionSession::StartRun(std::vector<uint64_t> rows, JobPlanner& planner, size_t total) {
    total_ = total;
    Application::SetBusyCursor(true);
    ShowWindow(form_.progressBar, SW_SHOW);
    form_.Layout();
    SendMessageW(form_.progressBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
    SendMessageW(form_.progressBar, PBM_SETPOS, 0, 0);
    SetWindowTextW(form_.convertButton, L"Stop");
    EnableWindow(form_.convertButton, TRUE);
    if (!taskbar_) {
        // Without a taskbar that shows progress (older systems, some shells) the run simply
        // goes without it.
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&taskbar_)))) {
            taskbar_ = nullptr;
        } else if (FAILED(taskbar_->HrInit())) {
            taskbar_->Release();
            taskbar_ = nullptr;
        }
    }
    if (taskbar_) taskbar_->SetProgressState(form_.Handle(), TBPF_NORMAL);
    engine_.Start(std::move(rows), planner, form_.SimultaneousConversions);
}

void ConversionSession::RowAdded(uint64_t id) {
    if (engine_.Running() && !commandLineRun_) engine_.Add(id);
}

void ConversionSession::RequestExit() {
    if (!engine_.Running()) {
        form_.EndProgram();
        return;
    }
    exitWhenStopped_ = true;
    if (!engine_.Stopping()) OnConvert();
}

void ConversionSession::OnEngineReports() {
    for (const EngineEvent& event : engine_.TakeEvents()) Show(event);
    ShowPendingDetails();
}

void ConversionSession::ShowRowText(uint64_t id, const std::wstring& text) {
    if (commandLineRun_ || !form_.Files().Rows().SetResult(id, text)) return;
    if (const auto position = form_.Files().Rows().PositionOf(id))
        ListView_RedrawItems(form_.Files().Handle(), static_cast<int>(*position), static_cast<int>(*position));
}

void ConversionSession::ShowProgress() {
    const size_t done = engine_.FinishedJobs();
    // One step past, then back: the bar shows the new position at once instead of easing to it.
    SendMessageW(form_.progressBar, PBM_SETPOS, static_cast<WPARAM>(done + 1), 0);
    SendMessageW(form_.progressBar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
    if (taskbar_) taskbar_->SetProgressValue(form_.Handle(), std::min(done, total_), std::max<size_t>(total_, 1));
}

void ConversionSession::Show(const EngineEvent& event) {
    switch (event.kind) {
        case EngineEvent::Kind::Started:
            form_.SetStatusText(L"Processing " + event.source + L"...");
            ShowRowText(event.id, L"Converting");
            break;
        case EngineEvent::Kind::Progress:
            ShowRowText(event.id, event.percent ? std::to_wstring(*event.percent) + L"%" : L"Converting");
            break;
        case EngineEvent::Kind::Finished:
            ShowRowText(event.id, event.result.word);
            ShowProgress();
            if (commandLineRun_) commandLineOk_ = event.result.word == kResultOK;
            if (event.result.word == kResultError && form_.IsMenuChecked(CMD_ShowErrorDetails))
                pendingDetails_.push_back(ErrorDetailsText(event.source, event.result.log));
            break;
        case EngineEvent::Kind::RunEnded: EndRun(event.stopped); break;
    }
}

void ConversionSession::EndRun(bool stopped) {
    SetWindowTextW(form_.convertButton, L"Convert");
    EnableWindow(form_.convertButton, TRUE);
    SetWindowLongPtrW(form_.progressBar, GWL_STYLE, GetWindowLongPtrW(form_.progressBar, GWL_STYLE) & ~PBS_MARQUEE);
    ShowWindow(form_.progressBar, SW_HIDE);
    form_.Layout();
    Application::SetBusyCursor(false);
    if (taskbar_) taskbar_->SetProgressState(form_.Handle(), TBPF_NOPROGRESS);
    planner_.reset();

    if (exitWhenStopped_) {
        form_.EndProgram();
        return;
    }
    if (commandLineRun_) {
        if (commandLineOk_) {
            form_.EndProgram();
        } else {
            // The program stays open; closing it then tells a script that the conversion failed.
            form_.SetStatusText(stopped ? kResultStopped : kResultError);
            exitStatus_ = 1;
        }
        return;
    }
    if (stopped) {
        form_.SetStatusText(kResultStopped);
    } else {
        form_.SetStatusText(L"Completed");
        MessageBeep(0);
    }
}

// One "ERROR" box at a time, in the order the jobs failed; the mark is read again before each,
// so switching "Show Error Details" off silences the ones still waiting.
void ConversionSession::ShowPendingDetails() {
    if (showingDetails_) return;
    showingDetails_ = true;
    const ScopeExit done([this] { showingDetails_ = false; });
    while (!pendingDetails_.empty()) {
        const std::wstring text = std::move(pendingDetails_.front());
        pendingDetails_.pop_front();
        if (form_.IsMenuChecked(CMD_ShowErrorDetails)) ShowMessage(text, MessageKind::Error, L"ERROR", form_.Handle());
    }
}

}  // namespace corvana
