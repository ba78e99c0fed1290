#include <gtest/gtest.h>

#include "service/StoreVerdict.h"

namespace {

using Holds = StoreVerdict::Holds;
using Behind = StoreVerdict::Behind;

// As read from a store: issuer and start of validity.
const StoredCertificate kActive{"AA11", "A123456789-01", "20270101000000", "I1", 200, false};
const StoredCertificate kOlder{"BB22", "A123456789-00", "20260101000000", "I1", 100, false};
const StoredCertificate kStranger{"CC33", "B223456789-00", "20270101000000", "I1", 200, false};
const StoredCertificate kPrevious{"DD44", "A123456789-01", "20260101000000", "I1", 100, false};

// 'A' the active certificate, 'O' an older one of the customer for another account, 'P' the
// one 'A' replaced, 'S' a stranger's, '-' none. Which certificates supersede which (issuer,
// account, start) is the store's rule and its tests'.
std::optional<StoredCertificate> cert(char c) {
    const StoredCertificate* certs[] = {&kActive, &kOlder, &kPrevious, &kStranger};
    const auto at = std::string("AOPS").find(c);
    return at == std::string::npos ? std::nullopt : std::optional(*certs[at]);
}

TEST(StoreVerdict, SaysWhatAStoreHoldsAndWhoIsBehind) {
    const struct {
        const char* name;
        std::string held;
        char lastActive, local;
        Holds holds;
        Behind behind;
    } cases[] = {
        {"all three agree", "A", 'A', 'A', Holds::LastActive, Behind::Nothing},
        {"another account's kept beside", "OA", 'A', 'A', Holds::LastActive, Behind::Nothing},
        {"replaced one kept beside", "PA", 'A', 'A', Holds::LastActive, Behind::Store},
        {"service silent, replaced one beside", "PA", '-', 'A', Holds::Local, Behind::Store},
        {"renewed, browser not yet", "O", 'A', 'A', Holds::Older, Behind::Store},
        {"another customer's is not older", "S", 'A', 'A', Holds::None, Behind::Store},
        {"stale PFX, browser right", "A", 'A', 'O', Holds::LastActive, Behind::LocalPfx},
        {"stale PFX deployed", "O", 'A', 'O', Holds::Local, Behind::StoreAndPfx},
        {"no PFX loaded", "A", 'A', '-', Holds::LastActive, Behind::LocalPfx},
        {"no PFX, nothing deployed", "", 'A', '-', Holds::None, Behind::StoreAndPfx},
        {"service silent, store has the PFX's", "O", '-', 'O', Holds::Local, Behind::Unknown},
        {"service silent, store lacks the PFX's", "S", '-', 'A', Holds::None, Behind::Store},
        {"nothing to compare with", "A", '-', '-', Holds::None, Behind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<StoredCertificate> held;
        for (char h : c.held) held.push_back(*cert(h));
        const auto verdict = StoreVerdict::judge(held, cert(c.lastActive), cert(c.local));
        EXPECT_EQ(verdict.holds, c.holds);
        EXPECT_EQ(verdict.behind, c.behind);
    }
}

// The service may write a certificate's hash in lower case; the stores' are upper case. An
// older one kept beside the active one changes the advice.
TEST(StoreVerdict, ReadsServiceRecordsInEitherCaseAndWarnsOfAnOlderOneBeside) {
    const auto record = StoreVerdict::fromCertInfo(StringMap{{"certHash", "aa11"}, {"cn", "A1"}});
    EXPECT_EQ(StoreVerdict::judge({kPrevious, kActive}, record, record).text("Chrome"),
              "Chrome：已安裝有效憑證，但仍留有您較舊的憑證，"
              "瀏覽器可能出示較舊的憑證，請重新執行瀏覽器憑證安裝以移除較舊的憑證");
}

}  // namespace
