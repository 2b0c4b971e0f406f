// The flat header's window-free rules: limits kept per item, the cursor span
// of a limited divider, drop positions and the column order after a drop.
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
    EXPECT_TRUE(IsOwnDivider(2, 2));
    EXPECT_TRUE(IsOwnDivider(3, 2));
    EXPECT_FALSE(IsOwnDivider(1, 2));
    EXPECT_FALSE(IsOwnDivider(4, 2));
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

TEST(HeaderItemLimits, RecordsFollowInsertsAndDeletes) {
    ItemLimitsList list;
    list.Insert(0);
    list.Insert(5);  // past the end: appended
    list.Insert(1);
    ASSERT_EQ(list.Size(), 3u);
    EXPECT_TRUE(list.Set(0, {10, 20}));
    EXPECT_TRUE(list.Set(2, {30, 40}));
    list.Insert(1);  // the records after it move up
    HeaderItemLimits got;
    ASSERT_TRUE(list.Get(3, got));
    EXPECT_EQ(got.minWidth, 30);
    ASSERT_TRUE(list.Get(1, got));
    EXPECT_EQ(got.minWidth, 0);  // a new record has no limits
    EXPECT_EQ(got.maxWidth, 0);

    EXPECT_TRUE(list.Erase(0));
    EXPECT_FALSE(list.Erase(3));
    EXPECT_FALSE(list.Erase(-1));
    ASSERT_EQ(list.Size(), 3u);
    ASSERT_TRUE(list.Get(2, got));
    EXPECT_EQ(got.maxWidth, 40);

    HeaderItemLimits untouched{7, 8};
    EXPECT_FALSE(list.Get(3, untouched));
    EXPECT_FALSE(list.Get(-1, untouched));
    EXPECT_EQ(untouched.minWidth, 7);
    EXPECT_EQ(untouched.maxWidth, 8);
    EXPECT_FALSE(list.Set(3, {1, 1}));
    EXPECT_EQ(list.Size(), 3u);
}

}  // namespace
