#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "util/CommonUtility.h"

namespace {

struct PathCase {
    std::string path;
    std::string folder;
    std::string file;
};

class PathSplit : public testing::TestWithParam<PathCase> {};

TEST_P(PathSplit, FolderAndFileName) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    EXPECT_EQ(util.getFolderNameFromFullPath(GetParam().path), GetParam().folder);
    EXPECT_EQ(util.getFileNameFromFullPath(GetParam().path), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplit,
    testing::Values(PathCase{"/a/b/c.p12", "/a/b", "c.p12"},
                    PathCase{"/x", "", "x"},                          // only the leading slash
                    PathCase{"/a/b/", "/a/b/", "/a/b/"},              // trailing slash: no match
                    PathCase{"plain.pfx", "plain.pfx", "plain.pfx"},  // no slash: no match
                    PathCase{"/a/b\nc/d", "/a/b\nc", "d"},            // the dot crosses line ends
                    PathCase{"/家/憑證.pfx", "/家", "憑證.pfx"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

struct ReplaceCase {
    std::string text, pattern, replacement, expected;
};

class RegexReplace : public testing::TestWithParam<ReplaceCase> {};

TEST_P(RegexReplace, ReplacesEveryMatch) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    const auto& c = GetParam();
    EXPECT_EQ(util.regexReplace(c.text, c.pattern, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, RegexReplace,
    testing::Values(ReplaceCase{"a1b22c", "[0-9]+", "#", "a#b#c"},
                    ReplaceCase{"no digits", "[0-9]+", "#", "no digits"},
                    ReplaceCase{"ab", "(a)|(x)", "[$2]",
                                "[]b"},  // a group that took no part is empty
                    ReplaceCase{"-----BEGIN X-----\nAB\nCD\n-----END X-----\n",
                                "-----BEGIN X-----\\n(.*)\\n-----END X-----\\n", "$1", "AB\nCD"},
                    ReplaceCase{"text", "([", "x", ""},  // a pattern that does not compile
                    ReplaceCase{"text", "t", "$9", ""}   // a replacement naming a missing group
                    ),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(RegexMatch, MatchesOnlyTheWholeText) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    const std::string keyName = "^[0-9]{17}\\.p8$";
    EXPECT_TRUE(util.regexMatch("20240101120000123.p8", keyName));
    EXPECT_FALSE(util.regexMatch("x20240101120000123.p8", keyName));
    EXPECT_TRUE(util.regexMatch("A123456789", "[A-Z][0-9]{9}"));
    EXPECT_FALSE(util.regexMatch("A1234567890", "[A-Z][0-9]{9}"));
    EXPECT_FALSE(util.regexMatch("anything", "(["));
}

TEST(CurrentTime, SeventeenDigitStampIsAsciiDigits) {
    FakeDesktop desktop;
    CommonUtility util(desktop);
    const std::string stamp = util.getCurrentTimeStr("yyyyMMddHHmmssSSS");
    EXPECT_TRUE(util.regexMatch(stamp, "[0-9]{17}")) << stamp;
}

}  // namespace
