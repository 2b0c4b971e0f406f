// The flat header's rules that need no window: width limits kept parallel to
// the items, the cursor span that keeps a dragged divider within them, where
// a dropped column lands and the new column order.
#pragma once
#include <cstddef>
#include <vector>

struct HeaderItemLimits {
    int minWidth = 0;  // 0: no minimum
    int maxWidth = 0;  // 0 or less: no maximum
};

// The largest width an item may take.
constexpr int kNoMaximumWidth = 16384;
int EffectiveMaxWidth(const HeaderItemLimits& limits);
bool HasLimits(const HeaderItemLimits& limits);

// One limits record per header item, indexed by item index.
class ItemLimitsList {
public:
    // A new record (no limits) at `index`, or at the end when past it.
    void Insert(size_t index);
    bool Erase(int index);
    bool Set(int index, const HeaderItemLimits& limits);
    bool Get(int index, HeaderItemLimits& limits) const;
    // Grows or shrinks to `count` records, new ones without limits.
    void Resize(size_t count) { records.resize(count); }
    size_t Size() const { return records.size(); }

private:
    bool Valid(int index) const { return index >= 0 && static_cast<size_t>(index) < records.size(); }
    std::vector<HeaderItemLimits> records;
};

// Screen x positions [left, right) the cursor may take while it drags the
// divider of an item spanning itemLeft..itemRight, pressed at pressX: the
// divider keeps its offset to the cursor, so the width stays within limits.
struct CursorSpan {
    int left;
    int right;
};
CursorSpan TrackingSpan(int itemLeft, int itemRight, int pressX, const HeaderItemLimits& limits);

// Drop position of a point at x over the item shown at display position
// `order` spanning left..right: before it, or after it past its middle.
int DropPosition(int order, int x, int left, int right);
// Positions 0..count + 1 show the marker (count and count + 1 both point at
// the right edge of the last column); anything else hides it.
bool IsMarkerPosition(int position, int count);
// Whether a drop at `position` leaves the item shown at `from` where it is.
bool IsOwnDivider(int position, int from);

// The order array after the column shown at display position `from` is
// dropped at `position` (past the end counts as the end). A drop on the
// column's own dividers or with bad positions leaves the order as it is.
std::vector<int> ReorderForDrop(const std::vector<int>& order, int from, int position);
