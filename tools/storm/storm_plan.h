// The message storm's plan: a hostile main client's sequence of steps, drawn
// from a seed. Window-free, so that the same seed gives the same steps on
// every build, and the plan can be checked without a browser.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace storm {

// splitmix64: fully defined by its seed, unlike the standard distributions.
class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t Next();
    uint32_t Bits() { return static_cast<uint32_t>(Next() >> 32); }
    uint32_t Below(uint32_t bound);  // 0..bound-1; bound > 0
    bool Percent(uint32_t percent) { return Below(100) < percent; }
    template <typename T, size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(N)];
    }

private:
    uint64_t state;
};

enum class Kind {
    Control,         // any number of 8828..9039 with random parameters
    Join,            // 9027, a user arrives in a group or the lobby
    Leave,           // 9027 with a low byte of 0
    Chat,            // 9025
    TypedChat,       // characters typed into the chat input
    AddBuddy,        // 9036
    BuddyStatus,     // 9039
    Tick,            // WM_TIMER, the buddy polling
    MyId,            // 9032
    Online,          // 9028
    Mode,            // 9033 or the mode commands 9300 and 9301
    ForeignAddress,  // 8829 with a pointer of another process
    OpenAddress,     // 8830 with "URL"
    SitePage,        // 8828 with the site page keys
    BuddyButton,     // "A" or "D": the input dialog, answered
    Invite,          // "Invite Player"
    ListInput,       // keys, clicks, wheel and scrolling on the lobby list
    HeaderInput,     // clicks, double clicks and drags on the list's header
};
const char* KindName(Kind kind);

enum class Target { Dialog, LobbyList, Header, ChatInput };

// The window messages of the plan, by number (this unit sees no <windows.h>).
namespace wm {
constexpr unsigned kCommand = 0x0111;
constexpr unsigned kTimer = 0x0113;
constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kKeyUp = 0x0101;
constexpr unsigned kChar = 0x0102;
constexpr unsigned kHScroll = 0x0114;
constexpr unsigned kVScroll = 0x0115;
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kLButtonDown = 0x0201;
constexpr unsigned kLButtonUp = 0x0202;
constexpr unsigned kLButtonDblClk = 0x0203;
constexpr unsigned kRButtonDown = 0x0204;
constexpr unsigned kRButtonUp = 0x0205;
constexpr unsigned kMouseWheel = 0x020A;
}  // namespace wm

enum class ValueType { Text, Binary, Number };

// A registry value written before the step's message; an empty key is the mailbox.
struct RegistryWrite {
    std::string key;
    std::string name;
    std::string bytes;
    ValueType type = ValueType::Text;
};

// One window message of an input gesture. x and y are fractions (in 65536ths)
// of the target's client area; the storm turns them into points.
struct InputMessage {
    unsigned message;
    uint32_t wParam;
    uint16_t x, y;
};

struct Step {
    Kind kind = Kind::Control;
    Target target = Target::Dialog;
    std::vector<RegistryWrite> writes;
    unsigned message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
    bool posted = false;
    std::vector<InputMessage> input;  // ListInput, HeaderInput, TypedChat
    std::string typed;                // BuddyButton: what the user types
    bool confirm = false;             // BuddyButton: OK rather than Cancel
    // One line for the transcript: kind, message, parameters, value lengths.
    std::string Describe() const;
};

// A player the storm's main client knows, for answering 9035 and 9038.
struct Player {
    int32_t id;
    std::string nickname;
    uint8_t online;
};

class Plan {
public:
    explicit Plan(uint64_t seed);
    Step Next();
    const std::vector<Player>& Players() const { return players; }

private:
    Step Control();
    Step Join();
    Step Leave();
    Step Chat();
    Step TypedChat();
    Step AddBuddy();
    Step BuddyStatus();
    Step Mode();
    Step ForeignAddress();
    Step OpenAddress();
    Step SitePage();
    Step BuddyButton();
    Step ListInput();
    Step HeaderInput();

    std::string Text(size_t length);
    std::string HostileText();
    std::string Number();
    RegistryWrite Value(const char* name, std::string bytes);
    RegistryWrite HostileValue(const char* name);
    const Player& SomePlayer() { return players[random.Below(static_cast<uint32_t>(players.size()))]; }
    int32_t SomeUserId();
    std::string SomeNickname();
    const std::string& SomeGroup() { return groups[random.Below(static_cast<uint32_t>(groups.size()))]; }
    uint32_t FlagByte();
    InputMessage Point(unsigned message, uint32_t wParam);

    Random random;
    std::vector<Player> players;
    std::vector<std::string> oddNicknames;  // empty, over-long, odd characters
    std::vector<std::string> groups;
};

}  // namespace storm
