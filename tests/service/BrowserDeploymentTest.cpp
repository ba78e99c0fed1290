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

// A renewed certificate deployed over the old one, against real databases in a temporary
// home. The work on the stores runs on another thread; the primary password is asked on this
// one, and a wrong answer is that store's failure alone.
TEST(BrowserDeployment, ReportsEveryStoreAndSeesWhichIsBehind) {
    TestPki pki;
    TempDir home;
    auto issue = [&](const std::string& serial, const std::string& notBefore) {
        std::string key;
        const std::string request = pki.newRequest("/CN=A123456789-00", key);
        const std::string cert = notBefore.empty()
                                     ? pki.issue(request, serial)
                                     : pki.issueStartingAt(request, serial, notBefore);
        return pki.pkcs12(cert, key, "A123456789");
    };
    const std::string old = issue("0x40", "20250101000000Z"), renewed = issue("0x41", "");
    const std::string firefox = home.file(".mozilla/firefox");
    NssTool::makeDb(firefox + "/a.default-release");
    NssTool::importPfx(firefox + "/a.default-release", old, "A123456789");
    NssTool::makeDb(firefox + "/b.locked", "Primary-1");
    OpensslTool::writeFile(firefox + "/profiles.ini",
                           std::string("[Profile0]\nName=default-release\nPath=a.default-release\n"
                                       "[Profile1]\nName=locked\nPath=b.locked\n"
                                       "[Profile2]\nName=ghost\nPath=c.ghost\n"));
    std::vector<std::string> asked;
    int runs = 0;
    bool askedElsewhere = false, ranHere = false;
    const auto caller = std::this_thread::get_id();
    const auto outcomes = BrowserDeployment::deploy(
        BrowserDeployment::targets(BrowserStores(home.path()).find(),
                                   {bundle_id::kFirefox, bundle_id::kChrome}),
        OpensslTool::readFile(renewed), "A123456789",
        [&](const BrowserStore& s) {
            askedElsewhere |= std::this_thread::get_id() != caller;
            asked.push_back(s.profile);
            return std::optional<std::string>("wrong");
        },
        [&](const std::function<void()>& work) {
            ++runs;
            std::thread([&] {
                ranHere |= std::this_thread::get_id() == caller;
                work();
            }).join();
        });
    EXPECT_EQ(BrowserDeployment::message(outcomes),
              "已安裝至 Firefox（設定檔 default-release），並已移除 1 張您較舊的憑證\n"
              "無法安裝至 Firefox（設定檔 locked）：主要密碼錯誤\n"
              "無法安裝至 Firefox（設定檔 ghost）：找不到憑證資料庫，請先開啟一次該瀏覽器\n"
              "已安裝至 Chrome／Chromium");
    EXPECT_EQ(asked, std::vector<std::string>{"locked"});
    EXPECT_EQ(runs, 2);  // the stores without a password, then the locked one with its answer
    EXPECT_FALSE(askedElsewhere);
    EXPECT_FALSE(ranHere);
    EXPECT_EQ(fs::status(home.file(".pki")).permissions() & fs::perms::all, fs::perms::owner_all);

    // Profiles, then the shared Chromium database, read back through the check.
    const StringMap info{{"certHash", outcomes[0].result.certSha1}, {"cn", "A123456789-00"}};
    std::vector<Behind> behind;
    for (const auto& check :
         BrowserDeployment::check(BrowserStores(home.path()).find(), info, info)) {
        behind.push_back(check.verdict ? check.verdict->behind : Behind::Unknown);
    }
    EXPECT_EQ(behind, (std::vector<Behind>{Behind::Nothing, Behind::Store, Behind::Store,
                                           Behind::Nothing}));
}

}  // namespace
