#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <cstdlib>
#include <ctime>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

// Runs a test in a fixed time zone and restores the previous one.
class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone) {
        const char* old = std::getenv("TZ");
        if (old != nullptr) previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::optional<std::string> previous_;
};

class CertInfo : public testing::Test {
  protected:
    static void SetUpTestSuite() { pki = new TestPki(); }
    static void TearDownTestSuite() { delete pki; }

    StringMap infoOf(const std::string& subject, const std::string& serial,
                     std::string* certPath = nullptr) {
        std::string key;
        const std::string cert = pki->issue(pki->newRequest(subject, key), serial);
        if (certPath != nullptr) *certPath = cert;
        auto bytes = OpensslTool::readFile(cert);
        ossl::Bio bio(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
        ossl::X509Cert x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        return rsa.getCertInfo(x509.get());
    }

    static TestPki* pki;
    FakeDesktop desktop;
    CommonUtility util{desktop};
    RSAUtility rsa{util};
};

TestPki* CertInfo::pki = nullptr;

TEST_F(CertInfo, DictionaryMatchesWhatOpensslReads) {
    ZoneGuard zone("UTC0");
    std::string certPath;
    auto info =
        infoOf("/CN=A123456789-00/OU=RA/O=Bank/L=Taipei/ST=Taiwan/C=TW", "0x012A", &certPath);
    EXPECT_EQ(info["cn"], "A123456789-00");
    EXPECT_EQ(info["certUserId"], "A123456789");
    EXPECT_EQ(info["ou"], "RA");
    EXPECT_EQ(info["o"], "Bank");
    EXPECT_EQ(info["subject"], "CN=A123456789-00, OU=RA, O=Bank, L=Taipei, S=Taiwan, C=TW");
    EXPECT_EQ(info["issuer"], "CN=Test Issuing CA, O=Test Bank, C=TW");
    EXPECT_EQ(info["serial"], "12A");
    EXPECT_EQ(info.size(), 10u);

    auto fingerprint =
        OpensslTool::run({"x509", "-in", certPath, "-noout", "-fingerprint", "-sha1"});
    std::string hex;
    for (char c : fingerprint->substr(fingerprint->find('=') + 1)) {
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    EXPECT_EQ(info["certHash"], hex);

    auto dates = OpensslTool::run({"x509", "-in", certPath, "-noout", "-startdate", "-enddate"});
    for (const auto& [key, label] :
         {std::pair{"notBefore", "notBefore="}, {"notAfter", "notAfter="}}) {
        auto at = dates->find(label) + std::string(label).size();
        std::tm tm{};
        ASSERT_NE(strptime(dates->c_str() + at, "%b %d %H:%M:%S %Y GMT", &tm), nullptr);
        char expected[16];
        std::strftime(expected, sizeof expected, "%Y%m%d%H%M%S", &tm);
        EXPECT_EQ(info[key], expected) << key;
    }
}

TEST_F(CertInfo, NamesWithFewerPartsLeaveNoGaps) {
    auto info = infoOf("/CN=A123456789-00/C=TW", "7");
    EXPECT_EQ(info["subject"], "CN=A123456789-00, C=TW");
    EXPECT_EQ(info["ou"], "");
    EXPECT_EQ(info["certUserId"], "A123456789");
    EXPECT_EQ(infoOf("/CN=-odd name", "8")["certUserId"], "-odd name");  // no leading run
    EXPECT_EQ(infoOf("/CN=王小明", "9")["cn"], "王小明");
}

TEST_F(CertInfo, SerialsPrintAsTheServiceRecordsThem) {
    EXPECT_EQ(infoOf("/CN=S1", "0x00FF")["serial"], "FF");
    EXPECT_EQ(infoOf("/CN=S2", "0x7FFFFFFFFFFFFFFF")["serial"], "7FFFFFFFFFFFFFFF");
    EXPECT_EQ(infoOf("/CN=S3", "-2")["serial"], "FFFFFFFFFFFFFFFE");
    // Longer serials are printed in full, so two of them never look alike.
    EXPECT_EQ(infoOf("/CN=S4", "0x0102030405060708090A")["serial"], "102030405060708090A");
    EXPECT_EQ(infoOf("/CN=S5", "0x0102030405060708090B")["serial"], "102030405060708090B");
}

TEST_F(CertInfo, TimesAreShownInLocalTime) {
    struct Case {
        int type;
        std::string text;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases{
        {V_ASN1_UTCTIME, "250101000000Z", "20250101080000"},
        {V_ASN1_UTCTIME, "991231160000Z", "20000101000000"},  // 99 is 1999
        {V_ASN1_UTCTIME, "500101000000Z", "19500101080000"},
        {V_ASN1_UTCTIME, "491231160000Z", "20500101000000"},
        {V_ASN1_GENERALIZEDTIME, "20991231160000Z", "21000101000000"},
        {V_ASN1_GENERALIZEDTIME, "19000101000000Z", std::nullopt},
        {V_ASN1_UTCTIME, "25010100Z", std::nullopt},
    };
    ZoneGuard zone("CST-8");
    for (const auto& c : cases) {
        ossl::Asn1Time time(ASN1_TIME_new());
        ASSERT_EQ(ASN1_STRING_set(time.get(), c.text.data(), static_cast<int>(c.text.size())), 1);
        time->type = c.type;
        EXPECT_EQ(rsa.asn1TimeToLocalTimeStr(time.get()), c.expected) << c.text;
    }
    EXPECT_FALSE(rsa.asn1TimeToLocalTimeStr(nullptr).has_value());
}

}  // namespace
