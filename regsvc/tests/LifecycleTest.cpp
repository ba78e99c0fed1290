#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <regex>

#include "Codec.h"
#include "OpensslCli.h"
#include "ServiceUnderTest.h"

namespace {

constexpr long long kDay = 24 * 60 * 60;

class Lifecycle : public testing::Test {
  protected:
    Lifecycle() : tool(makeFolder()), service(folder) { service.login("A123456789", "demo1234"); }
    ~Lifecycle() override { std::filesystem::remove_all(folder); }

    std::string makeFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "regsvc-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        return folder;
    }
    std::string status() {
        auto a = service.call("getFnStatus", {{"cn", cn}});
        return get(a, "fnStatus") + "/" + get(a, "certCount") + "/" + get(a, "effectCertCount");
    }
    Answer apply(const std::string& csr) {
        return service.call("applyCert", {{"csr", csr}, {"userId", "A123456789"}});
    }
    Answer activate(const Answer& issued) {
        return service.call("activeCert",
                            {{"certApplyId", get(issued, "certId")}, {"certPath", "/p"}});
    }
    // The issued certificate as PEM, for the openssl tool.
    std::string pemOf(const Answer& issued) {
        tool.write("cert.der", *codec::unbase64(get(issued, "cert")));
        return tool.run({"x509", "-inform", "DER", "-in", tool.file("cert.der")}).value_or("");
    }
    static std::string lowered(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
    static std::string get(const Answer& a, const std::string& name) {
        return ServiceUnderTest::field(a, name);
    }

    std::string folder;
    OpensslCli tool;
    ServiceUnderTest service;
    const std::string cn = "A123456789-00";
};

TEST_F(Lifecycle, ApplyActivateRenewActivate) {
    EXPECT_EQ(status(), "10/0/0");
    Answer applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied.rtnCode, "0") << applied.rtnMsg;
    EXPECT_EQ(status(), "20/1/0");
    EXPECT_EQ(get(apply(""), "cert"), get(applied, "cert"));  // the pending one again
    const std::string firstPem = pemOf(applied);
    auto text =
        tool.run({"x509", "-in", tool.file("cert.der"), "-inform", "DER", "-noout", "-text"});
    EXPECT_NE(text->find("CA:FALSE"), std::string::npos);
    ASSERT_EQ(activate(applied).rtnCode, "0");
    EXPECT_EQ(status(), "00/1/1");

    service.registry().advanceClock(340 * kDay);  // 25 of 365 days left: inside the window
    EXPECT_EQ(service.call("iAmAlive", {}).rtnCode, "9001");  // idle far too long
    service.login("A123456789", "demo1234");
    EXPECT_EQ(status(), "01/1/1");

    Answer last = service.call("qryLastActiveCert", {{"cn", cn}});
    const std::string csr = tool.request("second", "/CN=" + cn);
    Answer renewed =
        service.call("renewCert", {{"hexSerial", get(last, "hexSerial")},
                                   {"csr", csr},
                                   {"sign", tool.sign(csr, firstPem, tool.file("first.key"))}});
    ASSERT_EQ(renewed.rtnCode, "0") << renewed.rtnMsg;
    EXPECT_EQ(status(), "02/2/1");
    Answer again = service.call("renewCert",
                                {{"hexSerial", get(last, "hexSerial")}, {"csr", ""}, {"sign", ""}});
    EXPECT_EQ(get(again, "cert"), get(renewed, "cert"));
    ASSERT_EQ(activate(renewed).rtnCode, "0");
    EXPECT_EQ(status(), "00/2/1");

    Answer now = service.call("qryLastActiveCert", {{"cn", cn}});
    pemOf(renewed);
    auto fingerprint = tool.run({"x509", "-inform", "DER", "-in", tool.file("cert.der"), "-noout",
                                 "-fingerprint", "-sha1"});
    std::string hex;
    for (char c : fingerprint->substr(fingerprint->find('=') + 1)) {
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    EXPECT_EQ(get(now, "certHash"), hex);
    EXPECT_NE(get(now, "hexSerial"), get(last, "hexSerial"));
    EXPECT_EQ(get(now, "issuer"), "C=TW, O=Norvale Securities DEMO, CN=Norvale DEMO Issuing CA");
    Answer record = service.call("qryCert", {{"cn", cn}});
    EXPECT_EQ(get(record, "actFlg"), "Y");
    EXPECT_TRUE(std::regex_match(get(record, "notAfter"), std::regex("[0-9]{14}Z")));
}

TEST_F(Lifecycle, RequestsAndSignaturesThatDoNotBelongAreRefused) {
    EXPECT_EQ(apply(tool.request("wrong", "/CN=B223456789-00")).rtnCode, "5506");
    EXPECT_EQ(apply(tool.request("extra", "/CN=" + cn + "/O=Extra")).rtnCode, "5506");
    EXPECT_EQ(apply("bm90IGEgcmVxdWVzdA==").rtnCode, "5505");
    EXPECT_EQ(apply("").rtnCode, "5503");

    Answer applied = apply(tool.request("first", "/CN=" + cn));
    activate(applied);
    service.registry().advanceClock(340 * kDay);
    service.login("A123456789", "demo1234");
    const std::string serial = get(service.call("qryLastActiveCert", {{"cn", cn}}), "hexSerial");
    const std::string csr = tool.request("second", "/CN=" + cn);

    tool.run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", tool.file("self.key"),
              "-out", tool.file("self.pem"), "-subj", "/CN=" + cn, "-days", "2"});
    struct Case {
        std::string name, hexSerial, sign, expected;
    };
    const std::vector<Case> cases{
        {"signed by another certificate", serial,
         tool.sign(csr, tool.read("self.pem"), tool.file("self.key")), "5605"},
        {"not signed", serial, "", "5605"},
        {"signed over other text", serial,
         tool.sign(csr + "x", pemOf(applied), tool.file("first.key")), "5605"},
        {"wrong serial", "1234", "", "5602"},
        // Bytes above 0x7f go through toupper as unsigned char values (a plain char is
        // negative there); lower case is the same serial.
        {"serial with bytes above 0x7f", serial + "\xff\xe9", "", "5602"},
        {"lower-case serial, not signed", lowered(serial), "", "5605"},
    };
    for (const auto& c : cases) {
        Answer answer =
            service.call("renewCert", {{"hexSerial", c.hexSerial}, {"csr", csr}, {"sign", c.sign}});
        EXPECT_EQ(answer.rtnCode, c.expected) << c.name;
    }
    EXPECT_EQ(status(), "01/1/1");  // nothing was issued
}

TEST_F(Lifecycle, StateSurvivesARestart) {
    Answer applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied.rtnCode, "0");
    ServiceUnderTest restarted(folder);
    restarted.login("A123456789", "demo1234");
    EXPECT_EQ(ServiceUnderTest::field(
                  restarted.call("applyCert", {{"csr", ""}, {"userId", "A123456789"}}), "cert"),
              get(applied, "cert"));
}

}  // namespace
