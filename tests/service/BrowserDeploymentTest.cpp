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

BrowserStore store(BrowserStore::Family family, BrowserStore::Packaging packaging, bool exists) {
    BrowserStore s;
    s.family = family;
    s.packaging = packaging;
    s.exists = exists;
    s.dir = std::to_string(static_cast<int>(family)) + std::to_string(static_cast<int>(packaging));
    return s;
}

TEST(BrowserDeployment, TargetsTheChosenBrowsersStores) {
    using F = BrowserStore::Family;
    using P = BrowserStore::Packaging;
    const auto profile = store(F::Firefox, P::Native, true);
    const auto shared = store(F::Chromium, P::Native, false);
    const auto sharedMade = store(F::Chromium, P::Native, true);
    const auto snap = store(F::Chromium, P::Snap, false);
    const struct {
        const char* name;
        std::vector<BrowserStore> found;
        std::vector<std::string> chosen;
        std::vector<std::string> expected;  // folders
    } cases[] = {
        {"Firefox only", {profile, shared}, {bundle_id::kFirefox}, {profile.dir}},
        {"Chrome, shared database still to make",
         {profile, shared},
         {bundle_id::kChrome},
         {shared.dir}},
        {"a sandboxed Chromium needs no shared database",
         {shared, snap},
         {bundle_id::kChrome},
         {snap.dir}},
        {"unless it is there already",
         {sharedMade, snap},
         {bundle_id::kChrome, "com.apple.Safari"},
         {sharedMade.dir, snap.dir}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> dirs;
        for (const auto& s : BrowserDeployment::targets(c.found, c.chosen)) dirs.push_back(s.dir);
        EXPECT_EQ(dirs, c.expected);
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
        const std::string pfx = pki.file(serial + ".pfx");
        OpensslTool::run({"pkcs12", "-export", "-in", cert, "-inkey", key, "-passout",
                          "pass:A123456789", "-out", pfx});
        return Cert{cert,
                    OpensslTool::readFile(pfx),
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
