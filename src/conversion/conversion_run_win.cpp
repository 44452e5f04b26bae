// The conversion run behind "Convert": the engine converts the rows on threads of its own, while
// the window stays usable; the window shows each job's progress and result as they come.
#include "conversion/conversion_run_win.h"

#include <windowsx.h>

#include "common/app_error.h"
#include "common/temporary_output.h"
#include "common/text.h"
#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "conversion/output_folders.h"
#include "resource.h"
#include "win/application_win.h"
#include "win/command_ids.h"
#include "win/details_dialog_win.h"
#include "win/gdi_win.h"
#include "win/images_win.h"
#include "win/message_dialog_win.h"
#include "win/system_win.h"

namespace corvana {

// A row's job as the options stand when it starts: format, target folder or source folder,
// parameters and normalisation are read then, so a change applies to the jobs that follow.
class ConversionSession::ListPlanner : public JobPlanner {
public:
    ListPlanner(const FileListModel& rows, std::function<OutputChoice()> currentChoice)
        : rows_(rows), currentChoice_(std::move(currentChoice)) {}
    std::optional<PlannedJob> Plan(uint64_t id) override {
        const FileItem* row = rows_.Find(id);
        if (!row) return std::nullopt;
        const OutputChoice choice = currentChoice_();
        PlannedJob job;
        // Made absolute once, so that the existence test, the naming, the folder and FFmpeg all
        // mean the same file.
        job.source = AbsolutePath(row->caption);
        if (choice.useSourceFolder) {
            job.outputFolder = FolderOf(job.source);
        } else {
            if (choice.targetFolder.empty()) job.failure = L"No target folder is set.";
            job.outputFolder = AbsolutePath(choice.targetFolder);
            // A row found by adding a folder goes where it lay below that folder.
            if (choice.keepFolderStructure && row->addedFrom && job.failure.empty())
                job.outputFolder =
                    StructuredOutputFolder(job.outputFolder, AbsolutePath(*row->addedFrom), FolderOf(job.source));
        }
        job.output = ComposeOutputPath(job.outputFolder, BaseName(job.source), OutputExtension(choice.format));
        job.parameters = choice.parameters;
        job.normalize = choice.normalize;
        // Converted in an earlier run: the output under its plain name is whole and up to date.
        job.skip = choice.skipConverted && job.failure.empty() && !EqualsIgnoreAsciiCase(job.output, job.source) &&
                   FileUpToDate(job.output, job.source);
        return job;
    }

private:
    const FileListModel& rows_;
    std::function<OutputChoice()> currentChoice_;
};

class ConversionSession::CommandLinePlanner : public JobPlanner {
public:
    CommandLinePlanner(std::function<OutputChoice()> currentChoice, std::wstring input, std::wstring output)
        : currentChoice_(std::move(currentChoice)), input_(std::move(input)), output_(std::move(output)) {}
    std::optional<PlannedJob> Plan(uint64_t) override {
        const OutputChoice choice = currentChoice_();
        PlannedJob job;
        job.source = input_;
        job.output = output_;
        job.outputFolder = FolderOf(output_);  // created with its parents, as for the list
        job.replaceExisting = true;
        job.parameters = choice.parameters;
        job.normalize = choice.normalize;
        return job;
    }

private:
    std::function<OutputChoice()> currentChoice_;
    std::wstring input_, output_;
};

ConversionSession::ConversionSession(Parts parts)
    : parts_(std::move(parts)),
      runner_(parts_.programFolder),
      engine_(
          runner_, files_, [hwnd = parts_.window] { PostMessageW(hwnd, WM_APP_CONVERSION, 0, 0); },
          TemporaryTokenPrefix(GetCurrentProcessId())) {}

ConversionSession::~ConversionSession() {
    if (runStateTimer_) KillTimer(parts_.window, runStateTimer_);
    if (taskbar_) taskbar_->Release();
}

void ConversionSession::CreateControls() {
    convertButton_.Create(parts_.window, IDC_ConvertButton, L"Convert");
    convertButton_.onClick = [this] { OnConvert(); };
    progress_.Create(parts_.window, IDC_ProgressBar);
}

void ConversionSession::OnDpiChanged(UINT dpi, HFONT font) {
    convertButton_.SetFont(font);
    convertImages_.reset(CreateButtonImageList(IDI_TICK_BUTTON, ScaleForDpi(16, dpi)));
    stopImages_.reset(CreateButtonImageList(IDI_STOP_BUTTON, ScaleForDpi(16, dpi)));
    buttonMargin_ = ScaleForDpi(5, dpi);
    ShowButtonPicture();
}

void ConversionSession::ShowButtonPicture() {
    // The list's greyed entry shows while the button waits for the jobs to end after Stop.
    SetButtonPicture(convertButton_.Handle(), Running() ? stopImages_.get() : convertImages_.get(),
                     BUTTON_IMAGELIST_ALIGN_LEFT, buttonMargin_);
}

void ConversionSession::SetConcurrency(unsigned setting) {
    concurrency_ = setting;
    engine_.SetConcurrency(setting);
}

void ConversionSession::OnConvert() {
    if (pendingStart_) {
        // Stopped before its first job: the run ends here.
        pendingStart_.reset();
        EndRun(true);
        return;
    }
    if (engine_.Running()) {
        if (!engine_.Stopping()) {
            engine_.Stop();
            // Until the jobs have ended; then the button reads "Convert" again.
            EnableWindow(convertButton_.Handle(), FALSE);
        }
        return;
    }
    FileListModel& list = parts_.rows;
    if (list.Empty()) {
        ShowMessage(L"Please add files!", MessageKind::Warning, L"WARNING", parts_.window);
        return;
    }
    const OutputChoice choice = parts_.currentChoice();
    if (!choice.useSourceFolder && choice.targetFolder.empty()) throw AppError(L"Unable to create directory");

    list.ClearResults();
    parts_.redrawRows(0, list.Count() - 1);
    std::vector<uint64_t> rows;
    rows.reserve(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) rows.push_back(list.At(i).id);
    commandLineRun_ = false;
    planner_ = std::make_unique<ListPlanner>(parts_.rows, parts_.currentChoice);
    StartRun(std::move(rows), *planner_, list.Count());
}

void ConversionSession::ConvertCommandLine(const std::wstring& input, const std::wstring& output) {
    if (Running()) return;
    commandLineRun_ = true;
    commandLineOk_ = false;
    planner_ = std::make_unique<CommandLinePlanner>(parts_.currentChoice, input, output);
    // The job is no row's: the command line's run shows its outcome in the status bar only.
    StartRun({1}, *planner_, 1);
}

void ConversionSession::StartRun(std::vector<uint64_t> rows, JobPlanner& planner, size_t total) {
    total_ = total;
    workShown_ = 0;
    runOutputs_.clear();
    Application::SetBusyCursor(true);
    progress_.Start(total * kProgressSteps);
    parts_.layout();
    SetWindowTextW(convertButton_.Handle(), L"Stop");
    EnableWindow(convertButton_.Handle(), TRUE);
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
    if (taskbar_) taskbar_->SetProgressState(parts_.window, TBPF_NORMAL);
    // The jobs start once the window has laid itself out (a message already waiting) and painted:
    // started now, the FFmpeg starts would hold that painting up several times over (under Wine
    // they keep the system busy), and the window would not answer meanwhile.
    pendingStart_ = PendingStart{std::move(rows), &planner};
    PostMessageW(parts_.window, WM_APP_CONVERSION_START, 0, 0);
    ShowButtonPicture();
}

void ConversionSession::OnStart() {
    if (!pendingStart_) return;  // stopped meanwhile
    PendingStart start = std::move(*pendingStart_);
    pendingStart_.reset();
    RedrawWindow(parts_.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    engine_.Start(std::move(start.rows), *start.planner, concurrency_);
}

void ConversionSession::RowAdded(uint64_t id) {
    if (commandLineRun_) return;
    if (pendingStart_)
        pendingStart_->rows.push_back(id);
    else if (engine_.Running())
        engine_.Add(id);
}

void ConversionSession::RequestExit() {
    if (!Running()) {
        parts_.endProgram();
        return;
    }
    exitWhenStopped_ = true;
    if (pendingStart_ || !engine_.Stopping()) OnConvert();
}

void ConversionSession::EndSession() {
    pendingStart_.reset();
    engine_.StopAndWait();
}

void ConversionSession::OnEngineReports() {
    for (const EngineEvent& event : engine_.TakeEvents()) Show(event);
    if (engine_.Running()) ScheduleRunState();
    ShowPendingDetails();
}

// The status line, the bar and a changed row paint themselves when they change, which costs
// milliseconds each under Wine, taken from the jobs: during a run they show the latest state at
// most every kRunStateInterval, a timer showing what the last reports left. The rows' texts are
// in the list at once; only their painting waits.
void ConversionSession::ScheduleRunState() {
    if (runStateTimer_) return;
    const ULONGLONG now = GetTickCount64();
    if (now - runStateShown_ >= kRunStateInterval) {
        ShowRunState();
        return;
    }
    const auto wait = static_cast<UINT>(kRunStateInterval - (now - runStateShown_));
    // The timer is this session's: its address names it, and its procedure is called directly.
    runStateTimer_ = SetTimer(parts_.window, reinterpret_cast<UINT_PTR>(this), wait, OnRunStateTimer);
    if (!runStateTimer_) ShowRunState();
}

void CALLBACK ConversionSession::OnRunStateTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    auto* session = reinterpret_cast<ConversionSession*>(id);
    session->runStateTimer_ = 0;
    if (session->engine_.Running()) session->ShowRunState();
}

void ConversionSession::ShowRunState() {
    runStateShown_ = GetTickCount64();
    // The status line and the bar each paint at once when they change, under Wine for 5-30 ms:
    // one of them a turn, so that no turn holds the window long, and the other at the next.
    // The finished jobs and the running ones' fractions, in thousandths of a job.
    const auto work = static_cast<uint64_t>(engine_.WorkDone() * kProgressSteps);
    const bool progressBehind = work > workShown_;
    if (runStatus_ && (statusTurn_ || !progressBehind)) {
        parts_.status.SetText(*runStatus_);
        runStatus_.reset();
        statusTurn_ = false;
    } else {
        ShowProgress(work);
        statusTurn_ = true;
    }
    RedrawChangedRows();
    if (runStatus_ || (!statusTurn_ && progressBehind)) ScheduleRunState();
}

void ConversionSession::ShowRowText(uint64_t id, const std::wstring& text) {
    if (!commandLineRun_ && parts_.rows.SetResult(id, text)) changedRows_.insert(id);
}

void ConversionSession::RedrawChangedRows() {
    // The span from the first changed row to the last: the list repaints only the rows in view.
    std::optional<size_t> first, last;
    for (const uint64_t id : changedRows_)
        if (const auto position = parts_.rows.PositionOf(id)) {
            first = std::min(first.value_or(*position), *position);
            last = std::max(last.value_or(*position), *position);
        }
    changedRows_.clear();
    if (first) parts_.redrawRows(*first, *last);
}

bool ConversionSession::IsRunOutput(const std::wstring& path) const {
    return !runOutputs_.empty() && runOutputs_.count(AsciiLowerCase(AbsolutePath(path))) != 0;
}

void ConversionSession::ShowProgress(uint64_t work) {
    // Never back.
    if (work <= workShown_) return;
    workShown_ = std::min<uint64_t>(work, total_ * kProgressSteps);
    progress_.SetPosition(workShown_);
    if (taskbar_) taskbar_->SetProgressValue(parts_.window, workShown_, std::max<uint64_t>(total_ * kProgressSteps, 1));
}

void ConversionSession::Show(const EngineEvent& event) {
    switch (event.kind) {
        case EngineEvent::Kind::Started:
            runStatus_ = L"Processing " + event.source + L"...";
            ShowRowText(event.id, L"Converting");
            break;
        case EngineEvent::Kind::Progress:
            ShowRowText(event.id, event.percent ? std::to_wstring(*event.percent) + L"%" : L"Converting");
            break;
        case EngineEvent::Kind::Finished:
            ShowRowText(event.id, OutcomeText(event.result.outcome));
            if (event.result.outcome == JobOutcome::Converted || event.result.outcome == JobOutcome::Skipped)
                runOutputs_.insert(AsciiLowerCase(event.result.output));
            if (commandLineRun_) commandLineOk_ = event.result.outcome == JobOutcome::Converted;
            if (event.result.outcome == JobOutcome::Failed && parts_.showErrorDetails())
                pendingDetails_.push_back(ErrorDetailsText(event.source, event.result.log));
            break;
        case EngineEvent::Kind::RunEnded: EndRun(event.stopped); break;
    }
}

void ConversionSession::EndRun(bool stopped) {
    // The run's last word is the status line's.
    if (runStateTimer_) KillTimer(parts_.window, runStateTimer_);
    runStateTimer_ = 0;
    runStatus_.reset();
    RedrawChangedRows();
    SetWindowTextW(convertButton_.Handle(), L"Convert");
    EnableWindow(convertButton_.Handle(), TRUE);
    ShowButtonPicture();
    runOutputs_.clear();
    progress_.Hide();
    parts_.layout();
    Application::SetBusyCursor(false);
    if (taskbar_) taskbar_->SetProgressState(parts_.window, TBPF_NOPROGRESS);
    planner_.reset();

    // Only a finished conversion ends the command line's start with 0, however the run ended.
    if (commandLineRun_) exitStatus_ = commandLineOk_ ? 0 : 1;
    if (exitWhenStopped_) {
        parts_.endProgram();
        return;
    }
    if (commandLineRun_) {
        if (commandLineOk_) {
            parts_.endProgram();
        } else {
            // The program stays open; closing it then tells a script that the conversion failed.
            parts_.status.SetText(OutcomeText(stopped ? JobOutcome::Stopped : JobOutcome::Failed));
        }
        return;
    }
    if (stopped) {
        parts_.status.SetText(OutcomeText(JobOutcome::Stopped));
    } else {
        parts_.status.SetText(L"Completed");
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
        if (parts_.showErrorDetails()) ShowDetailsDialog(text, L"ERROR", parts_.window);
    }
}

}  // namespace corvana
