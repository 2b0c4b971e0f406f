// One row of the table tools/bench.sh prints: a figure, its anchor measured in
// the same run, their ratio and the target, tab-separated after "bench-row".
#pragma once
#include <cstdio>

namespace bench {

inline void Row(const char* what, double ours, const char* anchorName, double anchor, const char* unit,
                const char* target) {
    std::printf("bench-row\t%s\t%.3f %s\t%s %.3f %s\t%.2f\t%s\n", what, ours, unit, anchorName, anchor, unit,
                anchor > 0 ? ours / anchor : 0.0, target);
}

}  // namespace bench
