#include "lobby/chat_text.h"

namespace chat {

Trim PlanAppend(const std::string& display, size_t newLength, size_t limit) {
    Trim trim;
    const size_t length = display.size();
    if (length + newLength <= limit) return trim;
    if (newLength >= limit) {
        trim.dropDisplay = length;
        trim.dropNew = newLength - limit;
        return trim;
    }
    // The first line break at i that leaves length + newLength - i < limit.
    const size_t first = length + newLength - limit + 1;
    const size_t lineBreak = display.find("\r\n", first);
    if (lineBreak != std::string::npos) {
        trim.dropDisplay = lineBreak + 2;
        return trim;
    }
    trim.dropDisplay = length + newLength - limit;
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
