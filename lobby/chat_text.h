// The chat's text rules, without a window: what a full display drops before a
// new line, and when the typed text is a line to send.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "controls/report/cell_string.h"

namespace chat {

constexpr size_t kDisplayLimit = 49999;
constexpr size_t kInputLimit = 99;

struct Trim {
    size_t dropDisplay = 0;  // leading characters of the display to remove
    size_t dropNew = 0;      // leading characters of the new text to leave out
};

// Whole leading lines go, the fewest that let the new text fit; when no line
// break allows that (or the text alone is too long), the oldest characters
// go, so that at most kDisplayLimit bytes stay. Neither the display nor the
// new text is cut inside a double-byte character (`isLead` may be null: a
// single-byte code page) or between CR and LF.
Trim PlanAppend(const std::string& display, const std::string& newText, report::LeadByteTest isLead = nullptr,
                size_t limit = kDisplayLimit);

// The input's text once Enter ended it (its line break last): the line to
// send, or an empty line for an Enter on nothing. No result while typing.
std::optional<std::string> TypedLine(const std::string& input);

}  // namespace chat
