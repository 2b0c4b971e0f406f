// The report control's containers: the cell string of an item, what a cell
// keeps of a caller's text, and the indexed list behind items and rows.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "controls/report/cell_string.h"
#include "controls/report/indexed_list.h"
#include "tests/support/code_pages.h"

using report::CellString;

namespace {

const std::string kEmpty = "(-1,-1,-1,-1,-1)|";

CellString Made(int count) {
    CellString cells;
    cells.Make(count);
    return cells;
}

TEST(CellStringEdits, MakeInsertRemoveReplace) {
    struct Case {
        const char* what;
        int entries;
        enum { Insert, Remove, Replace } op;
        int index;
        CellString::Cell cell;
        const char* text;
        bool ok;
        std::string result;
    };
    const CellString::Cell none{};
    const Case cases[] = {
        {"replace with image and text",
         3,
         Case::Replace,
         1,
         {2, -1, -1, -1},
         "x",
         true,
         kEmpty + "(2,-1,-1,-1,1)x|" + kEmpty},
        {"replace with empty text", 2, Case::Replace, 0, none, "", true, "(-1,-1,-1,-1,0)|" + kEmpty},
        {"replace without text", 2, Case::Replace, 1, {1, 2, 3, 4}, nullptr, true, kEmpty + "(1,2,3,4,-1)|"},
        {"replace past the end changes nothing", 2, Case::Replace, 2, none, "x", false, kEmpty + kEmpty},
        {"insert at the end", 2, Case::Insert, 2, {3, -1, -1, 0}, "abc", true, kEmpty + kEmpty + "(3,-1,-1,0,3)abc|"},
        {"insert past the end fails", 2, Case::Insert, 3, none, "x", false, kEmpty + kEmpty},
        {"remove the middle entry", 3, Case::Remove, 1, none, nullptr, true, kEmpty + kEmpty},
        {"remove a missing entry", 1, Case::Remove, 1, none, nullptr, false, kEmpty},
        {"a negative index is no entry", 1, Case::Remove, -1, none, nullptr, false, kEmpty},
    };
    for (const Case& c : cases) {
        CellString cells = Made(c.entries);
        bool ok = c.op == Case::Insert   ? cells.InsertEntry(c.index, c.cell, c.text)
                  : c.op == Case::Remove ? cells.RemoveEntry(c.index)
                                         : cells.ReplaceEntry(c.index, c.cell, c.text);
        EXPECT_EQ(ok, c.ok) << c.what;
        EXPECT_EQ(cells.Str(), c.result) << c.what;
    }
    EXPECT_EQ(Made(3).Str(), kEmpty + kEmpty + kEmpty);
    EXPECT_EQ(Made(0).Str(), "");
    EXPECT_EQ(Made(-4).Str(), "");
}

TEST(CellStringEdits, ReadsBackWhatWasWritten) {
    CellString cells = Made(2);
    ASSERT_TRUE(cells.ReplaceEntry(0, {3, -1, -1, 0}, "abc"));
    EXPECT_EQ(cells.Str(), "(3,-1,-1,0,3)abc|" + kEmpty);
    ASSERT_TRUE(cells.ReplaceEntry(1, {-1, -1, -1, -1}, ""));

    struct Case {
        int index;
        int capacity;
        bool found;
        int capacityAfter;
        std::string text;  // "untouched": the buffer kept its filler
        CellString::Cell cell;
    };
    const Case cases[] = {
        {0, 256, true, 256, "abc", {3, -1, -1, 0}},
        {0, 3, true, 3, "ab", {3, -1, -1, 0}},  // capacity - 1 bytes and a zero
        {1, 256, true, 256, "", {}},            // an empty text is a text
        {2, 256, false, 256, "untouched", {}},  // the end of a two-entry string
        {3, 256, false, 256, "untouched", {}},
    };
    for (const Case& c : cases) {
        char buffer[300] = "untouched";
        int capacity = c.capacity;
        CellString::Cell cell;
        EXPECT_EQ(cells.ReadEntry(c.index, cell, buffer, &capacity), c.found) << c.index;
        EXPECT_EQ(capacity, c.capacityAfter) << c.index;
        EXPECT_EQ(std::string(buffer), c.text) << c.index;
        EXPECT_EQ(cell.image, c.cell.image) << c.index;
        EXPECT_EQ(cell.textColor, c.cell.textColor) << c.index;
    }

    // No text: capacity -1 and the buffer untouched; all absent reports failure.
    CellString plain = Made(2);
    plain.ReplaceEntry(0, {5, -1, -1, -1}, nullptr);
    char buffer[8] = "keep";
    int capacity = 8;
    CellString::Cell cell;
    EXPECT_TRUE(plain.ReadEntry(0, cell, buffer, &capacity));
    EXPECT_EQ(capacity, -1);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(cell.image, 5);
    capacity = 8;
    EXPECT_FALSE(plain.ReadEntry(1, cell, buffer, &capacity));
    EXPECT_EQ(capacity, -1);
    EXPECT_EQ(cell.image, -1);
    EXPECT_TRUE(plain.IsEmptyEntry(1));
    EXPECT_FALSE(plain.IsEmptyEntry(0));
    EXPECT_EQ(plain.EntryCount(), 2);
}

TEST(CellText, CutsWholeCharactersAndReplacesABarOfItsOwn) {
    const std::string long300(300, 'a');
    std::string lead254 = std::string(254, 'a') + "\x82\x60" + "z";  // the pair would end at byte 256
    std::string pairs = "";
    for (int i = 0; i < 130; ++i) pairs += "\x88\x41";
    struct Case {
        const char* what;
        std::string in;
        report::LeadByteTest lead;
        std::string out;
    };
    const Case cases[] = {
        {"short text unchanged", "abc", nullptr, "abc"},
        {"cut at 255 bytes", long300, nullptr, std::string(255, 'a')},
        {"no half character at the cut", lead254, codepage::Lead932, std::string(254, 'a')},
        {"single-byte page cuts anywhere", lead254, nullptr, std::string(254, 'a') + "\x82"},
        {"pairs cut to 254 bytes", pairs, codepage::Lead932, pairs.substr(0, 254)},
        {"a bar of its own", "a|b||", nullptr, "a!b!!"},
        {"a pair ending in a bar", "x\x83|\x83\x60|", codepage::Lead932, "x\x83|\x83\x60!"},
        {"a lead byte without its partner", "ab\x90", codepage::Lead932, "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(report::CellText(c.in.c_str(), c.lead), c.out) << c.what;
    EXPECT_EQ(report::CellText(nullptr, nullptr), "");

    // Whatever the text, the neighbouring cells read back unchanged.
    CellString cells = Made(3);
    for (const Case& c : cases) {
        ASSERT_TRUE(cells.ReplaceEntry(1, {}, report::CellText(c.in.c_str(), c.lead).c_str())) << c.what;
        EXPECT_EQ(cells.EntryCount(), 3) << c.what;
        EXPECT_TRUE(cells.IsEmptyEntry(0) && cells.IsEmptyEntry(2)) << c.what;
        char text[256];
        int capacity = sizeof text;
        CellString::Cell cell;
        cells.ReadEntry(1, cell, text, &capacity);
        EXPECT_EQ(text, c.out) << c.what;
    }
}

TEST(IndexedList, AgreesWithAPlainVectorThroughRandomEdits) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::mt19937 random(seed);
        report::IndexedList list;
        std::vector<uint32_t> model;
        uint32_t nextId = 0;
        std::vector<uint32_t> spare;
        auto pick = [&](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound + 1)); };
        for (int step = 0; step < 1500; ++step) {
            int op = static_cast<int>(random() % 10);
            if (op < 5 || model.empty()) {  // insert a run (reusing erased ids too)
                int at = pick(static_cast<int>(model.size()));
                std::vector<uint32_t> ids;
                int n = op == 0 ? pick(600) + 1 : 1;
                for (int i = 0; i < n; ++i) {
                    if (!spare.empty() && random() % 2) {
                        ids.push_back(spare.back());
                        spare.pop_back();
                    } else {
                        ids.push_back(nextId++);
                    }
                }
                list.Insert(at, ids);
                model.insert(model.begin() + at, ids.begin(), ids.end());
            } else if (op < 8) {  // erase a run
                int at = pick(static_cast<int>(model.size()) - 1);
                int n = std::min(op == 5 ? pick(700) + 1 : 1, static_cast<int>(model.size()) - at);
                spare.insert(spare.end(), model.begin() + at, model.begin() + at + n);
                list.Erase(at, n);
                model.erase(model.begin() + at, model.begin() + at + n);
            } else if (op == 8) {  // permute a range
                int at = pick(static_cast<int>(model.size()) - 1);
                int n = pick(static_cast<int>(model.size()) - at - 1) + 1;
                std::vector<uint32_t> part(model.begin() + at, model.begin() + at + n);
                std::shuffle(part.begin(), part.end(), random);
                list.Permute(at, part);
                std::copy(part.begin(), part.end(), model.begin() + at);
            } else if (random() % 20 == 0) {
                list.Assign(model);
            }
            ASSERT_EQ(list.Size(), static_cast<int>(model.size())) << "seed " << seed << " step " << step;
            if (step % 50 == 0 || model.size() < 40) {
                ASSERT_EQ(list.Slice(0, list.Size()), model) << "seed " << seed << " step " << step;
                for (size_t i = 0; i < model.size(); ++i) {
                    ASSERT_EQ(list.At(static_cast<int>(i)), model[i]);
                    ASSERT_EQ(list.PositionOf(model[i]), static_cast<int>(i));
                }
                for (uint32_t id : spare) ASSERT_FALSE(list.Contains(id));
            }
        }
    }
}

}  // namespace
