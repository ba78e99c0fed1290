#include "Codec.h"
#include "ServiceUnderTest.h"

namespace {

constexpr long long kDay = 24 * 60 * 60;

// Requests and signatures come from the openssl tool, a third party; the workflow tests walk
// the same life of a certificate through the client.
class Renewal : public LoggedIn {
  protected:
    Answer apply(const std::string& csr) {
        return service.call("applyCert", {{"csr", csr}, {"userId", "A123456789"}});
    }
    Answer renew(const std::string& serial, const std::string& csr, const std::string& sign) {
        return service.call("renewCert", {{"hexSerial", serial}, {"csr", csr}, {"sign", sign}});
    }
    // The issued certificate as PEM, for the openssl tool.
    std::string pemOf(const Answer& issued) {
        tool.write("cert.der", *codec::unbase64(get(issued, "cert")));
        return tool.run({"x509", "-inform", "DER", "-in", tool.file("cert.der")}).value_or("");
    }
};

TEST_F(Renewal, OnlyARequestForTheCustomerSignedWithTheActiveCertificateIsIssued) {
    EXPECT_EQ(apply(tool.request("wrong", "/CN=B223456789-00")).rtnCode, "5506");
    EXPECT_EQ(apply(tool.request("extra", "/CN=" + cn + "/O=Extra")).rtnCode, "5506");
    EXPECT_EQ(apply("bm90IGEgcmVxdWVzdA==").rtnCode, "5505");
    EXPECT_EQ(apply("").rtnCode, "5503");
    Answer applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied.rtnCode, "0") << applied.rtnMsg;
    const std::string firstPem = pemOf(applied);
    ASSERT_EQ(service.call("activeCert", {{"certApplyId", get(applied, "certId")}}).rtnCode, "0");
    service.registry().advanceClock(340 * kDay);  // 25 of 365 days left: inside the window
    service.login("A123456789", "demo1234");
    Answer last = service.call("qryLastActiveCert", {{"cn", cn}});
    const std::string serial = get(last, "hexSerial");
    const std::string csr = tool.request("second", "/CN=" + cn);
    tool.run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", tool.file("self.key"),
              "-out", tool.file("self.pem"), "-subj", "/CN=" + cn, "-days", "2"});
    std::string lower = serial;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const struct {
        std::string name, hexSerial, sign, expected;
    } cases[] = {
        {"signed by another certificate", serial,
         tool.sign(csr, tool.read("self.pem"), tool.file("self.key")), "5605"},
        {"signed over other text", serial, tool.sign(csr + "x", firstPem, tool.file("first.key")),
         "5605"},
        {"wrong serial", "1234", "", "5602"},
        // Bytes above 0x7f go through toupper as unsigned char values (a plain char is
        // negative there); lower case is the same serial.
        {"serial with bytes above 0x7f", serial + "\xff\xe9", "", "5602"},
        {"lower-case serial, not signed", lower, "", "5605"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(renew(c.hexSerial, csr, c.sign).rtnCode, c.expected) << c.name;

    Answer renewed = renew(serial, csr, tool.sign(csr, firstPem, tool.file("first.key")));
    ASSERT_EQ(renewed.rtnCode, "0") << renewed.rtnMsg;
    EXPECT_EQ(get(renew(serial, "", ""), "cert"), get(renewed, "cert"));  // the pending one again
    ASSERT_EQ(service.call("activeCert", {{"certApplyId", get(renewed, "certId")}}).rtnCode, "0");
    // The replaced certificate ends with it: one active certificate, the new one.
    EXPECT_EQ(get(service.call("getFnStatus", {{"cn", cn}}), "effectCertCount"), "1");
    Answer now = service.call("qryLastActiveCert", {{"cn", cn}});
    EXPECT_NE(get(now, "hexSerial"), serial);
}

TEST_F(Renewal, StateSurvivesARestart) {
    Answer applied = apply(tool.request("first", "/CN=" + cn));
    ASSERT_EQ(applied.rtnCode, "0");
    ServiceUnderTest restarted(folder.path());
    restarted.login("A123456789", "demo1234");
    EXPECT_EQ(get(restarted.call("applyCert", {{"csr", ""}, {"userId", "A123456789"}}), "cert"),
              get(applied, "cert"));
}

using Rules = LoggedIn;

// Sessions are made at login, so a login forgets the long-expired ones; a session just
// expired still hears that it timed out.
TEST_F(Rules, LoginsPruneLongExpiredSessions) {
    const std::string old = get(service.login("A123456789", "demo1234"), "sessionId");
    const long long idle = service.config().sessionIdleSeconds;
    service.registry().advanceClock(idle + 1);
    const std::string recent = get(service.login("B223456789", "demo1234"), "sessionId");
    EXPECT_TRUE(service.registry().sessionKey(old).has_value());  // expired, kept a while
    service.registry().advanceClock(idle + 1);
    EXPECT_EQ(service.call("iAmAlive", {}).rtnCode, "9001");  // B's, expired just now
    service.login("A123456789", "demo1234");
    EXPECT_FALSE(service.registry().sessionKey(old).has_value());
    EXPECT_TRUE(service.registry().sessionKey(recent).has_value());
}

// A futures customer's redirect to the futures endpoint is the client's tests' (Session).
TEST_F(Rules, BadCallsGetClearRefusals) {
    EXPECT_EQ(service.login("A123456789", "demo1234", true).rtnCode, "1002");
    EXPECT_EQ(service.login("Z999999999", "demo1234").rtnCode, "1001");
    EXPECT_EQ(service.call("noSuchAction", {}).rtnCode, "9004");
    EXPECT_EQ(service.call("getFnStatus", {{"cn", "B223456789-00"}}).rtnCode, "2001");
    EXPECT_EQ(service.call("applyCert", {{"csr", ""}, {"userId", "B223456789"}}).rtnCode, "5502");
    EXPECT_EQ(service.call("activeCert", {{"certApplyId", "42"}}).rtnCode, "5701");
    EXPECT_EQ(service.call("qryLastActiveCert", {{"cn", cn}}).rtnCode, "5802");
    EXPECT_EQ(service.call("doLogout", {}).rtnCode, "0");
    EXPECT_EQ(service.call("iAmAlive", {}).rtnCode, "9000");  // the session is gone
}

TEST(AnswerXml, EscapesValues) {
    Answer a = Answer::refuse("1", "a<b & \"c\"");
    a.certInfo = {{"certId", "7"}};
    EXPECT_EQ(a.toXml(),
              "<?xml version=\"1.0\" encoding=\"Big5\"?><Root><rtnCode>1</rtnCode>"
              "<rtnMsg>a&lt;b &amp; &quot;c&quot;</rtnMsg><certInfo><certId>7</certId>"
              "</certInfo></Root>");
}

}  // namespace
