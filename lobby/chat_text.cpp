#include "lobby/chat_text.h"

#include <algorithm>

namespace chat {

namespace {
// The first character boundary at or after `from`, found by walking whole
// characters from the text's start.
size_t BoundaryFrom(const std::string& text, size_t from, report::LeadByteTest isLead) {
    size_t at = 0;
    while (at < from) at += isLead && isLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
    return std::min(at, text.size());
}
}  // namespace

Trim PlanAppend(const std::string& display, const std::string& newText, report::LeadByteTest isLead, size_t limit) {
    Trim trim;
    const size_t length = display.size();
    const size_t newLength = newText.size();
    if (length + newLength <= limit) return trim;
    if (newLength >= limit) {
        trim.dropDisplay = length;
        trim.dropNew = BoundaryFrom(newText, newLength - limit, isLead);
        return trim;
    }
    // The first line break at i that leaves length + newLength - i < limit.
    const size_t first = length + newLength - limit + 1;
    const size_t lineBreak = display.find("\r\n", first);
    if (lineBreak != std::string::npos) {
        trim.dropDisplay = lineBreak + 2;
        return trim;
    }
    trim.dropDisplay = BoundaryFrom(display, length + newLength - limit, isLead);
    // A line break is not split: its LF alone would start the display.
    if (trim.dropDisplay < length && display[trim.dropDisplay] == '\n' && display[trim.dropDisplay - 1] == '\r')
        trim.dropDisplay++;
    return trim;
}

std::optional<std::string> TypedLine(const std::string& input) {
    const size_t length = input.size();
    if (length < 2 || input[length - 2] != '\r') return std::nullopt;
    if (input[0] == '\r') return std::string();
    return input;
}

}  // namespace chat
