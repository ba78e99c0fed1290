#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "OpensslCli.h"
#include "RegsvcProcess.h"
#include "TestClient.h"

namespace {

constexpr long long kDay = 24 * 60 * 60;

class Lifecycle : public testing::Test {
  protected:
    Lifecycle() : tool(makeFolder()) {}
    ~Lifecycle() override { std::filesystem::remove_all(folder); }

    std::string makeFolder() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "regsvc-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
        return folder;
    }
    TestClient::Leaves status() { return client.callSession("getFnStatus", {{"cn", cn}}).value(); }
    std::string fn() { return status()["fnStatus"]; }
    // The issued certificate as PEM, for the openssl tool.
    std::string pemOf(const std::string& certB64) {
        tool.write("cert.b64", certB64);
        tool.run(
            {"base64", "-d", "-A", "-in", tool.file("cert.b64"), "-out", tool.file("cert.der")});
        return tool.run({"x509", "-inform", "DER", "-in", tool.file("cert.der")}).value_or("");
    }
    TestClient::Leaves apply(const std::string& csr) {
        return client.callSession("applyCert", {{"csr", csr}, {"userId", "A123456789"}}).value();
    }

    std::string folder;
    OpensslCli tool;
    RegsvcProcess service;
    TestClient client{service};
    const std::string cn = "A123456789-00";
};

TEST_F(Lifecycle, ApplyActivateRenewActivate) {
    ASSERT_EQ(client.login("A123456789", "demo1234")["rtnCode"], "0");
    auto fresh = status();
    EXPECT_EQ(fresh["fnStatus"], "10");
    EXPECT_EQ(fresh["certCount"], "0");

    auto applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied["rtnCode"], "0") << applied["rtnMsg"];
    EXPECT_EQ(fn(), "20");
    EXPECT_EQ(apply("")["cert"], applied["cert"]);  // the pending certificate again
    const std::string firstPem = pemOf(applied["cert"]);
    auto text =
        tool.run({"x509", "-in", tool.file("cert.der"), "-inform", "DER", "-noout", "-text"});
    EXPECT_NE(text->find("CA:FALSE"), std::string::npos);

    auto activated = client.callSession(
        "activeCert", {{"certApplyId", applied["certId"]}, {"certPath", "/home/a/A.pfx"}});
    ASSERT_EQ(activated->at("rtnCode"), "0");
    auto active = status();
    EXPECT_EQ(active["fnStatus"], "00");
    EXPECT_EQ(active["effectCertCount"], "1");

    service.advanceClock(340 * kDay);  // 25 days left of 365, inside the 30-day window
    ASSERT_EQ(client.callSession("iAmAlive", {{"version", "1.0"}})->at("rtnCode"), "9001");
    ASSERT_EQ(client.login("A123456789", "demo1234")["rtnCode"], "0");
    EXPECT_EQ(fn(), "01");

    auto last = client.callSession("qryLastActiveCert", {{"cn", cn}}).value();
    const std::string csr = tool.request("second", "/CN=" + cn);
    auto renewed = client.callSession("renewCert",
                                      {{"hexSerial", last["hexSerial"]},
                                       {"csr", csr},
                                       {"sign", tool.sign(csr, firstPem, tool.file("first.key"))}});
    ASSERT_EQ(renewed->at("rtnCode"), "0") << renewed->at("rtnMsg");
    EXPECT_EQ(fn(), "02");
    auto again = client.callSession("renewCert",
                                    {{"hexSerial", last["hexSerial"]}, {"csr", ""}, {"sign", ""}});
    EXPECT_EQ(again->at("cert"), renewed->at("cert"));
    ASSERT_EQ(client
                  .callSession("activeCert",
                               {{"certApplyId", renewed->at("certId")}, {"certPath", "/home/a"}})
                  ->at("rtnCode"),
              "0");
    auto done = status();
    EXPECT_EQ(done["fnStatus"], "00");
    EXPECT_EQ(done["certCount"], "2");
    EXPECT_EQ(done["effectCertCount"], "1");

    auto now = client.callSession("qryLastActiveCert", {{"cn", cn}}).value();
    pemOf(renewed->at("cert"));
    auto fingerprint = tool.run({"x509", "-inform", "DER", "-in", tool.file("cert.der"), "-noout",
                                 "-fingerprint", "-sha1"});
    std::string hex;
    for (char c : fingerprint->substr(fingerprint->find('=') + 1)) {
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
    }
    EXPECT_EQ(now["certHash"], hex);
    EXPECT_NE(now["hexSerial"], last["hexSerial"]);
    EXPECT_EQ(now["issuer"], "C=TW, O=Norvale Securities DEMO, CN=Norvale DEMO Issuing CA");
    auto record = client.callSession("qryCert", {{"cn", cn}}).value();
    EXPECT_EQ(record["actFlg"], "Y");
    EXPECT_EQ(record["notAfter"].size(), 15u);
}

TEST_F(Lifecycle, RequestsAndSignaturesThatDoNotBelongAreRefused) {
    ASSERT_EQ(client.login("A123456789", "demo1234")["rtnCode"], "0");
    EXPECT_EQ(apply(tool.request("wrong", "/CN=B223456789-00"))["rtnCode"], "5506");
    EXPECT_EQ(apply(tool.request("extra", "/CN=" + cn + "/O=Extra"))["rtnCode"], "5506");
    EXPECT_EQ(apply("bm90IGEgcmVxdWVzdA==")["rtnCode"], "5505");
    EXPECT_EQ(apply("")["rtnCode"], "5503");

    auto applied = apply(tool.request("first", "/CN=" + cn));
    client.callSession("activeCert", {{"certApplyId", applied["certId"]}, {"certPath", "/p"}});
    service.advanceClock(340 * kDay);
    client.login("A123456789", "demo1234");
    const std::string serial =
        client.callSession("qryLastActiveCert", {{"cn", cn}})->at("hexSerial");
    const std::string csr = tool.request("second", "/CN=" + cn);

    // Signed by a certificate that is not the one being renewed.
    tool.run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", tool.file("self.key"),
              "-out", tool.file("self.pem"), "-subj", "/CN=" + cn, "-days", "2"});
    const std::string foreign = tool.sign(csr, tool.read("self.pem"), tool.file("self.key"));
    struct Case {
        std::string name, hexSerial, sign, expected;
    };
    const std::vector<Case> cases{
        {"foreign signer", serial, foreign, "5605"},
        {"no signature", serial, "", "5605"},
        {"signature over other text", serial,
         tool.sign(csr + "x", pemOf(applied["cert"]), tool.file("first.key")), "5605"},
        {"wrong serial", "1234", "", "5602"},
    };
    for (const auto& c : cases) {
        auto answer = client.callSession(
            "renewCert", {{"hexSerial", c.hexSerial}, {"csr", csr}, {"sign", c.sign}});
        EXPECT_EQ(answer->at("rtnCode"), c.expected) << c.name;
    }
    EXPECT_EQ(fn(), "01");  // nothing was issued
}

TEST_F(Lifecycle, StateSurvivesARestart) {
    client.login("A123456789", "demo1234");
    auto applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied["rtnCode"], "0");
    service.restart();
    client.login("A123456789", "demo1234");
    EXPECT_EQ(fn(), "20");
    EXPECT_EQ(apply("")["cert"], applied["cert"]);
}

}  // namespace
