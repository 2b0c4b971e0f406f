#include "controls/report/indexed_list.h"

#include <algorithm>

namespace report {

int IndexedList::BlockIndexAt(int position) const {
    // The last block starting at or before the position.
    auto it = std::upper_bound(order.begin(), order.end(), position,
                               [this](int p, uint32_t block) { return p < pool[block].start; });
    return static_cast<int>(it - order.begin()) - 1;
}

uint32_t IndexedList::At(int position) const {
    const Block& b = pool[order[static_cast<size_t>(BlockIndexAt(position))]];
    return b.ids[static_cast<size_t>(position - b.start)];
}

int IndexedList::PositionOf(uint32_t id) const {
    if (id >= places.size() || places[id].block == kNoBlock) return -1;
    return pool[places[id].block].start + static_cast<int>(places[id].offset);
}

uint32_t IndexedList::NewBlock() {
    if (!freeBlocks.empty()) {
        uint32_t b = freeBlocks.back();
        freeBlocks.pop_back();
        return b;
    }
    pool.emplace_back();
    return static_cast<uint32_t>(pool.size() - 1);
}

void IndexedList::FreeBlock(int index) {
    uint32_t b = order[static_cast<size_t>(index)];
    pool[b].ids.clear();
    pool[b].ids.shrink_to_fit();
    freeBlocks.push_back(b);
    order.erase(order.begin() + index);
}

void IndexedList::PlaceFrom(uint32_t block, size_t offset) {
    const std::vector<uint32_t>& ids = pool[block].ids;
    for (size_t i = offset; i < ids.size(); ++i) {
        if (ids[i] >= places.size()) places.resize(ids[i] + 1);
        places[ids[i]] = {block, static_cast<uint32_t>(i)};
    }
}

void IndexedList::RestartFrom(int index) {
    int start = 0;
    if (index > 0) {
        const Block& before = pool[order[static_cast<size_t>(index - 1)]];
        start = before.start + static_cast<int>(before.ids.size());
    }
    for (size_t i = static_cast<size_t>(std::max(index, 0)); i < order.size(); ++i) {
        pool[order[i]].start = start;
        start += static_cast<int>(pool[order[i]].ids.size());
    }
}

// A block grown past its limit is cut into half-full blocks in one pass, so
// that a long insert (a node expanded over many children) costs its length
// rather than its length times the number of cuts.
void IndexedList::SplitIfLarge(int index) {
    const uint32_t first = order[static_cast<size_t>(index)];
    const size_t total = pool[first].ids.size(), half = kMaxBlock / 2;
    if (total <= static_cast<size_t>(kMaxBlock)) return;
    std::vector<uint32_t> tails((total - 1) / half);
    for (uint32_t& tail : tails) tail = NewBlock();
    const std::vector<uint32_t>& ids = pool[first].ids;  // after NewBlock, which may move the pool
    for (size_t i = 0; i < tails.size(); ++i) {
        const size_t from = (i + 1) * half, to = std::min(total, from + half);
        pool[tails[i]].ids.assign(ids.begin() + static_cast<std::ptrdiff_t>(from),
                                  ids.begin() + static_cast<std::ptrdiff_t>(to));
        PlaceFrom(tails[i], 0);
    }
    pool[first].ids.resize(half);
    pool[first].ids.shrink_to_fit();  // a long insert must not leave its room behind
    order.insert(order.begin() + index + 1, tails.begin(), tails.end());
}

void IndexedList::MergeIfSmall(int index) {
    if (index < 0 || static_cast<size_t>(index) + 1 >= order.size()) return;
    std::vector<uint32_t>& here = pool[order[static_cast<size_t>(index)]].ids;
    const std::vector<uint32_t>& next = pool[order[static_cast<size_t>(index) + 1]].ids;
    if (here.size() >= kMaxBlock / 4 && next.size() >= kMaxBlock / 4) return;
    if (here.size() + next.size() > static_cast<size_t>(kMaxBlock)) return;
    size_t from = here.size();
    here.insert(here.end(), next.begin(), next.end());
    PlaceFrom(order[static_cast<size_t>(index)], from);
    FreeBlock(index + 1);
}

void IndexedList::Insert(int position, const std::vector<uint32_t>& ids) {
    if (ids.empty()) return;
    position = std::clamp(position, 0, size);
    if (order.empty()) order.push_back(NewBlock());
    int index = position == size ? static_cast<int>(order.size()) - 1 : BlockIndexAt(position);
    uint32_t block = order[static_cast<size_t>(index)];
    size_t offset = static_cast<size_t>(position - pool[block].start);
    pool[block].ids.insert(pool[block].ids.begin() + static_cast<std::ptrdiff_t>(offset), ids.begin(), ids.end());
    PlaceFrom(block, offset);
    size += static_cast<int>(ids.size());
    SplitIfLarge(index);
    RestartFrom(index);
}

void IndexedList::Erase(int position, int count) {
    position = std::max(position, 0);
    count = std::min(count, size - position);
    if (count <= 0) return;
    int index = BlockIndexAt(position);
    int left = count;
    while (left > 0) {
        uint32_t block = order[static_cast<size_t>(index)];
        std::vector<uint32_t>& ids = pool[block].ids;
        size_t offset = static_cast<size_t>(position - pool[block].start);
        size_t n = std::min(static_cast<size_t>(left), ids.size() - offset);
        for (size_t i = offset; i < offset + n; ++i) places[ids[i]] = {};
        ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(offset),
                  ids.begin() + static_cast<std::ptrdiff_t>(offset + n));
        PlaceFrom(block, offset);
        left -= static_cast<int>(n);
        size -= static_cast<int>(n);
        pool[block].start = position - static_cast<int>(offset);
        if (ids.empty()) {
            FreeBlock(index);
        } else {
            ++index;
        }
        // The erased run continues at the same position in the next block.
        if (left > 0) pool[order[static_cast<size_t>(index)]].start = position;
    }
    int first = std::max(index - 1, 0);
    MergeIfSmall(first);
    RestartFrom(first);
}

void IndexedList::Permute(int first, const std::vector<uint32_t>& ids) {
    if (ids.empty()) return;
    int index = BlockIndexAt(first);
    size_t offset = static_cast<size_t>(first - pool[order[static_cast<size_t>(index)]].start);
    for (uint32_t id : ids) {
        uint32_t block = order[static_cast<size_t>(index)];
        if (offset == pool[block].ids.size()) {
            block = order[static_cast<size_t>(++index)];
            offset = 0;
        }
        pool[block].ids[offset] = id;
        places[id] = {block, static_cast<uint32_t>(offset)};
        ++offset;
    }
}

void IndexedList::Assign(const std::vector<uint32_t>& ids) {
    Clear();
    for (size_t from = 0; from < ids.size(); from += kMaxBlock / 2) {
        uint32_t block = NewBlock();
        size_t to = std::min(ids.size(), from + kMaxBlock / 2);
        pool[block].ids.assign(ids.begin() + static_cast<std::ptrdiff_t>(from),
                               ids.begin() + static_cast<std::ptrdiff_t>(to));
        pool[block].start = static_cast<int>(from);
        order.push_back(block);
        PlaceFrom(block, 0);
    }
    size = static_cast<int>(ids.size());
}

void IndexedList::Clear() {
    pool.clear();
    freeBlocks.clear();
    order.clear();
    places.clear();
    size = 0;
}

std::vector<uint32_t> IndexedList::Slice(int first, int count) const {
    std::vector<uint32_t> out;
    first = std::max(first, 0);
    count = std::min(count, size - first);
    if (count <= 0) return out;
    out.reserve(static_cast<size_t>(count));
    int index = BlockIndexAt(first);
    size_t offset = static_cast<size_t>(first - pool[order[static_cast<size_t>(index)]].start);
    while (static_cast<int>(out.size()) < count) {
        const std::vector<uint32_t>& ids = pool[order[static_cast<size_t>(index)]].ids;
        for (; offset < ids.size() && static_cast<int>(out.size()) < count; ++offset) out.push_back(ids[offset]);
        ++index;
        offset = 0;
    }
    return out;
}

}  // namespace report
