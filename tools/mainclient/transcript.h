// What the reference main client prints as it plays: each step as it is sent,
// with the message's number and what it carries, each command the browser
// sends back, named, with the answer it got; a run of buddy polls folded into
// one line per poll with a count; and a closing summary. The raw form is the
// older one line per command, for tools that read it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/mainclient/scenario.h"

namespace mainclient {

using Values = std::vector<std::pair<std::string, std::string>>;

// One message of the main client to the browser.
struct Message {
    unsigned number = 0;  // 0: nothing is sent
    intptr_t wParam = 0;
    intptr_t lParam = 0;
    Values mail;  // mailbox values written before it is sent, in this order
};

class Transcript {
public:
    Transcript(std::function<void(const std::string&)> print, bool raw) : print(std::move(print)), raw(raw) {}

    void Note(const std::string& line);
    // Before the step's message goes out.
    void Sent(const Step& step, const Message& message);
    // Before its answer goes out (`answer.number` 0: none).
    void Received(unsigned id, intptr_t lParam, const Values& valuesRead, const Message& answer);
    void ScenarioPlayed();
    void Ended(unsigned long exitCode);

private:
    void Out(const std::string& line);
    void FlushPolls();

    std::function<void(const std::string&)> print;
    bool raw;
    int steps = 0;
    std::map<unsigned, int> received;
    std::vector<std::pair<std::string, int>> polls;  // the current run, each line once, in order
};

// One raw transcript line for a command received from the browser.
std::string FormatCommand(unsigned id, intptr_t lParam, const Values& valuesRead);

// The mailbox values the main client reads while it handles command `id`.
std::vector<std::string> ValuesReadFor(unsigned id);

}  // namespace mainclient
