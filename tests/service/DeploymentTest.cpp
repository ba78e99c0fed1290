#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"
#include "util/TextCodec.h"

namespace {

namespace fs = std::filesystem;

const char* kSafari = "com.apple.Safari";
const char* kChrome = "com.google.Chrome";
const char* kFirefox = "org.mozilla.Firefox";

class Deployment : public testing::Test {
  protected:
    void install(const std::vector<std::string>& bundleIds, const std::string& defaultId) {
        for (const auto& id : bundleIds)
            desktop.apps[id] = {"/apps/" + id + ".desktop", id, "1", ""};
        desktop.defaultHandler = defaultId;
    }
    void configure(const std::string& mode, const std::string& list) {
        lib.setSvrCfg(StringMap{{"depCert.mode", mode},
                                {"depCert.selectedBrowser", list},
                                {"depCert.templateUrl", "file://" + templatePath}});
    }
    std::vector<std::string> selected() {
        std::vector<std::string> ids;
        for (auto& browser : lib.getDefaultSelectedBrowserInfo()) {
            EXPECT_TRUE(browser["selected"] == "Y" || browser["selected"] == "N");
            if (browser["selected"] == "Y") ids.push_back(browser["bundleId"]);
        }
        return ids;
    }
    void writeTemplate(const std::string& utf8) {
        OpensslTool::writeFile(templatePath, *TextCodec::utf8ToBig5(utf8));
    }
    std::vector<std::string> pages() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(desktop.homePath() + "/.voxa")) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string pageText(const std::string& name) {
        auto bytes = OpensslTool::readFile(desktop.homePath() + "/.voxa/" + name);
        return *TextCodec::big5ToUtf8(bytes);
    }
    // A PFX for the subject, made by the openssl tool.
    std::string makePfx(const std::string& subject, const std::string& password) {
        std::string key;
        const std::string cert = pki().issue(pki().newRequest(subject, key), "0x2A");
        const std::string path = desktop.homePath() + "/customer.pfx";
        OpensslTool::run({"pkcs12", "-export", "-legacy", "-inkey", key, "-in", cert, "-passout",
                          "pass:" + password, "-out", path});
        return path;
    }

    FakeDesktop desktop;
    ZOLTLib lib{desktop, ServiceEndpoint{"unused.example", "", ""}};
    std::string templatePath = desktop.homePath() + "/template.html";
    static TestPki& pki() {
        static TestPki instance;
        return instance;
    }
};

TEST_F(Deployment, DefaultSelectionFollowsModeAndList) {
    struct Case {
        std::vector<std::string> installed;
        std::string defaultId, mode, list;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {{kSafari, kChrome, kFirefox}, kChrome, "M", "Safari,DEFAULT", {kSafari, kChrome}},
        {{kSafari, kChrome}, kSafari, "M", "Safari,DEFAULT", {kSafari}},
        {{kChrome, kFirefox}, kChrome, "M", "ALL", {kChrome, kFirefox}},
        {{kChrome, kFirefox}, "", "M", "Chrome,ALL", {kChrome, kFirefox}},
        {{kChrome, kFirefox}, kChrome, "S", "ALL,FireFox", {kFirefox}},
        {{kChrome, kFirefox}, kChrome, "S", "ALL", {}},
        {{kChrome, kFirefox}, kChrome, "S", "DEFAULT,FireFox", {kChrome}},
        {{kChrome, kFirefox}, kChrome, "M", "Internet Explorer,Microsoft Edge,Chrome64", {}},
        {{kChrome, kFirefox}, kChrome, "M", " Chrome,Firefox,firefox", {}},  // exact names only
        {{kChrome, kFirefox}, "org.gnome.Epiphany.desktop", "M", "DEFAULT", {}},
        {{kFirefox}, kFirefox, "M", "Chrome,,FireFox", {kFirefox}},
    };
    for (const auto& c : cases) {
        desktop.apps.clear();
        install(c.installed, c.defaultId);
        configure(c.mode, c.list);
        EXPECT_EQ(selected(), c.expected) << c.mode << " " << c.list;
    }
}

TEST_F(Deployment, PageCarriesTheBlockAndOnlyTheNewestPageStays) {
    install({kChrome, kFirefox}, kChrome);
    configure("M", "ALL");
    writeTemplate(
        "<html><head><script>\n#importCertInfo#\n</script></head><body>憑證 $1 \\n</body></html>");
    const std::string pfx = makePfx("/CN=A123456789-00/O=Bank/C=TW", "Pfx-pw");
    fs::create_directories(desktop.homePath() + "/.voxa");
    OpensslTool::writeFile(desktop.homePath() + "/.voxa/notes.txt", std::string("keep"));
    OpensslTool::writeFile(desktop.homePath() + "/.voxa/VOXADepCert.1.html", std::string("old"));

    auto browsers = lib.getDefaultSelectedBrowserInfo();
    ASSERT_EQ(lib.deployCert(pfx, "Pfx-pw", browsers), 0);
    auto names = pages();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], "notes.txt");
    EXPECT_TRUE(lib.util().regexMatch(names[0], "VOXADepCert\\.[0-9]{17}\\.html"));
    const std::string page = pageText(names[0]);
    EXPECT_EQ(page.rfind("<html><head><script>\nvar certInfo={\n\"cn\":\"A123456789-00\",\n", 0),
              0u);
    EXPECT_NE(page.find("\"subject\":\"CN=A123456789-00, O=Bank, C=TW\",\n"), std::string::npos);
    EXPECT_NE(page.find(",\n};\n</script></head><body>憑證 $1 \\n</body></html>"),
              std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat((desktop.homePath() + "/.voxa/" + names[0]).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Each browser was asked to open the page's address.
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/com.google.Chrome.desktop");
    EXPECT_EQ(desktop.opened[1].urls,
              std::vector<std::string>{"file:///" + desktop.homePath() + "/.voxa/" + names[0]});

    // The page's PKCS#12 opens with the user ID, not the PFX password.
    auto start = page.find("\"b64P12Cert\":\"") + 14;
    auto p12 = lib.util().base64Decode(page.substr(start, page.find('"', start) - start));
    ASSERT_TRUE(p12.has_value());
    OpensslTool::writeFile(desktop.homePath() + "/page.p12", *p12);
    auto opens = [&](const std::string& pw) {
        return OpensslTool::run({"pkcs12", "-legacy", "-in", desktop.homePath() + "/page.p12",
                                 "-passin", "pass:" + pw, "-nodes"})
            .has_value();
    };
    EXPECT_TRUE(opens("A123456789"));
    EXPECT_FALSE(opens("Pfx-pw"));

    ASSERT_EQ(lib.deployCert(pfx, "Pfx-pw", browsers), 0);
    EXPECT_EQ(pages().size(), 2u);  // the newer page replaced the older one
}

TEST_F(Deployment, HostileNamesStayInsideTheirStrings) {
    install({kFirefox}, kFirefox);
    configure("M", "ALL");
    writeTemplate("<script>#importCertInfo#</script>");
    const std::string pfx = makePfx("/CN=A1\"<\\/script><b>x\\\\y/O=$1 Co", "pw");
    ASSERT_EQ(lib.deployCert(pfx, "pw", lib.getDefaultSelectedBrowserInfo()), 0);
    const std::string page = pageText(pages()[0]);
    EXPECT_NE(page.find("\"cn\":\"A1\\\"<\\/script><b>x\\\\y\",\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("</script>"), page.size() - 9);  // only the template's own end tag
    EXPECT_NE(page.find("O=$1 Co"), std::string::npos);
}

TEST_F(Deployment, FailuresAreReported) {
    install({kChrome, kFirefox}, kChrome);
    configure("M", "ALL");
    const std::string pfx = makePfx("/CN=A123456789-00", "pw");
    auto browsers = lib.getDefaultSelectedBrowserInfo();
    EXPECT_EQ(lib.deployCert(pfx, "pw", {}), 1);
    EXPECT_EQ(lib.deployCert(pfx, "pw", browsers), 1);  // no template yet
    writeTemplate("<p>no placeholder here</p>");
    EXPECT_EQ(lib.deployCert(pfx, "wrong", browsers), 52303);
    EXPECT_FALSE(fs::exists(desktop.homePath() + "/.voxa"));
    EXPECT_TRUE(desktop.opened.empty());

    desktop.refusing.insert("/apps/com.google.Chrome.desktop");
    EXPECT_EQ(lib.deployCert(pfx, "pw", browsers), 1);
    ASSERT_EQ(desktop.opened.size(), 1u);  // Firefox was still asked
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/org.mozilla.Firefox.desktop");
    EXPECT_EQ(pageText(pages()[0]), "<p>no placeholder here</p>");
}

}  // namespace
