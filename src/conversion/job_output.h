// What an FFmpeg job writes while it runs: the part of its output worth keeping for the "ERROR"
// box, and how far along it is.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/console_text.h"

namespace corvana {

// Keeps the first and the last `limit` bytes of a job's output and counts what lies between, so
// that a job that talks for an hour costs no more memory than one that talks for a second.
class OutputKeeper {
public:
    static constexpr size_t kDefaultLimit = 64 * 1024;
    explicit OutputKeeper(size_t limit = kDefaultLimit) : limit_(limit) {}

    void Append(std::string_view bytes);
    void Clear();
    size_t TotalBytes() const { return total_; }
    size_t LeftOutBytes() const { return total_ - head_.size() - ring_.size(); }

    // The kept output as text lines. When something was left out, the head ends and the tail starts
    // at a line break, and one line between them says how many bytes were left out.
    std::vector<std::wstring> Lines(const AnsiDecoder& ansiDecode) const;

private:
    std::string Tail() const;

    size_t limit_;
    size_t total_ = 0;
    std::string head_;
    std::string ring_;  // the tail, as a ring of `limit_` bytes once full
    size_t ringStart_ = 0;
};

// Reads FFmpeg's log as it arrives: the input's duration ("Duration: 00:03:00.05, ...") and the
// position reached ("... time=00:01:02.50 ..."), both in hundredths of a second.
class ProgressReader {
public:
    void Feed(std::string_view bytes);
    std::optional<long long> Duration() const { return duration_; }
    std::optional<long long> Position() const { return position_; }
    // 0 to 99 while the job runs; empty while the duration is unknown.
    std::optional<int> Percent() const;

private:
    void ReadLine(std::string_view line);

    std::string partial_;
    std::optional<long long> duration_;
    std::optional<long long> position_;
};

// "HH:MM:SS.ff" (also with more or fewer fraction digits, or a leading minus) in hundredths of a
// second; empty for anything else ("N/A").
std::optional<long long> ParseClockTime(std::string_view text);

}  // namespace corvana
