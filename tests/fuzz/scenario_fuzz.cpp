// The scenario reader on any text: nothing crashes, every accepted line is the
// step its first word names, and a step written out again reads back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/mainclient/scenario.h"

using namespace mainclient;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

const char* Keyword(StepKind kind) {
    static const char* const words[] = {"myid",   "online", "lobby", "join", "leave", "chat", "user", "buddy", "refuse",
                                        "status", "login",  "site",  "page", "open",  "tick", "wait", "mode",  "close"};
    return words[static_cast<int>(kind)];
}

std::string N(int32_t value) { return " " + std::to_string(value); }

// The step as a scenario line, in the README's form.
std::string Write(const Step& s) {
    std::string line = Keyword(s.kind);
    switch (s.kind) {
    case StepKind::MyId:
    case StepKind::Buddy:
        return line + N(s.id);
    case StepKind::Online:
    case StepKind::Page:
    case StepKind::Wait:
        return line + N(s.number);
    case StepKind::Join:
        line += N(s.id) + " " + s.nick;
        if (s.text.empty() && s.number == 0 && s.number2 == 0) return line;
        return line + N(s.number) + N(s.number2) + " " + s.text;
    case StepKind::Leave:
        return line + N(s.id) + " " + s.nick + N(s.number) + N(s.number2);
    case StepKind::Chat:
        return line + N(s.id) + " " + s.nick + " " + s.text;
    case StepKind::User:
        return line + N(s.id) + " " + s.nick + N(s.number);
    case StepKind::Status:
        return line + N(s.id) + N(s.number);
    case StepKind::Login:
        for (const auto& [name, value] : s.fields) line += " " + name + "=" + value;
        return line;
    case StepKind::Site:
        return line + N(s.number) + " " + s.text;
    case StepKind::Open:
        return line + " " + s.text;
    case StepKind::Mode:
        return line + (s.number ? " lobby" : " web");
    default:
        return line;
    }
}

bool Same(const Step& a, const Step& b) {
    return a.kind == b.kind && a.id == b.id && a.number == b.number && a.number2 == b.number2 && a.nick == b.nick &&
           a.text == b.text && a.fields == b.fields;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ParseResult r = ParseScenario(text);
    const std::vector<std::string> lines = Lines(text);
    Check(r.steps.size() + r.errors.size() <= lines.size());
    int previous = 0;
    for (const Step& step : r.steps) {
        Check(step.line > previous && step.line <= static_cast<int>(lines.size()));
        previous = step.line;
        // The line begins, after blanks, with the step's own word and a blank or its end.
        const std::string& line = lines[step.line - 1];
        size_t at = line.find_first_not_of(" \t\v\f\r");
        const std::string word = Keyword(step.kind);
        Check(at != std::string::npos && line.compare(at, word.size(), word) == 0);
        Check(line.size() == at + word.size() ||
              std::string(" \t\v\f\r").find(line[at + word.size()]) != std::string::npos);

        const ParseResult again = ParseScenario(Write(step));
        Check(again.errors.empty() && again.steps.size() == 1 && Same(again.steps[0], step));
    }
    return 0;
}
