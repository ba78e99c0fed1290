#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <cstdlib>
#include <ctime>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

class CertInfo : public testing::Test {
  protected:
    static void SetUpTestSuite() { pki = new TestPki(); }
    static void TearDownTestSuite() { delete pki; }
    // Each test runs in the zone it sets; the previous one comes back after it.
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) savedZone = tz;
    }
    void TearDown() override {
        savedZone ? setenv("TZ", savedZone->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    static void zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

    StringMap infoOf(const std::string& subject, const std::string& serial,
                     std::string* certPath = nullptr) {
        std::string key;
        const std::string cert = pki->issue(pki->newRequest(subject, key), serial);
        if (certPath != nullptr) *certPath = cert;
        const std::string pem = OpensslTool::readText(cert);
        ossl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
        ossl::X509Cert x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        return rsa.getCertInfo(x509.get());
    }

    static inline TestPki* pki = nullptr;
    std::optional<std::string> savedZone;
    FakeDesktop desktop;
    CommonUtility util{desktop};
    RSAUtility rsa{util};
};

TEST_F(CertInfo, DictionaryMatchesWhatOpensslReads) {
    zone("UTC0");
    std::string certPath;
    auto info =
        infoOf("/CN=A123456789-00/OU=RA/O=Bank/L=Taipei/ST=Taiwan/C=TW", "0x012A", &certPath);
    EXPECT_EQ(info,
              (StringMap{{"cn", "A123456789-00"},
                         {"certUserId", "A123456789"},
                         {"ou", "RA"},
                         {"o", "Bank"},
                         {"subject", "CN=A123456789-00, OU=RA, O=Bank, L=Taipei, S=Taiwan, C=TW"},
                         {"issuer", "CN=Test Issuing CA, O=Test Bank, C=TW"},
                         {"serial", "12A"},
                         {"certHash", NssTool::fingerprint(certPath)},
                         {"notBefore", info["notBefore"]},
                         {"notAfter", info["notAfter"]}}));
    auto dates = OpensslTool::run({"x509", "-in", certPath, "-noout", "-startdate", "-enddate"});
    for (const std::string key : {"notBefore", "notAfter"}) {
        std::tm tm{};
        ASSERT_NE(strptime(dates->c_str() + dates->find(key + "=") + key.size() + 1,
                           "%b %d %H:%M:%S %Y GMT", &tm),
                  nullptr);
        char expected[16];
        std::strftime(expected, sizeof expected, "%Y%m%d%H%M%S", &tm);
        EXPECT_EQ(info[key], expected) << key;
    }
}

TEST_F(CertInfo, FewerNamePartsLeaveNoGapsAndSerialsPrintAsTheServiceRecordsThem) {
    auto info = infoOf("/CN=A123456789-00/C=TW", "7");
    EXPECT_EQ(info["subject"], "CN=A123456789-00, C=TW");
    EXPECT_EQ(info["ou"], "");
    EXPECT_EQ(infoOf("/CN=-odd name", "8")["certUserId"], "-odd name");  // no leading run
    EXPECT_EQ(infoOf("/CN=王小明", "9")["cn"], "王小明");
    const std::pair<std::string, std::string> serials[] = {
        {"0x00FF", "FF"},
        {"0x7FFFFFFFFFFFFFFF", "7FFFFFFFFFFFFFFF"},
        {"-2", "FFFFFFFFFFFFFFFE"},
        // Longer serials are printed in full, so two of them never look alike.
        {"0x0102030405060708090A", "102030405060708090A"},
        {"0x0102030405060708090B", "102030405060708090B"},
    };
    for (const auto& [serial, printed] : serials) {
        EXPECT_EQ(infoOf("/CN=S", serial)["serial"], printed) << serial;
    }
}

TEST_F(CertInfo, TimesAreShownInLocalTime) {
    const struct {
        int type;
        std::string text;
        std::optional<std::string> expected;
    } cases[] = {
        {V_ASN1_UTCTIME, "250101000000Z", "20250101080000"},
        {V_ASN1_UTCTIME, "991231160000Z", "20000101000000"},  // 99 is 1999
        {V_ASN1_UTCTIME, "500101000000Z", "19500101080000"},
        {V_ASN1_UTCTIME, "491231160000Z", "20500101000000"},
        {V_ASN1_GENERALIZEDTIME, "20991231160000Z", "21000101000000"},
        {V_ASN1_GENERALIZEDTIME, "19000101000000Z", std::nullopt},
        {V_ASN1_UTCTIME, "25010100Z", std::nullopt},
    };
    zone("CST-8");
    for (const auto& c : cases) {
        ossl::Asn1Time time(ASN1_TIME_new());
        ASSERT_EQ(ASN1_STRING_set(time.get(), c.text.data(), static_cast<int>(c.text.size())), 1);
        time->type = c.type;
        EXPECT_EQ(rsa.asn1TimeToLocalTimeStr(time.get()), c.expected) << c.text;
    }
    EXPECT_FALSE(rsa.asn1TimeToLocalTimeStr(nullptr).has_value());
}

}  // namespace
