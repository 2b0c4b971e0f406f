// Seeded, reproducible runs of random operations on the report model, with a
// parent that now and then calls back into the control from inside its
// notifications. After every step: the consistency rules of the fixture, the
// expanded flags the test has seen set, and one -2055 for every item removed.
//
// CI runs a short set; a long run by hand:
//   REPORT_RANDOM_SEEDS=200 REPORT_RANDOM_STEPS=5000 ./report_random_test
#include <cstdlib>

#include "tests/controls/report/random_run.h"

namespace report_test {
namespace {

int FromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

TEST_F(RandomRun, TreeAndListStayConsistent) {
    const int seeds = FromEnvironment("REPORT_RANDOM_SEEDS", 6);
    const int steps = FromEnvironment("REPORT_RANDOM_STEPS", 300);
    for (int seed = 1; seed <= seeds; ++seed) {
        Run(static_cast<unsigned>(seed), steps, true);
        Run(static_cast<unsigned>(seed) + 100000, steps / 3, false);
        if (HasFatalFailure()) return;
    }
    std::printf("%ld operations passed\n", operations);
}

}  // namespace
}  // namespace report_test
