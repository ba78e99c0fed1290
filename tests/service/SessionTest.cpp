#include "service/ServiceFixture.h"
#include "service/ServiceResult.h"

namespace {

using namespace service_result;

class Session : public ServiceFixture {
  protected:
    explicit Session(HttpLimits limits = HttpLimits::serviceCall()) : ServiceFixture({}, limits) {}
    int fnStatus(const std::string& cn) {
        fn = "unset";
        return lib.getFnStatus(cn, fn, certs, effective, errMsg);
    }
    std::string fn;
    int certs = -1, effective = -1;
};

TEST_F(Session, FuturesCustomerIsRedirectedOnceAndAFailedRedirectIsForgotten) {
    ASSERT_EQ(lib.login("F123456789", "demo1234", errMsg), kOk);
    EXPECT_EQ(lib.getCustType(), "FT");
    EXPECT_FALSE(errMsg.empty());  // the redirect's message
    EXPECT_EQ(lib.getSysCfg("env.userPfxFilePath"), desktop.homePath() + "/F123456789_F.pfx");
    auto seen = requests();
    EXPECT_EQ(seen[0]["endpoint"], "STK");
    EXPECT_EQ(seen[1]["endpoint"], "FT");
    EXPECT_EQ(seen[1]["action"], "doLogin");

    // A redirect that ends in a failure may not keep later logins on the futures endpoint.
    ZOLTLib next(desktop, endpointOf(service), limits);
    service.setRule("doLogin", R"({"rtnCode": "997", "rtnMsg": "請改用期貨系統"})");
    EXPECT_EQ(next.login("F123456789", "demo1234", errMsg), kLoginRefused);
    EXPECT_EQ(errMsg, "請改用期貨系統");
    EXPECT_EQ(count("doLogin"), 4);  // stock, then futures once: a second "997" ends it
    EXPECT_NE(next.getCustType(), "FT");
    service.reset();
    ASSERT_EQ(next.login("A123456789", "demo1234", errMsg), kOk) << errMsg;
    EXPECT_EQ(next.getCustType(), "S");
    EXPECT_EQ(requests()[0]["endpoint"], "STK");
}

// A key shorter than AES-128's 16 bytes would send every value blank: it is no session key.
TEST_F(Session, NothingIsSentWithoutASessionKeyOfSixteenBytes) {
    EXPECT_EQ(lib.logout("A123456789"), kNoSession);
    EXPECT_EQ(fnStatus("A123456789-00"), kFnStatusFailed);
    EXPECT_EQ(fnStatus(""), kFnStatusNoCn);
    EXPECT_EQ(lib.iAmAlive(), kOk);
    EXPECT_TRUE(requests().empty());
    ASSERT_EQ(lib.login("A123456789", "demo1234", errMsg), kOk);
    const auto sent = requests().size();
    lib.setAesKey(lib.getAesKey()->substr(0, 15));
    EXPECT_EQ(fnStatus("A123456789-00"), kFnStatusFailed);
    EXPECT_EQ(lib.logout("A123456789"), kNoSession);
    EXPECT_EQ(requests().size(), sent);
    EXPECT_EQ(fn, "unset");
}

TEST_F(Session, KeepAliveReachesTheSessionAndAnIdleOneExpires) {
    ASSERT_EQ(lib.login("A123456789", "demo1234", errMsg), kOk);
    service.advanceClock(800);  // the demo service forgets a session after 900 idle seconds
    EXPECT_EQ(lib.iAmAlive(), kOk);
    service.advanceClock(800);
    EXPECT_EQ(fnStatus("A123456789-00"), kOk);
    service.advanceClock(901);
    EXPECT_EQ(fnStatus("A123456789-00"), kFnStatusFailed);
    EXPECT_EQ(errMsg, "連線逾時，請重新登入");
}

TEST_F(Session, ConfigurationLoadsOnceAndRetriesAfterAFailure) {
    service.setRule("getSysCfg", R"({"httpStatus": 500})");
    EXPECT_FALSE(lib.getSysCfg("env.clientVersion").has_value());
    EXPECT_FALSE(lib.getSvrCfg().has_value());
    service.reset();
    EXPECT_EQ(lib.getSysCfg("env.clientVersion"), "1.0");
    EXPECT_EQ(count("getSysCfg"), 1);
}

// Which addresses a download refuses is the transport tests' (DownloadsFollowHttpsRedirects).
TEST_F(Session, InstallerGoesToTheDownloadFolderUnderTheNameOfItsAddress) {
    desktop.downloadFolder = desktop.homePath() + "/下載";
    const std::string path = lib.dlNewClient();
    EXPECT_EQ(path, desktop.homePath() + "/下載/NorvaleCertClient.pkg");
    EXPECT_TRUE(lib.util().getFile(path).has_value());
    lib.setSysCfg("app.mac.dlUrl", service.baseUrl() + "/files/missing.pkg");
    EXPECT_EQ(lib.dlNewClient(), "");
}

// A login value that does not decrypt is a wrong value: the answer is the wrong password's,
// byte for byte. A code of its own would tell anyone which ciphertexts have valid padding.
TEST_F(Session, AnUndecryptableLoginAnswersLikeAWrongPassword) {
    auto answerTo = [&](const std::string& pwdValue) {
        std::optional<std::string> body;
        EXPECT_EQ(lib.util().httpPost(lib.getTargetUrl("doLogin"),
                                      {{"id", lib.rsa().encryptAndB64WithPublicKey("A123456789")},
                                       {"pwd", pwdValue}},
                                      body),
                  0);
        auto sealed = lib.util().base64Decode(body.value_or(""));
        auto plain = sealed ? lib.rsa().decryptWithPublicKey(*sealed) : std::nullopt;
        return plain ? std::string(plain->begin(), plain->end()) : std::string("<no answer>");
    };
    const std::string wrongPassword = answerTo(lib.rsa().encryptAndB64WithPublicKey("wrong"));
    EXPECT_NE(wrongPassword.find("<rtnCode>1001</rtnCode>"), std::string::npos) << wrongPassword;
    for (const Bytes& value : {Bytes(256, 0), Bytes(100, 1)}) {  // no padding; not one block
        EXPECT_EQ(answerTo(lib.util().base64Encode(value)), wrongPassword);
    }
}

// Every broken answer turns into the operation's own code, never a crash or a success. A
// service that does not answer at all is a dropped connection here, and the transport tests'
// refused one.
class BrokenService : public Session {
  protected:
    BrokenService()
        : Session({std::chrono::seconds(2), std::chrono::seconds(1), std::chrono::seconds(2),
                   1 << 20}) {}
};

TEST_F(BrokenService, EveryFailureBecomesTheOperationsCode) {
    ASSERT_EQ(lib.login("A123456789", "demo1234", errMsg), kOk);
    for (const char* rule :
         {R"({"mode": "garble"})", R"({"mode": "truncate"})", R"({"mode": "trailingNewline"})",
          R"({"mode": "drop"})", R"({"httpStatus": 503})", R"({"delayMs": 3000})",
          R"({"rtnCode": "9999", "rtnMsg": "系統忙碌"})"}) {
        for (const char* action : {"checkVersion", "doLogin", "getFnStatus", "doLogout"}) {
            service.setRule(action, rule);
        }
        // Only the service's own refusal says the version is not current.
        const bool refused = std::string(rule).find("rtnCode") != std::string::npos;
        EXPECT_EQ(lib.versionCheck(errMsg), refused ? kVersionRefused : kVersionNoAnswer) << rule;
        EXPECT_EQ(fnStatus("A123456789-00"), kFnStatusFailed) << rule;
        EXPECT_EQ(fn, "unset") << rule;
        EXPECT_EQ(lib.logout("A123456789"), kLogoutRefused) << rule;
        ZOLTLib fresh(desktop, endpointOf(service), limits);
        EXPECT_EQ(fresh.login("A123456789", "demo1234", errMsg), kLoginRefused) << rule;
        EXPECT_FALSE(fresh.getSessionId().has_value()) << rule;
    }
}

}  // namespace
