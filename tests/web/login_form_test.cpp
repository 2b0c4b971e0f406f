// The login form's capacities and which empty fields are worth a log line
// (the body as posted is checked end to end in web_pages_test).
#include <gtest/gtest.h>

#include <string>

#include "lobby/login_form.h"
#include "tests/support/code_pages.h"

using namespace loginform;

namespace {

Values Filled(const std::string& prefix) {
    Values values;
    for (size_t i = 0; i < kFieldCount; i++) values[i] = prefix + kFields[i].name;
    return values;
}

TEST(LoginForm, ValuesAreCutToTheirCapacity) {
    Values values;
    for (std::string& value : values) value = std::string(259, 'x');  // the longest a mailbox read gives
    Values cut = CutToCapacity(values, nullptr);
    for (size_t i = 0; i < kFieldCount; i++) {
        size_t capacity = (i == 5 || i == 6) ? 11u : 51u;  // sitekey, freesite
        EXPECT_EQ(cut[i], std::string(capacity, 'x')) << kFields[i].valueName;
    }
    // The longest body fits its 500-byte buffer whole.
    EXPECT_EQ(FormatBody(cut).size(), 385u);

    Values shortOnes = Filled("");
    EXPECT_EQ(CutToCapacity(shortOnes, nullptr), shortOnes);
    values.fill(std::string(51, 'y'));
    EXPECT_EQ(CutToCapacity(values, nullptr)[0], values[0]);
    // Never half a double-byte character: 50 letters and "ソ" keep the 50.
    values.fill(std::string(50, 'y') + "\x83\x5C");
    EXPECT_EQ(CutToCapacity(values, codepage::Lead932)[0], std::string(50, 'y'));
}

TEST(LoginForm, EmptyFieldsAreLoggedExceptPart) {
    std::vector<std::string> all;
    for (const char* text : EmptyFieldLogTexts(Values{})) all.push_back(text);
    EXPECT_EQ(all, (std::vector<std::string>{"szUNO", "szUID", "szPWD", "szHWINFO", "szSiteKey", "szFreeSite",
                                             "szDeviceID"}));
    EXPECT_TRUE(EmptyFieldLogTexts(Filled("a")).empty());

    Values onlyPart = Filled("a");
    onlyPart[1].clear();
    EXPECT_TRUE(EmptyFieldLogTexts(onlyPart).empty());
    Values noDevice = Filled("a");
    noDevice[7].clear();
    ASSERT_EQ(EmptyFieldLogTexts(noDevice).size(), 1u);
    EXPECT_STREQ(EmptyFieldLogTexts(noDevice)[0], "szDeviceID");
}

}  // namespace
