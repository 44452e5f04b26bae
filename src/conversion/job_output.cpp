#include "conversion/job_output.h"

#include <algorithm>

namespace corvana {

void OutputKeeper::Append(std::string_view bytes) {
    total_ += bytes.size();
    const size_t toHead = std::min(bytes.size(), limit_ - head_.size());
    head_.append(bytes.substr(0, toHead));
    bytes.remove_prefix(toHead);
    if (bytes.empty()) return;
    // Only the last `limit_` bytes of what is left can end up in the tail.
    if (bytes.size() > limit_) bytes.remove_prefix(bytes.size() - limit_);
    if (ring_.size() < limit_) {
        const size_t fill = std::min(bytes.size(), limit_ - ring_.size());
        ring_.append(bytes.substr(0, fill));
        bytes.remove_prefix(fill);
    }
    for (char c : bytes) {
        ring_[ringStart_] = c;
        ringStart_ = (ringStart_ + 1) % limit_;
    }
}

void OutputKeeper::Clear() {
    *this = OutputKeeper(limit_);
}

std::string OutputKeeper::Tail() const {
    if (ring_.size() < limit_) return ring_;
    return ring_.substr(ringStart_) + ring_.substr(0, ringStart_);
}

std::vector<std::wstring> OutputKeeper::Lines(const AnsiDecoder& ansiDecode) const {
    const std::string tail = Tail();
    if (LeftOutBytes() == 0) return ConsoleLines(head_ + tail, ansiDecode);

    // Cut both pieces at line breaks so that no line is shown half, and no character either.
    std::string_view head = head_;
    if (const size_t lastBreak = head.find_last_of("\r\n"); lastBreak != std::string_view::npos)
        head = head.substr(0, lastBreak + 1);
    std::string_view end = tail;
    if (const size_t firstBreak = end.find_first_of("\r\n"); firstBreak != std::string_view::npos)
        end = end.substr(firstBreak + 1);
    const size_t leftOut = total_ - head.size() - end.size();

    std::vector<std::wstring> lines = ConsoleLines(head, ansiDecode);
    lines.push_back(L"[" + std::to_wstring(leftOut) + L" bytes of FFmpeg's output left out]");
    for (auto& line : ConsoleLines(end, ansiDecode)) lines.push_back(std::move(line));
    return lines;
}

std::optional<long long> ParseClockTime(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    long long fields[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        size_t digits = 0;
        while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9') {
            fields[i] = fields[i] * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0) return std::nullopt;
        text.remove_prefix(digits);
        if (i < 2) {
            if (text.empty() || text[0] != ':') return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (fields[1] > 59 || fields[2] > 59) return std::nullopt;
    long long hundredths = 0;
    if (!text.empty() && text[0] == '.') {
        text.remove_prefix(1);
        int scale = 10;
        for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            hundredths += (text[i] - '0') * scale;
            scale /= 10;
            if (scale == 0) break;
        }
    }
    const long long value = ((fields[0] * 60 + fields[1]) * 60 + fields[2]) * 100 + hundredths;
    return negative ? -value : value;
}

void ProgressReader::Feed(std::string_view bytes) {
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            ReadLine(partial_);
            partial_.clear();
        } else if (partial_.size() < 4096) {
            // No line worth reading is longer; a runaway line must not grow without end.
            partial_ += c;
        }
    }
}

void ProgressReader::ReadLine(std::string_view line) {
    // Only the first duration counts: it is the input's ("Input #0"), and the job has one input.
    if (!duration_) {
        if (const size_t at = line.find("Duration: "); at != std::string_view::npos) {
            const auto value = ParseClockTime(line.substr(at + 10));
            if (value && *value > 0) duration_ = value;
            return;
        }
    }
    if (const size_t at = line.find("time="); at != std::string_view::npos) {
        if (const auto value = ParseClockTime(line.substr(at + 5))) position_ = value;
    }
}

std::optional<int> ProgressReader::Percent() const {
    if (!duration_) return std::nullopt;
    const long long position = std::max(0LL, position_.value_or(0));
    // 100 % is what "OK" says; a filter that pads the output may run past the input's length.
    return static_cast<int>(std::min(99LL, position * 100 / *duration_));
}

}  // namespace corvana
