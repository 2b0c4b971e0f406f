// The lobby's users, grouped by the room or table they sit at, as the rows of
// a report tree: group rows at the top, user rows beneath them, and users
// without a group under "Lobby All User". Window-free: it drives the report
// control through its model.
//
// Every lookup keeps the meaning of a walk of the list from its newest entry,
// first match winning, but a crowded lobby is never walked for a join or a
// leave: nicknames and group names are unique in the list (a taken nickname
// is refused, a known group is reused), and the entries of a user id are kept
// in the order they came.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "controls/report/cell_string.h"
#include "controls/report/report_model.h"
#include "diag/sdlist.h"

// One row of the list, allocated zeroed and owned by the list.
struct LobbyEntry {
    uintptr_t row;  // the report node showing it
    int32_t userId;  // 0 in a group entry
    int32_t groupId;
    int32_t groupSubId;
    char nickname[21];    // empty in a group entry
    char groupName[303];  // empty in a user entry
};

struct LobbyGroup {
    int32_t id = 0;
    int32_t subId = 0;
};

class LobbyUsers {
public:
    static constexpr size_t kNicknameMax = sizeof(LobbyEntry::nickname) - 1;
    static constexpr size_t kGroupNameMax = sizeof(LobbyEntry::groupName) - 1;
    static constexpr char kAllUsersName[] = "Lobby All User";
    static constexpr int kUserImage = 0;
    static constexpr int kGroupImage = 1;

    // `rows` must show a tree; `leadByte` tells the first byte of a double-byte
    // character, so that a long group name is never cut inside one.
    LobbyUsers(report::ReportModel& rows, report::LeadByteTest leadByte);
    ~LobbyUsers();
    LobbyUsers(const LobbyUsers&) = delete;
    LobbyUsers& operator=(const LobbyUsers&) = delete;

    // Makes the "Lobby All User" row; once, when the window opens.
    void Create();
    report::NodeHandle AllUsersRow() const { return allUsersRow; }

    struct Joined {
        report::NodeHandle user = 0;   // 0: the nickname was refused
        report::NodeHandle group = 0;  // 0: no group, or none could be made
    };
    // A join: the user's row goes under its group's row, made when the group is
    // new, or under "Lobby All User" for an empty group name. A nickname that
    // is empty, too long or already listed adds nothing at all (the group's
    // row is still told, when it exists).
    Joined Add(int32_t userId, const std::string& nickname, const std::string& groupName, LobbyGroup group);
    // The local user's own group shown open and the rest of the lobby closed;
    // group 0 opens the whole lobby.
    void ShowOwnGroup(report::NodeHandle groupRow);
    // A leave: the newest user entry with these numbers goes. The local user's
    // leave of a real group (id > 0) takes every entry of that group with it.
    void Remove(int32_t userId, LobbyGroup group, int32_t myUserId);

    // Lookups in list order, newest first.
    bool NicknameExists(const std::string& text) const { return FindNickname(text) != nullptr; }
    const LobbyEntry* FindNickname(const std::string& text) const;
    const LobbyEntry* FindGroupName(const std::string& text) const;
    std::string NicknameOf(int32_t userId) const;
    // The entry a row shows; none for "Lobby All User" or a row not ours.
    const LobbyEntry* EntryAt(report::NodeHandle row) const;

    int Count() const { return entries.GetCount(); }
    const SDList& Entries() const { return entries; }

private:
    LobbyEntry* Insert(const std::string& text, bool isUser, LobbyGroup group, int32_t userId,
                       report::NodeHandle parent);
    template <typename Match>
    LobbyEntry* Walk(Match match) const;
    void DeleteRow(report::NodeHandle row);
    void Forget(LobbyEntry* entry);
    std::string CutGroupName(const std::string& name) const;

    struct UserKey {
        int32_t userId, groupId, groupSubId;
        bool operator==(const UserKey& o) const {
            return userId == o.userId && groupId == o.groupId && groupSubId == o.groupSubId;
        }
    };
    struct UserKeyHash {
        size_t operator()(const UserKey& k) const;
    };

    report::ReportModel& rows;
    report::LeadByteTest leadByte;
    report::NodeHandle allUsersRow = 0;
    SDList entries;  // newest first
    std::unordered_map<const LobbyEntry*, SDListNode*> nodes;
    std::unordered_map<report::NodeHandle, LobbyEntry*> byRow;
    std::unordered_map<std::string, LobbyEntry*> byNickname;   // user entries
    std::unordered_map<std::string, LobbyEntry*> byGroupName;  // group entries
    // User entries, oldest first (the newest match is the last).
    std::unordered_map<int32_t, std::vector<LobbyEntry*>> byUserId;
    std::unordered_map<UserKey, std::vector<LobbyEntry*>, UserKeyHash> byUser;
};
