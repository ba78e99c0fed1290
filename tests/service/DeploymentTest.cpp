#include <gtest/gtest.h>

#include <filesystem>

#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TempDir.h"
#include "support/TestHttpsServer.h"
#include "support/TestPki.h"
#include "util/TextCodec.h"

namespace {

namespace fs = std::filesystem;

const char* kSafari = "com.apple.Safari";
const char* kChrome = "com.google.Chrome";
const char* kFirefox = "org.mozilla.Firefox";

class Deployment : public testing::Test {
  protected:
    // The template comes over https, as from the service; the server is shared by the suite.
    // Which addresses a download takes is the transport tests' (DownloadsFollowHttpsRedirects).
    static void SetUpTestSuite() {
        server = new TestHttpsServer();
        pki = new TestPki();
    }
    static void TearDownTestSuite() {
        delete server;
        delete pki;
    }
    void SetUp() override {
        server->setHandler([this](const httplib::Request& rq, httplib::Response& rs) {
            if (rq.path == "/template.html" && templateBig5) {
                rs.set_content(*templateBig5, "text/html; charset=big5");
            } else {
                rs.status = 404;
                rs.set_content("<html>not found</html>", "text/html");
            }
        });
    }

    void install(const std::vector<std::string>& bundleIds, const std::string& defaultId) {
        desktop.apps.clear();
        for (const auto& id : bundleIds)
            desktop.apps[id] = {"/apps/" + id + ".desktop", id, "", ""};
        desktop.defaultHandler = defaultId;
    }
    void configure(const std::string& mode, const std::string& list) {
        lib.setSvrCfg(StringMap{{"depCert.mode", mode},
                                {"depCert.selectedBrowser", list},
                                {"depCert.templateUrl", server->url("/template.html")}});
    }
    void writeTemplate(const std::string& utf8) {
        auto big5 = *TextCodec::utf8ToBig5(utf8);
        templateBig5 = std::string(big5.begin(), big5.end());
    }
    int deploy(const std::string& pfx, const std::string& password) {
        return lib.deployCert(pfx, password, lib.getDefaultSelectedBrowserInfo());
    }
    std::vector<std::string> pages(const std::string& folder = "") {
        return namesIn(folder.empty() ? desktop.homePath() + "/.voxa" : folder);
    }
    std::string pageText(const std::string& name) {
        return *TextCodec::big5ToUtf8(OpensslTool::readFile(desktop.homePath() + "/.voxa/" + name));
    }
    // A PFX for the subject, made by the openssl tool.
    std::string makePfx(const std::string& subject, const std::string& password) {
        std::string key;
        return pki->pkcs12(pki->issue(pki->newRequest(subject, key), "0x2A"), key, password);
    }

    static inline TestHttpsServer* server = nullptr;
    static inline TestPki* pki = nullptr;
    std::optional<std::string> templateBig5;
    FakeDesktop desktop;
    ZOLTLib lib{desktop, ServiceEndpoint{"unused.example", "", server->caPem()}};
};

TEST_F(Deployment, DefaultSelectionFollowsModeAndList) {
    const struct {
        std::vector<std::string> installed;
        std::string defaultId, mode, list;
        std::vector<std::string> expected;
    } cases[] = {
        {{kSafari, kChrome, kFirefox}, kChrome, "M", "Safari,DEFAULT", {kSafari, kChrome}},
        {{kChrome, kFirefox}, kChrome, "M", "ALL", {kChrome, kFirefox}},
        {{kChrome, kFirefox}, "", "M", "Chrome,ALL", {kChrome, kFirefox}},
        {{kChrome, kFirefox}, kChrome, "S", "ALL,FireFox", {kFirefox}},
        {{kChrome, kFirefox}, kChrome, "S", "DEFAULT,FireFox", {kChrome}},
        {{kChrome, kFirefox}, kChrome, "M", "Internet Explorer,Microsoft Edge,Chrome64", {}},
        {{kChrome, kFirefox}, kChrome, "M", " Chrome,Firefox,firefox", {}},  // exact names only
        {{kChrome, kFirefox}, "org.gnome.Epiphany.desktop", "M", "DEFAULT", {}},
        {{kChrome, kFirefox}, "org.mozilla.firefox", "M", "DEFAULT", {}},  // case counts
        {{kFirefox}, kFirefox, "M", "Chrome,,FireFox", {kFirefox}},
    };
    for (const auto& c : cases) {
        install(c.installed, c.defaultId);
        configure(c.mode, c.list);
        std::vector<std::string> selected;
        for (auto& browser : lib.getDefaultSelectedBrowserInfo()) {
            EXPECT_TRUE(browser["selected"] == "Y" || browser["selected"] == "N");
            if (browser["selected"] == "Y") selected.push_back(browser["bundleId"]);
        }
        EXPECT_EQ(selected, c.expected) << c.mode << " " << c.list;
    }
}

// Each deployment replaces the earlier pages. Snap and Flatpak browsers may not read ~/.voxa:
// they get their page in the download folder. The page's PKCS#12 and its password are the
// crypto tests' (BrowserFormOpensWithTheUserId); hostile values and the literal filling of the
// template are the template corpus's (fuzz_corpus.template).
TEST_F(Deployment, PageGoesToVoxaAndForSandboxedBrowsersToTheDownloadFolderReplacingEarlierOnes) {
    install({kChrome, kFirefox}, kChrome);
    desktop.apps[kFirefox].sandboxed = true;  // the snap, say
    const std::string voxa = desktop.homePath() + "/.voxa";
    const std::string downloads = desktop.homePath() + "/下載";
    desktop.downloadFolder = downloads;
    configure("M", "ALL");
    writeTemplate("<html><script>\n#importCertInfo#\n</script>憑證 $1 \\n</html>");
    const std::string pfx = makePfx("/CN=A123456789-00/O=Bank/C=TW", "pw");
    fs::create_directories(voxa);
    OpensslTool::writeFile(voxa + "/notes.txt", std::string("keep"));
    OpensslTool::writeFile(voxa + "/VOXADepCert.1.html", std::string("old"));
    const std::string folder = "VOXADepCert.99999999999999999.html";  // a folder is no page
    fs::create_directory(voxa + "/" + folder);
    ASSERT_EQ(deploy(pfx, "pw"), 0);
    const auto names = pages();
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(std::vector(names.begin() + 1, names.end()),
              (std::vector<std::string>{folder, "notes.txt"}));
    EXPECT_TRUE(lib.util().regexMatch(names[0], "VOXADepCert\\.[0-9]{17}\\.html"));
    ASSERT_EQ(pages(downloads), std::vector<std::string>{names[0]});
    const std::string page = pageText(names[0]);
    EXPECT_EQ(page.rfind("<html><script>\nvar certInfo={\n\"cn\":\"A123456789-00\",\n", 0), 0u);
    EXPECT_NE(page.find(",\n};\n</script>憑證 $1 \\n</html>"), std::string::npos) << page;
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/com.google.Chrome.desktop");
    EXPECT_EQ(desktop.opened[0].urls, std::vector<std::string>{"file:///" + voxa + "/" + names[0]});
    EXPECT_EQ(desktop.opened[1].urls,
              std::vector<std::string>{"file:///" + downloads + "/" + names[0]});

    // The next deployment, for the sandboxed browser only, removes the earlier pages from both
    // folders and writes none into ~/.voxa.
    ASSERT_EQ(lib.deployCert(pfx, "pw", {StringMap{{"bundleId", kFirefox}}}), 0);
    EXPECT_EQ(pages(), (std::vector<std::string>{folder, "notes.txt"}));
    ASSERT_EQ(pages(downloads).size(), 1u);
    EXPECT_NE(pages(downloads)[0], names[0]);
}

TEST_F(Deployment, FailuresAreReportedAndTheOtherBrowsersStillAsked) {
    install({kChrome, kFirefox}, kChrome);
    configure("M", "ALL");
    const std::string pfx = makePfx("/CN=A123456789-00", "pw");
    EXPECT_EQ(lib.deployCert(pfx, "pw", {}), 1);
    EXPECT_EQ(deploy(pfx, "pw"), 1);  // no template yet: a 404 page
    writeTemplate("<p>no placeholder here</p>");
    EXPECT_EQ(deploy(pfx, "wrong"), 52303);
    EXPECT_FALSE(fs::exists(desktop.homePath() + "/.voxa"));
    EXPECT_TRUE(desktop.opened.empty());

    desktop.refusing.insert("/apps/com.google.Chrome.desktop");
    EXPECT_EQ(deploy(pfx, "pw"), 1);
    ASSERT_EQ(desktop.opened.size(), 1u);
    EXPECT_EQ(desktop.opened[0].appPath, "/apps/org.mozilla.Firefox.desktop");
    EXPECT_EQ(pageText(pages()[0]), "<p>no placeholder here</p>");
}

}  // namespace
