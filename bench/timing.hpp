#pragma once

// Small helpers for the benchmarks: the median wall time of a few runs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace orvu::bench {

inline double median_seconds(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void report(const char* what, double ours, double theirs, const char* their_name) {
    std::printf("%s: ours %.1f ms, %s %.1f ms, ratio ours/theirs %.2f\n", what, ours * 1e3,
                their_name, theirs * 1e3, ours / theirs);
}

}  // namespace orvu::bench
