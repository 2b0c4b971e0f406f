#include "controls/flatheader/header_logic.h"

#include <algorithm>

int EffectiveMaxWidth(const HeaderItemLimits& limits) {
    return limits.maxWidth > 0 ? limits.maxWidth : kNoMaximumWidth;
}

bool HasLimits(const HeaderItemLimits& limits) { return limits.minWidth > 0 || limits.maxWidth > 0; }

void ItemLimitsList::Insert(size_t index) {
    records.insert(records.begin() + static_cast<std::ptrdiff_t>(std::min(index, records.size())), HeaderItemLimits{});
}

bool ItemLimitsList::Erase(int index) {
    if (!Valid(index)) return false;
    records.erase(records.begin() + index);
    return true;
}

bool ItemLimitsList::Set(int index, const HeaderItemLimits& limits) {
    if (!Valid(index)) return false;
    records[static_cast<size_t>(index)] = limits;
    return true;
}

bool ItemLimitsList::Get(int index, HeaderItemLimits& limits) const {
    if (!Valid(index)) return false;
    limits = records[static_cast<size_t>(index)];
    return true;
}

CursorSpan TrackingSpan(int itemLeft, int itemRight, int pressX, const HeaderItemLimits& limits) {
    int offset = pressX - itemRight;
    // The right edge of a cursor clip is exclusive: one more, so that the
    // maximum width itself can be reached.
    int left = itemLeft + limits.minWidth + offset;
    return {left, std::max(left + 1, itemLeft + EffectiveMaxWidth(limits) + offset + 1)};
}

int DropPosition(int order, int x, int left, int right) { return order + (x > (left + right) / 2 ? 1 : 0); }

bool IsMarkerPosition(int position, int count) { return position >= 0 && position <= count + 1; }

bool IsOwnDivider(int position, int from) { return position == from || position == from + 1; }

std::vector<int> ReorderForDrop(const std::vector<int>& order, int from, int position) {
    const int count = static_cast<int>(order.size());
    int to = std::min(position, count);
    if (from < 0 || from >= count || to < 0 || IsOwnDivider(to, from)) return order;
    std::vector<int> result(order.size());
    int source = 0;
    for (int i = 0; i < count; i++) {
        if (source == from) source++;
        if ((from < to && i == to - 1) || (from > to && i == to))
            result[static_cast<size_t>(i)] = order[static_cast<size_t>(from)];
        else
            result[static_cast<size_t>(i)] = order[static_cast<size_t>(source++)];
    }
    return result;
}
