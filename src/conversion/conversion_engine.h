// The conversion engine: a queue of rows converted by several FFmpeg jobs at once, each on a
// worker thread, with output names reserved in queue order, progress, and stop.
//
// The engine belongs to one thread, its owner (the window's thread): every method is called
// there. Jobs run on the engine's worker threads (as many as jobs run at once, kept until the
// run ends: starting a thread costs a good part of a short job) and only leave reports; the
// engine calls `wake` (from any thread, a job's included) when reports are waiting, and the owner
// then calls TakeEvents, which handles them, starts the next jobs and returns what the owner
// should show, in order. `wake` must return at once and never wait for the owner (posting a
// message does): a job that calls it may be the one the owner is waiting for.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "conversion/conversion_job.h"

namespace corvana {

// What a row's job will be, decided when the job starts (the options of that moment).
struct PlannedJob {
    std::wstring source;  // absolute
    std::wstring output;  // absolute; made unique by the engine unless replaceExisting
    std::wstring parameters;
    bool normalize = false;
    bool replaceExisting = false;
    std::wstring outputFolder;  // created (with its parents) before the job, when not empty
    std::wstring failure;       // not empty: the job fails at once with this line
    bool skip = false;          // the output is there already: no job runs, the row is Skipped
};

// Asked by the engine, on the owner's thread, when a row's job is about to start.
class JobPlanner {
public:
    virtual ~JobPlanner() = default;
    // Empty when the row is gone: its job is skipped.
    virtual std::optional<PlannedJob> Plan(uint64_t id) = 0;
};

struct EngineEvent {
    enum class Kind {
        Started,   // id, source
        Progress,  // id, percent (empty while the duration is unknown)
        Finished,  // id, result
        RunEnded,  // stopped
    };
    Kind kind = Kind::Started;
    uint64_t id = 0;
    std::wstring source;
    std::optional<int> percent;
    JobResult result;
    bool stopped = false;
};

// "Automatic" (0) means one job per logical processor.
unsigned EffectiveConcurrency(unsigned setting);

// The numbers of jobs at once that a user can choose besides "Automatic".
inline constexpr unsigned kSimultaneousChoices[] = {1, 2, 3, 4, 6, 8, 12, 16};
// A stored "SimultaneousConversions" value: one of the choices, else 0 ("Automatic"), also for
// anything missing or malformed.
unsigned ParseSimultaneousConversions(std::wstring_view stored);

class ConversionEngine {
public:
    // Starts a worker thread running the function; throws what std::thread throws when no thread
    // can be started.
    using ThreadStarter = std::function<std::thread(std::function<void()>)>;

    // tokenPrefix tells this program's temporary files apart from another instance's (see
    // TemporaryTokenPrefix). startThread is for the tests; by default a std::thread.
    ConversionEngine(ProcessRunner& runner, JobFiles& files, std::function<void()> wake, std::wstring tokenPrefix,
                     ThreadStarter startThread = nullptr);
    // Stops the run and waits for its jobs.
    ~ConversionEngine();
    ConversionEngine(const ConversionEngine&) = delete;
    ConversionEngine& operator=(const ConversionEngine&) = delete;

    // Starts a run over the rows (ids, never 0) in order; at most `concurrency` jobs at once
    // (0: automatic). Does nothing while a run is going.
    void Start(std::vector<uint64_t> rows, JobPlanner& planner, unsigned concurrency);
    // A row added during the run is converted in it.
    void Add(uint64_t row);
    void SetConcurrency(unsigned concurrency);
    // Ends every running job and drops the rest of the queue; RunEnded follows once the jobs
    // have ended.
    void Stop();
    // Stops as Stop does and returns only once every job has ended and removed its temporary
    // file: for when the program is about to be ended (Windows is shutting down).
    void StopAndWait();
    // How long a job's FFmpeg may show no sign of life (kHungJobLimit unless a test shortens it).
    void SetHungJobLimit(std::chrono::milliseconds limit) { hungJobLimit_ = limit; }

    bool Running() const { return running_; }
    bool Stopping() const { return stopping_; }
    size_t RunningJobs() const { return jobs_.size(); }
    size_t FinishedJobs() const { return finished_; }
    // The run's work done, in jobs: the finished ones and the running ones' fractions.
    double WorkDone() const;

    std::vector<EngineEvent> TakeEvents();

private:
    struct Worker;
    struct Job {
        JobTicket ticket;
        int percent = 0;  // the latest progress reported; the owner's
        std::atomic<bool> stop{false};
        Worker* worker = nullptr;  // the one running it
    };
    // Runs the jobs it is handed, one after another, until it is told to quit.
    struct Worker {
        std::thread thread;
        std::mutex lock;
        std::condition_variable handed;
        Job* next = nullptr;  // handed by the owner, taken by the worker
        bool quit = false;
        bool idle = true;  // the owner's: its last job's result has been taken
    };
    struct Report {
        uint64_t id;                 // 0: no job's report (AskToLookAtTheQueue)
        std::optional<int> percent;  // a progress report when result is empty
        std::optional<JobResult> result;
    };

    void StartJobs(std::vector<EngineEvent>& events);
    // Hands the job to an idle worker, or to a new one; throws when no thread can be started.
    void Hand(Job& job);
    void WorkerLoop(Worker& worker);
    void RunOne(Job& job);
    // Tells every worker to quit once its job (if any) has ended, and waits for them.
    void EndWorkers();
    void Post(Report report);
    void AskToLookAtTheQueue();
    bool NameTaken(const std::wstring& path) const;
    void RemoveStaleTemporaries(const std::wstring& folder);

    ProcessRunner& runner_;
    JobFiles& files_;
    std::function<void()> wake_;
    std::wstring tokenPrefix_;
    ThreadStarter startThread_;
    std::chrono::milliseconds hungJobLimit_ = kHungJobLimit;

    JobPlanner* planner_ = nullptr;
    std::deque<uint64_t> queue_;
    std::map<uint64_t, std::unique_ptr<Job>> jobs_;
    std::vector<std::unique_ptr<Worker>> workers_;
    unsigned concurrency_ = 1;
    bool running_ = false;
    bool stopping_ = false;
    size_t finished_ = 0;
    uint64_t jobCounter_ = 0;
    std::set<std::wstring> tidiedFolders_;  // this run's output folders, in lower case

    std::mutex reportsLock_;
    std::vector<Report> reports_;
};

}  // namespace corvana
