#include "conversion/conversion_job.h"

#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "conversion/job_output.h"

namespace corvana {

const wchar_t* OutcomeText(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::Converted: return L"OK";
        case JobOutcome::Failed: return L"Error";
        case JobOutcome::Stopped: return L"Stopped";
        case JobOutcome::Skipped: return L"Skipped";
    }
    return L"Error";
}

namespace {

// Tells a working FFmpeg from a hung one by its signs of life: what it prints, and its output
// file growing (an encoder may print nothing for a long while on a slow input).
class HangWatch {
public:
    using Clock = std::chrono::steady_clock;
    HangWatch(const JobFiles& files, std::wstring file, std::chrono::milliseconds limit)
        : files_(&files), file_(std::move(file)), limit_(limit) {}

    void Printed() { lastSign_ = Clock::now(); }
    bool Hung() {
        const auto now = Clock::now();
        if (now - lastSign_ < limit_) return false;
        // The file is looked at only when nothing was printed for the whole limit.
        if (!file_.empty()) {
            const int64_t size = files_->FileSize(file_);
            if (size != size_) {
                size_ = size;
                lastSign_ = now;
                return false;
            }
        }
        hung_ = true;
        return true;
    }
    bool WasHung() const { return hung_; }
    // The line a hung job's log ends with.
    std::wstring Reason() const {
        const auto ms = limit_.count();
        const auto spell = [](long long n, const wchar_t* unit) {
            return std::to_wstring(n) + L" " + unit + (n == 1 ? L"" : L"s");
        };
        const std::wstring span = ms % 60000 == 0  ? spell(ms / 60000, L"minute")
                                  : ms % 1000 == 0 ? spell(ms / 1000, L"second")
                                                   : spell(ms, L"millisecond");
        return L"FFmpeg stopped responding: it printed nothing and its output did not grow for " + span +
               L", so it was ended.";
    }

private:
    const JobFiles* files_;
    std::wstring file_;
    std::chrono::milliseconds limit_;
    Clock::time_point lastSign_ = Clock::now();
    int64_t size_ = -1;
    bool hung_ = false;
};

// The source's first audio stream, as FFmpeg describes its input when given no output.
std::optional<SourceAudio> LearnSourceAudio(const JobTicket& ticket, ProcessRunner& runner, const JobFiles& files,
                                            const std::atomic<bool>& stop) {
    OutputKeeper output;
    HangWatch watch(files, L"", ticket.hungAfter);
    runner.Run(
        L"ffmpeg.exe -hide_banner -nostdin -i \"" + ticket.source + L"\"",
        [&](std::string_view bytes) {
            watch.Printed();
            output.Append(bytes);
        },
        [&] { return stop || watch.Hung(); });
    // A probe that hung tells nothing; the conversion then finds out for itself.
    if (watch.WasHung()) return std::nullopt;
    return FirstAudioStream(output.Lines([&](std::string_view b) { return runner.Decode(b); }));
}

// Moves the finished file to its name. A name taken since it was chosen (by another program)
// is never replaced: the next free " (n)" name is taken instead.
std::optional<std::wstring> GiveFinalName(const JobTicket& ticket, JobFiles& files, std::wstring& finalName,
                                          std::vector<std::wstring>& log) {
    if (ticket.replaceExisting) {
        finalName = ticket.output;
        return files.Rename(ticket.temporary, ticket.output, true);
    }
    std::wstring candidate = ticket.output;
    std::optional<std::wstring> failure;
    for (int attempt = 0; attempt < 100; ++attempt) {
        failure = files.Rename(ticket.temporary, candidate, false);
        if (!failure) {
            if (candidate != ticket.output)
                log.push_back(ticket.output + L" was taken meanwhile; the output is " + candidate + L".");
            finalName = candidate;
            return std::nullopt;
        }
        if (!files.FileExists(candidate)) break;  // failed for another reason than a taken name
        candidate = UniqueOutputName(ticket.output, [&](const std::wstring& p) { return files.FileExists(p); });
    }
    return failure;
}

}  // namespace

JobResult RunJob(const JobTicket& ticket, ProcessRunner& runner, JobFiles& files, const std::atomic<bool>& stop,
                 const std::function<void(int)>& onPercent) {
    JobResult result;
    const auto decode = [&](std::string_view b) { return runner.Decode(b); };
    const auto stopped = [&] {
        if (files.FileExists(ticket.temporary)) files.Delete(ticket.temporary);
        result.outcome = JobOutcome::Stopped;
        return result;
    };
    if (stop) return stopped();

    // An output that is the source under another spelling would replace the source.
    if (files.FileExists(ticket.output) && files.SameFile(ticket.source, ticket.output)) {
        result.log.push_back(L"The output " + ticket.output + L" is the source file itself; it was left as it is.");
        return result;
    }

    std::optional<SourceAudio> keep;
    if (ticket.normalize && !SetsSampleRate(ticket.parameters)) keep = LearnSourceAudio(ticket, runner, files, stop);
    if (stop) return stopped();

    OutputKeeper output;
    ProcessRunner::Outcome outcome;
    HangWatch watch(files, ticket.temporary, ticket.hungAfter);
    const auto runFFmpeg = [&](const std::optional<SourceAudio>& kept, bool cover) {
        output.Clear();
        ProgressReader progress;
        int shown = -1;
        watch = HangWatch(files, ticket.temporary, ticket.hungAfter);
        outcome = runner.Run(
            FFmpegCommandLine(ticket.source, ticket.temporary, ticket.parameters, ticket.normalize, kept, cover),
            [&](std::string_view bytes) {
                watch.Printed();
                output.Append(bytes);
                progress.Feed(bytes);
                const int percent = progress.Percent().value_or(-1);
                if (percent >= 0 && percent != shown && onPercent) onPercent(percent);
                shown = percent;
            },
            [&] { return stop || watch.Hung(); });
    };
    const bool cover = KeepsCover(ticket.source, ticket.output, ticket.parameters);
    runFFmpeg(keep, cover);
    if ((keep || cover) && outcome.exitStatus && *outcome.exitStatus != 0 && !stop && !watch.WasHung()) {
        // Should the output refuse what was kept (the source's rate, a cover that is no picture
        // it takes), the job runs once more as it would have without it, so keeping them never
        // makes a job fail.
        if (files.FileExists(ticket.temporary)) files.Delete(ticket.temporary);
        runFFmpeg(std::nullopt, false);
    }
    // A stopped FFmpeg ends its file tidily and says it succeeded; the file is still not whole.
    if (stop) return stopped();

    result.log = output.Lines(decode);
    if (watch.WasHung()) {
        result.log.push_back(watch.Reason());
        if (files.FileExists(ticket.temporary)) files.Delete(ticket.temporary);
        return result;
    }
    if (!outcome.exitStatus) {
        result.log.push_back(outcome.failure);
        return result;
    }
    const int64_t size = files.FileSize(ticket.temporary);
    if (!JobSucceeded(outcome.exitStatus, size)) {
        if (*outcome.exitStatus != 0)
            result.log.push_back(std::wstring(kExitStatusLine) + std::to_wstring(*outcome.exitStatus) + L".");
        else
            result.log.push_back(size == 0 ? L"FFmpeg wrote an empty output file." : L"FFmpeg wrote no output file.");
        if (size >= 0) files.Delete(ticket.temporary);
        return result;
    }
    if (const auto failure = GiveFinalName(ticket, files, result.output, result.log)) {
        result.log.push_back(L"The output could not be named " + ticket.output + L": " + *failure);
        files.Delete(ticket.temporary);
        return result;
    }
    result.outcome = JobOutcome::Converted;
    return result;
}

}  // namespace corvana
