#include "diag/debuglog.h"
#include "diag/sdlist.h"
#include "tests/diag/scratch_dir.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>
#include <regex>

namespace {

// Blocks as the browser makes them: zero-filled from ::operator new.
void* Block(int tag) {
    void* block = ::operator new(16);
    std::memset(block, 0, 16);
    std::memcpy(block, &tag, sizeof tag);
    return block;
}

int Tag(const SDListNode* node) {
    int tag = 0;
    std::memcpy(&tag, node->data, sizeof tag);
    return tag;
}

// Tags from head to tail, after checking both link directions and the count.
std::vector<int> Walk(const SDList& list) {
    std::vector<int> tags;
    const SDListNode* previous = nullptr;
    for (const SDListNode* node = list.GetHead(); node; node = node->next) {
        EXPECT_EQ(node->previous, previous);
        tags.push_back(Tag(node));
        previous = node;
    }
    EXPECT_EQ(list.GetTail(), previous);
    EXPECT_EQ(list.GetCount(), static_cast<int>(tags.size()));
    return tags;
}

SDListNode* Nth(const SDList& list, int index) {
    SDListNode* node = list.GetHead();
    while (index-- > 0) node = node->next;
    return node;
}

void Fill(SDList& list, std::initializer_list<int> tagsHeadFirst) {
    for (auto it = std::rbegin(tagsHeadFirst); it != std::rend(tagsHeadFirst); ++it) list.AddHead(Block(*it));
}

using Tags = std::vector<int>;

TEST(SDListTest, AddHeadPutsTheNewestFirst) {
    SDList list;
    list.AddHead(nullptr);
    EXPECT_EQ(list.GetCount(), 0);
    list.AddHead(Block(1));
    EXPECT_EQ(list.GetHead(), list.GetTail());
    EXPECT_EQ(Walk(list), Tags({1}));
    list.AddHead(Block(2));
    list.AddHead(Block(3));
    EXPECT_EQ(Walk(list), Tags({3, 2, 1}));
}

TEST(SDListTest, InsertPositions) {
    SDList list;
    EXPECT_FALSE(list.Insert(nullptr, nullptr, false));
    EXPECT_TRUE(list.Insert(nullptr, Block(1), false)) << "first node of an empty list";
    EXPECT_TRUE(list.Insert(list.GetHead(), Block(2), false)) << "head of one is also the tail";
    EXPECT_EQ(Walk(list), Tags({1, 2}));
    EXPECT_TRUE(list.Insert(list.GetHead(), Block(0), true));
    EXPECT_EQ(Walk(list), Tags({0, 1, 2}));
    EXPECT_TRUE(list.Insert(list.GetTail(), Block(3), false));
    EXPECT_EQ(Walk(list), Tags({0, 1, 2, 3}));
    EXPECT_TRUE(list.Insert(Nth(list, 2), Block(9), false));
    EXPECT_EQ(Walk(list), Tags({0, 1, 9, 2, 3}));
    EXPECT_TRUE(list.Insert(Nth(list, 1), Block(8), true)) << "bHead only matters at the head";
    EXPECT_EQ(Walk(list), Tags({0, 8, 1, 9, 2, 3}));

    void* orphan = Block(7);
    EXPECT_FALSE(list.Insert(nullptr, orphan, false));
    EXPECT_EQ(list.GetCount(), 6);
    ::operator delete(orphan);
}

TEST(SDListTest, DeleteRelinksNeighbours) {
    SDList list;
    EXPECT_FALSE(list.Delete(nullptr));
    Fill(list, {1, 2, 3, 4});
    EXPECT_TRUE(list.Delete(Nth(list, 1)));
    EXPECT_EQ(Walk(list), Tags({1, 3, 4}));
    EXPECT_TRUE(list.Delete(list.GetTail()));
    EXPECT_EQ(Walk(list), Tags({1, 3}));
    EXPECT_TRUE(list.Delete(list.GetHead()));
    EXPECT_EQ(Walk(list), Tags({3}));
    EXPECT_TRUE(list.Delete(list.GetHead()));
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.GetTail(), nullptr);
    EXPECT_EQ(list.GetCount(), 0);
    list.AddHead(Block(5));
    EXPECT_EQ(Walk(list), Tags({5}));
}

TEST(SDListTest, RemoveAllAndDestructionFreeEverything) {
    SDList list;
    EXPECT_FALSE(list.RemoveAll());
    Fill(list, {1, 2, 3});
    EXPECT_TRUE(list.RemoveAll());
    EXPECT_EQ(Walk(list), Tags{});
    EXPECT_FALSE(list.RemoveAll());
    Fill(list, {4, 5});
    // The destructor frees these; the leak checker reports any left.
}

TEST(SDListTest, LockOnlyWithAnAttachedLock) {
    SDList plain;
    EXPECT_FALSE(plain.Lock());
    EXPECT_FALSE(plain.Unlock());
    EXPECT_TRUE(plain.SetLock(nullptr));
    EXPECT_FALSE(plain.Lock());

    diag::CriticalSection section{};
    SDList guarded(&section);
    EXPECT_TRUE(guarded.Lock());
    EXPECT_TRUE(guarded.IsLocked());
    EXPECT_TRUE(guarded.Lock()) << "re-entrant for its owner";
    EXPECT_TRUE(guarded.Unlock());
    EXPECT_TRUE(guarded.Unlock());
    EXPECT_FALSE(guarded.IsLocked());
    Fill(guarded, {1});
    EXPECT_TRUE(guarded.RemoveAll());
    EXPECT_FALSE(guarded.IsLocked());
}

class SDListFaultTest : public ScratchDirTest {
protected:
    static std::string Hex(const void* pointer) {
        char text[32];
        std::snprintf(text, sizeof text, "%" PRIXPTR, reinterpret_cast<std::uintptr_t>(pointer));
        return text;
    }

    static std::string Eip(const void* pointer) { return diag::FormatFaultBody(pointer); }

    // The text of a log line, between the thread field and the error code.
    static std::string Body(const std::string& line) {
        static const std::regex pattern(R"(^\S+ \S+-\d+ TRD=\d+ (.*) ERR=-?\d+ \r\n$)");
        std::smatch fields;
        return std::regex_match(line, fields, pattern) ? fields[1].str() : "<malformed> " + line;
    }

    // Exactly one fault line for `node`, then exactly one error line `error`.
    static void ExpectOneFault(const void* node, const std::string& error) {
        const auto faults = ReadLines("SDListDbg_Exception.log");
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_EQ(Body(faults[0]), Eip(node));
        const auto errors = ReadLines("SDListErr.log");
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(Body(errors[0]), error);
    }
};

TEST_F(SDListFaultTest, ForeignPositionLeavesTheListAsItWas) {
    SDList list;
    SDList other;
    Fill(list, {1, 2, 3});
    Fill(other, {7});
    SDListNode* foreign = other.GetHead();
    void* data = Block(9);

    EXPECT_FALSE(list.Insert(foreign, data, false));
    EXPECT_EQ(Walk(list), Tags({1, 2, 3}));
    EXPECT_EQ(Walk(other), Tags({7}));

    ExpectOneFault(foreign, "Insert head=" + Hex(list.GetHead()) + " tail=" + Hex(list.GetTail()) +
                                " list=" + Hex(foreign) + " Data=" + Hex(data) + " bHead=0");
    ::operator delete(data);
}

TEST_F(SDListFaultTest, HeadWithoutBHeadHasNoPredecessor) {
    SDList list;
    list.SetName("lobby");
    Fill(list, {1, 2});
    SDListNode* head = list.GetHead();
    void* data = Block(9);
    EXPECT_FALSE(list.Insert(head, data, false));
    EXPECT_EQ(Walk(list), Tags({1, 2}));
    ::operator delete(data);

    // A non-empty list with a position on an empty list is foreign as well.
    SDList empty;
    data = Block(8);
    EXPECT_FALSE(empty.Insert(head, data, true));
    EXPECT_EQ(empty.GetCount(), 0);
    ::operator delete(data);

    const auto faults = ReadLines("SDListDbg_Exception.log");
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(Body(faults[0]), "[lobby] " + Eip(head));
    EXPECT_EQ(Body(faults[1]), Eip(head));
    EXPECT_EQ(ReadLines("SDListErr.log").size(), 2u);
}

TEST_F(SDListFaultTest, ForeignDeleteLogsAndStillSucceeds) {
    SDList list;
    SDList other;
    Fill(list, {1, 2});
    Fill(other, {7});
    SDListNode* foreign = other.GetHead();

    EXPECT_TRUE(list.Delete(foreign));
    EXPECT_EQ(Walk(list), Tags({1, 2}));
    EXPECT_EQ(Walk(other), Tags({7}));

    ExpectOneFault(foreign, "Delete Data=" + Hex(foreign));
}

}  // namespace
