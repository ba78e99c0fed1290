#include <filesystem>
#include <regex>

#include "WorkflowFixture.h"
#include "platform/Process.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"

namespace {

namespace fs = std::filesystem;
const char* kChromium = "/usr/bin/chromium";

std::string first(const std::string& text, const std::string& pattern) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? match[1].str() : "";
}

class DeploymentPage : public WorkflowFixture {};

// The page the client wrote from the service's Big5 template, as a real browser renders it:
// the certificate's details, the import password, and a PKCS#12 download that the browsers'
// own import tool opens with that password.
TEST_F(DeploymentPage, RendersInChromiumWithADownloadThatImports) {
    if (!fs::exists(kChromium)) {
        GTEST_SKIP() << "chromium is not installed: the deployment page was not opened in a real "
                        "browser (apt-get install chromium)";
    }
    walk("apply");
    ASSERT_FALSE(desktop.opened.empty());
    const std::string page = desktop.opened.back().urls.at(0);
    const auto dom = Process::capture(
        {kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
         "--no-first-run", "--disable-background-networking", "--disable-component-update",
         "--disable-sync", "--user-data-dir=" + home() + "/profile", "--dump-dom", page},
        std::chrono::seconds(60));
    ASSERT_TRUE(dom) << page;
    EXPECT_EQ(first(*dom, R"(id="importPassword">([^<]*)<)"), "A123456789");
    EXPECT_NE(dom->find("<td>使用者名稱</td><td>A123456789-00</td>"), std::string::npos);
    EXPECT_EQ(first(*dom, R"(id="download" href="(blob:)[^"]*")"), "blob:");
    EXPECT_EQ(first(*dom, R"re(download="([^"]*)")re"), "A123456789.p12");

    // The bytes behind the link are the page's own base64, decoded by the browser's atob.
    const std::string b64 = first(*dom, R"re("b64P12Cert":"([A-Za-z0-9+/=]+)")re");
    const auto der = lib().util().base64Decode(b64);
    ASSERT_TRUE(der && !der->empty());
    const std::string p12 = home() + "/downloaded.p12", db = home() + "/nssdb";
    OpensslTool::writeFile(p12, *der);
    NssTool::makeDb(db);
    NssTool::importPfx(db, p12, "A123456789");
    EXPECT_EQ(NssTool::keyCount(db), 1);
    EXPECT_EQ(NssTool::fingerprints(db).size(), 1u);
}

}  // namespace
