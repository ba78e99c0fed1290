#include <filesystem>

#include "crypto/CryptoResult.h"
#include "service/ServiceFixture.h"
#include "service/ServiceResult.h"
#include "support/OpensslTool.h"

namespace {

using namespace service_result;
constexpr long long kDay = 24 * 60 * 60;

// A stock customer with an active certificate, on a service whose sessions outlive a moved
// clock. The workflow tests walk the happy paths; these are the client's refusals.
class Certificates : public ServiceFixture {
  protected:
    Certificates() : ServiceFixture({{"sessionIdleSeconds", "100000000"}}) {}
    void SetUp() override {
        ASSERT_EQ(lib.login("A123456789", "demo1234", errMsg), kOk);
        std::string key;
        ASSERT_EQ(lib.applyCert(cn, key, cert, info, errMsg), kOk) << errMsg;
        ASSERT_EQ(lib.exportCert(cert, key, pfx, "A123456789", errMsg), 0);
        ASSERT_EQ(lib.activeCert(std::stoi(info.at("certId")), pfx, errMsg), kOk) << errMsg;
    }
    int renew(const std::string& password) {
        return lib.renewCert(cn, pfx, password, cert, info, errMsg);
    }
    nlohmann::json lastRequest(const std::string& action) {
        nlohmann::json found;
        for (const auto& r : requests()) {
            if (r["action"] == action) found = r;
        }
        return found;
    }

    const std::string cn = "A123456789-00";
    std::string pfx = desktop.homePath() + "/A123456789_S.pfx";
    std::string cert;
    StringMap info;
};

TEST_F(Certificates, NothingIsAskedForBeforeItIsDueAndAPendingRenewalComesWithoutSigning) {
    std::string none = "unset", key;
    EXPECT_EQ(lib.applyCert(cn, key, none, info, errMsg), kOk);  // nothing to apply for now
    EXPECT_EQ(none, "unset");
    EXPECT_EQ(count("applyCert"), 1);
    EXPECT_EQ(renew("A123456789"), kRenewNotOffered);
    service.advanceClock(340 * kDay);
    EXPECT_EQ(renew("wrong"), kRenewalNotSigned);
    EXPECT_EQ(count("renewCert"), 0);
    ASSERT_EQ(renew("A123456789"), kOk);
    const std::string renewed = cert;
    ASSERT_EQ(renew("wrong"), kOk);  // pending: nothing to sign, so the password is not needed
    EXPECT_EQ(cert, renewed);
    EXPECT_EQ(lastRequest("renewCert")["params"]["csr"], "");
    EXPECT_EQ(lastRequest("renewCert")["params"]["sign"], "");
}

// A new key that cannot be kept in the cache fails its request before anything is sent: the
// certificate issued for it could never be saved, and the customer would wait for ever.
TEST_F(Certificates, NoRequestGoesOutForAKeyThatCannotBeKept) {
    const std::string cache = desktop.homePath() + "/.voxa";
    std::filesystem::remove_all(cache);
    OpensslTool::writeFile(cache, std::string("in the way"));  // root can't write here either
    service.advanceClock(340 * kDay);
    EXPECT_EQ(renew("A123456789"), crypto_result::kCsrKeyNotStored);
    EXPECT_EQ(count("renewCert"), 0);
    EXPECT_EQ(lib.getErrMsg(crypto_result::kCsrKeyNotStored).find("52713"), std::string::npos);

    ZOLTLib other(desktop, endpointOf(service), limits);
    ASSERT_EQ(other.login("B223456789", "demo1234", errMsg), kOk);
    std::string key;
    EXPECT_EQ(other.applyCert("B223456789-00", key, cert, info, errMsg),
              crypto_result::kCsrKeyNotStored);
    EXPECT_EQ(count("applyCert"), 1);  // the fixture's own
}

TEST_F(Certificates, RefusalsGiveTheOperationsCodesAndMessages) {
    service.advanceClock(340 * kDay);
    service.setRule("renewCert", R"({"rtnCode": "5605", "rtnMsg": "展期簽章驗證失敗"})");
    EXPECT_EQ(renew("A123456789"), kRenewalRefused);
    EXPECT_EQ(errMsg, "展期簽章驗證失敗");
    service.setRule("qryLastActiveCert", R"({"rtnCode": "5802"})");
    EXPECT_EQ(renew("A123456789"), 1);
    service.setRule("activeCert", R"({"rtnCode": "5701", "rtnMsg": "查無此憑證申請"})");
    EXPECT_EQ(lib.activeCert(123, pfx, errMsg), kActivationFailed);
    EXPECT_EQ(errMsg, "查無此憑證申請");
    service.setRule("qryCert", R"({"rtnCode": "5801", "rtnMsg": "查無憑證資料"})");
    StringMap record;
    EXPECT_EQ(lib.qrySvrCertInfo(cn, record, errMsg), kOk);
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(errMsg, "查無憑證資料");

    ZOLTLib other(desktop, endpointOf(service), limits);
    ASSERT_EQ(other.login("B223456789", "demo1234", errMsg), kOk);
    std::string key;
    cert.clear();
    service.setRule("applyCert", R"({"rtnCode": "5504", "rtnMsg": "目前無法申請憑證"})");
    EXPECT_EQ(other.applyCert("B223456789-00", key, cert, info, errMsg), kApplicationFailed);
    EXPECT_EQ(errMsg, "目前無法申請憑證");
    EXPECT_EQ(cert, "");
}

TEST_F(Certificates, ClientCertificateMatchesOnlyWhenEveryGivenCriterionDoes) {
    using O = std::optional<std::string>;
    auto last = *lib.getLastActiveCertInfo(cn);
    std::string lowerHash = last["certHash"];
    for (char& c : lowerHash) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const struct {
        std::string pw;
        O cn, issuer, serial, hash;
        bool matches;
    } cases[] = {
        {"A123456789", {}, {}, {}, "", true},
        // The service writes the issuer in its own order; the attributes decide.
        {"A123456789", cn, last["issuer"], last["serial"], last["certHash"], true},
        {"A123456789", {}, {}, {}, lowerHash, false},
        {"A123456789", "A123456789-01", {}, {}, "", false},
        {"A123456789", cn, {}, "1" + last["serial"], "", false},
        {"A123456789", cn, "CN=Other CA, C=TW", "", "", false},
        {"wrong", {}, {}, {}, "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lib.getClientCertInfo(pfx, c.pw, c.cn, c.issuer, c.serial, c.hash).has_value(),
                  c.matches)
            << c.cn.value_or("-") << " " << c.issuer.value_or("-") << " " << c.hash.value_or("-");
    }
}

}  // namespace
