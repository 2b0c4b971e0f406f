#include "controls/report/cell_string.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace report {

namespace {

void AppendEntry(std::string& out, const CellString::Cell& cell, const char* text) {
    const int length = text ? static_cast<int>(std::strlen(text)) : -1;
    out += '(';
    for (int value : {cell.image, cell.overlay, cell.check, cell.textColor}) {
        out += std::to_string(value);
        out += ',';
    }
    out += std::to_string(length);
    out += ')';
    if (text) out += text;
    out += CellString::kTerminator;
}

// "(%d,%d,%d,%d,%d)" at `p`: the five numbers, or false.
bool ParseNumbers(const char* p, int (&numbers)[5]) {
    if (*p++ != '(') return false;
    for (int i = 0; i < 5; ++i) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end == p || *end != (i < 4 ? ',' : ')')) return false;
        numbers[i] = static_cast<int>(value);
        p = end + 1;
    }
    return true;
}

}  // namespace

const std::string& CellString::EmptyEntry() {
    static const std::string entry = [] {
        std::string e;
        AppendEntry(e, Cell{}, nullptr);
        return e;
    }();
    return entry;
}

void CellString::Make(int count) {
    data.clear();
    if (count < 1) return;
    data.reserve(static_cast<size_t>(count) * 20);
    for (int i = 0; i < count; ++i) data += EmptyEntry();
}

size_t CellString::EntryEnd(size_t start) const {
    int numbers[5];
    if (start >= data.size() || !ParseNumbers(data.c_str() + start, numbers)) return std::string::npos;
    const size_t bar = data.find(')', start) + 1 + static_cast<size_t>(std::max(numbers[4], 0));
    return bar < data.size() && data[bar] == kTerminator ? bar + 1 : std::string::npos;
}

size_t CellString::Locate(int index) const {
    if (index < 0) return std::string::npos;
    size_t position = 0;
    for (int i = 0; i < index && position != std::string::npos; ++i) position = EntryEnd(position);
    return position;
}

bool CellString::ReadEntry(int index, Cell& cell, char* text, int* capacity) const {
    size_t start = Locate(index);
    int numbers[5];
    if (start == std::string::npos || !ParseNumbers(data.c_str() + start, numbers)) return false;
    cell = {numbers[0], numbers[1], numbers[2], numbers[3]};
    const int length = numbers[4];
    if (length < 0) {
        if (capacity) *capacity = -1;
    }
    if (numbers[0] == -1 && numbers[1] == -1 && numbers[2] == -1 && numbers[3] == -1 && length == -1) return false;
    if (length >= 0 && text && capacity && *capacity > 0) {
        const size_t from = data.find(')', start) + 1;
        const size_t copied = std::min(static_cast<size_t>(length), static_cast<size_t>(*capacity - 1));
        data.copy(text, copied, from);
        text[copied] = '\0';
    }
    return true;
}

bool CellString::InsertEntry(int index, const Cell& cell, const char* text) {
    size_t start = Locate(index);
    if (start == std::string::npos) return false;
    std::string entry;
    AppendEntry(entry, cell, text);
    data.insert(start, entry);
    return true;
}

bool CellString::RemoveEntry(int index) {
    const size_t start = Locate(index);
    const size_t end = start == std::string::npos ? start : EntryEnd(start);
    if (end == std::string::npos) return false;
    data.erase(start, end - start);
    return true;
}

bool CellString::ReplaceEntry(int index, const Cell& cell, const char* text) {
    size_t start = Locate(index);
    if (start == std::string::npos || EntryEnd(start) == std::string::npos) return false;
    return InsertEntry(index, cell, text) && RemoveEntry(index + 1);
}

bool CellString::IsEmptyEntry(int index) const {
    size_t start = Locate(index);
    return start == std::string::npos || data.compare(start, EmptyEntry().size(), EmptyEntry()) == 0;
}

int CellString::EntryCount() const {
    int count = 0;
    for (size_t at = 0; (at = EntryEnd(at)) != std::string::npos;) ++count;
    return count;
}

void CellString::PadTo(int count) {
    for (int i = EntryCount(); i < count; ++i) data += EmptyEntry();
}

std::string CellText(const char* text, LeadByteTest isLead) {
    std::string out;
    if (!text) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && out.size() < static_cast<size_t>(CellString::kMaxTextBytes)) {
        if (isLead && isLead(*p)) {
            if (!p[1] || out.size() + 2 > static_cast<size_t>(CellString::kMaxTextBytes)) break;
            out.append(reinterpret_cast<const char*>(p), 2);
            p += 2;
        } else {
            out += *p == CellString::kTerminator ? '!' : static_cast<char>(*p);
            ++p;
        }
    }
    return out;
}

}  // namespace report
