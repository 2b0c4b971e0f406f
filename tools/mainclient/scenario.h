// The reference main client's scenario: a plain text file, one step per line,
// played against the browser as a card-room server would drive it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mainclient {

enum class StepKind {
    MyId,    // myid <id>
    Online,  // online <0|1>: 9028
    Lobby,   // lobby: 9033 with the current online flag
    Join,    // join <id> <nick> [<group id> <group sub id> <group name...>]: 9027
    Leave,   // leave <id> <nick> [<group id> <group sub id>]: 9027 with low byte 0
    Chat,    // chat <id> <nick> <text...>: 9025 from another user
    User,    // user <id> <nick> <0|1>: a player the server knows (answers 9035, 9038)
    Buddy,   // buddy <id>: the server adds a known user as buddy (9036)
    Refuse,  // refuse: 9036 with the refusal flag
    Status,  // status <id> <0|1>: the user's presence changes (9039)
    Login,   // login <field>=<value> ...: values written before pages
    Site,    // site <0..5> <address>: the site page table
    Page,    // page <0..5>: 8828 with the login values
    Open,    // open <address>: "URL" and the login values, then 8830
    Tick,    // tick: one WM_TIMER
    Wait,    // wait <ms>
    Mode,    // mode web|lobby: command 9300 or 9301 as if pressed
    Close,   // close: the browser's window is closed
};

struct Step {
    StepKind kind = StepKind::Wait;
    int line = 0;
    int32_t id = 0;
    int32_t number = 0;   // online flag, group id, page index, milliseconds
    int32_t number2 = 0;  // group sub id
    std::string nick;
    std::string text;                                         // group name, chat text, address
    std::vector<std::pair<std::string, std::string>> fields;  // login fields
};

struct ParseResult {
    std::vector<Step> steps;
    std::vector<std::string> errors;  // "line N: ..."
};

// Blank lines and lines starting with '#' are skipped; a malformed line is an
// error and is left out.
ParseResult ParseScenario(const std::string& text);

// The short built-in demo: a lobby of a few groups and users, some chat, two buddies.
const char* DemoScenario();

// The login fields and their mailbox value names, in form order.
const std::vector<std::pair<std::string, std::string>>& LoginFieldNames();

}  // namespace mainclient
