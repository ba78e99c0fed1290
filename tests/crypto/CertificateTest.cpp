#include <gtest/gtest.h>
#include <openssl/pem.h>

#include <cstdlib>
#include <ctime>

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/NssTool.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

class Certificates : public testing::Test {
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

TEST_F(Certificates, DictionaryMatchesWhatOpensslReads) {
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

TEST_F(Certificates, FewerNamePartsLeaveNoGapsAndSerialsPrintAsTheServiceRecordsThem) {
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

TEST_F(Certificates, TimesAreShownInLocalTime) {
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

TEST_F(Certificates, SignatureVerifiesWithTheRightCaOnlyAndCarriesOneCertificate) {
    TestPki& pki = *Certificates::pki;
    std::string key;
    const std::string cert = pki.issue(pki.newRequest("/CN=A123456789-00", key), "0x10");
    const std::string pfx = desktop.homePath() + "/a.pfx";
    ASSERT_EQ(rsa.savePfxFile(pki.bundleBase64({pki.rootCert(), pki.issuingCert(), cert}),
                              OpensslTool::readText(key), pfx, "pw"),
              0);
    const std::string content = "MIICWjCCAUICAQAwFTETMBEGA1UEAwwK\nQTEyMzQ1Njc4OQ==";
    Bytes sign;
    ASSERT_EQ(rsa.signPKCS7(pfx, "pw", Bytes(content.begin(), content.end()), sign), 0);
    const std::string sig = desktop.homePath() + "/sig.der";
    OpensslTool::writeFile(sig, sign);
    auto tool = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-inform", "DER", "-in", sig});
        return OpensslTool::run(args).value_or("<refused>");
    };
    // The CA chain is not in the signature: the verifier brings it, the root alone is not enough.
    const std::string cas = pki.concat({pki.rootCert(), pki.issuingCert()});
    EXPECT_EQ(tool({"cms", "-verify", "-binary", "-CAfile", cas, "-purpose", "any"}), content);
    EXPECT_EQ(tool({"cms", "-verify", "-binary", "-CAfile", pki.rootCert(), "-purpose", "any"}),
              "<refused>");
    EXPECT_NE(tool({"cms", "-cmsout", "-print"}).find("signedAttrs:\n          <ABSENT>"),
              std::string::npos);
    const std::string certs = tool({"pkcs7", "-print_certs"});
    EXPECT_EQ(certs.find("subject="), certs.rfind("subject="));
    EXPECT_NE(certs.find("subject=CN = A123456789-00"), std::string::npos);
    EXPECT_NE(tool({"asn1parse"}).find(":sha1"), std::string::npos);
    // No file, or none open: no signature, and the last one stays.
    const Bytes good = sign;
    EXPECT_EQ(rsa.signPKCS7(desktop.homePath() + "/none.pfx", "pw", Bytes{'x'}, sign),
              crypto_result::kFailed);
    EXPECT_EQ(rsa.signPKCS7(nullptr, "pw", Bytes{'x'}, sign), crypto_result::kSignCannotOpen);
    EXPECT_EQ(sign, good);
}

TEST_F(Certificates, SubjectsCompareByAttribute) {
    const struct {
        std::string a, b;
        bool equal;
    } cases[] = {
        {"CN=A, OU=B, C=TW", "C=TW,OU=B,CN=A", true},
        {"CN=A, OU=B", "CN=A, OU=B, C=TW", false},
        {"CN=A, S=Taipei", "CN=A, ST=Taipei", false},
        {"CN=A, O=Foo, Inc.", "O=Foo, Inc., CN=A", true},  // a value may hold commas
        {"CN=a", "CN=A", false},
        {"", "", false},
        {"CN=A", "", false},
        {"no pairs here", "no pairs here", false},
        {"CN=A, junk", "CN=A, junk", true},  // "junk" is part of the value
        {"CN=A, CN=B", "CN=A", true},        // the leftmost value of a name is kept
    };
    for (const auto& c : cases) EXPECT_EQ(rsa.cmpSubject(c.a, c.b), c.equal) << c.a << " | " << c.b;
}

// Runs of blanks on which the former pattern took quadratic time (16 KB: 5 s) must keep the
// meaning the pattern gave them; bench/SubjectBenchmark measures the time.
TEST_F(Certificates, ParsedSubjectKeepsNamesAsWritten) {
    const std::string blanks(64 * 1024, ' ');
    const std::pair<std::optional<std::string>, std::optional<StringMap>> cases[] = {
        {"  CN = A123 , ou=RA ,C=TW ", StringMap{{"CN", "A123"}, {"ou", "RA"}, {"C", "TW"}}},
        {"   ", StringMap{}},
        {std::nullopt, std::nullopt},
        {"CN=A=B", std::nullopt},
        // The blanks of ICU's \s around "=" and ",", U+3000 and \v among them.
        {"CN=A,\xe3\x80\x80OU\xc2\xa0=\v\xe2\x80\x83 B", StringMap{{"CN", "A"}, {"OU", "B"}}},
        {"CN=A," + blanks + "OU=B", StringMap{{"CN", "A"}, {"OU", "B"}}},
        {"CN" + blanks + "=" + blanks + "A" + blanks + "x", StringMap{{"CN", "A" + blanks + "x"}}},
        {blanks + "," + blanks + "CN=A", std::nullopt},
        {"a=b," + blanks + ",c=d", StringMap{{"a", "b,"}, {"c", "d"}}},
    };
    for (const auto& [subject, expected] : cases) {
        EXPECT_EQ(rsa.parseSubject(subject), expected) << subject.value_or("-").substr(0, 40);
    }
}

}  // namespace
