#include <gtest/gtest.h>

#include <filesystem>

#include "platform/BundleIds.h"
#include "service/BrowserDeployment.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

namespace fs = std::filesystem;
using Behind = StoreVerdict::Behind;

TEST(BrowserDeployment, TargetsTheSharedChromiumDatabaseOnlyWhereItIsUsed) {
    using P = BrowserStore::Packaging;
    auto chromium = [](P packaging, bool exists) {
        BrowserStore s{BrowserStore::Family::Chromium, packaging, "", "", "", exists};
        s.dir = std::to_string(static_cast<int>(packaging)) + (exists ? "+" : "-");
        return s;
    };
    const struct {
        std::vector<BrowserStore> found;
        std::vector<std::string> expected;
    } cases[] = {{{chromium(P::Native, false)}, {"0-"}},
                 {{chromium(P::Native, false), chromium(P::Snap, false)}, {"1-"}},
                 {{chromium(P::Native, true), chromium(P::Flatpak, false)}, {"0+", "2-"}}};
    for (const auto& c : cases) {
        std::vector<std::string> dirs;
        for (const auto& s : BrowserDeployment::targets(c.found, {bundle_id::kChrome})) {
            dirs.push_back(s.dir);
        }
        EXPECT_EQ(dirs, c.expected);
        EXPECT_TRUE(BrowserDeployment::targets(c.found, {bundle_id::kFirefox}).empty());
    }
}

// A renewal followed by a new deployment, against real databases in a temporary home.
TEST(BrowserDeployment, ReportsEveryStoreAndSeesTheBrowsersBehindAfterARenewal) {
    TestPki pki;
    TempDir home;
    struct Cert {
        std::string pem;
        Bytes pfx;
        StringMap info;
    };
    auto issue = [&](const std::string& serial) {
        std::string key;
        const std::string cert = pki.issue(pki.newRequest("/CN=A123456789-00", key), serial);
        return Cert{cert,
                    OpensslTool::readFile(pki.pkcs12(cert, key, "A123456789")),
                    {{"certHash", NssTool::fingerprint(cert)}, {"cn", "A123456789-00"}}};
    };
    const Cert old = issue("0x40"), renewed = issue("0x41");

    const std::string firefox = home.file(".mozilla/firefox");
    NssTool::makeDb(firefox + "/a.default-release");
    NssTool::makeDb(firefox + "/b.locked", "Primary-1");
    OpensslTool::writeFile(firefox + "/profiles.ini",
                           std::string("[Profile0]\nName=default-release\nPath=a.default-release\n"
                                       "[Profile1]\nName=locked\nPath=b.locked\n"
                                       "[Profile2]\nName=ghost\nPath=c.ghost\n"));
    std::vector<std::string> asked;
    auto deploy = [&](const Cert& cert) {
        const auto targets = BrowserDeployment::targets(BrowserStores(home.path()).find(),
                                                        {bundle_id::kFirefox, bundle_id::kChrome});
        return BrowserDeployment::deploy(targets, cert.pfx, "A123456789",
                                         [&](const BrowserStore& s) {
                                             asked.push_back(s.profile);
                                             return std::optional<std::string>("wrong");
                                         });
    };
    EXPECT_EQ(BrowserDeployment::message(deploy(old)),
              "已安裝至 Firefox（設定檔 default-release）\n"
              "無法安裝至 Firefox（設定檔 locked）：主要密碼錯誤\n"
              "無法安裝至 Firefox（設定檔 ghost）：找不到憑證資料庫，請先開啟一次該瀏覽器\n"
              "已安裝至 Chrome／Chromium");
    EXPECT_EQ(asked, std::vector<std::string>{"locked"});
    EXPECT_EQ(NssTool::fingerprints(home.file(".pki/nssdb")).count(old.info.at("certHash")), 1u);
    EXPECT_EQ(fs::status(home.file(".pki")).permissions() & fs::perms::all, fs::perms::owner_all);

    auto behind = [&]() {
        std::vector<Behind> result;
        for (const auto& check : BrowserDeployment::check(BrowserStores(home.path()).find(),
                                                          renewed.info, renewed.info)) {
            result.push_back(check.verdict ? check.verdict->behind : Behind::Unknown);
        }
        return result;
    };
    // Profiles, then the shared Chromium database; the locked one never got a certificate.
    EXPECT_EQ(behind(),
              (std::vector<Behind>{Behind::Store, Behind::Store, Behind::Store, Behind::Store}));
    deploy(renewed);
    EXPECT_EQ(behind(), (std::vector<Behind>{Behind::Nothing, Behind::Store, Behind::Store,
                                             Behind::Nothing}));
}

}  // namespace
