#include <gtest/gtest.h>

#include "RegsvcProcess.h"
#include "TestClient.h"

namespace {

class Protocol : public testing::Test {
  protected:
    RegsvcProcess service{{{"sessionIdleSeconds", "600"}}};
    TestClient client{service};
};

TEST_F(Protocol, FuturesCustomersAreSentToTheirEndpoint) {
    auto atStock = client.login("F123456789", "demo1234");
    EXPECT_EQ(atStock["rtnCode"], "997");
    EXPECT_FALSE(atStock["rtnMsg"].empty());
    auto atFutures = client.login("F123456789", "demo1234", true);
    EXPECT_EQ(atFutures["rtnCode"], "0");
    EXPECT_EQ(atFutures["custType"], "FT");
    EXPECT_EQ(atFutures["cn"], "F123456789-01");
    EXPECT_GE(atFutures["aeskey"].size(), 16u);
    EXPECT_EQ(client.callSession("getFnStatus", {{"cn", "F123456789-01"}})->at("fnStatus"), "10");
    EXPECT_EQ(client.login("A123456789", "demo1234", true)["rtnCode"], "1002");
    EXPECT_EQ(client.login("A123456789", "wrong")["rtnCode"], "1001");
}

TEST_F(Protocol, ConfigurationComesInThePublicKeyEnvelopeEvenAtASessionAddress) {
    client.login("A123456789", "demo1234");
    auto cfg = client.callPublic("getSysCfg", {{"version", "1.0"}}, false, true);
    ASSERT_TRUE(cfg.has_value());
    EXPECT_EQ(cfg->at("rtnCode"), "0");
    EXPECT_EQ(cfg->at("default.macPfxFilePath"), "#userHome#\\");
    EXPECT_EQ(cfg->at("depCert.templateUrl"), service.baseUrl() + "/files/template.html");
    EXPECT_EQ(client.callPublic("checkVersion", {{"os", "mac"}, {"version", "1.0"}})->at("rtnCode"),
              "0");
    EXPECT_NE(client.callPublic("checkVersion", {{"os", "mac"}, {"version", "0.9"}})->at("rtnCode"),
              "0");
}

TEST_F(Protocol, SessionsExpireUnlessKeptAlive) {
    client.login("A123456789", "demo1234");
    service.advanceClock(500);
    EXPECT_EQ(client.callSession("iAmAlive", {{"version", "1.0"}})->at("rtnCode"), "0");
    service.advanceClock(500);
    EXPECT_EQ(client.callSession("getFnStatus", {{"cn", "A123456789-00"}})->at("rtnCode"), "0");
    service.advanceClock(601);
    EXPECT_EQ(client.callSession("getFnStatus", {{"cn", "A123456789-00"}})->at("rtnCode"), "9001");
    client.forgetSession("NOSUCHSESSION");
    EXPECT_FALSE(client.callSession("getFnStatus", {{"cn", "A123456789-00"}}).has_value());
    EXPECT_EQ(client.lastHttpStatus(), 403);
}

TEST_F(Protocol, BadRequestsGetClearRefusals) {
    client.login("A123456789", "demo1234");
    EXPECT_EQ(client.callSession("noSuchAction", {})->at("rtnCode"), "9004");
    EXPECT_EQ(client.callSession("getFnStatus", {{"cn", "B223456789-00"}})->at("rtnCode"), "2001");
    EXPECT_EQ(client.callSession("logout", {})->at("rtnCode"), "9004");
    EXPECT_EQ(client.callSession("doLogout", {{"version", "1.0"}})->at("rtnCode"), "0");
    EXPECT_FALSE(client.callSession("iAmAlive", {{"version", "1.0"}}).has_value());
}

TEST_F(Protocol, MisbehavesOnlyAsToldAndRecordsRequests) {
    service.setRule("doLogin", R"({"rtnCode": "1234", "rtnMsg": "維護中"})");
    auto refused = client.login("A123456789", "demo1234");
    EXPECT_EQ(refused["rtnCode"], "1234");
    EXPECT_EQ(refused["rtnMsg"], "維護中");
    service.setRule("doLogin", R"({"mode": "garble"})");
    EXPECT_TRUE(client.login("A123456789", "demo1234").empty());
    service.setRule("getSysCfg", R"({"httpStatus": 500})");
    EXPECT_FALSE(client.callPublic("getSysCfg", {{"version", "1.0"}}).has_value());
    EXPECT_EQ(client.lastHttpStatus(), 500);
    const std::string log = service.requests();
    EXPECT_NE(log.find("\"action\":\"doLogin\""), std::string::npos);
    EXPECT_EQ(log.find("demo1234"), std::string::npos);  // no password, even here
    service.reset();
    EXPECT_EQ(client.login("A123456789", "demo1234")["rtnCode"], "0");
}

}  // namespace
