#include <gtest/gtest.h>

#include "service/ErrorMessages.h"
#include "service/ZOLTLib.h"
#include "support/FakeDesktop.h"

namespace {

class ZOLTLibOffline : public testing::Test {
  protected:
    FakeDesktop desktop;
    ZOLTLib lib{desktop, ServiceEndpoint{"svc.example:8443", "", ""}};
};

TEST_F(ZOLTLibOffline, AddressesFollowCustomerTypeAndSession) {
    struct Case {
        std::optional<std::string> custType, sessionId;
        std::string expected;
    };
    const std::vector<Case> cases{
        {std::nullopt, std::nullopt, "https://svc.example:8443/PLOVR_STK/api/doLogin"},
        {"FT", std::nullopt, "https://svc.example:8443/PLOVR_FT/api/doLogin"},
        {"ft", std::nullopt, "https://svc.example:8443/PLOVR_STK/api/doLogin"},
        {"S", "S1", "https://svc.example:8443/PLOVR_STK/api/SID:S1/doLogin"},
        {"FT", "", "https://svc.example:8443/PLOVR_FT/api/doLogin"},
    };
    for (const auto& c : cases) {
        lib.setCustType(c.custType);
        lib.setSessionId(c.sessionId);
        EXPECT_EQ(lib.getTargetUrl("doLogin"), c.expected);
    }
}

TEST_F(ZOLTLibOffline, PfxPathPlaceholdersAreReplacedInOrderOnce) {
    lib.setSvrCfg(StringMap{{"default.macPfxFilePath", "#userHome#/#desktop#/"},
                            {"default.pfxFileName", "#userId#_#cn#_#custType#.pfx"},
                            {"env.userHome", "/home/#userId#"},
                            {"env.userDeskTop", "/desk"}});
    EXPECT_FALSE(lib.getSysCfg("env.userPfxFilePath").has_value());  // nobody logged in yet
    lib.setUserIdno("A123");
    lib.setCn("A123-00");
    lib.setCustType("FT");
    // "#userHome#" goes first, so an ID placeholder inside the home folder is replaced too.
    EXPECT_EQ(lib.getSysCfg("env.userPfxFilePath"), "/home/A123//desk/A123_A123-00_F.pfx");
    lib.setUserIdno("B456");
    lib.setCustType("S");
    EXPECT_EQ(lib.getSysCfg("env.userPfxFilePath"), "/home/A123//desk/A123_A123-00_F.pfx");
    EXPECT_EQ(lib.getCurrentPfxFilePath(), "/home/A123//desk/A123_A123-00_F.pfx");
}

TEST_F(ZOLTLibOffline, CountsAreTheLeadingInteger) {
    const std::vector<std::pair<std::string, int>> cases{{"3", 3},
                                                         {" 12abc", 12},
                                                         {"abc", 0},
                                                         {"", 0},
                                                         {"-2", -2},
                                                         {"+7", 7},
                                                         {"99999999999", 2147483647}};
    for (const auto& [text, value] : cases) EXPECT_EQ(ZOLTLib::leadingInt(text), value) << text;
}

TEST(ErrorTable, KnownCodesHaveTextsAndOthersTheirNumber) {
    EXPECT_EQ(ErrorMessages::lookup(52303), "憑證檔密碼錯誤。");
    EXPECT_EQ(ErrorMessages::lookup(54103), "無法取得憑證作業狀態，請重新登入。");
    EXPECT_EQ(ErrorMessages::lookup(12345), "12345");
    EXPECT_EQ(ErrorMessages::lookup(-1), "-1");
    EXPECT_EQ(ErrorMessages::parse("# note\r\n1=a=b\r\nbad line\n2=\n"),
              (std::map<std::string, std::string>{{"1", "a=b"}, {"2", ""}}));
}

TEST(CompiledInEndpoint, IsTheDemoServiceByDefault) {
    auto endpoint = ServiceEndpoint::compiledIn();
    EXPECT_EQ(endpoint.host, "127.0.0.1:8443");
    EXPECT_EQ(endpoint.publicKeyPem.size(), 451u);
    EXPECT_EQ(endpoint.publicKeyPem.rfind("-----BEGIN PUBLIC KEY-----\n", 0), 0u);
    EXPECT_NE(endpoint.trustAnchorPem.find("BEGIN CERTIFICATE"), std::string::npos);
}

}  // namespace
