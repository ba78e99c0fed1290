#include <gtest/gtest.h>

#include "service/StoreTexts.h"
#include "service/StoreVerdict.h"

namespace {

using Holds = StoreVerdict::Holds;
using Behind = StoreVerdict::Behind;

const StoredCertificate kActive{"AA11", "A123456789-01", "20270101000000"};
const StoredCertificate kOlder{"BB22", "A123456789-00", "20260101000000"};
const StoredCertificate kStranger{"CC33", "B223456789-00", "20270101000000"};

TEST(StoreVerdict, SaysWhatAStoreHoldsAndWhoIsBehind) {
    using Cert = std::optional<StoredCertificate>;
    const struct {
        const char* name;
        std::vector<StoredCertificate> held;
        Cert lastActive, local;
        Holds holds;
        Behind behind;
    } cases[] = {
        {"all three agree", {kActive}, kActive, kActive, Holds::LastActive, Behind::Nothing},
        {"older one kept beside",
         {kOlder, kActive},
         kActive,
         kActive,
         Holds::LastActive,
         Behind::Nothing},
        {"renewed, browser not yet", {kOlder}, kActive, kActive, Holds::Older, Behind::Store},
        {"empty store", {}, kActive, kActive, Holds::None, Behind::Store},
        {"another customer's is not older",
         {kStranger},
         kActive,
         kActive,
         Holds::None,
         Behind::Store},
        {"stale PFX, browser right",
         {kActive},
         kActive,
         kOlder,
         Holds::LastActive,
         Behind::LocalPfx},
        {"stale PFX deployed", {kOlder}, kActive, kOlder, Holds::Local, Behind::StoreAndPfx},
        {"no PFX loaded", {kActive}, kActive, std::nullopt, Holds::LastActive, Behind::LocalPfx},
        {"no PFX, nothing deployed", {}, kActive, std::nullopt, Holds::None, Behind::StoreAndPfx},
        {"service silent, store has the PFX's",
         {kOlder},
         std::nullopt,
         kOlder,
         Holds::Local,
         Behind::Unknown},
        {"service silent, store lacks the PFX's",
         {kStranger},
         std::nullopt,
         kActive,
         Holds::None,
         Behind::Store},
        {"nothing to compare with",
         {kActive},
         std::nullopt,
         std::nullopt,
         Holds::None,
         Behind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto verdict = StoreVerdict::judge(c.held, c.lastActive, c.local);
        EXPECT_EQ(verdict.holds, c.holds);
        EXPECT_EQ(verdict.behind, c.behind);
    }
}

TEST(StoreVerdict, ReadsServiceRecordsAndSpeaksPerStore) {
    // Whatever case the service writes its hex in.
    const auto record = StoreVerdict::fromCertInfo(StringMap{{"certHash", "aa11"}, {"cn", "A1"}});
    BrowserStore firefox;
    firefox.browser = "Firefox";
    firefox.profile = "default-release";
    EXPECT_EQ(StoreVerdict::judge({kActive, kOlder}, record, std::nullopt)
                  .text(store_text::label(firefox)),
              "Firefox（設定檔 default-release）：已安裝有效憑證，"
              "本機憑證檔不是伺服器端的有效憑證，請重新指定正確的憑證檔");
}

}  // namespace
