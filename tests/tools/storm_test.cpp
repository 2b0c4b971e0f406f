// The storm's plan and its checks, without a browser: a seed always gives the
// same steps, the steps reach every edge the storm promises and nothing that
// would end the browser by design, and the file checks tell whole from broken.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/storm/storm_checks.h"
#include "tools/storm/storm_plan.h"

using namespace storm;

namespace {

constexpr int kSteps = 20000;

std::string Fingerprint(const Step& step) {
    std::string text = step.Describe() + step.typed;
    for (const RegistryWrite& write : step.writes) text += write.key + write.name + write.bytes;
    for (const InputMessage& input : step.input)
        text += std::to_string(input.message) + "," + std::to_string(input.wParam) + "," + std::to_string(input.x) +
                "," + std::to_string(input.y) + ";";
    return text;
}

// Many steps of one seed, drawn once for all the plan's tests.
const std::vector<Step>& Steps() {
    static const std::vector<Step> steps = [] {
        std::vector<Step> all;
        Plan plan(16);
        for (int i = 0; i < kSteps; i++) all.push_back(plan.Next());
        return all;
    }();
    return steps;
}

TEST(StormPlan, TheSameSeedGivesTheSameSteps) {
    Plan again(16), other(17);
    int differences = 0;
    for (int i = 0; i < 3000; i++) {
        ASSERT_EQ(Fingerprint(again.Next()), Fingerprint(Steps()[i])) << "step " << i + 1;
        differences += Fingerprint(other.Next()) != Fingerprint(Steps()[i]);
    }
    EXPECT_GT(differences, 2900);
    EXPECT_EQ(Plan(16).Players().front().nickname, again.Players().front().nickname);
}

TEST(StormPlan, RandomStaysBelowItsBound) {
    Random random(1);
    for (uint32_t bound : {1u, 2u, 3u, 212u, 1000u, 0xFFFFFFFFu}) {
        std::set<uint32_t> seen;
        for (int i = 0; i < 5000; i++) {
            uint32_t value = random.Below(bound);
            ASSERT_LT(value, bound);
            seen.insert(value);
        }
        if (bound <= 212) {
            EXPECT_EQ(seen.size(), bound);  // small ranges are covered whole
        }
    }
}

TEST(StormPlan, StepsReachEveryEdge) {
    std::set<Kind> kinds;
    std::set<unsigned> controls;
    std::set<size_t> lengths;
    std::set<std::string> numbers;
    std::set<unsigned> inputs;
    bool postedForeign = false, sentForeign = false, join = false, leave = false, raw = false;
    for (const Step& step : Steps()) {
        kinds.insert(step.kind);
        if (step.kind == Kind::Control) controls.insert(step.message);
        for (const RegistryWrite& write : step.writes) {
            lengths.insert(write.bytes.size());
            if (write.name == "BR_TEMP1") numbers.insert(write.bytes);
            raw = raw || write.type != ValueType::Text;
        }
        for (const InputMessage& input : step.input) inputs.insert(input.message);
        if (step.kind == Kind::ForeignAddress) (step.posted ? postedForeign : sentForeign) = true;
        if (step.kind == Kind::Join) join = join || (step.lParam & 0xFF) != 0;
        if (step.kind == Kind::Leave) leave = leave || step.lParam > 0xFF;
    }
    EXPECT_EQ(kinds.size(), 18u);
    EXPECT_EQ(controls.size(), 212u);
    EXPECT_EQ(*controls.begin(), 8828u);
    EXPECT_EQ(*controls.rbegin(), 9039u);
    for (size_t length : {0u, 1u, 259u, 260u, 10000u}) EXPECT_TRUE(lengths.count(length)) << length;
    for (const char* number : {"abc", "2147483648", "-2147483649", "99999999999999999999999", ""})
        EXPECT_TRUE(numbers.count(number)) << number;
    EXPECT_TRUE(postedForeign && sentForeign && join && leave && raw);
    for (unsigned message : {wm::kLButtonDown, wm::kLButtonDblClk, wm::kRButtonDown, wm::kMouseWheel, wm::kKeyDown,
                             wm::kChar, wm::kVScroll, wm::kHScroll, wm::kMouseMove})
        EXPECT_TRUE(inputs.count(message)) << message;
}

// Each kind sends its message with the values its handler reads, so that no
// handler quietly drops out of the storm.
TEST(StormPlan, EachKindCarriesItsValues) {
    struct Expected {
        Kind kind;
        unsigned message;
        std::set<std::string> values;
    } table[] = {
        {Kind::Join, 9027, {"BR_TEMP", "BR_TEMP1", "BR_TEMP2", "BR_TEMP3"}},
        {Kind::Leave, 9027, {"BR_TEMP1", "BR_TEMP2", "BR_TEMP3"}},
        {Kind::Chat, 9025, {"BR_TEMP", "BR_TEMP4"}},
        {Kind::AddBuddy, 9036, {"BR_TEMP1", "BR_TEMP2"}},
        {Kind::BuddyStatus, 9039, {}},
        {Kind::MyId, 9032, {}},
        {Kind::Online, 9028, {}},
        {Kind::ForeignAddress, 8829, {}},
        {Kind::OpenAddress, 8830, {"URL"}},
        {Kind::SitePage, 8828, {"MAINCLIENT"}},
        {Kind::Tick, wm::kTimer, {}},
    };
    for (const Expected& expected : table) {
        int seen = 0;
        for (const Step& step : Steps()) {
            if (step.kind != expected.kind) continue;
            seen++;
            EXPECT_EQ(step.message, expected.message) << step.Describe();
            std::set<std::string> values;
            for (const RegistryWrite& write : step.writes) {
                values.insert(write.name);
                EXPECT_EQ(write.key.empty(), write.name != "MAINCLIENT") << step.Describe();
            }
            // The login values may come along with an address.
            if (expected.kind == Kind::OpenAddress) values = {values.count("URL") ? "URL" : "no URL"};
            EXPECT_EQ(values, expected.values) << step.Describe();
        }
        EXPECT_GT(seen, 10) << KindName(expected.kind);
    }
}

TEST(StormPlan, PlayersCanBeAnsweredAndReachTheLimits) {
    Plan plan(16);
    std::set<int32_t> ids;
    std::set<size_t> lengths;
    bool upperCase = false;
    for (const Player& player : plan.Players()) {
        ids.insert(player.id);
        lengths.insert(player.nickname.size());
        // The input dialog types upper case: such players can be added with "A".
        upperCase = upperCase || player.nickname.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
    }
    EXPECT_EQ(ids.size(), plan.Players().size());
    EXPECT_TRUE(upperCase);
    EXPECT_GT(*lengths.rbegin(), 20u);
}

TEST(StormPlan, DescriptionsNameWhatWasSent) {
    Step step;
    step.kind = Kind::Join;
    step.message = 9027;
    step.wParam = 1007;
    step.lParam = 0x101;
    step.writes = {{"", "BR_TEMP2", "ANNA"}, {"", "BR_TEMP", std::string(260, 'x'), ValueType::Binary}};
    EXPECT_EQ(step.Describe(), "join send 9027 wParam=0x000003EF lParam=0x00000101 BR_TEMP2[4] BR_TEMP[260 raw]");
    step = Step();
    step.kind = Kind::HeaderInput;
    step.target = Target::Header;
    step.input = {{wm::kLButtonDown, 1, 100, 200}, {wm::kLButtonUp, 0, 100, 200}};
    EXPECT_EQ(step.Describe(), "header-input to the header: 0201(1@100,200) 0202(0@100,200)");
}

// The storm attacks the browser's handling, not its ways out: a posted key
// would pass the dialog manager (Escape closes the window), and no command
// may be Exit, Cancel or Minimize.
TEST(StormPlan, StepsNeverCloseTheBrowserByDesign) {
    const std::set<uint32_t> commands = {1020, 1024, 1025, 9300, 9301};
    std::map<Kind, int> counts;
    for (const Step& step : Steps()) {
        counts[step.kind]++;
        EXPECT_TRUE(!step.posted || step.message == 8829u) << step.Describe();
        EXPECT_TRUE(step.message != wm::kCommand || commands.count(step.wParam)) << step.Describe();
        EXPECT_TRUE(step.message != wm::kTimer || step.lParam == 0) << step.Describe();
        EXPECT_EQ(step.input.empty(), step.target == Target::Dialog) << step.Describe();
        // Every press is released within its step, so no capture is left behind.
        int pressed = 0;
        for (const InputMessage& input : step.input) {
            pressed += input.message == wm::kLButtonDown || input.message == wm::kLButtonDblClk;
            pressed -= input.message == wm::kLButtonUp;
        }
        EXPECT_EQ(pressed, 0) << step.Describe();
    }
    // The steps that show a box are rare: each costs seconds under Wine.
    EXPECT_LT(counts[Kind::BuddyButton], kSteps / 500);
    EXPECT_LT(counts[Kind::Mode], kSteps / 25);
}

const std::string kStamp = "12/07/06 03:21:05-42 TRD=1508 ";

TEST(StormChecks, LogLines) {
    struct Case {
        std::string line;
        bool ok;
        bool fault;
    } cases[] = {
        {kStamp + "Delete Data=12AB40 ERR=0 \r\n", true, false},
        {kStamp + "[lobby] Insert failed ERR=87 \r\n", true, false},
        {"01/31/99 23:59:59-0 TRD=1 uno is empty ERR=-2147024891 \r\n", true, false},
        {"12/07/06 03:21:05-999 TRD=1508  ERR=0 \r\n", true, false},  // empty text
        {"12/07/06 03:21:05-999 TRD=1508 ERR=0 \r\n", false, false},
        {kStamp + "EIP=0040A1B2 ERR=0 \r\n", true, true},
        {kStamp + "[buddies] EIP=0040A1B2 ERR=5 \r\n", true, true},
        {kStamp + "EIP=0040a1b2 ERR=0 \r\n", false, true},
        {kStamp + "Delete Data=12AB40 ERR=0 \r\n", false, true},
        {"12/07/06 03:21:05-007 TRD=1508 x ERR=0 \r\n", false, false},  // padded milliseconds
        {"13/07/06 03:21:05-42 TRD=1508 x ERR=0 \r\n", false, false},
        {"12/07/06 24:21:05-42 TRD=1508 x ERR=0 \r\n", false, false},
        {"12/07/06 03:21:05-1000 TRD=1508 x ERR=0 \r\n", false, false},
        {kStamp + "x ERR=0\r\n", false, false},
        {kStamp + "x ERR=0 \n", false, false},
        {kStamp + "x ERR=0 ", false, false},
        {kStamp + "x ERR= \r\n", false, false},
        {kStamp + "[lobby x ERR=0 \r\n", true, false},  // an unclosed bracket is text
        {kStamp + std::string(199 - kStamp.size() - 9, 'x') + " ERR=0 \r\n", true, false},
        {kStamp + std::string(200 - kStamp.size() - 9, 'x') + " ERR=0 \r\n", false, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsWellFormedLogLine(c.line, c.fault), c.ok) << c.line;
}

TEST(StormChecks, LogFiles) {
    const std::string line = kStamp + "x ERR=0 \r\n";
    EXPECT_TRUE(CheckLogFile("").ok);
    Verdict three = CheckLogFile(line + line + line);
    EXPECT_TRUE(three.ok);
    EXPECT_EQ(three.count, 3u);
    Verdict cut = CheckLogFile(line + line.substr(0, 20));
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.count, 1u);
    EXPECT_NE(cut.reason.find("line 2"), std::string::npos) << cut.reason;
    EXPECT_FALSE(CheckLogFile(line + "\r\n" + line).ok);
}

std::string Record(const std::string& nickname, uint8_t flag = 1) {
    std::string bytes(kBuddyRecordSize, '\0');
    bytes.replace(0, 4, "\x07\0\0\0", 4);
    bytes.replace(4, nickname.size(), nickname);
    bytes[25] = static_cast<char>(flag);
    return bytes;
}

TEST(StormChecks, BuddyFiles) {
    std::string junk = Record("AB");
    junk[10] = 'Z';
    std::string padding = Record("AB");
    padding[27] = 1;
    struct Case {
        std::string bytes;
        bool ok;
        size_t records;
    } cases[] = {
        {"", true, 0},
        {Record("P") + Record("Q", 0) + Record(std::string(20, 'R'), 0xFF), true, 3},
        {Record(""), true, 1},
        {Record("P").substr(1), false, 0},
        {Record("P") + Record("P"), false, 1},
        {Record(std::string(21, 'L')), false, 0},
        {junk, false, 0},
        {padding, false, 0},
    };
    for (const Case& c : cases) {
        Verdict verdict = CheckBuddyFile(c.bytes);
        EXPECT_EQ(verdict.ok, c.ok) << c.bytes.size() << " " << verdict.reason;
        EXPECT_EQ(verdict.count, c.records) << verdict.reason;
    }
}

}  // namespace
