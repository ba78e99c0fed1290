#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
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
    static void SetUpTestSuite() { server = new TestHttpsServer(); }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        server->setHandler([this](const httplib::Request& rq, httplib::Response& rs) {
            if (rq.path == "/template.html" && templateBig5) {
                rs.set_content(std::string(templateBig5->begin(), templateBig5->end()),
                               "text/html; charset=big5");
            } else if (rq.path == "/moved") {
                rs.set_redirect("/template.html", 302);
            } else {
                rs.status = 404;
                rs.set_content("<html>not found</html>", "text/html");
            }
        });
    }

    void install(const std::vector<std::string>& bundleIds, const std::string& defaultId) {
        for (const auto& id : bundleIds)
            desktop.apps[id] = {"/apps/" + id + ".desktop", id, "1", ""};
        desktop.defaultHandler = defaultId;
    }
    void configure(const std::string& mode, const std::string& list,
                   const std::string& templateUrl = "") {
        lib.setSvrCfg(
            StringMap{{"depCert.mode", mode},
                      {"depCert.selectedBrowser", list},
                      {"depCert.templateUrl",
                       templateUrl.empty() ? server->url("/template.html") : templateUrl}});
    }
    std::vector<std::string> selected() {
        std::vector<std::string> ids;
        for (auto& browser : lib.getDefaultSelectedBrowserInfo()) {
            EXPECT_TRUE(browser["selected"] == "Y" || browser["selected"] == "N");
            if (browser["selected"] == "Y") ids.push_back(browser["bundleId"]);
        }
        return ids;
    }
    void writeTemplate(const std::string& utf8) { templateBig5 = *TextCodec::utf8ToBig5(utf8); }
    std::vector<std::string> pages(const std::string& folder = "") {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& e : fs::directory_iterator(
                 folder.empty() ? desktop.homePath() + "/.voxa" : folder, ignored)) {
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
    static std::size_t count(const std::string& text, char c) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
    }

    static TestHttpsServer* server;
    std::optional<Bytes> templateBig5;
    FakeDesktop desktop;
    ZOLTLib lib{desktop, ServiceEndpoint{"unused.example", "", server->caPem()}};
    static TestPki& pki() {
        static TestPki instance;
        return instance;
    }
};

TestHttpsServer* Deployment::server = nullptr;

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
    EXPECT_EQ(pages().size(), 2u);                       // the newer page replaced the older one
    EXPECT_TRUE(pages(desktop.downloadPath()).empty());  // earlier pages go from there too
}

TEST_F(Deployment, HostileNamesStayInsideTheirStrings) {
    install({kFirefox}, kFirefox);
    configure("M", "ALL");
    const std::string templateText = "<script>#importCertInfo#</script>";
    writeTemplate(templateText);
    struct Case {
        std::string subject, cn, subjectInPage;
    };
    const std::vector<Case> cases{
        {"/CN=A1\"<\\/script><b>x\\\\y/O=$1 Co", "A1\\\"\\x3C/script>\\x3Cb>x\\\\y", "O=$1 Co"},
        // "<!--" and "<script" would put the rest of the page's script in the HTML parser's
        // double-escaped state.
        {"/CN=A1<!--<script>", "A1\\x3C!--\\x3Cscript>", "CN=A1\\x3C!--\\x3Cscript>\""},
    };
    for (const auto& c : cases) {
        const std::string pfx = makePfx(c.subject, "pw");
        ASSERT_EQ(lib.deployCert(pfx, "pw", lib.getDefaultSelectedBrowserInfo()), 0);
        const std::string page = pageText(pages()[0]);
        EXPECT_NE(page.find("\"cn\":\"" + c.cn + "\",\n"), std::string::npos) << page;
        EXPECT_EQ(page.find("</script>"), page.size() - 9);  // only the template's own end tag
        EXPECT_EQ(count(page, '<'), count(templateText, '<')) << page;  // none from a value
        EXPECT_NE(page.find(c.subjectInPage), std::string::npos) << page;
    }
}

// The template is a plain download: https only, redirects followed, an error page is none.
TEST_F(Deployment, OnlyAnHttpsTemplateThatArrivedIsUsed) {
    install({kFirefox}, kFirefox);
    writeTemplate("<p>#importCertInfo#</p>");
    const std::string pfx = makePfx("/CN=A123456789-00", "pw");
    // The same template over plain http, from a server that would serve it.
    httplib::Server plain;
    plain.Get("/template.html", [this](const httplib::Request&, httplib::Response& rs) {
        rs.set_content(std::string(templateBig5->begin(), templateBig5->end()), "text/html");
    });
    const int port = plain.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { plain.listen_after_bind(); });
    while (!plain.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    struct Case {
        std::string url;
        int result;
    };
    const std::vector<Case> cases{
        {server->url("/moved"), 0},
        {server->url("/missing.html"), 1},  // a 404 page is not the template
        {"http://127.0.0.1:" + std::to_string(port) + "/template.html", 1},
    };
    for (const auto& c : cases) {
        fs::remove_all(desktop.homePath() + "/.voxa");
        configure("M", "ALL", c.url);
        EXPECT_EQ(lib.deployCert(pfx, "pw", lib.getDefaultSelectedBrowserInfo()), c.result)
            << c.url;
        EXPECT_EQ(pages().size(), c.result == 0 ? 1u : 0u) << c.url;
    }
    plain.stop();
    serving.join();
}

// Snap and Flatpak browsers may not read ~/.voxa: they get their page in the download folder.
TEST_F(Deployment, SandboxedBrowsersOpenTheirPageFromTheDownloadFolder) {
    install({kChrome, kFirefox}, kChrome);
    desktop.apps[kFirefox].sandboxed = true;  // the snap, say
    desktop.downloadFolder = desktop.homePath() + "/下載";
    configure("M", "ALL");
    writeTemplate("<p>#importCertInfo#</p>");
    const std::string pfx = makePfx("/CN=A123456789-00", "pw");
    ASSERT_EQ(lib.deployCert(pfx, "pw", lib.getDefaultSelectedBrowserInfo()), 0);
    const auto names = pages();
    ASSERT_EQ(names.size(), 1u);
    ASSERT_EQ(pages(*desktop.downloadFolder), names);
    const std::string page = *desktop.downloadFolder + "/" + names[0];
    struct stat st {};
    ASSERT_EQ(stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0].urls,
              std::vector<std::string>{"file:///" + desktop.homePath() + "/.voxa/" + names[0]});
    EXPECT_EQ(desktop.opened[1].urls, std::vector<std::string>{"file:///" + page});

    // The next deployment, for the sandboxed browser only, removes the earlier pages from both
    // folders and writes none into ~/.voxa.
    ASSERT_EQ(lib.deployCert(pfx, "pw", {StringMap{{"bundleId", kFirefox}}}), 0);
    EXPECT_TRUE(pages().empty());
    ASSERT_EQ(pages(*desktop.downloadFolder).size(), 1u);
    EXPECT_NE(pages(*desktop.downloadFolder)[0], names[0]);
}

TEST_F(Deployment, FailuresAreReported) {
    install({kChrome, kFirefox}, kChrome);
    configure("M", "ALL");
    const std::string pfx = makePfx("/CN=A123456789-00", "pw");
    auto browsers = lib.getDefaultSelectedBrowserInfo();
    EXPECT_EQ(lib.deployCert(pfx, "pw", {}), 1);
    EXPECT_EQ(lib.deployCert(pfx, "pw", browsers), 1);  // no template yet: a 404 page
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
