// A sequence of small ids (report items, rows) with lookups both ways that do
// not grow with its length: ids sit in blocks of a few hundred, and every id
// knows its block and its offset there. Inserting or erasing costs one block
// plus a pass over the block starts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace report {

class IndexedList {
public:
    int Size() const { return size; }
    uint32_t At(int position) const;
    // -1 when the id is not in the list.
    int PositionOf(uint32_t id) const;
    bool Contains(uint32_t id) const { return PositionOf(id) >= 0; }

    void Insert(int position, uint32_t id) { Insert(position, std::vector<uint32_t>{id}); }
    void Insert(int position, const std::vector<uint32_t>& ids);
    void Erase(int position, int count = 1);
    // Writes `ids`, the ids now at first.. in another order, over those positions.
    void Permute(int first, const std::vector<uint32_t>& ids);
    void Assign(const std::vector<uint32_t>& ids);
    void Clear();
    std::vector<uint32_t> Slice(int first, int count) const;

private:
    static constexpr int kMaxBlock = 256;
    static constexpr uint32_t kNoBlock = 0xFFFFFFFFu;
    struct Block {
        std::vector<uint32_t> ids;
        int start = 0;
    };
    struct Place {
        uint32_t block = kNoBlock;
        uint32_t offset = 0;
    };

    int BlockIndexAt(int position) const;
    uint32_t NewBlock();
    void FreeBlock(int index);
    void PlaceFrom(uint32_t block, std::size_t offset);
    void SplitIfLarge(int index);
    void MergeIfSmall(int index);
    void RestartFrom(int index);

    std::vector<Block> pool;
    std::vector<uint32_t> freeBlocks;
    std::vector<uint32_t> order;  // block ids in sequence
    std::vector<Place> places;    // by id
    int size = 0;
};

}  // namespace report
