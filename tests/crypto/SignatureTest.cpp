#include <gtest/gtest.h>

#include "crypto/CryptoResult.h"
#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestPki.h"

namespace {

class Signature : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
    RSAUtility rsa{util};
};

TEST_F(Signature, VerifiesWithTheRightCaOnlyAndCarriesOneCertificate) {
    TestPki pki;
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

TEST_F(Signature, SubjectsCompareByAttribute) {
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

TEST_F(Signature, ParsedSubjectKeepsNamesAsWritten) {
    EXPECT_EQ(rsa.parseSubject(std::string("  CN = A123 , ou=RA ,C=TW ")),
              (StringMap{{"CN", "A123"}, {"ou", "RA"}, {"C", "TW"}}));
    EXPECT_EQ(rsa.parseSubject(std::string("   ")), StringMap{});
    EXPECT_FALSE(rsa.parseSubject(std::nullopt).has_value());
    EXPECT_FALSE(rsa.parseSubject(std::string("CN=A=B")).has_value());
    // The blanks of ICU's \s around "=" and ",", U+3000 among them, as the pattern had them.
    EXPECT_EQ(rsa.parseSubject(std::string("CN=A,\xe3\x80\x80OU\xc2\xa0=\xe2\x80\x83"
                                           "B")),
              (StringMap{{"CN", "A"}, {"OU", "B"}}));
}

// Runs of blanks on which the former pattern took quadratic time (16 KB: 5 s): the results
// must stay what the pattern gave. bench/SubjectBenchmark measures the time.
TEST_F(Signature, LongRunsOfBlanksKeepTheirMeaning) {
    const std::string blanks(64 * 1024, ' ');
    const std::pair<std::string, std::optional<StringMap>> cases[] = {
        {"CN=A," + blanks + "OU=B", StringMap{{"CN", "A"}, {"OU", "B"}}},
        {"CN" + blanks + "=" + blanks + "A" + blanks + "x", StringMap{{"CN", "A" + blanks + "x"}}},
        {blanks + "," + blanks + "CN=A", std::nullopt},
        {"a=b," + blanks + ",c=d", StringMap{{"a", "b,"}, {"c", "d"}}},
    };
    for (const auto& [subject, expected] : cases) EXPECT_EQ(rsa.parseSubject(subject), expected);
}

}  // namespace
