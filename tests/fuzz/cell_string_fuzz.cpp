// A cell string edited by the fuzzer's bytes against a plain list of cells:
// every entry reads back what was last written to it, an edit never changes
// a neighbour, and a text goes in only as a cell keeps it (cut, a "|" of its
// own replaced, one that ends a double-byte character kept),
// in a single-byte code page or a double-byte one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "controls/report/cell_string.h"

namespace {

using report::CellString;

void Check(bool ok) {
    if (!ok) std::abort();
}

struct ModelCell {
    CellString::Cell numbers;
    std::optional<std::string> text;
};

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : at(data), end(data + size) {}
    bool More() const { return at < end; }
    uint8_t Byte() { return at < end ? *at++ : 0; }
    int Number() {
        switch (Byte() % 4) {
        case 0:
            return -1;
        case 1:
            return Byte();
        default: {  // any 32-bit value, the extremes included
            uint32_t bits = 0;
            for (int i = 0; i < 4; ++i) bits = bits << 8 | Byte();
            return static_cast<int>(bits);
        }
        }
    }
    std::string Text() {
        std::string text;
        for (size_t length = Byte() % 2 ? Byte() : Byte() * 2u; length > 0 && More(); --length) {
            const char c = static_cast<char>(Byte());
            if (c) text += c;
        }
        return text;
    }

private:
    const uint8_t* at;
    const uint8_t* end;
};

bool DoubleByteLead(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

void CheckAgainst(const CellString& cells, const std::vector<ModelCell>& model) {
    Check(cells.EntryCount() == static_cast<int>(model.size()));
    for (size_t i = 0; i < model.size(); ++i) {
        const ModelCell& m = model[i];
        CellString::Cell read;
        char text[300];
        int capacity = sizeof text;
        const bool absent = m.numbers.image == -1 && m.numbers.overlay == -1 && m.numbers.check == -1 &&
                            m.numbers.textColor == -1 && !m.text;
        Check(cells.ReadEntry(static_cast<int>(i), read, text, &capacity) == !absent);
        Check(read.image == m.numbers.image && read.overlay == m.numbers.overlay && read.check == m.numbers.check &&
              read.textColor == m.numbers.textColor);
        if (m.text)
            Check(capacity == static_cast<int>(sizeof text) && *m.text == text);
        else
            Check(capacity == -1);
        Check(cells.IsEmptyEntry(static_cast<int>(i)) == absent);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, size);
    const report::LeadByteTest isLead = bytes.Byte() % 2 ? DoubleByteLead : nullptr;
    CellString cells;
    std::vector<ModelCell> model;
    const int made = bytes.Byte() % 8;
    cells.Make(made);
    model.resize(static_cast<size_t>(made));

    while (bytes.More()) {
        const int op = bytes.Byte() % 5;
        // Now and then an index one past the end or below zero, which must fail.
        const int count = static_cast<int>(model.size());
        const int index = static_cast<int>(bytes.Byte()) % (count + 3) - 1;
        ModelCell cell{{bytes.Number(), bytes.Number(), bytes.Number(), bytes.Number()}, std::nullopt};
        if (bytes.Byte() % 4) {
            const std::string raw = bytes.Text();
            cell.text = report::CellText(raw.c_str(), isLead);
            Check(cell.text->size() <= static_cast<size_t>(CellString::kMaxTextBytes));
            Check(dbcs::Find(*cell.text, CellString::kTerminator, 0, isLead) == std::string::npos);
        }
        const char* text = cell.text ? cell.text->c_str() : nullptr;
        const bool exists = index >= 0 && index < count;
        switch (op) {
        case 0:
        case 1: {
            const bool fits = index >= 0 && index <= count;
            Check(cells.InsertEntry(index, cell.numbers, text) == fits);
            if (fits) model.insert(model.begin() + index, cell);
            break;
        }
        case 2:
            Check(cells.RemoveEntry(index) == exists);
            if (exists) model.erase(model.begin() + index);
            break;
        case 3:
            Check(cells.ReplaceEntry(index, cell.numbers, text) == exists);
            if (exists) model[static_cast<size_t>(index)] = cell;
            break;
        default: {
            const int target = index + 2;
            cells.PadTo(target);
            if (target > count) model.resize(static_cast<size_t>(target));
            break;
        }
        }
        CheckAgainst(cells, model);
        // A short buffer gets the start of the text and its zero, never more.
        if (exists && model[static_cast<size_t>(index)].text) {
            CellString::Cell read;
            char small[8];
            std::memset(small, 'x', sizeof small);
            int capacity = 1 + bytes.Byte() % 7;
            cells.ReadEntry(index, read, small, &capacity);
            const std::string& full = *model[static_cast<size_t>(index)].text;
            Check(full.compare(0, std::strlen(small), small) == 0 &&
                  std::strlen(small) == std::min(full.size(), static_cast<size_t>(capacity - 1)));
        }
    }
    return 0;
}
