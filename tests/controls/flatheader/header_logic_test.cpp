// The flat header's window-free rules: the cursor span of a limited divider,
// drop positions and the column order after a drop.
#include <gtest/gtest.h>

#include <vector>

#include "controls/flatheader/header_logic.h"

namespace {

using Order = std::vector<int>;

TEST(HeaderReorder, MovesTheDraggedColumnToTheDropPosition) {
    struct Case {
        Order old;
        int from, position;
        Order expected;
    };
    const Case cases[] = {
        {{0, 1, 2, 3}, 0, 3, {1, 2, 0, 3}},
        {{0, 1, 2, 3}, 0, 4, {1, 2, 3, 0}},
        {{0, 1, 2, 3}, 3, 1, {0, 3, 1, 2}},
        {{0, 1, 2, 3}, 2, 0, {2, 0, 1, 3}},
        {{0, 1, 2, 3}, 1, 3, {0, 2, 1, 3}},
        {{3, 1, 0, 2}, 1, 4, {3, 0, 2, 1}},  // entries are item indices, not positions
        {{0, 1, 2, 3}, 0, 5, {1, 2, 3, 0}},  // past the end counts as the end
        // The column's own dividers and bad positions leave the order alone.
        {{0, 1, 2, 3}, 1, 1, {0, 1, 2, 3}},
        {{0, 1, 2, 3}, 1, 2, {0, 1, 2, 3}},
        {{0, 1, 2, 3}, 3, 5, {0, 1, 2, 3}},
        {{0, 1, 2, 3}, -1, 2, {0, 1, 2, 3}},
        {{0, 1, 2, 3}, 4, 0, {0, 1, 2, 3}},
        {{0, 1, 2, 3}, 0, -1, {0, 1, 2, 3}},
        {{}, 0, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReorderForDrop(c.old, c.from, c.position), c.expected) << "from " << c.from << " to " << c.position;
}

TEST(HeaderDropPosition, HalvesOfAnItemAndTheMarkerRange) {
    EXPECT_EQ(DropPosition(2, 100, 100, 160), 2);
    EXPECT_EQ(DropPosition(2, 130, 100, 160), 2);  // the middle itself is still before
    EXPECT_EQ(DropPosition(2, 131, 100, 160), 3);
    EXPECT_EQ(DropPosition(0, -3, -10, 3), 0);  // truncating toward zero: middle -3
    EXPECT_EQ(DropPosition(0, -2, -10, 3), 1);
    const int count = 4;
    for (int position : {0, 3, count, count + 1}) EXPECT_TRUE(IsMarkerPosition(position, count)) << position;
    for (int position : {-1, -2, count + 2}) EXPECT_FALSE(IsMarkerPosition(position, count)) << position;
}

TEST(HeaderTrackingSpan, KeepsTheWidthWithinTheLimits) {
    struct Case {
        HeaderItemLimits limits;
        int left, right;  // expected cursor span
    };
    // Item 100..180 pressed 2 pixels left of its divider.
    const Case cases[] = {
        {{50, 100}, 148, 199},                      // widths 50..100, right edge exclusive
        {{50, 0}, 148, 100 + kNoMaximumWidth - 1},  // no maximum
        {{0, 100}, 98, 199},                        // no minimum: down to width 0
        {{50, -5}, 148, 100 + kNoMaximumWidth - 1},
        {{90, 60}, 188, 189},  // a maximum below the minimum pins the width
    };
    for (const Case& c : cases) {
        CursorSpan span = TrackingSpan(100, 180, 178, c.limits);
        EXPECT_EQ(span.left, c.left) << c.limits.minWidth << "," << c.limits.maxWidth;
        EXPECT_EQ(span.right, c.right) << c.limits.minWidth << "," << c.limits.maxWidth;
    }
    EXPECT_FALSE(HasLimits({0, 0}));
    EXPECT_FALSE(HasLimits({0, -1}));
    EXPECT_TRUE(HasLimits({1, 0}));
    EXPECT_TRUE(HasLimits({0, 1}));
}

}  // namespace
