#include <gtest/gtest.h>

#include "platform/DesktopEntry.h"

namespace {

using Args = std::vector<std::string>;
using Lines = std::vector<Args>;

DesktopEntry entry(const std::string& exec, const std::string& extra = "") {
    auto parsed = DesktopEntry::parse(
        "[Desktop Entry]\nType=Application\nName=Web Browser\n"
        "Icon=browser\nExec=" +
            exec + "\n" + extra,
        "/usr/share/applications/web.desktop");
    EXPECT_TRUE(parsed.has_value()) << exec;
    return parsed.value_or(*DesktopEntry::parse("[Desktop Entry]\nType=Application\nExec=x", ""));
}

TEST(DesktopEntry, SplitsExecByTheQuotingRules) {
    struct Case {
        std::string exec;
        std::optional<Args> args;
    };
    const std::vector<Case> cases{
        {"/usr/bin/firefox-esr %u", Args{"/usr/bin/firefox-esr", "%u"}},
        {"  a   b  ", Args{"a", "b"}},
        {"\"/opt/My Browser/run\" --x", Args{"/opt/My Browser/run", "--x"}},
        {"sh \"a \\\"b\\\" \\$c \\\\ \\`d\\`\"", Args{"sh", "a \"b\" $c \\ `d`"}},
        {"\"\"", Args{""}},
        {"\"open", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopEntry::splitExec(c.exec), c.args) << c.exec;
}

// Snap and Flatpak browsers may not read ~/.voxa; their entries say what they are.
TEST(DesktopEntry, KnowsSnapAndFlatpakPackages) {
    struct Case {
        std::string exec, extra;
        bool sandboxed;
    };
    const std::vector<Case> cases{
        {"env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop "
         "/snap/bin/firefox %u",
         "X-SnapInstanceName=firefox\n", true},
        {"env A=1 B=2 /snap/bin/chromium %U", "", true},
        {"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox "
         "--file-forwarding org.mozilla.firefox @@u %u @@",
         "X-Flatpak=org.mozilla.firefox\n", true},
        {"flatpak run org.chromium.Chromium %U", "", true},
        {"/usr/bin/firefox %u", "X-Flatpak=org.mozilla.firefox\n", true},
        {"/usr/bin/firefox-esr %u", "", false},
        {"/opt/snap/bin/firefox %u", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(entry(c.exec, c.extra).sandboxed(), c.sandboxed) << c.exec;
}

TEST(DesktopEntry, ExpandsFieldCodes) {
    const Args two{"https://a/1", "file:///home/u/My%20Page.html"};
    struct Case {
        std::string exec;
        Lines expected;
    };
    const std::vector<Case> cases{
        {"browser %U", {{"browser", "https://a/1", "file:///home/u/My%20Page.html"}}},
        {"browser %F", {{"browser", "https://a/1", "/home/u/My Page.html"}}},
        {"browser %u", {{"browser", "https://a/1"}, {"browser", "file:///home/u/My%20Page.html"}}},
        {"browser --url=%u",
         {{"browser", "--url=https://a/1"}, {"browser", "--url=file:///home/u/My%20Page.html"}}},
        {"browser %i %c %k 100%% %d %U",
         {{"browser", "--icon", "browser", "Web Browser", "/usr/share/applications/web.desktop",
           "100%", "https://a/1", "file:///home/u/My%20Page.html"}}},
        {"browser", {{"browser", "https://a/1", "file:///home/u/My%20Page.html"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(entry(c.exec).commandLines(two), c.expected) << c.exec;
}

TEST(DesktopEntry, StringEscapesAreUndoneBeforeSplitting) {
    EXPECT_EQ(entry("run\\sme %U").commandLines({"u"}), (Lines{{"run", "me", "u"}}));
    EXPECT_EQ(entry("\"C:\\\\\\\\x\" %U").commandLines({"u"}), (Lines{{"C:\\x", "u"}}));
}

TEST(DesktopEntry, RefusesEntriesThatCannotStartAnApplication) {
    const std::vector<std::string> texts{
        "[Desktop Entry]\nType=Link\nExec=x\n",
        "[Desktop Entry]\nType=Application\nName=x\n",
        "[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n",
        "[Other]\nType=Application\nExec=x\n",
    };
    for (const auto& text : texts) EXPECT_FALSE(DesktopEntry::parse(text, "p")) << text;
}

TEST(DesktopEntry, ReadsNameAndIconFromItsOwnGroupOnly) {
    auto parsed = DesktopEntry::parse(
        "# comment\n[Desktop Entry]\nName = Firefox ESR\nName[zh_TW]=火狐\nType=Application\n"
        "Icon=firefox-esr\nExec=firefox-esr %u\n[Desktop Action new-window]\nName=New Window\n"
        "Exec=firefox-esr --new-window %u\n",
        "/p/firefox-esr.desktop");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->name(), "Firefox ESR");
    EXPECT_EQ(parsed->icon(), "firefox-esr");
    EXPECT_EQ(parsed->exec(), "firefox-esr %u");
}

}  // namespace
