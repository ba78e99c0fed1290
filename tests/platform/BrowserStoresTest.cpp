#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/BrowserStores.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// One line per store: browser, packaging, profile, folder under the home, exists, default.
std::string describe(const BrowserStore& store, const std::string& home) {
    static const char* packaging[] = {"native", "snap", "flatpak"};
    std::string dir =
        store.dir.rfind(home + "/", 0) == 0 ? store.dir.substr(home.size() + 1) : store.dir;
    return store.browser + "|" + packaging[static_cast<int>(store.packaging)] + "|" +
           store.profile + "|" + dir + "|" + (store.exists ? "db" : "-") + "|" +
           (store.isDefault ? "default" : "-");
}

const std::string kSharedChromium = "Chrome/Chromium|native||.pki/nssdb|-|-";

TEST(BrowserStores, FindsEveryProfileOfEveryLayout) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> files;  // under the home; "" makes a folder
        std::optional<std::string> xdgConfigHome;  // "~" stands for the home
        std::vector<std::string> expected;
    };
    const std::string install =
        "[Install4F96D1932A9F858E]\nDefault=abc.default-release\nLocked=1\n\n";
    const std::vector<Case> cases{
        {"deb, an installation's default before Default=1",
         {{".mozilla/firefox/profiles.ini",
           install + "[Profile1]\nName=default\nIsRelative=1\nPath=xyz.default\nDefault=1\n\n"
                     "[Profile0]\nName=default-release\nIsRelative=1\n"
                     "Path=abc.default-release\n\n[General]\nStartWithLastProfile=1\n"},
          {".mozilla/firefox/abc.default-release/cert9.db", "x"}},
         std::nullopt,
         {"Firefox|native|default-release|.mozilla/firefox/abc.default-release|db|default",
          "Firefox|native|default|.mozilla/firefox/xyz.default|-|-", kSharedChromium}},
        {"snap and Flatpak, absolute and relative paths",
         {{"snap/firefox/common/.mozilla/firefox/profiles.ini",
           "[Profile0]\nName=default\nIsRelative=1\nPath=Profiles/p1.default/\nDefault=1\n"},
          {".var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini",
           "[Profile0]\nName=work\nIsRelative=0\nPath=~/elsewhere/work\n"}},
         std::nullopt,
         {"Firefox|snap|default|snap/firefox/common/.mozilla/firefox/Profiles/p1.default|-|default",
          "Firefox|flatpak|work|elsewhere/work|-|-", kSharedChromium}},
        {"XDG location from XDG_CONFIG_HOME, several profiles in number order, no default",
         {{"conf/mozilla/firefox/profiles.ini",
           "[Profile10]\nName=ten\nPath=ten\n[Profile2]\nName=two\nPath=two\n"
           "[Profile3]\nName=no path\n[ProfileX]\nName=not a profile\nPath=x\n"}},
         "~/conf",
         {"Firefox|native|two|conf/mozilla/firefox/two|-|-",
          "Firefox|native|ten|conf/mozilla/firefox/ten|-|-", kSharedChromium}},
        {"a relative XDG_CONFIG_HOME is ignored; one folder named twice is one store",
         {{".config/mozilla/firefox/profiles.ini",
           "[Profile0]\nName=a\nPath=../../../.mozilla/firefox/a\nDefault=1\n"},
          {".mozilla/firefox/profiles.ini", "[Profile0]\nName=a\nPath=a\n"}},
         "conf",
         {"Firefox|native|a|.mozilla/firefox/a|-|-", kSharedChromium}},
        {"Chromium: sandboxed databases once their browser made its folder",
         {{".pki/nssdb/cert9.db", "x"},
          {"snap/chromium/", ""},
          {".var/app/com.google.Chrome/.pki/nssdb/cert9.db", "x"}},
         std::nullopt,
         {"Chrome/Chromium|native||.pki/nssdb|db|-",
          "Chromium|snap||snap/chromium/current/.pki/nssdb|-|-",
          "Chrome|flatpak||.var/app/com.google.Chrome/.pki/nssdb|db|-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir home;
        auto expand = [&](std::string text) {
            for (auto at = text.find('~'); at != std::string::npos; at = text.find('~', at)) {
                text.replace(at, 1, home.path());
            }
            return text;
        };
        for (const auto& [path, text] : c.files) {
            fs::create_directories(fs::path(home.file(path)).parent_path());
            if (path.back() != '/') OpensslTool::writeFile(home.file(path), expand(text));
        }
        std::vector<std::string> found;
        auto xdg = c.xdgConfigHome ? std::optional(expand(*c.xdgConfigHome)) : std::nullopt;
        for (const auto& store : BrowserStores(home.path(), xdg).find()) {
            found.push_back(describe(store, home.path()));
        }
        EXPECT_EQ(found, c.expected);
    }
}

}  // namespace
