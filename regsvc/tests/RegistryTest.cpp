#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "ServiceUnderTest.h"

namespace {

class Rules : public testing::Test {
  protected:
    Rules() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "regsvc-XXXXXX").string();
        folder = mkdtemp(tmpl.data());
    }
    ~Rules() override { std::filesystem::remove_all(folder); }
    static std::string get(const Answer& a, const std::string& name) {
        return ServiceUnderTest::field(a, name);
    }

    std::string folder;
    ServiceUnderTest service{folder};
};

TEST_F(Rules, FuturesCustomersLogInAtTheirEndpointOnly) {
    EXPECT_EQ(service.login("F123456789", "demo1234").rtnCode, "997");
    Answer futures = service.login("F123456789", "demo1234", true);
    ASSERT_EQ(futures.rtnCode, "0");
    EXPECT_EQ(get(futures, "custType"), "FT");
    EXPECT_EQ(get(futures, "cn"), "F123456789-01");
    EXPECT_GE(get(futures, "aeskey").size(), 16u);
    EXPECT_EQ(service.login("A123456789", "demo1234", true).rtnCode, "1002");
    EXPECT_EQ(service.login("A123456789", "wrong").rtnCode, "1001");
    EXPECT_EQ(service.login("Z999999999", "demo1234").rtnCode, "1001");
}

TEST_F(Rules, SessionsExpireUnlessKeptAlive) {
    service.login("A123456789", "demo1234");
    const long long idle = service.config().sessionIdleSeconds;
    service.registry().advanceClock(idle - 10);
    EXPECT_EQ(service.call("iAmAlive", {}).rtnCode, "0");
    service.registry().advanceClock(idle - 10);
    EXPECT_EQ(service.call("getFnStatus", {{"cn", "A123456789-00"}}).rtnCode, "0");
    service.registry().advanceClock(idle + 1);
    EXPECT_EQ(service.call("getFnStatus", {{"cn", "A123456789-00"}}).rtnCode, "9001");
}

// Sessions are made at login, so a login forgets the long-expired ones; a session just
// expired still hears that it timed out.
TEST_F(Rules, LoginsPruneLongExpiredSessions) {
    auto sessionOf = [](const Answer& a) { return get(a, "sessionId"); };
    const std::string old = sessionOf(service.login("A123456789", "demo1234"));
    const long long idle = service.config().sessionIdleSeconds;
    service.registry().advanceClock(idle + 1);
    const std::string recent = sessionOf(service.login("B223456789", "demo1234"));
    EXPECT_TRUE(service.registry().sessionKey(old).has_value());  // expired, kept a while
    service.registry().advanceClock(idle + 1);
    EXPECT_EQ(service.call("iAmAlive", {}).rtnCode, "9001");  // B's, expired just now
    service.login("A123456789", "demo1234");
    EXPECT_FALSE(service.registry().sessionKey(old).has_value());
    EXPECT_TRUE(service.registry().sessionKey(recent).has_value());
}

// A public-key value that did not decrypt is a wrong value, never a code of its own.
TEST_F(Rules, UnreadableValuesAreAnsweredAsWrongOnes) {
    Call login{"doLogin", false, std::nullopt, {{"id", "A123456789"}, {"pwd", "demo1234"}}};
    login.unreadable = true;
    const std::string wrong =
        service.registry()
            .handle({"doLogin", false, std::nullopt, {{"id", "A123456789"}, {"pwd", "x"}}})
            .toXml();
    EXPECT_EQ(service.registry().handle(login).toXml(), wrong);
    Call version{"checkVersion", false, std::nullopt, {{"version", "1.0"}}};
    version.unreadable = true;
    EXPECT_NE(service.registry().handle(version).rtnCode, "0");
}

TEST_F(Rules, ConfigurationNamesTheServicesOwnAddresses) {
    service.registry().setBaseUrl("https://127.0.0.1:1234");
    Answer cfg =
        service.registry().handle({"getSysCfg", false, std::nullopt, {{"version", "1.0"}}});
    EXPECT_EQ(get(cfg, "default.macPfxFilePath"), "#userHome#\\");
    EXPECT_EQ(get(cfg, "depCert.templateUrl"), "https://127.0.0.1:1234/files/template.html");
    EXPECT_EQ(service.registry()
                  .handle({"checkVersion", false, std::nullopt, {{"version", "1.0"}}})
                  .rtnCode,
              "0");
    EXPECT_NE(service.registry()
                  .handle({"checkVersion", false, std::nullopt, {{"version", "0.9"}}})
                  .rtnCode,
              "0");
}

TEST_F(Rules, BadCallsGetClearRefusals) {
    EXPECT_EQ(service.call("getFnStatus", {{"cn", "A123456789-00"}}).rtnCode, "9000");  // no login
    service.login("A123456789", "demo1234");
    EXPECT_EQ(service.call("noSuchAction", {}).rtnCode, "9004");
    EXPECT_EQ(service.call("getFnStatus", {{"cn", "B223456789-00"}}).rtnCode, "2001");
    EXPECT_EQ(service.call("applyCert", {{"csr", ""}, {"userId", "B223456789"}}).rtnCode, "5502");
    EXPECT_EQ(service.call("activeCert", {{"certApplyId", "42"}, {"certPath", "/p"}}).rtnCode,
              "5701");
    EXPECT_EQ(service.call("qryLastActiveCert", {{"cn", "A123456789-00"}}).rtnCode, "5802");
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
