// What the benchmarks share: one row of the table tools/bench.sh prints (a
// figure, its anchor measured in the same run, their ratio and the target,
// tab-separated after "bench-row"), the clock and a message pump.
#pragma once
#include <windows.h>

#include <cstdio>

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

inline void Row(const char* what, double ours, const char* anchorName, double anchor, const char* unit,
                const char* target) {
    std::printf("bench-row\t%s\t%.3f %s\t%s %.3f %s\t%.2f\t%s\n", what, ours, unit, anchorName, anchor, unit,
                anchor > 0 ? ours / anchor : 0.0, target);
}

}  // namespace bench
