// Where a job's time goes: the conversion engine run on its own (no window), with its process
// runner and files timed around the real ones.
#pragma once

#include <string>
#include <vector>

namespace corvana::bench {

struct EnginePhases {
    double seconds = 0;  // the whole run
    size_t converted = 0;
    // Per job, in seconds:
    std::vector<double> untilFirstOutput;  // FFmpeg started until it first printed
    std::vector<double> converting;        // first print until FFmpeg had ended and its pipe was read
    std::vector<double> naming;            // FFmpeg ended until the output had its name
    std::vector<double> untilTaken;        // a job's report until the owner took it
    std::vector<double> untilThreadRuns;   // taken until the next job's thread was running
    std::vector<double> checking;          // the job's thread running until it started FFmpeg
    std::vector<double> taking;            // the owner taking a batch of reports and starting jobs

    // Adds another run's jobs to these (not its whole time).
    void Append(const EnginePhases& other) {
        for (auto [into, from] : {std::pair{&untilFirstOutput, &other.untilFirstOutput},
                                  {&converting, &other.converting},
                                  {&naming, &other.naming},
                                  {&untilTaken, &other.untilTaken},
                                  {&untilThreadRuns, &other.untilThreadRuns},
                                  {&checking, &other.checking},
                                  {&taking, &other.taking}})
            into->insert(into->end(), from->begin(), from->end());
    }
};

// Converts the files to MP3 in outputFolder with `concurrency` jobs at once, the engine's owner
// being this thread (it must have no window that wants messages meanwhile).
EnginePhases TimeEnginePhases(const std::wstring& programFolder, const std::vector<std::wstring>& files,
                              const std::wstring& outputFolder, unsigned concurrency);

}  // namespace corvana::bench
