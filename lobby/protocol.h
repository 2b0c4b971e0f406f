// Numbers of the window-message protocol between the main client and the
// browser, and the mailbox values that travel with them: the one place they
// are written down in code. The browser, the reference main client, the storm
// and the tests take them from here; README.md's table of the main client's
// messages says what each carries, and a test holds the two together.
#pragma once
#include <cstdint>
#include <string>

#include "lobby/resource.h"

namespace protocol {

// Control messages, main client -> browser.
enum ControlMessage : unsigned {
    BRM_OPEN_SITE_PAGE = 8828,
    BRM_OPEN_ADDRESS = 8829,
    BRM_OPEN_MAILBOX_URL = 8830,
    BRM_CHAT_LINE = 9025,
    BRM_LOBBY_USER = 9027,
    BRM_SET_ONLINE = 9028,
    BRM_SET_MY_ID = 9032,
    BRM_SHOW_LOBBY = 9033,
    BRM_ADD_BUDDY = 9036,
    BRM_BUDDY_STATUS = 9039,
};

// WM_COMMAND ids, browser -> main client.
enum Command : unsigned {
    BRC_SEND_CHAT = 9026,
    BRC_EXIT = 9029,
    BRC_STARTED = 9030,
    BRC_STARTED_2 = 9031,
    BRC_INVITE_PLAYER = 9034,
    BRC_ADD_BUDDY = 9035,
    BRC_SEND_PRIVATE_CHAT = 9037,
    BRC_QUERY_BUDDY = 9038,
};

constexpr unsigned kFirstControlMessage = 8828;
constexpr unsigned kControlMessageCount = 212;  // 8828..9039

constexpr bool IsControlMessage(unsigned message) { return message - kFirstControlMessage < kControlMessageCount; }

constexpr char kMainClientClass[] = "KORVEL_SEXYMAN";
constexpr char kMainClientTitle[] = "Quintara Poker";

constexpr char kMailboxKey[] = "SOFTWARE\\Korvel\\Casino\\quintara\\common";
constexpr char kUrl[] = "URL";
constexpr char kTemp[] = "BR_TEMP";
constexpr char kTemp1[] = "BR_TEMP1";
constexpr char kTemp2[] = "BR_TEMP2";
constexpr char kTemp3[] = "BR_TEMP3";
constexpr char kTemp4[] = "BR_TEMP4";
constexpr const char* kLoginValues[] = {"URL_UNO",    "URL_PART",    "URL_UID",      "URL_PWD",
                                        "URL_HWINFO", "URL_SITEKEY", "URL_FREESITE", "URL_DEVICEID"};

// The site pages that 8828 opens, by its wParam: each key's value
// "MAINCLIENT" under HKEY_LOCAL_MACHINE holds the page's address.
constexpr const char* kSitePageKeys[] = {
    "SOFTWARE\\Korvel\\Casino\\marrowfine\\HOME",  "SOFTWARE\\Korvel\\Casino\\marrowfine\\NEWS",
    "SOFTWARE\\Korvel\\Casino\\marrowfine\\EVENT", "SOFTWARE\\Korvel\\Casino\\marrowfine\\CUSTOMER",
    "SOFTWARE\\Korvel\\Casino\\marrowfine\\FAQ",   "SOFTWARE\\Korvel\\Casino\\marrowfine\\HELP",
};
constexpr char kSitePageValue[] = "MAINCLIENT";

// A value is read with room for 260 bytes, the terminator included.
constexpr size_t kMailboxRoom = 260;
constexpr size_t kMailboxMaxLength = kMailboxRoom - 1;

// Numbers travel as decimal text, blanks allowed around it; empty or
// non-numeric text ("12x" too) counts as 0. A number beyond the 32-bit range
// reads as INT32_MAX or INT32_MIN, its nearest end.
int32_t MailboxNumber(const std::string& text);

// The low byte of a message parameter, which carries the flags.
constexpr uint8_t LowByte(uintptr_t value) { return static_cast<uint8_t>(value & 0xFF); }

// The toolbar button that a CommandStateChange code of the web view enables
// or disables: Forward for 1, Back for 2; 0 for every other code (-1 asks to
// update all commands, and names no button).
constexpr unsigned NavigationButtonOf(long command) {
    return command == 1 ? ID_WEB_FORWARD : command == 2 ? ID_WEB_BACK : 0;
}

}  // namespace protocol
