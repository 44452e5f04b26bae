// The clock and the statistic the benchmarks report.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace corvana::bench {

// Seconds from the performance counter.
inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The figures that have a target: each is printed where it is measured, with its target and
// whether it met it, and the misses are listed once more at the end.
class Targets {
public:
    // "target at most 1.10: met" (or "missed"); `under` asks for strictly less.
    std::wstring Check(const std::wstring& figure, double value, double limit, bool under = false) {
        const bool met = under ? value < limit : value <= limit;
        if (!met) misses_.push_back(figure);
        wchar_t text[96];
        swprintf(text, std::size(text), L"target %ls %g: %ls", under ? L"under" : L"at most", limit,
                 met ? L"met" : L"MISSED");
        return text;
    }
    void PrintSummary() const {
        if (misses_.empty()) {
            wprintf(L"all targets met\n");
            return;
        }
        wprintf(L"targets missed:\n");
        for (const std::wstring& figure : misses_) wprintf(L"  %ls\n", figure.c_str());
    }

private:
    std::vector<std::wstring> misses_;
};

}  // namespace corvana::bench
