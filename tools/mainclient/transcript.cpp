#include "tools/mainclient/transcript.h"

#include "lobby/protocol.h"

namespace mainclient {

using namespace protocol;

namespace {

// One line, whatever the text holds. A backslash stays as it is: in a
// double-byte code page it may be the second byte of a character, and no
// byte that ends a line or quotes can be.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\r')
            quoted += "\\r";
        else if (c == '\n')
            quoted += "\\n";
        else if (c == '"')
            quoted += "\\\"";
        else
            quoted += c;
    }
    return quoted + "\"";
}

std::string Get(const Values& values, const char* name) {
    for (const auto& [valueName, value] : values)
        if (valueName == name) return value;
    return {};
}

// A group as its two numbers; 0/0 is the lobby itself.
std::string Group(const std::string& id, const std::string& sub) {
    return (id == "0" || id.empty()) && (sub == "0" || sub.empty()) ? "lobby" : id + "/" + sub;
}

const char* Presence(intptr_t flag) { return LowByte(flag) ? "online" : "offline"; }

std::string ChatText(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return Quoted(text);
}

// A step that sends nothing: what the main client now knows.
std::string Unsent(const Step& step) {
    switch (step.kind) {
    case StepKind::User:
        return "user " + std::to_string(step.id) + " " + step.nick + " " + Presence(step.number);
    case StepKind::Login: {
        std::string line = "login";
        for (const auto& [field, value] : step.fields) line += " " + field + "=" + value;
        return line;
    }
    case StepKind::Site:
        return "site page " + std::to_string(step.number) + " at " + step.text;
    case StepKind::Wait:
        return "wait " + std::to_string(step.number) + " ms";
    default:
        return "(nothing sent)";
    }
}

std::string DescribeSent(const Step& step, const Message& m) {
    switch (step.kind) {
    case StepKind::Tick:
        return "-> WM_TIMER tick";
    case StepKind::Mode:
        return "-> WM_COMMAND " + std::to_string(m.wParam) + (step.number ? " lobby mode" : " web mode") + " button";
    case StepKind::Close:
        return "-> WM_CLOSE close the browser";
    default:
        break;
    }
    if (m.number == 0) return "   " + Unsent(step);
    std::string line = "-> " + std::to_string(m.number) + " ";
    switch (m.number) {
    case BRM_SET_MY_ID:
        return line + "my id " + std::to_string(m.lParam);
    case BRM_SET_ONLINE:
        return line + Presence(m.wParam);
    case BRM_SHOW_LOBBY:
        return line + "show the lobby" + (LowByte(m.wParam) ? "" : " while offline");
    case BRM_LOBBY_USER: {
        std::string group = Group(Get(m.mail, kTemp1), Get(m.mail, kTemp3));
        std::string name = Get(m.mail, kTemp);
        if (!LowByte(m.lParam)) return line + "leave " + Get(m.mail, kTemp2) + " (" + group + ")";
        return line + "join " + Get(m.mail, kTemp2) + " (" + group + (name.empty() ? "" : " " + Quoted(name)) + ")";
    }
    case BRM_CHAT_LINE:
        return line + "chat " + Get(m.mail, kTemp4) + ": " + ChatText(Get(m.mail, kTemp));
    case BRM_ADD_BUDDY:
        if (!LowByte(m.wParam)) return line + "refuse the buddy";
        return line + "add buddy " + Quoted(Get(m.mail, kTemp2)) + " " + std::to_string(m.lParam) + " (" +
               (Get(m.mail, kTemp1) == "0" ? "offline" : "online") + ")";
    case BRM_BUDDY_STATUS:
        return line + "buddy " + std::to_string(m.lParam) + " " + Presence(m.wParam);
    case BRM_OPEN_SITE_PAGE:
        return line + "open site page " + std::to_string(m.wParam);
    case BRM_OPEN_MAILBOX_URL:
        return line + "open " + Quoted(Get(m.mail, kUrl));
    default:
        return line + "wParam=" + std::to_string(m.wParam) + " lParam=" + std::to_string(m.lParam);
    }
}

const char* CommandName(unsigned id) {
    switch (id) {
    case BRC_SEND_CHAT:
        return "chat";
    case BRC_EXIT:
        return "exit";
    case BRC_STARTED:
        return "start notice";
    case BRC_STARTED_2:
        return "second start notice";
    case BRC_INVITE_PLAYER:
        return "invite player";
    case BRC_ADD_BUDDY:
        return "add buddy";
    case BRC_SEND_PRIVATE_CHAT:
        return "private chat";
    case BRC_QUERY_BUDDY:
        return "buddy poll";
    default:
        return "unknown command";
    }
}

// What a command carries, after its name.
std::string CommandDetail(unsigned id, intptr_t lParam, const Values& values) {
    std::string from = " from " + Get(values, kTemp3);
    switch (id) {
    case BRC_SEND_CHAT:
        return ChatText(Get(values, kTemp)) + from + " to " + Group(Get(values, kTemp1), Get(values, kTemp2)) +
               (lParam ? ", user " + std::to_string(lParam) : "");
    case BRC_SEND_PRIVATE_CHAT:
        return ChatText(Get(values, kTemp)) + from + " to user " + std::to_string(lParam);
    case BRC_ADD_BUDDY:
        return Quoted(Get(values, kTemp));
    case BRC_EXIT:
    case BRC_STARTED:
    case BRC_STARTED_2:
        return "";
    case BRC_INVITE_PLAYER:
    case BRC_QUERY_BUDDY:
        return std::to_string(lParam);
    default:
        return "lParam=" + std::to_string(lParam);
    }
}

std::string DescribeAnswer(const Message& answer) {
    std::string number = std::to_string(answer.number);
    switch (answer.number) {
    case 0:
        return "";
    case BRM_CHAT_LINE:
        return " (echoed " + number + ")";
    case BRM_BUDDY_STATUS:
        return " (answered " + number + ": " + Presence(answer.wParam) + ")";
    case BRM_ADD_BUDDY:
        if (!LowByte(answer.wParam)) return " (answered " + number + ": refused)";
        return " (answered " + number + ": " + std::to_string(answer.lParam) + " " +
               (Get(answer.mail, kTemp1) == "0" ? "offline" : "online") + ")";
    default:
        return " (answered " + number + ")";
    }
}

}  // namespace

void Transcript::Out(const std::string& line) {
    FlushPolls();
    print(line);
}

void Transcript::FlushPolls() {
    for (const auto& [line, count] : polls) print(count > 1 ? line + " x" + std::to_string(count) : line);
    polls.clear();
}

void Transcript::Note(const std::string& line) { Out(line); }

void Transcript::Sent(const Step& step, const Message& message) {
    steps++;
    if (!raw) Out(DescribeSent(step, message));
}

void Transcript::Received(unsigned id, intptr_t lParam, const Values& valuesRead, const Message& answer) {
    received[id]++;
    if (raw) return Out(FormatCommand(id, lParam, valuesRead));
    std::string detail = CommandDetail(id, lParam, valuesRead);
    std::string line = "<- " + std::to_string(id) + " " + CommandName(id) + (detail.empty() ? "" : " " + detail) +
                       DescribeAnswer(answer);
    if (id != BRC_QUERY_BUDDY) return Out(line);
    // Every timer tick polls every buddy: between other events, each poll
    // with its answer is told once.
    for (auto& [text, count] : polls)
        if (text == line) return void(count++);
    polls.emplace_back(line, 1);
}

void Transcript::ScenarioPlayed() {
    if (!raw) Out("== scenario played");
}

void Transcript::Ended(unsigned long exitCode) {
    if (raw) return Out("browser ended code=" + std::to_string(exitCode));
    int total = 0;
    std::string kinds;
    for (const auto& [id, count] : received) {
        total += count;
        kinds += (kinds.empty() ? "" : ", ") + std::to_string(id) + " " + CommandName(id) + " " + std::to_string(count);
    }
    Out("== " + std::to_string(steps) + " steps played; " + std::to_string(total) + " commands received" +
        (kinds.empty() ? "" : " (" + kinds + ")") + "; the browser's exit code " + std::to_string(exitCode));
}

std::vector<std::string> ValuesReadFor(unsigned id) {
    switch (id) {
    case BRC_SEND_CHAT:
    case BRC_SEND_PRIVATE_CHAT:
        return {kTemp1, kTemp2, kTemp3, kTemp};
    case BRC_ADD_BUDDY:
        return {kTemp};
    default:
        return {};
    }
}

std::string FormatCommand(unsigned id, intptr_t lParam, const Values& valuesRead) {
    std::string line = "command " + std::to_string(id) + " lParam=" + std::to_string(lParam);
    for (const auto& [name, value] : valuesRead) line += " " + name + "=" + Quoted(value);
    return line;
}

}  // namespace mainclient
