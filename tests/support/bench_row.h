// What the benchmarks share: one row of the table tools/bench.sh prints (a
// figure, its anchor measured in the same run, their ratio and the target,
// tab-separated after "bench-row"), the clock, a message pump and medians
// taken by turns.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

// Seconds on the performance counter.
inline double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches what waits for this thread.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The median, in seconds, of `rounds` timings of `timed(k)` for each of
// `count` subjects. The subjects take turns round by round, so that drift in
// the machine's speed falls on all alike; `ready(k)`, untimed, comes first.
inline std::vector<double> MediansByTurns(size_t count, int rounds, const std::function<void(size_t)>& timed,
                                          const std::function<void(size_t)>& ready = nullptr) {
    std::vector<std::vector<double>> times(count);
    for (int i = 0; i < rounds; ++i)
        for (size_t k = 0; k < count; ++k) {
            if (ready) ready(k);
            const double start = Now();
            timed(k);
            times[k].push_back(Now() - start);
        }
    std::vector<double> medians;
    for (auto& t : times) {
        std::nth_element(t.begin(), t.begin() + rounds / 2, t.end());
        medians.push_back(t[static_cast<size_t>(rounds / 2)]);
    }
    return medians;
}

inline void Row(const char* what, double ours, const char* anchorName, double anchor, const char* unit,
                const char* target) {
    std::printf("bench-row\t%s\t%.3f %s\t%s %.3f %s\t%.2f\t%s\n", what, ours, unit, anchorName, anchor, unit,
                anchor > 0 ? ours / anchor : 0.0, target);
}

}  // namespace bench
