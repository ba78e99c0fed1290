#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "ui/PfxPasswordRules.h"
#include "util/CommonUtility.h"

namespace {

TEST(PfxPasswordRules, FirstBrokenRuleInTheFixedOrder) {
    const StringMap allClasses{{"pfx.pwd.digit", "Y"},
                               {"pfx.pwd.UCAlpha", "Y"},
                               {"pfx.pwd.LCAlph", "Y"},
                               {"pfx.pwd.punctuation", "Y"}};
    const struct {
        StringMap cfg;
        std::string password;
        std::string expected;  // "" when the password passes
    } cases[] = {
        // Lengths come before the character classes.
        {{{"pfx.pwd.minLen", "8"}, {"pfx.pwd.digit", "Y"}}, "abc", "密碼長度不足"},
        {{{"pfx.pwd.minLen", "3"}, {"pfx.pwd.maxLen", "5"}}, "abcdef", "密碼長度超過限制"},
        // Lengths count UTF-16 units: two Chinese characters are two, an emoji is two.
        {{{"pfx.pwd.minLen", "3"}}, "密碼", "密碼長度不足"},
        {{{"pfx.pwd.maxLen", "3"}}, "密碼", ""},
        {{{"pfx.pwd.maxLen", "3"}}, "密😀", ""},
        {{{"pfx.pwd.maxLen", "3"}}, "密碼😀", "密碼長度超過限制"},
        // A bound of 0, a negative one or one that is no number imposes nothing.
        {{{"pfx.pwd.minLen", "0"}, {"pfx.pwd.maxLen", "-1"}}, "", ""},
        {{{"pfx.pwd.minLen", "abc"}, {"pfx.pwd.maxLen", "x9"}}, "a", ""},
        {allClasses, "abcDEF!", "憑證檔密碼必需包含數字"},
        {allClasses, "abc123!", "憑證檔密碼必需包含大寫英文字母"},
        {allClasses, "ABC123!", "憑證檔密碼必需包含小寫英文字母"},
        {allClasses, "Abc123", "憑證檔密碼必需包含特殊符號"},
        {allClasses, "Abc123!", ""},
        // Classes are ASCII: a space, a diacritic or a Chinese character is "other".
        {allClasses, "Abc 123", ""},
        {allClasses, "Äbc123", "憑證檔密碼必需包含大寫英文字母"},
        {{{"pfx.pwd.punctuation", "Y"}}, "abc密碼", ""},
        // Only "Y" turns a flag on, and lower case is read from the key without final "a".
        {{{"pfx.pwd.digit", "y"}, {"pfx.pwd.LCAlpha", "Y"}}, "ABC", ""},
        {{{"pfx.pwd.LCAlph", "Y"}}, "ABC", "憑證檔密碼必需包含小寫英文字母"},
    };
    FakeDesktop desktop;
    const CommonUtility util(desktop);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        auto violation = PfxPasswordRules::fromConfig(c.cfg).firstViolation(util, c.password);
        EXPECT_EQ(violation.value_or(""), c.expected);
    }
}

}  // namespace
