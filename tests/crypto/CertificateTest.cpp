#include <openssl/pem.h>

#include <cstdlib>
#include <ctime>

#include "crypto/CryptoResult.h"
#include "crypto/CryptoTest.h"
#include "support/NssTool.h"

namespace {

class Certificates : public CryptoTest {
  protected:
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
    StringMap infoOf(const std::string& certPath) {
        const std::string pem = OpensslTool::readText(certPath);
        ossl::Bio bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
        ossl::X509Cert x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
        return rsa.getCertInfo(x509.get());
    }
    StringMap infoOf(const std::string& subject, const std::string& serial) {
        return infoOf(issue(subject, serial).cert);
    }

    std::optional<std::string> savedZone;
};

TEST_F(Certificates, DictionaryMatchesWhatOpensslReads) {
    zone("UTC0");
    const std::string cert =
        issue("/CN=A123456789-00/OU=RA/O=Bank/L=Taipei/ST=Taiwan/C=TW", "0x012A").cert;
    auto info = infoOf(cert);
    // "notBefore=2025-01-01 00:00:00Z" and the like, as the dictionary's digits.
    std::string dates;
    for (char c : OpensslTool::run({"x509", "-in", cert, "-noout", "-dateopt", "iso_8601",
                                    "-startdate", "-enddate"})
                      .value_or("")) {
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '\n') dates += c;
    }
    EXPECT_EQ(dates, info["notBefore"] + "\n" + info["notAfter"] + "\n");
    EXPECT_EQ(info,
              (StringMap{{"cn", "A123456789-00"},
                         {"certUserId", "A123456789"},
                         {"ou", "RA"},
                         {"o", "Bank"},
                         {"subject", "CN=A123456789-00, OU=RA, O=Bank, L=Taipei, S=Taiwan, C=TW"},
                         {"issuer", "CN=Test Issuing CA, O=Test Bank, C=TW"},
                         {"serial", "12A"},
                         {"certHash", NssTool::fingerprint(cert)},
                         {"notBefore", info["notBefore"]},
                         {"notAfter", info["notAfter"]}}));
}

TEST_F(Certificates, FewerNamePartsLeaveNoGapsAndSerialsPrintAsTheServiceRecordsThem) {
    auto info = infoOf("/CN=A123456789-00/C=TW", "7");
    EXPECT_EQ(info["subject"] + "|" + info["ou"], "CN=A123456789-00, C=TW|");
    EXPECT_EQ(infoOf("/CN=-odd name", "8")["certUserId"], "-odd name");  // no leading run
    const std::pair<std::string, std::string> serials[] = {
        {"-2", "FFFFFFFFFFFFFFFE"},
        // Longer serials are printed in full, so two of them never look alike.
        {"0x0102030405060708090A", "102030405060708090A"},
    };
    for (const auto& [serial, printed] : serials) {
        EXPECT_EQ(infoOf("/CN=S", serial)["serial"], printed) << serial;
    }
}

// Reading the time is OpenSSL's; the local zone, and what no certificate carries, are ours.
TEST_F(Certificates, TimesAreShownInLocalTime) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"250101000000Z", "20250101080000"},    // UTCTime
        {"500101000000Z", "19500101080000"},    // before 1970 too
        {"20991231160000Z", "21000101000000"},  // GeneralizedTime
        {"19000101000000Z", std::nullopt},     {"25010100Z", std::nullopt},
    };
    zone("CST-8");
    for (const auto& [text, expected] : cases) {
        ossl::Asn1Time time(ASN1_TIME_new());
        ASSERT_EQ(ASN1_STRING_set(time.get(), text.data(), static_cast<int>(text.size())), 1);
        time->type = text.size() == 15 ? V_ASN1_GENERALIZEDTIME : V_ASN1_UTCTIME;
        EXPECT_EQ(rsa.asn1TimeToLocalTimeStr(time.get()), expected) << text;
    }
    EXPECT_FALSE(rsa.asn1TimeToLocalTimeStr(nullptr).has_value());
}

TEST_F(Certificates, SignatureVerifiesWithTheRightCaOnlyAndCarriesOneCertificate) {
    const Issued signer = issue("/CN=A123456789-00", "0x10");
    const std::string pfx = home + "/a.pfx", sig = home + "/sig.der";
    ASSERT_EQ(
        rsa.savePfxFile(pki().bundleBase64({pki().rootCert(), pki().issuingCert(), signer.cert}),
                        signer.key, pfx, "pw"),
        0);
    const std::string content = "MIICWjCCAUICAQAwFTETMBEGA1UEAwwK\nQTEyMzQ1Njc4OQ==";
    Bytes sign;
    ASSERT_EQ(rsa.signPKCS7(pfx, "pw", Bytes(content.begin(), content.end()), sign), 0);
    OpensslTool::writeFile(sig, sign);
    auto tool = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-inform", "DER", "-in", sig});
        return OpensslTool::run(args).value_or("<refused>");
    };
    // The CA chain is not in the signature: the verifier brings it, the root alone is not enough.
    const std::string cas = pki().concat({pki().rootCert(), pki().issuingCert()});
    EXPECT_EQ(tool({"cms", "-verify", "-binary", "-CAfile", cas, "-purpose", "any"}), content);
    EXPECT_EQ(tool({"cms", "-verify", "-binary", "-CAfile", pki().rootCert(), "-purpose", "any"}),
              "<refused>");
    EXPECT_TRUE(contains(tool({"cms", "-cmsout", "-print"}), "signedAttrs:\n          <ABSENT>"));
    const std::string certs = tool({"pkcs7", "-print_certs"});
    EXPECT_EQ(count(certs, "subject="), 1);
    EXPECT_TRUE(contains(certs, "subject=CN = A123456789-00"));
    EXPECT_TRUE(contains(tool({"asn1parse"}), ":sha1"));
    // No file, or none open: no signature, and the last one stays.
    const Bytes good = sign;
    EXPECT_EQ(rsa.signPKCS7(home + "/none.pfx", "pw", Bytes{'x'}, sign), crypto_result::kFailed);
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
        {"CN=a", "CN=A", false},
        {"", "", false},
        {"CN=A", "", false},
        {"CN=A, CN=B", "CN=A", true},  // the leftmost value of a name is kept
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
