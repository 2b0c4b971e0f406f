#include "tools/mainclient/scenario.h"
#include "tools/mainclient/transcript.h"

#include <gtest/gtest.h>

using namespace mainclient;

TEST(Scenario, StepsAndTheirArguments) {
    ParseResult r = ParseScenario(
        "# comment\r\n"
        "\n"
        "myid 7\r\n"
        "join 9 ANNA 12 1 Hold'em  10/20\n"
        "join 10 BORIS\n"
        "leave 9 ANNA 12 1\n"
        "chat 9 ANNA hello   there\n"
        "login uno=1 pwd=a&b=c\n"
        "site 5 http://127.0.0.1:8080/help\n"
        "mode lobby\n"
        "wait 250\n");
    ASSERT_TRUE(r.errors.empty()) << r.errors.front();
    ASSERT_EQ(r.steps.size(), 9u);
    EXPECT_EQ(r.steps[0].kind, StepKind::MyId);
    EXPECT_EQ(r.steps[0].id, 7);
    EXPECT_EQ(r.steps[0].line, 3);

    const Step& join = r.steps[1];
    EXPECT_EQ(join.id, 9);
    EXPECT_EQ(join.nick, "ANNA");
    EXPECT_EQ(join.number, 12);
    EXPECT_EQ(join.number2, 1);
    EXPECT_EQ(join.text, "Hold'em  10/20");  // the group name keeps its spacing
    EXPECT_EQ(r.steps[2].text, "");          // a join without group

    EXPECT_EQ(r.steps[3].kind, StepKind::Leave);
    EXPECT_EQ(r.steps[4].text, "hello   there");
    ASSERT_EQ(r.steps[5].fields.size(), 2u);
    EXPECT_EQ(r.steps[5].fields[1].second, "a&b=c");
    EXPECT_EQ(r.steps[6].number, 5);
    EXPECT_EQ(r.steps[7].number, 1);
    EXPECT_EQ(r.steps[8].number, 250);
}

TEST(Scenario, MalformedLinesAreReportedWithTheirNumber) {
    ParseResult r = ParseScenario(
        "fly away\n"
        "myid seven\n"
        "join 9 ANNA 12\n"
        "site 6 http://x/\n"
        "login user=1\n"
        "wait -5\n"
        "online 99999999999999\n"
        "tick\n");
    ASSERT_EQ(r.errors.size(), 7u);
    EXPECT_EQ(r.errors[0], "line 1: unknown step \"fly\"");
    EXPECT_EQ(r.errors[1], "line 2: bad arguments for \"myid\"");
    ASSERT_EQ(r.steps.size(), 1u);
    EXPECT_EQ(r.steps[0].kind, StepKind::Tick);
}

TEST(Scenario, WordsAndTextSplitAtTheSameBlanks) {
    struct Case {
        std::string line;
        bool accepted;
        std::string nick, text;
    };
    const Case cases[] = {
        {"chat 9 ANNA\vhello", true, "ANNA", "hello"},
        {"join 9 ANNA 1 2\vHold'em", true, "ANNA", "Hold'em"},
        {"chat 9 ANNA hi \t\r", true, "ANNA", "hi"},  // trailing blanks are no part of the text
        {"chat 9 ANNA\v", false, "", ""},
        // Found by the fuzzer: a word holding a zero byte read as the number 0.
        {std::string("chat \0~ ANNA\vhi", 15), false, "", ""},
        {std::string("myid 12\0x", 9), false, "", ""},
    };
    for (const Case& c : cases) {
        ParseResult r = ParseScenario(c.line);
        ASSERT_EQ(r.steps.size(), c.accepted ? 1u : 0u) << c.line;
        if (!c.accepted) continue;
        EXPECT_EQ(r.steps[0].nick, c.nick) << c.line;
        EXPECT_EQ(r.steps[0].text, c.text) << c.line;
    }
}

TEST(Scenario, DemoParsesCleanly) {
    ParseResult r = ParseScenario(DemoScenario());
    EXPECT_TRUE(r.errors.empty());
    EXPECT_GT(r.steps.size(), 10u);
}

TEST(Transcript, OneLinePerCommandWithTheValuesRead) {
    EXPECT_EQ(FormatCommand(9030, 0, {}), "command 9030 lParam=0");
    EXPECT_EQ(FormatCommand(9026, -3, {{"BR_TEMP1", "0"}, {"BR_TEMP", "hi \"you\"\r\n"}}),
              "command 9026 lParam=-3 BR_TEMP1=\"0\" BR_TEMP=\"hi \\\"you\\\"\\r\\n\"");
    // 0x95 0x5C is one character of code page 932: its second byte is no escape.
    EXPECT_EQ(FormatCommand(9035, 0, {{"BR_TEMP", "\x95\\"}}), "command 9035 lParam=0 BR_TEMP=\"\x95\\\"");
    EXPECT_EQ(ValuesReadFor(9035), std::vector<std::string>{"BR_TEMP"});
    EXPECT_EQ(ValuesReadFor(9037).size(), 4u);
    EXPECT_TRUE(ValuesReadFor(9038).empty());

    std::vector<std::string> lines;
    Transcript raw([&lines](const std::string& line) { lines.push_back(line); }, true);
    raw.Sent(ParseScenario("myid 5").steps[0], {9032, 0, 5, {}});
    raw.Received(9038, 7, {}, {9039, 0, 7, {}});
    raw.Ended(0);
    EXPECT_EQ(lines, (std::vector<std::string>{"command 9038 lParam=7", "browser ended code=0"}));
}

// Steps as sent and commands with their answers, named; a run of polls told
// once per poll, with a count.
TEST(Transcript, TellsTheStoryWithRunsOfPollsFolded) {
    std::vector<std::string> lines;
    Transcript story([&lines](const std::string& line) { lines.push_back(line); }, false);
    ParseResult r = ParseScenario("user 303 KOBUS 0\njoin 202 ESTRID 12 1 Hold'em 10/20\nstatus 303 1\n");
    story.Sent(r.steps[0], {});
    story.Sent(
        r.steps[1],
        {9027, 202, 1, {{"BR_TEMP2", "ESTRID"}, {"BR_TEMP", "Hold'em 10/20"}, {"BR_TEMP1", "12"}, {"BR_TEMP3", "1"}}});
    for (int tick = 0; tick < 3; tick++)
        for (intptr_t id : {202, 303}) story.Received(9038, id, {}, {9039, id == 202, id, {}});
    story.Received(9035, 0, {{"BR_TEMP", "KOBUS"}}, {9036, 1, 303, {{"BR_TEMP1", "0"}, {"BR_TEMP2", "KOBUS"}}});
    story.Sent(r.steps[2], {9039, 1, 303, {}});
    story.Received(9038, 303, {}, {9039, 1, 303, {}});
    story.Ended(0);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "   user 303 KOBUS offline",
                         "-> 9027 join ESTRID (12/1 \"Hold'em 10/20\")",
                         "<- 9038 buddy poll 202 (answered 9039: online) x3",
                         "<- 9038 buddy poll 303 (answered 9039: offline) x3",
                         "<- 9035 add buddy \"KOBUS\" (answered 9036: 303 offline)",
                         "-> 9039 buddy 303 online",
                         "<- 9038 buddy poll 303 (answered 9039: online)",
                         "== 3 steps played; 8 commands received (9035 add buddy 1, 9038 buddy poll 7); "
                         "the browser's exit code 0",
                     }));
}
