// The cells of one report item in one string: an entry per subitem, in subitem
// order, each "(image,overlay,check,textColor,textLength)text|". An entry's
// text is skipped by its length, never searched for the "|" after it: the
// second byte of a double-byte character can be a "|".
#pragma once
#include <string>

#include "win/dbcs.h"

namespace report {

using dbcs::LeadByteTest;

class CellString {
public:
    static constexpr char kTerminator = '|';
    static constexpr int kMaxTextBytes = 255;

    // The four numbers of a cell; -1 marks an absent value.
    struct Cell {
        int image = -1;
        int overlay = -1;
        int check = -1;
        int textColor = -1;
    };

    // The entry with every field absent: "(-1,-1,-1,-1,-1)|".
    static const std::string& EmptyEntry();

    // `count` empty entries; none for a count below 1.
    void Make(int count);
    // Entry `index`: its numbers go to `cell`; its text, when it has one, is
    // copied into `text` (at most *capacity - 1 bytes and a zero). *capacity
    // becomes -1 when the entry has no text. False when the entry is missing or
    // all its fields are absent (the numbers are delivered all the same).
    bool ReadEntry(int index, Cell& cell, char* text, int* capacity) const;
    // A new entry before entry `index` (index == EntryCount() appends); a null
    // text stores a cell without text.
    bool InsertEntry(int index, const Cell& cell, const char* text);
    bool RemoveEntry(int index);
    // Fails, changing nothing, when entry `index` does not exist.
    bool ReplaceEntry(int index, const Cell& cell, const char* text);

    bool IsEmptyEntry(int index) const;
    int EntryCount() const;
    // Appends empty entries until there are `count`.
    void PadTo(int count);
    const std::string& Str() const { return data; }

private:
    // Start of entry `index`, or npos when a terminator it needs is missing.
    size_t Locate(int index) const;
    // Just past the terminator of the entry that starts at `start`, or npos.
    size_t EntryEnd(size_t start) const;
    std::string data;
};

// What a cell stores of a caller's text: at most 255 bytes, never half a
// double-byte character (`isLead` may be null: a single-byte code page).
// A "|" of its own is stored as "!"; a double-byte character that ends in a
// "|" byte is kept whole.
std::string CellText(const char* text, LeadByteTest isLead);

}  // namespace report
