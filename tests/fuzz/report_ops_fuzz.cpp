// The report model's item, tree, selection and sort operations chosen by the
// fuzzer's bytes, with the same parent and the same checks after every step as
// the seeded random test: rows and items agree, the tree walk is the rows,
// selection and focus bits match their lists, one -2055 per removed item,
// removed handles stay dead.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/controls/report/random_run.h"

namespace {

class FuzzRun : public report_test::RandomRun {
public:
    FuzzRun(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    void TestBody() override {}
    using RandomRun::Play;

protected:
    // Two bytes a choice, so that bounds above 256 (rows, masks) are reachable.
    // Spent bytes answer 99: every Chance() fails, so a parent that would act
    // inside each notification (and make DeleteAllItems endless) stops acting.
    unsigned Draw() override {
        if (at == end) return 99;
        unsigned value = 0;
        for (int i = 0; i < 2 && at < end; ++i) value = value << 8 | *at++;
        return value;
    }
    bool More() override { return at < end; }

private:
    const uint8_t* at;
    const uint8_t* end;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzRun run(data + 1, size - 1);
    run.Play(0, 1 << 20, (data[0] & 1) != 0);
    // A failed check was printed by the test library as it happened.
    if (::testing::Test::HasFailure()) std::abort();
    return 0;
}
