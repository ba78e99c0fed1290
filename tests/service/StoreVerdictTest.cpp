#include <gtest/gtest.h>

#include "service/StoreTexts.h"
#include "service/StoreVerdict.h"

namespace {

using Holds = StoreVerdict::Holds;
using Behind = StoreVerdict::Behind;

const StoredCertificate kActive{"AA11", "A123456789-01", "20270101000000", true};
const StoredCertificate kOlder{"BB22", "A123456789-00", "20260101000000", true};
const StoredCertificate kStranger{"CC33", "B223456789-00", "20270101000000", true};

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

TEST(StoreVerdict, ReadsCertificateRecordsAndSpeaksPerStore) {
    const auto record = StoreVerdict::fromCertInfo(
        StringMap{{"certHash", "aa11"}, {"cn", "A123456789-01"}, {"notAfter", "2027"}});
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->sha1, "AA11");  // whatever case the service writes its hex in
    EXPECT_FALSE(StoreVerdict::fromCertInfo(StringMap{{"cn", "A123456789-01"}}).has_value());

    BrowserStore firefox;
    firefox.browser = "Firefox";
    firefox.profile = "default-release";
    const auto verdict = StoreVerdict::judge({kOlder}, *record, *record);
    EXPECT_EQ(verdict.text(store_text::label(firefox)),
              "Firefox（設定檔 default-release）：僅有您較舊的憑證，"
              "瀏覽器中的憑證不是最新，請重新執行瀏覽器憑證安裝");
}

}  // namespace
