#include "lobby/lobby_users.h"

#include <algorithm>
#include <cstring>
#include <new>

using report::NodeHandle;

namespace {
constexpr int kCollapse = 0;
constexpr int kExpand = 1;
constexpr int kNextSibling = 1;
constexpr int kFirstChild = 4;

template <typename Map, typename Key>
void Unindex(Map& map, const Key& key, const LobbyEntry* entry) {
    auto found = map.find(key);
    if (found == map.end()) return;
    auto& list = found->second;
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
    if (list.empty()) map.erase(found);
}
}  // namespace

size_t LobbyUsers::UserKeyHash::operator()(const UserKey& k) const {
    uint64_t h = static_cast<uint32_t>(k.userId);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.groupId);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.groupSubId);
    return static_cast<size_t>(h ^ (h >> 29));
}

LobbyUsers::LobbyUsers(report::ReportModel& rows, report::LeadByteTest leadByte) : rows(rows), leadByte(leadByte) {
    entries.SetName("LobbyList");
}

LobbyUsers::~LobbyUsers() = default;

void LobbyUsers::Create() {
    if (!allUsersRow)
        allUsersRow = rows.InsertItem(kAllUsersName, kGroupImage, -1, -1, report::RootNode, report::LastChild, 0);
}

LobbyUsers::Joined LobbyUsers::Add(int32_t userId, const std::string& nickname, const std::string& groupName,
                                   LobbyGroup group) {
    Joined joined;
    const std::string name = CutGroupName(groupName);
    const LobbyEntry* known = name.empty() ? nullptr : FindGroupName(name);
    // Checked before any row is made: a refused user leaves no empty group behind.
    if (nickname.empty() || nickname.size() > kNicknameMax || NicknameExists(nickname)) {
        if (known) joined.group = static_cast<NodeHandle>(known->row);
        return joined;
    }
    NodeHandle parent = allUsersRow ? allUsersRow : report::RootNode;
    if (!name.empty()) {
        if (!known) known = Insert(name, false, group, 0, report::RootNode);
        // A group named like a listed user has no row; its users wait under the lobby's.
        if (known) parent = joined.group = static_cast<NodeHandle>(known->row);
    }
    if (LobbyEntry* user = Insert(nickname, true, group, userId, parent)) joined.user = static_cast<NodeHandle>(user->row);
    return joined;
}

void LobbyUsers::ShowOwnGroup(NodeHandle groupRow) {
    if (!allUsersRow) return;
    if (groupRow) {
        rows.Expand(allUsersRow, kCollapse);
        rows.Expand(groupRow, kExpand);
    } else {
        rows.Expand(allUsersRow, kExpand);
    }
}

void LobbyUsers::Remove(int32_t userId, LobbyGroup group, int32_t myUserId) {
    // Only a user entry leaves: a group entry has no nickname to find its row by.
    auto found = byUser.find({userId, group.id, group.subId});
    if (found == byUser.end()) return;
    const LobbyEntry* leaving = found->second.back();
    const bool ownGroupLeft = leaving->groupId > 0 && userId == myUserId;
    DeleteRow(static_cast<NodeHandle>(leaving->row));
    if (!ownGroupLeft) return;
    // The local user left a table: the whole table goes. Collected first, as
    // a deleted row takes the entries beneath it along.
    std::vector<const LobbyEntry*> swept;
    for (SDListNode* node = entries.GetHead(); node; node = node->next) {
        auto* entry = static_cast<const LobbyEntry*>(node->data);
        if (entry->groupId == group.id && entry->groupSubId == group.subId) swept.push_back(entry);
    }
    for (const LobbyEntry* entry : swept) {
        if (nodes.count(entry)) DeleteRow(static_cast<NodeHandle>(entry->row));
    }
}

const LobbyEntry* LobbyUsers::FindNickname(const std::string& text) const {
    if (text.empty()) return Walk([](const LobbyEntry& e) { return e.nickname[0] == '\0'; });
    auto found = byNickname.find(text);
    return found == byNickname.end() ? nullptr : found->second;
}

const LobbyEntry* LobbyUsers::FindGroupName(const std::string& text) const {
    if (text.empty()) return Walk([](const LobbyEntry& e) { return e.groupName[0] == '\0'; });
    auto found = byGroupName.find(text);
    return found == byGroupName.end() ? nullptr : found->second;
}

std::string LobbyUsers::NicknameOf(int32_t userId) const {
    // Group entries carry user id 0: only then is the newest match in doubt.
    if (userId == 0) {
        const LobbyEntry* entry = Walk([](const LobbyEntry& e) { return e.userId == 0; });
        return entry ? entry->nickname : "";
    }
    auto found = byUserId.find(userId);
    return found == byUserId.end() ? "" : found->second.back()->nickname;
}

const LobbyEntry* LobbyUsers::EntryAt(NodeHandle row) const {
    auto found = byRow.find(row);
    return found == byRow.end() ? nullptr : found->second;
}

LobbyEntry* LobbyUsers::Insert(const std::string& text, bool isUser, LobbyGroup group, int32_t userId,
                               NodeHandle parent) {
    if (NicknameExists(text)) return nullptr;
    const NodeHandle row = rows.InsertItem(text.c_str(), isUser ? kUserImage : kGroupImage, -1, -1, parent,
                                           report::LastChild, 0);
    if (!row) return nullptr;
    auto* entry = static_cast<LobbyEntry*>(::operator new(sizeof(LobbyEntry)));
    std::memset(entry, 0, sizeof *entry);
    entry->row = row;
    entry->userId = userId;
    entry->groupId = group.id;
    entry->groupSubId = group.subId;
    char* field = isUser ? entry->nickname : entry->groupName;
    std::memcpy(field, text.data(), std::min(text.size(), isUser ? kNicknameMax : kGroupNameMax));
    entries.AddHead(entry);
    nodes[entry] = entries.GetHead();
    byRow[row] = entry;
    if (isUser) {
        byNickname[text] = entry;
        byUserId[userId].push_back(entry);
        byUser[{userId, group.id, group.subId}].push_back(entry);
    } else {
        byGroupName[text] = entry;
    }
    return entry;
}

template <typename Match>
LobbyEntry* LobbyUsers::Walk(Match match) const {
    for (SDListNode* node = entries.GetHead(); node; node = node->next) {
        auto* entry = static_cast<LobbyEntry*>(node->data);
        if (match(*entry)) return entry;
    }
    return nullptr;
}

// Deleting a row deletes the rows beneath it, so their entries go with it.
void LobbyUsers::DeleteRow(NodeHandle row) {
    std::vector<NodeHandle> subtree{row};
    for (size_t i = 0; i < subtree.size(); i++) {
        for (NodeHandle child = rows.GetNextItem(subtree[i], kFirstChild); child;
             child = rows.GetNextItem(child, kNextSibling))
            subtree.push_back(child);
    }
    rows.DeleteItem(row);
    for (NodeHandle gone : subtree) {
        auto found = byRow.find(gone);
        if (found != byRow.end()) Forget(found->second);
    }
}

void LobbyUsers::Forget(LobbyEntry* entry) {
    byRow.erase(static_cast<NodeHandle>(entry->row));
    if (entry->nickname[0]) {
        byNickname.erase(entry->nickname);
        Unindex(byUserId, entry->userId, entry);
        Unindex(byUser, UserKey{entry->userId, entry->groupId, entry->groupSubId}, entry);
    } else {
        byGroupName.erase(entry->groupName);
    }
    auto node = nodes.find(entry);
    SDListNode* listNode = node->second;
    nodes.erase(node);
    entries.Delete(listNode);  // frees the entry
}

std::string LobbyUsers::CutGroupName(const std::string& name) const { return dbcs::Cut(name, kGroupNameMax, leadByte); }
