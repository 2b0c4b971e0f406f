// The lobby list without a window: joins and leaves played as short scripts
// against a report model, the tree they leave compared as text, and after
// every step the list checked against the rows it shows.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "lobby/lobby_users.h"
#include "tests/support/code_pages.h"

namespace {

using report::NodeHandle;

class Rows : public report::ReportModel {
public:
    Rows() {
        CacheStyle(report::Tree);
        DefineSubItem({});
    }
};

class LobbyUsersTest : public ::testing::Test {
protected:
    Rows rows;
    LobbyUsers lobby{rows, codepage::Lead932};
    int32_t me = 1;

    LobbyUsersTest() { lobby.Create(); }

    // One step per line: "join ID NICK [GID SUB NAME...]", "leave ID GID SUB"
    // or "me ID". The local user's join also shows its group, as the dialog does.
    void Play(const std::string& script) {
        std::istringstream lines(script);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string step, nick, name;
            int32_t id = 0;
            LobbyGroup group;
            words >> step >> id;
            if (step == "me") {
                me = id;
            } else if (step == "join") {
                words >> nick >> group.id >> group.subId;
                std::getline(words >> std::ws, name);
                LobbyUsers::Joined joined = lobby.Add(id, nick, name, group);
                if (id == me) lobby.ShowOwnGroup(joined.group);
            } else if (step == "leave") {
                words >> group.id >> group.subId;
                lobby.Remove(id, group, me);
            } else {
                continue;
            }
            CheckConsistent();
        }
    }

    // The tree as text: "name" for a row, "+" open or "-" closed before the
    // children of a row that has some, in brackets.
    std::string Tree(NodeHandle parent = report::RootNode) {
        std::string text;
        for (NodeHandle node = rows.GetNextItem(parent, 4); node; node = rows.GetNextItem(node, 1)) {
            report::NodeInfo info;
            rows.GetNodeInfo(node, info);
            if (!text.empty()) text += " ";
            text += rows.GetItemText(info.item, 0);
            if (rows.ItemHasChildren(node)) text += std::string(info.expanded ? "+" : "-") + "[" + Tree(node) + "]";
        }
        return text;
    }

    // Every entry shows on a live row of its own, and every row but "Lobby
    // All User" shows an entry.
    void CheckConsistent() {
        int listed = 0;
        for (SDListNode* node = lobby.Entries().GetHead(); node; node = node->next, listed++) {
            auto* entry = static_cast<const LobbyEntry*>(node->data);
            report::NodeInfo info;
            ASSERT_TRUE(rows.GetNodeInfo(static_cast<NodeHandle>(entry->row), info)) << entry->nickname;
            ASSERT_EQ(lobby.EntryAt(static_cast<NodeHandle>(entry->row)), entry);
            // A cell shows at most 255 bytes of a long group name.
            const std::string shown = entry->nickname[0] ? entry->nickname : entry->groupName;
            ASSERT_EQ(rows.GetItemText(info.item, 0), shown.substr(0, 255));
        }
        ASSERT_EQ(listed, lobby.Count());
        ASSERT_EQ(rows.GetItemCount(), lobby.Count() + 1);
    }
};

struct Script {
    const char* what;
    const char* steps;
    const char* tree;
};

const Script kScripts[] = {
    {"two users of one group share its row", "join 2 ANN 12 1 T\njoin 3 BOB 12 1 T", "Lobby All User T-[ANN BOB]"},
    {"own join opens its group and closes the lobby's", "join 5 CY\njoin 1 ME 12 1 T",
     "Lobby All User-[CY] T+[ME]"},
    {"own join without a group opens the lobby's", "join 1 ME", "Lobby All User+[ME]"},
    {"another user's leave takes only that user", "join 2 ANN 12 1 T\njoin 3 BOB 12 1 T\nleave 2 12 1",
     "Lobby All User T-[BOB]"},
    {"a leave must name the group the user joined", "join 2 ANN 12 1 T\nleave 2 12 2\nleave 2 0 0",
     "Lobby All User T-[ANN]"},
    {"own leave of a table takes the table", "join 1 ME 12 1 T\njoin 2 ANN 12 1 T\njoin 3 BOB 14 2 U\nleave 1 12 1",
     "Lobby All User U-[BOB]"},
    {"own leave of group 0 takes only the own entry", "join 1 ME 0 3 T\njoin 2 ANN 0 3 T\nleave 1 0 3",
     "Lobby All User T+[ANN]"},
    {"own leave without a group", "join 1 ME\njoin 2 ANN\nleave 1 0 0", "Lobby All User+[ANN]"},
    // The group row found by name holds a second table's users: they go with
    // the row, and no entry keeps pointing at it.
    {"a shared name's row goes with its users", "join 2 ANN 12 1 T\njoin 3 BOB 13 2 T\njoin 1 ME 12 1 T\nleave 1 12 1",
     "Lobby All User"},
    {"a second table's users keep their own row", "join 2 ANN 13 2 T\njoin 1 ME 12 1 U\njoin 3 BOB 12 1 T\nleave 1 12 1",
     "Lobby All User T-[ANN]"},
    {"a listed nickname adds nothing, not even its group", "join 2 ANN 12 1 T\njoin 9 ANN 14 1 U",
     "Lobby All User T-[ANN]"},
    {"over-long nicknames are refused", "join 2 ABCDEFGHIJKLMNOPQRSTU 12 1 T\njoin 3 ABCDEFGHIJKLMNOPQRST",
     "Lobby All User-[ABCDEFGHIJKLMNOPQRST]"},
    {"a group named like a user puts its users under the lobby's", "join 2 T\njoin 3 BOB 12 1 T",
     "Lobby All User-[T BOB]"},
    {"leaves on an empty list and by group entries do nothing", "leave 2 0 0\nleave 1 12 1\njoin 2 ANN 12 1 T\nleave 0 12 1",
     "Lobby All User T-[ANN]"},
};

class LobbyScripts : public LobbyUsersTest, public ::testing::WithParamInterface<Script> {};

TEST_P(LobbyScripts, LeaveTheTree) {
    Play(GetParam().steps);
    EXPECT_EQ(Tree(), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(Lobby, LobbyScripts, ::testing::ValuesIn(kScripts));

TEST_F(LobbyUsersTest, LookupsFindTheNewestMatch) {
    Play("join 7 OLD 12 1 T\njoin 7 NEW 14 2 U\njoin 2 ANN");
    EXPECT_EQ(lobby.NicknameOf(7), "NEW");
    EXPECT_EQ(lobby.NicknameOf(8), "");
    EXPECT_EQ(lobby.NicknameOf(0), "");  // the newest entry of id 0 is group U's
    Play("leave 7 14 2");
    EXPECT_EQ(lobby.NicknameOf(7), "OLD");
    ASSERT_NE(lobby.FindGroupName("T"), nullptr);
    EXPECT_EQ(lobby.FindGroupName("T")->groupId, 12);
    EXPECT_EQ(lobby.FindNickname("ANN")->userId, 2);
    EXPECT_EQ(lobby.FindNickname("T"), nullptr);
    EXPECT_EQ(lobby.FindNickname("")->groupName, std::string("U"));  // a group entry has no nickname
    EXPECT_EQ(lobby.FindGroupName("")->nickname, std::string("ANN"));
}

TEST_F(LobbyUsersTest, LongGroupNamesAreCutWhole) {
    const std::string plain(400, 'g');
    const std::string wide = std::string(301, 'w') + "\x81\x40" + "tail";
    lobby.Add(2, "ANN", plain, {12, 1});
    lobby.Add(3, "BOB", wide, {13, 1});
    lobby.Add(4, "CY", plain.substr(0, 350), {12, 1});  // the same group, once cut
    ASSERT_NE(lobby.FindGroupName(plain.substr(0, 302)), nullptr);
    EXPECT_NE(lobby.FindGroupName(std::string(301, 'w')), nullptr);
    EXPECT_EQ(lobby.Count(), 5);
    CheckConsistent();
}

// A crowded lobby comes and goes in random order; the checks run under the
// sanitizers, so an entry read after it was freed fails here.
TEST_F(LobbyUsersTest, CrowdComesAndGoes) {
    std::mt19937 random(2024);
    struct User {
        int32_t id;
        LobbyGroup group;
    };
    std::vector<User> users;
    for (int32_t id = 2; id < 20000; id++) {
        const LobbyGroup group{static_cast<int32_t>(random() % 200), 1};
        const std::string name = group.id ? "table " + std::to_string(group.id % 150) : "";
        if (lobby.Add(id, "u" + std::to_string(id), name, group).user) users.push_back({id, group});
    }
    EXPECT_EQ(static_cast<size_t>(lobby.Count()), users.size() + 150);
    CheckConsistent();
    std::shuffle(users.begin(), users.end(), random);
    for (size_t i = 0; i < users.size(); i++) {
        if (i % 997 == 0) me = users[i].id;  // now and then the local user leaves a table
        lobby.Remove(users[i].id, users[i].group, me);
        if (i % 1000 == 0) CheckConsistent();
    }
    CheckConsistent();
    for (SDListNode* node = lobby.Entries().GetHead(); node; node = node->next)
        EXPECT_EQ(static_cast<const LobbyEntry*>(node->data)->nickname[0], '\0');
}

}  // namespace
