#include "engine_phases_win.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>

#include "bench_timing.h"
#include "common/paths.h"
#include "common/temporary_output.h"
#include "conversion/console_runner_win.h"
#include "conversion/conversion_engine.h"
#include "conversion/ffmpeg_command.h"

namespace corvana::bench {

namespace {

// The moments of one job, each noted on the job's own thread.
struct JobMoments {
    double threadRunning = 0, started = 0, firstOutput = 0, ended = 0, named = 0;
};

class Moments {
public:
    // A job's thread asks for its files first: that begins its moments.
    JobMoments& OfThisThread() {
        std::lock_guard lock(lock_);
        std::vector<JobMoments>& moments = byThread_[GetCurrentThreadId()];
        if (moments.empty() || moments.back().started) moments.emplace_back().threadRunning = Now();
        return moments.back();
    }
    JobMoments& LatestOfThisThread() {
        std::lock_guard lock(lock_);
        return byThread_[GetCurrentThreadId()].back();
    }
    std::vector<JobMoments> All() {
        std::lock_guard lock(lock_);
        std::vector<JobMoments> all;
        for (auto& [thread, moments] : byThread_) all.insert(all.end(), moments.begin(), moments.end());
        return all;
    }

private:
    std::mutex lock_;
    std::map<DWORD, std::vector<JobMoments>> byThread_;
};

class TimedRunner : public ProcessRunner {
public:
    TimedRunner(ProcessRunner& real, Moments& moments) : real_(real), moments_(moments) {}
    Outcome Run(const std::wstring& commandLine, const std::function<void(std::string_view)>& onOutput,
                const std::function<bool()>& shouldEnd) override {
        JobMoments& job = moments_.OfThisThread();
        job.started = Now();
        if (!job.threadRunning) job.threadRunning = job.started;
        Outcome outcome = real_.Run(
            commandLine,
            [&](std::string_view bytes) {
                if (!job.firstOutput) job.firstOutput = Now();
                onOutput(bytes);
            },
            shouldEnd);
        job.ended = Now();
        return outcome;
    }
    std::wstring Decode(std::string_view bytes) const override { return real_.Decode(bytes); }
    bool IsRunning(uint32_t processId) const override { return real_.IsRunning(processId); }

private:
    ProcessRunner& real_;
    Moments& moments_;
};

class TimedFiles : public WindowsJobFiles {
public:
    explicit TimedFiles(Moments& moments, DWORD owner) : moments_(moments), owner_(owner) {}
    bool FileExists(const std::wstring& path) const override {
        if (GetCurrentThreadId() != owner_) moments_.OfThisThread();
        return WindowsJobFiles::FileExists(path);
    }
    std::optional<std::wstring> Rename(const std::wstring& from, const std::wstring& to, bool replace) override {
        auto failure = WindowsJobFiles::Rename(from, to, replace);
        moments_.LatestOfThisThread().named = Now();
        return failure;
    }

private:
    Moments& moments_;
    DWORD owner_;
};

class MP3Planner : public JobPlanner {
public:
    MP3Planner(const std::vector<std::wstring>& files, std::wstring folder)
        : files_(files), folder_(std::move(folder)) {}
    std::optional<PlannedJob> Plan(uint64_t id) override {
        PlannedJob job;
        job.source = files_[id - 1];
        job.outputFolder = folder_;
        job.output = ComposeOutputPath(folder_, BaseName(job.source), OutputExtension(L"MP3"));
        return job;
    }

private:
    const std::vector<std::wstring>& files_;
    std::wstring folder_;
};

}  // namespace

EnginePhases TimeEnginePhases(const std::wstring& programFolder, const std::vector<std::wstring>& files,
                              const std::wstring& outputFolder, unsigned concurrency) {
    Moments moments;
    ConsoleProcessRunner realRunner(programFolder);
    TimedRunner runner(realRunner, moments);
    const DWORD owner = GetCurrentThreadId();
    TimedFiles jobFiles(moments, owner);
    constexpr UINT kWake = WM_APP + 77;
    ConversionEngine engine(
        runner, jobFiles, [owner] { PostThreadMessageW(owner, kWake, 0, 0); },
        TemporaryTokenPrefix(GetCurrentProcessId()));
    MP3Planner planner(files, outputFolder);
    std::vector<uint64_t> rows;
    for (size_t i = 1; i <= files.size(); ++i) rows.push_back(i);

    EnginePhases phases;
    std::vector<double> takes;
    const double start = Now();
    engine.Start(rows, planner, concurrency);
    for (bool ended = false; !ended;) {
        MSG msg;
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        if (msg.hwnd || msg.message != kWake) {
            DispatchMessageW(&msg);
            continue;
        }
        const double taking = Now();
        takes.push_back(taking);
        for (const EngineEvent& event : engine.TakeEvents()) {
            if (event.kind == EngineEvent::Kind::RunEnded) ended = true;
            if (event.kind == EngineEvent::Kind::Finished && event.result.outcome == JobOutcome::Converted)
                ++phases.converted;
        }
        phases.taking.push_back(Now() - taking);
    }
    phases.seconds = Now() - start;

    std::vector<JobMoments> jobs = moments.All();
    std::vector<double> starts, reports;
    for (const JobMoments& job : jobs) {
        starts.push_back(job.threadRunning);
        phases.checking.push_back(job.started - job.threadRunning);
        if (job.firstOutput) {
            phases.untilFirstOutput.push_back(job.firstOutput - job.started);
            phases.converting.push_back(job.ended - job.firstOutput);
        }
        if (job.named) {
            phases.naming.push_back(job.named - job.ended);
            reports.push_back(job.named);
        }
    }
    // The k-th report frees the slot that the job started after the first `concurrency` takes.
    std::sort(starts.begin(), starts.end());
    std::sort(reports.begin(), reports.end());
    for (size_t k = 0; k < reports.size() && k + concurrency < starts.size(); ++k) {
        const auto taken = std::lower_bound(takes.begin(), takes.end(), reports[k]);
        if (taken == takes.end()) continue;
        phases.untilTaken.push_back(*taken - reports[k]);
        phases.untilThreadRuns.push_back(starts[k + concurrency] - *taken);
    }
    return phases;
}

}  // namespace corvana::bench
