#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "util/CommonUtility.h"

namespace {

class Regex : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
};

TEST_F(Regex, PathsSplitAtTheLastSlashOrNotAtAll) {
    const struct {
        std::string path, folder, file;
    } cases[] = {
        {"/a/b/c.p12", "/a/b", "c.p12"},
        {"/x", "", "x"},                          // only the leading slash
        {"/a/b/", "/a/b/", "/a/b/"},              // trailing slash: no match
        {"plain.pfx", "plain.pfx", "plain.pfx"},  // no slash: no match
        {"/a/b\nc/d", "/a/b\nc", "d"},            // the dot crosses line ends
        {"/家/憑證.pfx", "/家", "憑證.pfx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util.getFolderNameFromFullPath(c.path), c.folder) << c.path;
        EXPECT_EQ(util.getFileNameFromFullPath(c.path), c.file) << c.path;
    }
}

TEST_F(Regex, ReplaceChangesEveryMatchAndGivesNothingForABadPattern) {
    const struct {
        std::string text, pattern, replacement, expected;
    } cases[] = {
        {"a1b22c", "[0-9]+", "#", "a#b#c"},
        {"no digits", "[0-9]+", "#", "no digits"},
        {"ab", "(a)|(x)", "[$2]", "[]b"},  // a group that took no part is empty
        {"-----BEGIN X-----\nAB\nCD\n-----END X-----\n",
         "-----BEGIN X-----\\n(.*)\\n-----END X-----\\n", "$1", "AB\nCD"},
        {"text", "([", "x", ""},  // a pattern that does not compile
        {"text", "t", "$9", ""},  // a replacement naming a missing group
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util.regexReplace(c.text, c.pattern, c.replacement), c.expected) << c.pattern;
    }
}

TEST_F(Regex, MatchTakesOnlyTheWholeText) {
    const struct {
        std::string text, pattern;
        bool matches;
    } cases[] = {
        {"20240101120000123.p8", "^[0-9]{17}\\.p8$", true},
        {"x20240101120000123.p8", "^[0-9]{17}\\.p8$", false},
        {"A123456789", "[A-Z][0-9]{9}", true},
        {"A1234567890", "[A-Z][0-9]{9}", false},
        {"anything", "([", false},
    };
    for (const auto& c : cases) EXPECT_EQ(util.regexMatch(c.text, c.pattern), c.matches) << c.text;
}

}  // namespace
