#include "conversion/conversion_engine.h"

#include <algorithm>
#include <utility>

#include "common/paths.h"
#include "common/temporary_output.h"
#include "common/text.h"
#include "conversion/ffmpeg_command.h"

namespace corvana {

namespace {
// An exception's text (UTF-8 from the program's own errors, else taken byte by byte).
std::wstring WidenMessage(std::string_view text) {
    if (auto wide = DecodeUtf8(text)) return *wide;
    std::wstring wide;
    for (unsigned char c : text) wide.push_back(c);
    return wide;
}
}  // namespace

unsigned EffectiveConcurrency(unsigned setting) {
    if (setting != 0) return setting;
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors;
}

unsigned ParseSimultaneousConversions(std::wstring_view stored) {
    for (unsigned choice : kSimultaneousChoices)
        if (stored == std::to_wstring(choice)) return choice;
    return 0;
}

ConversionEngine::ConversionEngine(ProcessRunner& runner, JobFiles& files, std::function<void()> wake,
                                   std::wstring tokenPrefix, ThreadStarter startThread)
    : runner_(runner),
      files_(files),
      wake_(std::move(wake)),
      tokenPrefix_(std::move(tokenPrefix)),
      startThread_(startThread ? std::move(startThread)
                               : [](std::function<void()> body) { return std::thread(std::move(body)); }) {}

ConversionEngine::~ConversionEngine() {
    StopAndWait();
}

void ConversionEngine::StopAndWait() {
    queue_.clear();
    if (running_) stopping_ = true;
    for (auto& [id, job] : jobs_) job->stop = true;
    EndWorkers();
}

void ConversionEngine::EndWorkers() {
    for (auto& worker : workers_) {
        {
            std::lock_guard lock(worker->lock);
            worker->quit = true;
        }
        worker->handed.notify_one();
    }
    for (auto& worker : workers_)
        if (worker->thread.joinable()) worker->thread.join();
    workers_.clear();
    for (auto& [id, job] : jobs_) job->worker = nullptr;  // its result may still wait to be taken
}

void ConversionEngine::Hand(Job& job) {
    const auto idle = std::find_if(workers_.begin(), workers_.end(), [](const auto& w) { return w->idle; });
    Worker* worker = idle != workers_.end() ? idle->get() : nullptr;
    if (!worker) {
        auto fresh = std::make_unique<Worker>();
        fresh->thread = startThread_([this, raw = fresh.get()] { WorkerLoop(*raw); });
        worker = workers_.emplace_back(std::move(fresh)).get();
    }
    worker->idle = false;
    job.worker = worker;
    {
        std::lock_guard lock(worker->lock);
        worker->next = &job;
    }
    worker->handed.notify_one();
}

void ConversionEngine::WorkerLoop(Worker& worker) {
    for (;;) {
        Job* job;
        {
            std::unique_lock lock(worker.lock);
            worker.handed.wait(lock, [&] { return worker.next || worker.quit; });
            if (!worker.next) return;
            job = std::exchange(worker.next, nullptr);
        }
        RunOne(*job);
    }
}

void ConversionEngine::RunOne(Job& job) {
    JobResult result;
    // Whatever breaks inside a job ends that job, never the program.
    try {
        result = RunJob(job.ticket, runner_, files_, job.stop, [this, &job](int percent) {
            Post(Report{job.ticket.id, percent, std::nullopt});
        });
    } catch (const std::exception& e) {
        if (files_.FileExists(job.ticket.temporary)) files_.Delete(job.ticket.temporary);
        result = {JobOutcome::Failed, L"", {L"The conversion broke off: " + WidenMessage(e.what())}};
    }
    // The last the worker does with the job: once the owner has its result, the job is gone.
    Post(Report{job.ticket.id, std::nullopt, std::move(result)});
}

void ConversionEngine::Start(std::vector<uint64_t> rows, JobPlanner& planner, unsigned concurrency) {
    if (running_) return;
    planner_ = &planner;
    queue_.assign(rows.begin(), rows.end());
    concurrency_ = EffectiveConcurrency(concurrency);
    running_ = true;
    stopping_ = false;
    finished_ = 0;
    tidiedFolders_.clear();
    // Started (or at once ended) jobs are reported through TakeEvents like every other change.
    AskToLookAtTheQueue();
}

void ConversionEngine::Add(uint64_t row) {
    if (!running_ || stopping_) return;
    queue_.push_back(row);
    AskToLookAtTheQueue();
}

void ConversionEngine::SetConcurrency(unsigned concurrency) {
    concurrency_ = EffectiveConcurrency(concurrency);
    if (running_) AskToLookAtTheQueue();
}

void ConversionEngine::Stop() {
    if (!running_) return;
    stopping_ = true;
    queue_.clear();
    for (auto& [id, job] : jobs_) job->stop = true;
    AskToLookAtTheQueue();
}

void ConversionEngine::Post(Report report) {
    bool first;
    {
        std::lock_guard lock(reportsLock_);
        first = reports_.empty();
        reports_.push_back(std::move(report));
    }
    // One wake for a batch of reports: the owner takes them all at once.
    if (first && wake_) wake_();
}

// A report of no job: it only makes the owner call TakeEvents, which starts what may start.
void ConversionEngine::AskToLookAtTheQueue() {
    Post(Report{0, std::nullopt, std::nullopt});
}

bool ConversionEngine::NameTaken(const std::wstring& path) const {
    if (files_.FileExists(path)) return true;
    // File names on Windows ignore the letter case.
    for (const auto& [id, job] : jobs_)
        if (EqualsIgnoreAsciiCase(job->ticket.output, path)) return true;
    return false;
}

// What a crashed or killed instance left behind: its temporary files, which it can no longer
// finish or remove. A running instance's files, and every other file, stay.
void ConversionEngine::RemoveStaleTemporaries(const std::wstring& folder) {
    if (!tidiedFolders_.insert(AsciiLowerCase(folder)).second) return;
    for (const std::wstring& name : files_.FileNamesIn(folder)) {
        const auto owner = TemporaryOutputOwner(name);
        if (owner && !runner_.IsRunning(*owner)) files_.Delete(WithTrailingBackslash(folder) + name);
    }
}

void ConversionEngine::StartJobs(std::vector<EngineEvent>& events) {
    while (!stopping_ && jobs_.size() < concurrency_ && !queue_.empty()) {
        const uint64_t id = queue_.front();
        queue_.pop_front();
        if (jobs_.count(id)) continue;  // queued again while its job runs: that job converts it
        std::optional<PlannedJob> plan = planner_->Plan(id);
        if (!plan) continue;  // the row was removed before its job started

        auto job = std::make_unique<Job>();
        JobTicket& ticket = job->ticket;
        ticket.id = id;
        ticket.source = plan->source;
        ticket.parameters = plan->parameters;
        ticket.normalize = plan->normalize;
        ticket.replaceExisting = plan->replaceExisting;
        ticket.hungAfter = hungJobLimit_;
        if (plan->skip) {
            ++finished_;
            JobResult result{JobOutcome::Skipped, plan->output, {}};
            events.push_back(EngineEvent{EngineEvent::Kind::Finished, id, plan->source, std::nullopt, result, false});
            continue;
        }
        events.push_back(EngineEvent{EngineEvent::Kind::Started, id, plan->source, std::nullopt, {}, false});

        std::wstring failure = plan->failure;
        if (failure.empty() && !plan->outputFolder.empty()) {
            if (const auto why = files_.CreateFolder(plan->outputFolder))
                failure = L"The folder " + plan->outputFolder + L" could not be created: " + *why;
        }
        if (!failure.empty()) {
            ++finished_;
            JobResult result{JobOutcome::Failed, L"", {failure}};
            events.push_back(EngineEvent{EngineEvent::Kind::Finished, id, plan->source, std::nullopt, result, false});
            continue;
        }
        RemoveStaleTemporaries(FolderOf(plan->output));
        // Names are reserved in queue order, counting those that running jobs hold.
        ticket.output = plan->replaceExisting
                            ? plan->output
                            : UniqueOutputName(plan->output, [this](const std::wstring& p) { return NameTaken(p); });
        ++jobCounter_;
        for (unsigned n = 0;; ++n) {
            ticket.temporary = TemporaryOutputPath(
                ticket.output, tokenPrefix_ + std::to_wstring(jobCounter_) + (n ? L"-" + std::to_wstring(n) : L""));
            if (!files_.FileExists(ticket.temporary)) break;
        }

        Job& handed = *job;
        jobs_.emplace(id, std::move(job));
        try {
            Hand(handed);
        } catch (const std::exception& e) {
            // No thread, no job: the row fails at once and the run goes on without it.
            jobs_.erase(id);
            ++finished_;
            JobResult result{
                JobOutcome::Failed, L"", {L"The conversion could not be started: " + WidenMessage(e.what())}};
            events.push_back(EngineEvent{EngineEvent::Kind::Finished, id, plan->source, std::nullopt, result, false});
        }
    }
}

double ConversionEngine::WorkDone() const {
    double done = static_cast<double>(finished_);
    for (const auto& [id, job] : jobs_) done += job->percent / 100.0;
    return done;
}

std::vector<EngineEvent> ConversionEngine::TakeEvents() {
    std::vector<Report> reports;
    {
        std::lock_guard lock(reportsLock_);
        reports.swap(reports_);
    }
    std::vector<EngineEvent> events;
    for (auto& report : reports) {
        if (report.id == 0) continue;  // only asks for the queue to be looked at
        const auto it = jobs_.find(report.id);
        if (it == jobs_.end()) continue;
        if (!report.result) {
            if (report.percent) it->second->percent = *report.percent;
            // Only the latest progress of a job is worth showing.
            if (!events.empty() && events.back().kind == EngineEvent::Kind::Progress && events.back().id == report.id)
                events.back().percent = report.percent;
            else
                events.push_back(EngineEvent{
                    EngineEvent::Kind::Progress, report.id, it->second->ticket.source, report.percent, {}, false});
            continue;
        }
        if (Worker* worker = it->second->worker) worker->idle = true;
        ++finished_;
        JobResult result = std::move(*report.result);
        // A job that had already given its file its name when Stop came is done, not stopped.
        events.push_back(EngineEvent{EngineEvent::Kind::Finished, report.id, it->second->ticket.source, std::nullopt,
                                     result, false});
        jobs_.erase(it);
    }
    if (running_) {
        StartJobs(events);
        if (jobs_.empty() && queue_.empty()) {
            EndWorkers();
            running_ = false;
            planner_ = nullptr;  // the owner may let it go now
            events.push_back(EngineEvent{EngineEvent::Kind::RunEnded, 0, L"", std::nullopt, {}, stopping_});
            stopping_ = false;
        }
    }
    return events;
}

}  // namespace corvana
