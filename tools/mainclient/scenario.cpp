#include "tools/mainclient/scenario.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>

namespace mainclient {

namespace {

bool ParseNumber(const std::string& word, int32_t& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(word.c_str(), &end, 10);
    // The whole word: "12" followed by a zero byte and more is not the number 12.
    if (end != word.c_str() + word.size() || errno == ERANGE || parsed < INT32_MIN || parsed > INT32_MAX) return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

// What separates words; the words and the rest of a line use the same set, so
// that the text after the last word is exactly what the words leave over.
constexpr char kBlanks[] = " \t\v\f\r";

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    for (size_t pos = line.find_first_not_of(kBlanks); pos != std::string::npos;
         pos = line.find_first_not_of(kBlanks, pos)) {
        size_t end = std::min(line.find_first_of(kBlanks, pos), line.size());
        words.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

// The rest of the line after `count` words, as written.
std::string RestAfterWords(const std::string& line, size_t count) {
    size_t pos = 0;
    for (size_t i = 0; i < count; i++) {
        pos = line.find_first_not_of(kBlanks, pos);
        if (pos == std::string::npos) return {};
        pos = line.find_first_of(kBlanks, pos);
        if (pos == std::string::npos) return {};
    }
    pos = line.find_first_not_of(kBlanks, pos);
    return pos == std::string::npos ? std::string() : line.substr(pos);
}

const std::map<std::string, StepKind>& Keywords() {
    static const std::map<std::string, StepKind> keywords = {
        {"myid", StepKind::MyId},     {"online", StepKind::Online}, {"lobby", StepKind::Lobby},
        {"join", StepKind::Join},     {"leave", StepKind::Leave},   {"chat", StepKind::Chat},
        {"user", StepKind::User},     {"buddy", StepKind::Buddy},   {"refuse", StepKind::Refuse},
        {"status", StepKind::Status}, {"login", StepKind::Login},   {"site", StepKind::Site},
        {"page", StepKind::Page},     {"open", StepKind::Open},     {"tick", StepKind::Tick},
        {"wait", StepKind::Wait},     {"mode", StepKind::Mode},     {"close", StepKind::Close},
    };
    return keywords;
}

bool IsLoginField(const std::string& name) {
    for (const auto& field : LoginFieldNames())
        if (field.first == name) return true;
    return false;
}

// Fills `step` from the words of its line; false when they do not fit.
bool ParseArguments(Step& step, const std::vector<std::string>& w, const std::string& line) {
    size_t n = w.size();
    switch (step.kind) {
    case StepKind::MyId:
    case StepKind::Buddy:
        return n == 2 && ParseNumber(w[1], step.id);
    case StepKind::Online:
    case StepKind::Page:
    case StepKind::Wait:
        return n == 2 && ParseNumber(w[1], step.number) && step.number >= 0;
    case StepKind::Lobby:
    case StepKind::Refuse:
    case StepKind::Tick:
    case StepKind::Close:
        return n == 1;
    case StepKind::Join:
        if (n != 3 && n < 6) return false;
        step.nick = w[2];
        if (n >= 6) {
            step.text = RestAfterWords(line, 5);
            if (!ParseNumber(w[3], step.number) || !ParseNumber(w[4], step.number2)) return false;
        }
        return ParseNumber(w[1], step.id);
    case StepKind::Leave:
        if (n != 3 && n != 5) return false;
        step.nick = w[2];
        if (n == 5 && (!ParseNumber(w[3], step.number) || !ParseNumber(w[4], step.number2))) return false;
        return ParseNumber(w[1], step.id);
    case StepKind::Chat:
        step.nick = n >= 3 ? w[2] : "";
        step.text = RestAfterWords(line, 3);
        return n >= 4 && ParseNumber(w[1], step.id);
    case StepKind::User:
    case StepKind::Status:
        if (step.kind == StepKind::User) {
            if (n != 4) return false;
            step.nick = w[2];
        } else if (n != 3) {
            return false;
        }
        return ParseNumber(w[1], step.id) && ParseNumber(w[n - 1], step.number);
    case StepKind::Login:
        for (size_t i = 1; i < n; i++) {
            size_t eq = w[i].find('=');
            if (eq == std::string::npos || !IsLoginField(w[i].substr(0, eq))) return false;
            step.fields.emplace_back(w[i].substr(0, eq), w[i].substr(eq + 1));
        }
        return n >= 2;
    case StepKind::Site:
        step.text = n == 3 ? w[2] : "";
        return n == 3 && ParseNumber(w[1], step.number) && step.number >= 0 && step.number <= 5;
    case StepKind::Open:
        step.text = n == 2 ? w[1] : "";
        return n == 2;
    case StepKind::Mode:
        step.number = n == 2 && w[1] == "lobby";
        return n == 2 && (w[1] == "web" || w[1] == "lobby");
    }
    return false;
}

}  // namespace

ParseResult ParseScenario(const std::string& text) {
    ParseResult result;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        number++;
        // Trailing blanks (a "\r" of "\r\n" among them) are not part of the last word or text.
        line.erase(std::min(line.find_last_not_of(kBlanks) + 1, line.size()));
        std::vector<std::string> w = SplitWords(line);
        if (w.empty() || w[0][0] == '#') continue;

        auto keyword = Keywords().find(w[0]);
        if (keyword == Keywords().end()) {
            result.errors.push_back("line " + std::to_string(number) + ": unknown step \"" + w[0] + "\"");
            continue;
        }
        Step step;
        step.kind = keyword->second;
        step.line = number;
        if (!ParseArguments(step, w, line)) {
            result.errors.push_back("line " + std::to_string(number) + ": bad arguments for \"" + w[0] + "\"");
            continue;
        }
        result.steps.push_back(step);
    }
    return result;
}

const std::vector<std::pair<std::string, std::string>>& LoginFieldNames() {
    static const std::vector<std::pair<std::string, std::string>> names = {
        {"uno", "URL_UNO"},           {"part", "URL_PART"},        {"uid", "URL_UID"},
        {"pwd", "URL_PWD"},           {"hwinfo", "URL_HWINFO"},    {"sitekey", "URL_SITEKEY"},
        {"freesite", "URL_FREESITE"}, {"deviceid", "URL_DEVICEID"}};
    return names;
}

const char* DemoScenario() {
    return R"(# The demo: the player MARLOW logs in, meets the lobby, chats and keeps two buddies.
user 101 MARLOW 1
user 202 ESTRID 1
user 303 KOBUS 0
user 404 TAMSIN 1
myid 101
online 1
wait 1500
lobby
join 202 ESTRID 12 1 Hold'em 10/20
join 505 VELMA 12 1 Hold'em 10/20
join 707 BRANNOCK 12 1 Hold'em 10/20
join 303 KOBUS 14 2 Omaha 5/10
join 808 LISELOT 14 2 Omaha 5/10
join 909 ODALYS 14 2 Omaha 5/10
join 111 PERRIN 14 2 Omaha 5/10
join 121 QUILLON 15 1 Hold'em 2/4
join 131 RUNA 15 1 Hold'em 2/4
join 141 SAVIDGE 17 3 Stud 1/2
join 404 TAMSIN
join 606 ORRIN
join 151 WENDEL
join 161 YSOLDE
join 101 MARLOW 12 1 Hold'em 10/20
chat 202 ESTRID Good evening, table one!
chat 505 VELMA Anyone for a sit and go?
chat 101 MARLOW Evening all, deal me in.
chat 131 RUNA nh
buddy 202
buddy 303
tick
wait 1000
status 303 1
chat 606 ORRIN gl all
leave 505 VELMA 12 1
tick
)";
}

}  // namespace mainclient
