#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

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

// A renewal followed by a new deployment, against real databases in a temporary home. The
// work on the stores runs on another thread; the primary password is asked on this one.
TEST(BrowserDeployment, ReportsEveryStoreAndSeesTheBrowsersBehindAfterARenewal) {
    TestPki pki;
    TempDir home;
    struct Cert {
        std::string pem;
        std::string pfxPath;
        Bytes pfx;
        StringMap info;
    };
    auto issue = [&](const std::string& serial, const std::string& notBefore) {
        std::string key;
        const std::string request = pki.newRequest("/CN=A123456789-00", key);
        const std::string cert = notBefore.empty()
                                     ? pki.issue(request, serial)
                                     : pki.issueStartingAt(request, serial, notBefore);
        const std::string pfx = pki.pkcs12(cert, key, "A123456789");
        return Cert{cert,
                    pfx,
                    OpensslTool::readFile(pfx),
                    {{"certHash", NssTool::fingerprint(cert)}, {"cn", "A123456789-00"}}};
    };
    const Cert old = issue("0x40", "20250101000000Z"), renewed = issue("0x41", "");

    const std::string firefox = home.file(".mozilla/firefox");
    NssTool::makeDb(firefox + "/a.default-release");
    NssTool::makeDb(firefox + "/b.locked", "Primary-1");
    OpensslTool::writeFile(firefox + "/profiles.ini",
                           std::string("[Profile0]\nName=default-release\nPath=a.default-release\n"
                                       "[Profile1]\nName=locked\nPath=b.locked\n"
                                       "[Profile2]\nName=ghost\nPath=c.ghost\n"));
    std::vector<std::string> asked;
    int runs = 0;
    bool askedElsewhere = false, ranHere = false;
    auto deploy = [&](const Cert& cert, const std::string& primary) {
        const auto targets = BrowserDeployment::targets(BrowserStores(home.path()).find(),
                                                        {bundle_id::kFirefox, bundle_id::kChrome});
        const auto caller = std::this_thread::get_id();
        return BrowserDeployment::deploy(
            targets, cert.pfx, "A123456789",
            [&](const BrowserStore& s) {
                askedElsewhere |= std::this_thread::get_id() != caller;
                asked.push_back(s.profile);
                return std::optional<std::string>(primary);
            },
            [&](const std::function<void()>& work) {
                ++runs;
                std::thread([&] {
                    ranHere |= std::this_thread::get_id() == caller;
                    work();
                }).join();
            });
    };
    EXPECT_EQ(BrowserDeployment::message(deploy(old, "wrong")),
              "已安裝至 Firefox（設定檔 default-release）\n"
              "無法安裝至 Firefox（設定檔 locked）：主要密碼錯誤\n"
              "無法安裝至 Firefox（設定檔 ghost）：找不到憑證資料庫，請先開啟一次該瀏覽器\n"
              "已安裝至 Chrome／Chromium");
    EXPECT_EQ(asked, std::vector<std::string>{"locked"});
    EXPECT_EQ(runs, 2);  // the stores without a password, then the locked one with its answer
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
    // Put beside the old one by another tool: the browser may still present the old one.
    NssTool::importPfx(firefox + "/a.default-release", renewed.pfxPath, "A123456789");
    EXPECT_EQ(behind().front(), Behind::Store);

    EXPECT_EQ(BrowserDeployment::message(deploy(renewed, "Primary-1")),
              "已安裝至 Firefox（設定檔 default-release），並已移除 1 張您較舊的憑證\n"
              "已安裝至 Firefox（設定檔 locked）\n"
              "無法安裝至 Firefox（設定檔 ghost）：找不到憑證資料庫，請先開啟一次該瀏覽器\n"
              "已安裝至 Chrome／Chromium，並已移除 1 張您較舊的憑證");
    EXPECT_FALSE(askedElsewhere);
    EXPECT_FALSE(ranHere);
    // What each store holds now (the older ones gone) is read back through the check.
    EXPECT_EQ(behind(), (std::vector<Behind>{Behind::Nothing, Behind::Nothing, Behind::Store,
                                             Behind::Nothing}));
}

}  // namespace
