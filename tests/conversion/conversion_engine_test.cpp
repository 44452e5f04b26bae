#include "conversion/conversion_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <set>

#include "conversion/ffmpeg_command.h"
#include "support/fake_conversion.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace corvana::test {
namespace {

// Rows by id; each job goes to "C:\out" as MP3 (or beside its source), with the options of the
// moment it starts.
class TablePlanner : public JobPlanner {
public:
    std::map<uint64_t, std::wstring> rows;
    std::wstring folder = L"C:\\out";
    std::wstring extension = L".mp3";
    std::vector<uint64_t> planned;
    std::set<uint64_t> converted;  // rows whose outputs are there already

    std::optional<PlannedJob> Plan(uint64_t id) override {
        planned.push_back(id);
        const auto it = rows.find(id);
        if (it == rows.end()) return std::nullopt;
        PlannedJob job;
        job.source = it->second;
        job.outputFolder = folder;
        job.output = ComposeOutputPath(folder, BaseName(it->second), extension);
        job.skip = converted.count(id) != 0;
        return job;
    }
};

class Engine : public testing::Test {
protected:
    MemoryFiles files;
    FakeFFmpeg ffmpeg{files};
    TablePlanner planner;
    std::mutex m;
    std::condition_variable woken;
    bool wake = false;
    ConversionEngine::ThreadStarter startThread;  // a test's own, else a plain std::thread
    ConversionEngine engine{ffmpeg, files,
                            [this] {
                                std::lock_guard lock(m);
                                wake = true;
                                woken.notify_all();
                            },
                            L"T-",
                            [this](std::function<void()> body) {
                                return startThread ? startThread(std::move(body)) : std::thread(std::move(body));
                            }};
    std::vector<EngineEvent> events;
    uint64_t lastId = 0;

    // A source in "C:\in" and what FFmpeg does with it.
    struct Row {
        Row(const wchar_t* name, FakeBehaviour behaviour = FakeBehaviour::Converts)
            : name(name), behaviour(behaviour) {}
        const wchar_t* name;
        FakeBehaviour behaviour;
    };
    std::vector<uint64_t> AddRows(std::initializer_list<Row> rows) {
        std::vector<uint64_t> ids;
        for (const Row& row : rows) {
            const uint64_t id = ++lastId;
            planner.rows[id] = std::wstring(L"C:\\in\\") + row.name;
            files.Put(planner.rows[id], "source");
            ffmpeg.SetBehaviour(planner.rows[id], row.behaviour);
            ids.push_back(id);
        }
        return ids;
    }
    // Handles what the engine reports, as the window's thread would, until `done` holds.
    bool Pump(const std::function<bool()>& done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            std::unique_lock lock(m);
            if (!woken.wait_until(lock, until, [&] { return wake; })) return false;
            wake = false;
            lock.unlock();
            for (auto& e : engine.TakeEvents()) events.push_back(std::move(e));
        }
        return true;
    }
    bool RunToEnd() {
        return Pump([&] { return !events.empty() && events.back().kind == EngineEvent::Kind::RunEnded; });
    }
    std::map<uint64_t, std::wstring> Results() const {
        std::map<uint64_t, std::wstring> r;
        for (const auto& e : events)
            if (e.kind == EngineEvent::Kind::Finished) r[e.id] = OutcomeText(e.result.outcome);
        return r;
    }
    std::map<uint64_t, std::vector<std::wstring>> Logs() const {
        std::map<uint64_t, std::vector<std::wstring>> r;
        for (const auto& e : events)
            if (e.kind == EngineEvent::Kind::Finished) r[e.id] = e.result.log;
        return r;
    }
    std::map<uint64_t, std::wstring> Outputs() const {
        std::map<uint64_t, std::wstring> r;
        for (const auto& e : events)
            if (e.kind == EngineEvent::Kind::Finished) r[e.id] = e.result.output;
        return r;
    }
    std::vector<uint64_t> StartOrder() const {
        std::vector<uint64_t> r;
        for (const auto& e : events)
            if (e.kind == EngineEvent::Kind::Started) r.push_back(e.id);
        return r;
    }
    bool NoTemporaryFiles() const {
        for (const auto& name : files.Names())
            if (name.find(L"~T-") != std::wstring::npos) return false;
        return true;
    }
};

TEST_F(Engine, NamesAreReservedInListOrderCountingRunningJobs) {
    files.Put(L"C:\\out\\b.mp3", "the user's");
    // Four jobs held at once; the fifth waits for a slot. Names ignore the letter case.
    constexpr auto gate = FakeBehaviour::WaitsForGate;
    const auto ids =
        AddRows({{L"a.wav", gate}, {L"a.flac", gate}, {L"A.ogg", gate}, {L"b.wav", gate}, {L"a.mp3", gate}});
    engine.Start(ids, planner, 4);
    ASSERT_TRUE(Pump([&] { return engine.RunningJobs() == 4; }));
    ASSERT_TRUE(ffmpeg.WaitForRunning(4));
    ffmpeg.OpenGate();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Outputs(), (std::map<uint64_t, std::wstring>{{1, L"C:\\out\\a.mp3"},
                                                           {2, L"C:\\out\\a (2).mp3"},
                                                           {3, L"C:\\out\\A (3).mp3"},
                                                           {4, L"C:\\out\\b (2).mp3"},
                                                           {5, L"C:\\out\\a (4).mp3"}}));
    EXPECT_EQ(files.Read(L"C:\\out\\b.mp3"), "the user's");
    EXPECT_TRUE(NoTemporaryFiles());
    EXPECT_EQ(ffmpeg.Peak(), 4);
}

TEST_F(Engine, OneAtATimeRunsInListOrder) {
    const auto ids = AddRows({L"c.wav", L"a.wav", L"b.wav"});
    engine.Start(ids, planner, 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(StartOrder(), ids);
    EXPECT_EQ(ffmpeg.Peak(), 1);
    EXPECT_EQ(engine.FinishedJobs(), 3u);
    EXPECT_FALSE(events.back().stopped);
    // Started, at least one progress figure, then the result, for each job in turn.
    std::vector<EngineEvent::Kind> kinds;
    for (const auto& e : events)
        if (e.id == ids[0] && (kinds.empty() || kinds.back() != e.kind)) kinds.push_back(e.kind);
    EXPECT_EQ(kinds, (std::vector<EngineEvent::Kind>{EngineEvent::Kind::Started, EngineEvent::Kind::Progress,
                                                     EngineEvent::Kind::Finished}));
}

TEST_F(Engine, RowsRemovedBeforeTheirJobAreSkippedAndAddedRowsJoinTheRun) {
    const auto ids = AddRows({{L"1.wav", FakeBehaviour::WaitsForGate}, L"2.wav", L"3.wav"});
    engine.Start(ids, planner, 1);
    ASSERT_TRUE(Pump([&] { return engine.RunningJobs() == 1; }));
    planner.rows.erase(2);  // removed while the first job waits
    const auto added = AddRows({L"4.wav"});
    engine.Add(added[0]);
    ffmpeg.OpenGate();
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"OK"}, {3, L"OK"}, {4, L"OK"}}));
    EXPECT_EQ(planner.planned, (std::vector<uint64_t>{1, 2, 3, 4}));
}

TEST_F(Engine, RowsConvertedAlreadyAreSkippedWithoutAJobAndCountAsDone) {
    const auto ids = AddRows({L"a.wav", L"b.wav", L"c.wav"});
    planner.converted = {ids[0], ids[2]};
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Skipped"}, {2, L"OK"}, {3, L"Skipped"}}));
    EXPECT_EQ(StartOrder(), (std::vector<uint64_t>{2}));
    EXPECT_EQ(ffmpeg.Commands().size(), 1u);
    EXPECT_EQ(engine.FinishedJobs(), 3u);
    EXPECT_EQ(engine.WorkDone(), 3.0);
    EXPECT_EQ(files.Names().size(), 4u) << "the sources and b's output";
}

TEST_F(Engine, WorkDoneCountsTheRunningJobsFractions) {
    const auto ids = AddRows({{L"long.wav", FakeBehaviour::HangsUntilStopped}, L"short.wav"});
    engine.Start(ids, planner, 2);
    // The long job has said it is halfway (5 s of 10), the short one has finished.
    ASSERT_TRUE(Pump([&] {
        const bool halfway = std::any_of(events.begin(), events.end(), [&](const EngineEvent& e) {
            return e.kind == EngineEvent::Kind::Progress && e.id == ids[0] && e.percent == 50;
        });
        return halfway && engine.FinishedJobs() == 1;
    }));
    EXPECT_EQ(engine.WorkDone(), 1.5);
    engine.Stop();
    ASSERT_TRUE(RunToEnd());
}

// Stop reaches jobs in every state: running (tidy quit or deaf to it), waiting for a slot, and
// planned but blocked; none leaves a file, and nothing after it starts.
TEST_F(Engine, StopEndsRunningJobsDropsTheQueueAndLeavesNoFile) {
    const auto ids = AddRows({{L"a.wav", FakeBehaviour::HangsUntilStopped},
                              {L"b.wav", FakeBehaviour::IgnoresQuit},
                              {L"c.wav", FakeBehaviour::WaitsForGate},
                              L"later.wav"});
    engine.Start(ids, planner, 3);
    ASSERT_TRUE(Pump([&] { return engine.RunningJobs() == 3; }));
    ASSERT_TRUE(ffmpeg.WaitForRunning(3));
    engine.Stop();
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(events.back().stopped);
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Stopped"}, {2, L"Stopped"}, {3, L"Stopped"}}));
    EXPECT_EQ(StartOrder(), (std::vector<uint64_t>{1, 2, 3}));
    EXPECT_TRUE(NoTemporaryFiles());
    EXPECT_EQ(files.Names().size(), 4u) << "only the sources";

    // The engine is ready for the next run.
    events.clear();
    engine.Start({ids[3]}, planner, 0);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{4, L"OK"}}));
}

TEST_F(Engine, StopBeforeAnyReportEndsTheRunAtOnce) {
    const auto ids = AddRows({L"a.wav", L"b.wav"});
    engine.Start(ids, planner, 1);
    engine.Stop();
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(Results().empty());
    EXPECT_TRUE(events.back().stopped);
}

TEST_F(Engine, FailuresEndInErrorWithTheReason) {
    const auto ids = AddRows({{L"a.wav", FakeBehaviour::Fails}, {L"b.wav", FakeBehaviour::WritesEmpty}, L"fine.wav"});
    files.AddFolder(L"C:\\out\\fine.mp3");  // a folder has the output's name
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Error"}, {2, L"Error"}, {3, L"Error"}}));
    for (const auto& e : events) {
        if (e.kind != EngineEvent::Kind::Finished) continue;
        ASSERT_FALSE(e.result.log.empty());
        const std::wstring why = e.result.log.back();
        const std::map<uint64_t, std::wstring> expected = {{1, L"FFmpeg ended with exit status 1."},
                                                           {2, L"FFmpeg wrote an empty output file."},
                                                           {3, L"The output could not be named C:\\out\\fine.mp3"}};
        EXPECT_EQ(why.substr(0, expected.at(e.id).size()), expected.at(e.id)) << why;
    }
    EXPECT_TRUE(NoTemporaryFiles());
}

TEST_F(Engine, AFolderThatCannotBeCreatedFailsEachJobWithTheReason) {
    const auto ids = AddRows({L"a.wav", L"b.wav"});
    files.FailFolder(L"C:\\out");
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Error"}, {2, L"Error"}}));
    for (const auto& e : events) {
        if (e.kind != EngineEvent::Kind::Finished) continue;
        EXPECT_EQ(e.result.log,
                  std::vector<std::wstring>{L"The folder C:\\out could not be created: Access is denied."});
    }
    EXPECT_TRUE(ffmpeg.Commands().empty());
}

// A crashed instance's temporary files go before the first job in their folder; a running
// instance's files, look-alikes and other folders stay.
TEST_F(Engine, StaleTemporaryFilesOfEndedProcessesAreRemoved) {
    const std::vector<std::wstring> stale{L"C:\\out\\~Corvana-111-1.part.mp3", L"C:\\out\\~Corvana-111-2-1.part.mp3",
                                          L"C:\\out\\~Corvana-4000000000-9.part"};
    const std::vector<std::wstring> kept{L"C:\\out\\~Corvana-222-1.part.mp3",  // another instance runs
                                         L"C:\\out\\~Corvana-111-1.part.mp3.txt", L"C:\\out\\~Corvana-111.part.mp3",
                                         L"C:\\out\\Corvana-111-1.part.mp3",      L"C:\\out\\~Corvana-111-1.mp3",
                                         L"C:\\other\\~Corvana-111-1.part.mp3"};
    for (const auto& path : stale) files.Put(path, "partial");
    for (const auto& path : kept) files.Put(path, "keep");
    ffmpeg.SetRunningProcesses({222});
    engine.Start(AddRows({L"a.wav", L"b.wav"}), planner, 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"OK"}, {2, L"OK"}}));
    for (const auto& path : stale) EXPECT_FALSE(files.FileExists(path)) << path;
    for (const auto& path : kept) EXPECT_EQ(files.Read(path), "keep") << path;
}

TEST(TemporaryOutputName, OnlyTheProgramsOwnPatternNamesAnOwner) {
    const std::pair<const wchar_t*, std::optional<uint32_t>> cases[] = {
        {L"~Corvana-216-1.part.mp3", 216u},
        {L"D:\\music\\~Corvana-216-12-3.part.flac", 216u},
        {L"~Corvana-7-1.part", 7u},
        {L"~Corvana-4294967295-1.part.wv", 4294967295u},
        {L"~Corvana-4294967296-1.part.wv", std::nullopt},
        {L"~Corvana-216-1.part.mp3.bak", std::nullopt},
        {L"~Corvana-216.part.mp3", std::nullopt},
        {L"~Corvana--1.part.mp3", std::nullopt},
        {L"~Corvana-216-1-.part.mp3", std::nullopt},
        {L"~Corvana-216-x.part.mp3", std::nullopt},
        {L"Corvana-216-1.part.mp3", std::nullopt},
        {L"~corvana-216-1.mp3", std::nullopt},
        {L"song.mp3", std::nullopt},
        {L"", std::nullopt},
    };
    for (const auto& [name, owner] : cases) EXPECT_EQ(TemporaryOutputOwner(name), owner) << name;
    // What the program writes is what it recognises.
    EXPECT_EQ(TemporaryOutputOwner(TemporaryOutputPath(L"C:\\out\\a.mp3", TemporaryTokenPrefix(1234) + L"5")), 1234u);
}

TEST_F(Engine, AJobWithoutSignsOfLifeIsEndedAsAnError) {
    engine.SetHungJobLimit(std::chrono::seconds(1));
    // The first prints once and writes once, then nothing; the second prints nothing for longer
    // than the limit but its file keeps growing, and finishes.
    const auto ids = AddRows({{L"a.wav", FakeBehaviour::HangsUntilStopped}, {L"b.wav", FakeBehaviour::GrowsQuietly}});
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Error"}, {2, L"OK"}}));
    EXPECT_EQ(Logs()[1].back(),
              L"FFmpeg stopped responding: it printed nothing and its output did not grow for 1 second, so it was "
              L"ended.");
    EXPECT_FALSE(events.back().stopped);
    EXPECT_TRUE(NoTemporaryFiles());
}

TEST_F(Engine, AJobWhoseThreadCannotStartFailsAndTheRunEnds) {
    startThread = [](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
    };
    const auto ids = AddRows({L"a.wav", L"b.wav"});
    engine.Start(ids, planner, 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Error"}, {2, L"Error"}}));
    for (const auto& [id, log] : Logs())
        EXPECT_EQ(log.back().rfind(L"The conversion could not be started: no thread", 0), 0u) << log.back();
    EXPECT_EQ(engine.RunningJobs(), 0u);
    EXPECT_EQ(engine.FinishedJobs(), 2u);
    EXPECT_TRUE(ffmpeg.Commands().empty());
}

// Starting a thread costs a good part of a short job: a run starts no more threads than it runs
// jobs at once, and they end with the run.
TEST_F(Engine, JobsTakeTurnsOnTheRunsThreadsWhichEndWithIt) {
    std::atomic<int> started{0}, alive{0};
    startThread = [&](std::function<void()> body) {
        ++started;
        ++alive;
        return std::thread([&alive, body = std::move(body)] {
            body();
            --alive;
        });
    };
    const auto ids = AddRows({L"a.wav", L"b.wav", L"c.wav", L"d.wav", L"e.wav"});
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results().size(), 5u);
    for (const auto& [id, result] : Results()) EXPECT_EQ(result, L"OK") << id;
    EXPECT_EQ(started, 2);
    EXPECT_EQ(alive, 0);
}

TEST_F(Engine, AJobThatThrowsFailsAloneAndLeavesNoFile) {
    const auto ids = AddRows({{L"a.wav", FakeBehaviour::Throws}, L"fine.wav"});
    engine.Start(ids, planner, 1);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Error"}, {2, L"OK"}}));
    EXPECT_EQ(Logs()[1], std::vector<std::wstring>{L"The conversion broke off: out of memory"});
    EXPECT_TRUE(NoTemporaryFiles());
}

// For the end of a Windows session: returns once every job has ended and removed its file.
TEST_F(Engine, StopAndWaitLeavesNoTemporaryFileBehind) {
    const auto ids =
        AddRows({{L"a.wav", FakeBehaviour::HangsUntilStopped}, {L"b.wav", FakeBehaviour::IgnoresQuit}, L"later.wav"});
    engine.Start(ids, planner, 2);
    ASSERT_TRUE(Pump([&] { return engine.RunningJobs() == 2; }));
    // Until both jobs have written part of their output.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const auto temporaryFiles = [&] {
        const auto names = files.Names();
        return std::count_if(names.begin(), names.end(),
                             [](const std::wstring& n) { return n.find(L"~T-") != std::wstring::npos; });
    };
    while (temporaryFiles() < 2 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(temporaryFiles(), 2);
    engine.StopAndWait();
    EXPECT_TRUE(NoTemporaryFiles());
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(Results(), (std::map<uint64_t, std::wstring>{{1, L"Stopped"}, {2, L"Stopped"}}));
    EXPECT_TRUE(events.back().stopped);
}

// The logical processors as the system itself counts them, not as the standard library does.
unsigned LogicalProcessors() {
#ifdef _WIN32
    return GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
#else
    return static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN));
#endif
}

TEST(EffectiveConcurrency, AutomaticIsOnePerProcessor) {
    EXPECT_EQ(EffectiveConcurrency(3), 3u);
    const unsigned processors = LogicalProcessors();
    ASSERT_GT(processors, 0u);
    EXPECT_EQ(EffectiveConcurrency(0), processors);
}

TEST(StoredConcurrency, OnlyTheMenusNumbersCount) {
    for (unsigned choice : kSimultaneousChoices)
        EXPECT_EQ(ParseSimultaneousConversions(std::to_wstring(choice)), choice);
    for (const wchar_t* bad : {L"", L"0", L"5", L"-4", L"04", L" 4", L"4 ", L"lots", L"99999999999999999999"})
        EXPECT_EQ(ParseSimultaneousConversions(bad), 0u) << bad;
}

// The job alone: the command names the temporary file, and only a whole output gets the name.
class Job : public testing::Test {
protected:
    MemoryFiles files;
    FakeFFmpeg ffmpeg{files};
    std::atomic<bool> stop{false};
    JobTicket Ticket(const wchar_t* source, const wchar_t* output) {
        JobTicket ticket;
        ticket.source = source;
        ticket.output = output;
        ticket.temporary = TemporaryOutputPath(output, L"t1");
        files.Put(source, "source bytes");
        return ticket;
    }
};

TEST_F(Job, WritesATemporaryFileAndNamesItWhenWhole) {
    const JobTicket ticket = Ticket(L"C:\\in\\song.flac", L"C:\\out\\song.mp3");
    EXPECT_EQ(ticket.temporary, L"C:\\out\\~t1.part.mp3");
    std::vector<int> percents;
    const JobResult result = RunJob(ticket, ffmpeg, files, stop, [&](int p) { percents.push_back(p); });
    EXPECT_EQ(result.outcome, JobOutcome::Converted);
    EXPECT_EQ(result.output, L"C:\\out\\song.mp3");
    EXPECT_EQ(files.Read(L"C:\\out\\song.mp3"), "converted C:\\in\\song.flac");
    EXPECT_FALSE(files.FileExists(ticket.temporary));
    EXPECT_EQ(ffmpeg.Commands(),
              std::vector<std::wstring>{L"ffmpeg.exe -hide_banner -y -i \"C:\\in\\song.flac\" -map 0:a:0 -map "
                                        L"0:v:0? -map -0:V? -c:v copy -id3v2_version 3 "
                                        L"\"C:\\out\\~t1.part.mp3\""});
    EXPECT_EQ(percents, (std::vector<int>{0, 50, 99}));
}

TEST_F(Job, ACoverTheOutputRefusesIsLeftOutAndTheJobSucceeds) {
    const JobTicket ticket = Ticket(L"C:\\in\\song.flac", L"C:\\out\\song.m4a");
    ffmpeg.SetBehaviour(ticket.source, FakeBehaviour::RefusesPictures);
    const JobResult result = RunJob(ticket, ffmpeg, files, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Converted);
    EXPECT_EQ(files.Read(L"C:\\out\\song.m4a"), "converted C:\\in\\song.flac");
    const auto commands = ffmpeg.Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_NE(commands[0].find(L"-c:v copy"), std::wstring::npos);
    EXPECT_EQ(commands[1], L"ffmpeg.exe -hide_banner -y -vn -i \"C:\\in\\song.flac\" \"C:\\out\\~t1.part.m4a\"");
    EXPECT_FALSE(files.FileExists(ticket.temporary));
}

TEST_F(Job, TheSourceUnderAnotherSpellingIsRefusedAndKept) {
    JobTicket ticket = Ticket(L"C:\\in\\song.mp3", L"C:\\IN\\SONG.MP3");
    ticket.replaceExisting = true;
    const JobResult result = RunJob(ticket, ffmpeg, files, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Failed);
    EXPECT_EQ(result.log, std::vector<std::wstring>{
                              L"The output C:\\IN\\SONG.MP3 is the source file itself; it was left as it is."});
    EXPECT_EQ(files.Read(L"C:\\in\\song.mp3"), "source bytes");
    EXPECT_TRUE(ffmpeg.Commands().empty());
}

TEST_F(Job, TheCommandLineReplacesItsOutputOnlyOnSuccess) {
    JobTicket good = Ticket(L"C:\\in\\good.wav", L"C:\\out\\x.mp3");
    good.replaceExisting = true;
    files.Put(L"C:\\out\\x.mp3", "old");
    JobTicket bad = Ticket(L"C:\\in\\bad.wav", L"C:\\out\\x.mp3");
    bad.replaceExisting = true;
    ffmpeg.SetBehaviour(bad.source, FakeBehaviour::Fails);
    EXPECT_EQ(RunJob(bad, ffmpeg, files, stop).outcome, JobOutcome::Failed);
    EXPECT_EQ(files.Read(L"C:\\out\\x.mp3"), "old");
    EXPECT_EQ(RunJob(good, ffmpeg, files, stop).outcome, JobOutcome::Converted);
    EXPECT_EQ(files.Read(L"C:\\out\\x.mp3"), "converted C:\\in\\good.wav");
}

TEST_F(Job, ANameTakenMeanwhileIsNotReplaced) {
    const JobTicket ticket = Ticket(L"C:\\in\\a.wav", L"C:\\out\\a.mp3");
    // Another program takes the name while FFmpeg runs.
    struct Intruder : FakeFFmpeg {
        using FakeFFmpeg::FakeFFmpeg;
        MemoryFiles* files = nullptr;
        Outcome Run(const std::wstring& c, const std::function<void(std::string_view)>& o,
                    const std::function<bool()>& s) override {
            files->Put(L"C:\\out\\a.mp3", "someone else's");
            return FakeFFmpeg::Run(c, o, s);
        }
    } intruder(files);
    intruder.files = &files;
    const JobResult result = RunJob(ticket, intruder, files, stop);
    EXPECT_EQ(result.outcome, JobOutcome::Converted);
    EXPECT_EQ(result.output, L"C:\\out\\a (2).mp3");
    EXPECT_EQ(files.Read(L"C:\\out\\a.mp3"), "someone else's");
    EXPECT_EQ(files.Read(L"C:\\out\\a (2).mp3"), "converted C:\\in\\a.wav");
}

TEST_F(Job, NormalisingLearnsTheSourceRateFirst) {
    JobTicket ticket = Ticket(L"C:\\in\\n.wav", L"C:\\out\\n.flac");
    ticket.normalize = true;
    EXPECT_EQ(RunJob(ticket, ffmpeg, files, stop).outcome, JobOutcome::Converted);
    EXPECT_EQ(ffmpeg.Commands(),
              (std::vector<std::wstring>{
                  L"ffmpeg.exe -hide_banner -nostdin -i \"C:\\in\\n.wav\"",
                  L"ffmpeg.exe -hide_banner -y -i \"C:\\in\\n.wav\" -map 0:a:0 -map 0:v:0? -map -0:V? -c:v copy"
                  L" -metadata REPLAYGAIN_TRACK_GAIN= -metadata:s:a REPLAYGAIN_TRACK_GAIN="
                  L" -metadata REPLAYGAIN_TRACK_PEAK= -metadata:s:a REPLAYGAIN_TRACK_PEAK="
                  L" -metadata REPLAYGAIN_ALBUM_GAIN= -metadata:s:a REPLAYGAIN_ALBUM_GAIN="
                  L" -metadata REPLAYGAIN_ALBUM_PEAK= -metadata:s:a REPLAYGAIN_ALBUM_PEAK="
                  L" -af loudnorm,aformat=sample_fmts=s16:sample_rates=44100 \"C:\\out\\~t1.part.flac\""}));
}

}  // namespace
}  // namespace corvana::test
