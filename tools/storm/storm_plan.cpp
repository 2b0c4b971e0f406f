#include "tools/storm/storm_plan.h"

#include <cstdio>

#include "lobby/protocol.h"
#include "lobby/resource.h"

namespace storm {

namespace {

using namespace protocol;

constexpr uint32_t kShift = 0x4, kControlKey = 0x8, kLeftButton = 0x1;

constexpr int kPlayerCount = 64;
constexpr int kGroupCount = 12;
constexpr int kOddNicknameCount = 24;

const char* const kMailboxNames[] = {"URL",        "BR_TEMP",     "BR_TEMP1",     "BR_TEMP2",    "BR_TEMP3",
                                     "BR_TEMP4",   "URL_UNO",     "URL_PART",     "URL_UID",     "URL_PWD",
                                     "URL_HWINFO", "URL_SITEKEY", "URL_FREESITE", "URL_DEVICEID"};
// Decimal fields as a careless or hostile server might fill them.
const char* const kOddNumbers[] = {"",
                                   "0",
                                   "-0",
                                   "1",
                                   "-1",
                                   "2147483647",
                                   "2147483648",
                                   "-2147483648",
                                   "-2147483649",
                                   "4294967296",
                                   "99999999999999999999999",
                                   "abc",
                                   " 12",
                                   "+7",
                                   "12abc",
                                   "0x1F",
                                   "1e9",
                                   "\t-3",
                                   "--5"};
// Lengths on both sides of every limit the browser keeps.
const size_t kEdgeLengths[] = {0, 1, 259, 260, 10000};
const size_t kLimitLengths[] = {20, 21, 99, 100, 302, 303, 339, 340};
const uint32_t kForeignPointers[] = {0x10, 0xFFFFFFFF, 0x7FFF0000, 0x00400000, 0x00010000, 0x80000000};
const uint32_t kKeys[] = {0x26, 0x28, 0x25, 0x27, 0x21, 0x22, 0x24, 0x23,  // arrows, page, home, end
                          0x20, 0x0D, 0x1B, 0x09, 0x2E, 0x71, 0x6B, 0x6D, 0x6A, 0x41, 0x5A};
const int32_t kWheelDeltas[] = {120, -120, 240, -360, 1, -1, 30000, -30000};

// Per thousand steps. Every box the browser shows costs about two seconds
// under Wine on a display without a window manager, so the steps that show
// one are rare: refused buddies, the input dialog, lobby mode while offline.
struct Weighted {
    Kind kind;
    uint32_t weight;
};
constexpr Weighted kMix[] = {
    {Kind::Control, 250},    {Kind::Join, 125},       {Kind::Leave, 80},       {Kind::Chat, 80},
    {Kind::TypedChat, 30},   {Kind::AddBuddy, 60},    {Kind::BuddyStatus, 50}, {Kind::Tick, 5},
    {Kind::MyId, 10},        {Kind::Online, 20},      {Kind::Mode, 20},        {Kind::ForeignAddress, 30},
    {Kind::OpenAddress, 10}, {Kind::SitePage, 10},    {Kind::BuddyButton, 1},  {Kind::Invite, 10},
    {Kind::ListInput, 140},  {Kind::HeaderInput, 69},
};

uint32_t MakeParam(uint32_t low, uint32_t high) { return (low & 0xFFFF) | (high << 16); }

Step MessageStep(Kind kind, unsigned message, uint32_t wParam, uint32_t lParam) {
    Step step;
    step.kind = kind;
    step.message = message;
    step.wParam = wParam;
    step.lParam = lParam;
    return step;
}

Step CommandStep(Kind kind, uint32_t id) { return MessageStep(kind, wm::kCommand, id, 0); }

}  // namespace

uint64_t Random::Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t Random::Below(uint32_t bound) { return static_cast<uint32_t>((uint64_t{Bits()} * bound) >> 32); }

const char* KindName(Kind kind) {
    static const char* const names[] = {"control",   "join",         "leave",        "chat",      "typed-chat",
                                        "add-buddy", "buddy-status", "tick",         "my-id",     "online",
                                        "mode",      "foreign-8829", "open-address", "site-page", "buddy-button",
                                        "invite",    "list-input",   "header-input"};
    return names[static_cast<int>(kind)];
}

std::string Step::Describe() const {
    static const char* const kTargets[] = {"dialog", "lobby list", "header", "chat input"};
    char text[96];
    std::string line = KindName(kind);
    if (input.empty()) {
        std::snprintf(text, sizeof text, " %s %u wParam=0x%08X lParam=0x%08X", posted ? "post" : "send", message,
                      wParam, lParam);
        line += text;
    } else {
        line += std::string(" to the ") + kTargets[static_cast<int>(target)] + ":";
        for (const InputMessage& m : input) {
            std::snprintf(text, sizeof text, " %04X(%X@%u,%u)", m.message, m.wParam, m.x, m.y);
            line += text;
        }
    }
    for (const RegistryWrite& write : writes) {
        std::string key = write.key.empty() ? "" : write.key.substr(write.key.rfind('\\') + 1) + "\\";
        line += " " + key + write.name + "[" + std::to_string(write.bytes.size()) +
                (write.type == ValueType::Text ? "]" : " raw]");
    }
    if (kind == Kind::BuddyButton) line += " typed[" + std::to_string(typed.size()) + (confirm ? "] OK" : "] Cancel");
    return line;
}

Plan::Plan(uint64_t seed) : random(seed) {
    for (int i = 0; i < kPlayerCount; i++) {
        // Mostly ordinary names; some upper-case ones, as the input dialog
        // types them, and some at or past the limits of the records.
        std::string nickname = i % 16 == 15 ? Text(random.Pick(kLimitLengths)) : Text(3 + random.Below(10));
        if (i % 4 == 0)
            for (char& c : nickname) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        players.push_back({1000 + i, nickname, static_cast<uint8_t>(random.Below(2))});
    }
    for (int i = 0; i < kOddNicknameCount; i++) oddNicknames.push_back(HostileText());
    groups.push_back("");
    for (int i = 1; i < kGroupCount; i++) groups.push_back(i % 5 == 4 ? HostileText() : "Table " + Text(4));
    groups.push_back(players[3].nickname);  // a group named like a user
}

Step Plan::Next() {
    uint32_t roll = random.Below(1000);
    Kind kind = Kind::Control;
    for (const Weighted& entry : kMix) {
        if (roll < entry.weight) {
            kind = entry.kind;
            break;
        }
        roll -= entry.weight;
    }
    switch (kind) {
    case Kind::Control:
        return Control();
    case Kind::Join:
        return Join();
    case Kind::Leave:
        return Leave();
    case Kind::Chat:
        return Chat();
    case Kind::TypedChat:
        return TypedChat();
    case Kind::AddBuddy:
        return AddBuddy();
    case Kind::BuddyStatus:
        return BuddyStatus();
    case Kind::Tick:
        return MessageStep(kind, wm::kTimer, random.Below(4), 0);
    case Kind::MyId:
        return MessageStep(kind, BRM_SET_MY_ID, random.Bits(), static_cast<uint32_t>(SomeUserId()));
    case Kind::Online:
        return MessageStep(kind, BRM_SET_ONLINE, random.Percent(10) ? 0 : FlagByte(), random.Bits());
    case Kind::Mode:
        return Mode();
    case Kind::ForeignAddress:
        return ForeignAddress();
    case Kind::OpenAddress:
        return OpenAddress();
    case Kind::SitePage:
        return SitePage();
    case Kind::BuddyButton:
        return BuddyButton();
    case Kind::Invite:
        return CommandStep(kind, IDC_INVITE);
    case Kind::ListInput:
        return ListInput();
    case Kind::HeaderInput:
        return HeaderInput();
    }
    return Control();
}

std::string Plan::Text(size_t length) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
    static const char kLineBreaks[] = "\r\n\t\x01 a%";
    uint32_t alphabet = random.Below(10);
    std::string text(length, ' ');
    for (char& c : text) {
        if (alphabet < 6)
            c = kLetters[random.Below(sizeof kLetters - 1)];
        else if (alphabet < 8)
            c = static_cast<char>(0x20 + random.Below(0x5F));  // printable, with % \ " [ ]
        else if (alphabet < 9)
            c = static_cast<char>(0x80 + random.Below(0x80));  // the code page's upper half
        else
            c = kLineBreaks[random.Below(sizeof kLineBreaks - 1)];
    }
    return text;
}

std::string Plan::HostileText() {
    uint32_t roll = random.Below(10);
    if (roll < 5) return Text(random.Pick(kEdgeLengths));
    if (roll < 6) return Text(random.Pick(kLimitLengths));
    return Text(2 + random.Below(30));
}

std::string Plan::Number() {
    if (random.Percent(60)) return random.Pick(kOddNumbers);
    return std::to_string(static_cast<int32_t>(random.Bits()) >> random.Below(32));
}

RegistryWrite Plan::Value(const char* name, std::string bytes) {
    RegistryWrite write{"", name, std::move(bytes), ValueType::Text};
    uint32_t roll = random.Below(100);
    if (roll < 3) {
        write.type = ValueType::Binary;  // no terminator, zeros inside
        write.bytes += std::string(1 + random.Below(3), '\0') + Text(random.Below(8));
    } else if (roll < 6) {
        write.type = ValueType::Number;
        uint32_t number = random.Bits();
        write.bytes.assign(reinterpret_cast<const char*>(&number), sizeof number);
    }
    return write;
}

RegistryWrite Plan::HostileValue(const char* name) {
    return Value(name, random.Percent(30) ? Number() : HostileText());
}

int32_t Plan::SomeUserId() {
    if (random.Percent(90)) return SomePlayer().id;
    return static_cast<int32_t>(random.Pick(kForeignPointers) + random.Below(3) - 1);  // wraps at the edges
}

// Nicknames come from fixed pools, so that the browser's lists stay bounded and
// growing memory means a leak, not a bigger lobby.
std::string Plan::SomeNickname() {
    if (random.Percent(85)) return SomePlayer().nickname;
    return oddNicknames[random.Below(static_cast<uint32_t>(oddNicknames.size()))];
}

uint32_t Plan::FlagByte() { return (random.Bits() & ~0xFFu) | (1 + random.Below(255)); }

InputMessage Plan::Point(unsigned message, uint32_t wParam) {
    return {message, wParam, static_cast<uint16_t>(random.Bits()), static_cast<uint16_t>(random.Bits())};
}

Step Plan::Control() {
    Step step = MessageStep(Kind::Control, kFirstControlMessage + random.Below(kControlMessageCount), random.Bits(),
                            random.Bits());
    for (uint32_t n = random.Below(3); n > 0; n--) step.writes.push_back(HostileValue(random.Pick(kMailboxNames)));
    return step;
}

Step Plan::Join() {
    Step step = MessageStep(Kind::Join, BRM_LOBBY_USER, static_cast<uint32_t>(SomeUserId()), FlagByte());
    size_t group = random.Below(static_cast<uint32_t>(groups.size()));
    bool plain = random.Percent(80);
    step.writes = {Value(kTemp2, SomeNickname()), Value(kTemp, random.Percent(25) ? "" : groups[group]),
                   Value(kTemp1, plain ? std::to_string(group) : Number()),
                   Value(kTemp3, plain ? std::to_string(group % 3) : Number())};
    return step;
}

Step Plan::Leave() {
    Step step = MessageStep(Kind::Leave, BRM_LOBBY_USER, static_cast<uint32_t>(SomeUserId()), random.Bits() & ~0xFFu);
    uint32_t group = random.Below(static_cast<uint32_t>(groups.size()));
    bool plain = random.Percent(80);
    step.writes = {Value(kTemp2, SomeNickname()), Value(kTemp1, plain ? std::to_string(group) : Number()),
                   Value(kTemp3, plain ? std::to_string(group % 3) : Number())};
    return step;
}

Step Plan::Chat() {
    uint32_t lParam = random.Percent(50) ? 0xFFFFFFFF : random.Bits();
    Step step = MessageStep(Kind::Chat, BRM_CHAT_LINE, static_cast<uint32_t>(SomeUserId()), lParam);
    std::string text = random.Percent(60) ? Text(1 + random.Below(60)) + "\r\n" : HostileText();
    step.writes = {Value(kTemp, text), Value(kTemp4, SomeNickname())};
    return step;
}

Step Plan::TypedChat() {
    Step step;
    step.kind = Kind::TypedChat;
    step.target = Target::ChatInput;
    std::string keys = random.Percent(10) ? "\r" + Text(random.Below(5)) : Text(random.Below(120));
    if (keys.empty() || random.Percent(80)) keys += '\r';  // Enter
    for (char key : keys) step.input.push_back({wm::kChar, static_cast<unsigned char>(key), 0, 0});
    return step;
}

Step Plan::AddBuddy() {
    uint32_t wParam = random.Below(1000) < 15 ? random.Bits() & ~0xFFu : FlagByte();
    Step step = MessageStep(Kind::AddBuddy, BRM_ADD_BUDDY, wParam, static_cast<uint32_t>(SomeUserId()));
    std::string flag = random.Percent(70) ? std::to_string(random.Below(2)) : Number();
    step.writes = {Value(kTemp1, flag), Value(kTemp2, SomeNickname())};
    return step;
}

Step Plan::BuddyStatus() {
    return MessageStep(Kind::BuddyStatus, BRM_BUDDY_STATUS, random.Bits() >> random.Below(32),
                       static_cast<uint32_t>(SomeUserId()));
}

Step Plan::Mode() {
    uint32_t roll = random.Below(10);
    if (roll < 2) return MessageStep(Kind::Mode, BRM_SHOW_LOBBY, random.Percent(8) ? 0 : FlagByte(), random.Bits());
    return CommandStep(Kind::Mode, roll < 6 ? ID_MODE_WEB : ID_MODE_LOBBY);
}

Step Plan::ForeignAddress() {
    uint32_t pointer = random.Percent(70) ? random.Pick(kForeignPointers) : random.Bits();
    Step step = MessageStep(Kind::ForeignAddress, BRM_OPEN_ADDRESS, random.Percent(80) ? 0 : random.Bits(), pointer);
    step.posted = random.Percent(50);
    return step;
}

Step Plan::OpenAddress() {
    Step step = MessageStep(Kind::OpenAddress, BRM_OPEN_MAILBOX_URL, 0, 0);
    std::string url = random.Percent(50) ? "http://127.0.0.1:9/" + Text(random.Below(40)) : HostileText();
    step.writes.push_back(Value(kUrl, url));
    if (random.Percent(50))
        for (const char* name : kLoginValues) step.writes.push_back(Value(name, HostileText()));
    return step;
}

Step Plan::SitePage() {
    uint32_t page = random.Percent(80) ? random.Below(8) : random.Bits();
    Step step =
        MessageStep(Kind::SitePage, BRM_OPEN_SITE_PAGE, page, random.Percent(80) ? random.Below(2) : random.Bits());
    RegistryWrite write = HostileValue(kSitePageValue);
    write.key = random.Pick(kSitePageKeys);
    step.writes.push_back(write);
    return step;
}

Step Plan::BuddyButton() {
    Step step = CommandStep(Kind::BuddyButton, random.Percent(60) ? IDC_ADD_BUDDY : IDC_DELETE_BUDDY);
    step.typed = random.Percent(70) ? SomePlayer().nickname.substr(0, 25) : Text(random.Below(26));
    step.confirm = random.Percent(75);
    return step;
}

Step Plan::ListInput() {
    Step step;
    step.kind = Kind::ListInput;
    step.target = Target::LobbyList;
    uint32_t keys = random.Percent(20) ? (random.Percent(50) ? kShift : kControlKey) : 0;
    InputMessage at = Point(wm::kLButtonDown, keys | kLeftButton);
    auto same = [&at](unsigned message, uint32_t wParam) { return InputMessage{message, wParam, at.x, at.y}; };
    switch (random.Below(8)) {
    case 0:  // click
        step.input = {at, same(wm::kLButtonUp, keys)};
        break;
    case 1:  // double click
        step.input = {at, same(wm::kLButtonUp, keys), same(wm::kLButtonDblClk, keys | kLeftButton),
                      same(wm::kLButtonUp, keys)};
        break;
    case 2:  // right click
        step.input = {same(wm::kRButtonDown, keys | 0x2), same(wm::kRButtonUp, keys)};
        break;
    case 3:  // wheel
        step.input = {same(wm::kMouseWheel, MakeParam(keys, static_cast<uint32_t>(random.Pick(kWheelDeltas))))};
        break;
    case 4: {  // a key, with its character now and then
        uint32_t key = random.Percent(85) ? random.Pick(kKeys) : random.Below(256);
        step.input = {{wm::kKeyDown, key, 0, 0}};
        if (random.Percent(30)) step.input.push_back({wm::kChar, 0x20 + random.Below(0x5F), 0, 0});
        step.input.push_back({wm::kKeyUp, key, 0, 0});
        break;
    }
    case 5:  // a scroll bar: SB_LINEUP .. SB_ENDSCROLL, any thumb position
        step.input = {{random.Percent(70) ? wm::kVScroll : wm::kHScroll,
                       MakeParam(random.Below(9), random.Below(0x10000)), 0, 0}};
        break;
    case 6:  // hovering
        for (uint32_t n = 1 + random.Below(4); n > 0; n--) step.input.push_back(Point(wm::kMouseMove, keys));
        break;
    default:  // a press dragged across the rows
        step.input = {at};
        for (uint32_t n = 1 + random.Below(4); n > 0; n--) step.input.push_back(Point(wm::kMouseMove, kLeftButton));
        step.input.push_back(Point(wm::kLButtonUp, 0));
        break;
    }
    return step;
}

Step Plan::HeaderInput() {
    Step step;
    step.kind = Kind::HeaderInput;
    step.target = Target::Header;
    InputMessage at = Point(wm::kLButtonDown, kLeftButton);
    auto same = [&at](unsigned message, uint32_t wParam) { return InputMessage{message, wParam, at.x, at.y}; };
    switch (random.Below(4)) {
    case 0:  // click: sorting
        step.input = {at, same(wm::kLButtonUp, 0)};
        break;
    case 1:  // double click: on a divider, a column's best width
        step.input = {at, same(wm::kLButtonUp, 0), same(wm::kLButtonDblClk, kLeftButton), same(wm::kLButtonUp, 0)};
        break;
    case 2:  // right click
        step.input = {same(wm::kRButtonDown, 0x2), same(wm::kRButtonUp, 0)};
        break;
    default:  // drag: a column to a new place, or a divider to a new width
        step.input = {at};
        for (uint32_t n = 1 + random.Below(6); n > 0; n--) step.input.push_back(Point(wm::kMouseMove, kLeftButton));
        step.input.push_back(Point(wm::kLButtonUp, 0));
        break;
    }
    return step;
}

}  // namespace storm
