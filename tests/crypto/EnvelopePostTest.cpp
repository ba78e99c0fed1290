#include <gtest/gtest.h>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestHttpsServer.h"
#include "support/TestRsaKey.h"
#include "util/CurlTransport.h"
#include "util/TextCodec.h"

namespace {

// Big5 XML long enough to need two RSA blocks.
std::string answerXml() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"Big5\"?><Root><rtnCode>0</rtnCode>"
        "<rtnMsg>登入成功</rtnMsg><sessionId>S1</sessionId><pad>";
    xml += std::string(300, 'p');
    return xml + "</pad></Root>";
}

std::string toBig5(const std::string& utf8) {
    auto big5 = TextCodec::utf8ToBig5(utf8);
    return std::string(big5->begin(), big5->end());
}

class EnvelopePost : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        server = new TestHttpsServer();
        key = new TestRsaKey();
    }
    static void TearDownTestSuite() {
        delete server;
        delete key;
    }
    void SetUp() override { server->clearReceived(); }

    void answerWith(const std::string& body) {
        server->setHandler([body](const httplib::Request&, httplib::Response& rs) {
            rs.set_content(body, "text/plain");
        });
    }

    // The value of one form field as received, percent-decoding undone.
    std::string receivedField(const std::string& name) {
        httplib::Params params;
        httplib::detail::parse_query_text(server->received().back().body, params);
        auto it = params.find(name);
        return it == params.end() ? "<absent>" : it->second;
    }

    static TestHttpsServer* server;
    static TestRsaKey* key;
    FakeDesktop desktop;
    CommonUtility util{desktop, CurlTransport(server->caPem())};
    RSAUtility rsa{util, key->publicKeyPem()};
};

TestHttpsServer* EnvelopePost::server = nullptr;
TestRsaKey* EnvelopePost::key = nullptr;

TEST_F(EnvelopePost, PublicKeyEnvelopeRoundTrip) {
    answerWith(key->signAnswer(toBig5(answerXml())));
    std::optional<std::string> answer;
    EXPECT_EQ(
        rsa.httpPubKeyEncPost(server->url("/PLOVR_STK/api/doLogin"),
                              {{"id", "A123456789"}, {"pwd", "pa ss+"}, {"note", ""}}, answer),
        0);
    EXPECT_EQ(answer, answerXml());
    EXPECT_EQ(key->decryptRequestValue(receivedField("id")), "A123456789");
    EXPECT_EQ(key->decryptRequestValue(receivedField("pwd")), "pa ss+");
    EXPECT_EQ(receivedField("note"), "");
    const std::string body = server->received().back().body;
    EXPECT_NE(body.find("note=&"), std::string::npos) << body;  // empty travels bare
    EXPECT_EQ(body.find('+'), std::string::npos);               // base64 "+" is percent-encoded
}

TEST_F(EnvelopePost, SessionEnvelopeRoundTrip) {
    const Bytes sessionKey{'k', 'e', 'y', '-', '0', '1', '2', '3',
                           '4', '5', '6', '7', '8', '9', 'a', 'b'};
    const std::string xml = "<Root><rtnCode>0</rtnCode><rtnMsg>成功</rtnMsg></Root>";
    answerWith(rsa.encryptAndB64WithAes(sessionKey, toBig5(xml)));
    std::optional<std::string> answer;
    EXPECT_EQ(rsa.httpAesEncPost(server->url("/PLOVR_STK/api/SID:S1/getFnStatus"), sessionKey,
                                 {{"userId", "A123456789"}, {"csr", ""}}, answer),
              0);
    EXPECT_EQ(answer, xml);
    auto sent = rsa.decryptWithAes(sessionKey, *util.base64Decode(receivedField("userId")));
    EXPECT_EQ(std::string(sent->begin(), sent->end()), "A123456789");
    EXPECT_EQ(receivedField("csr"), "");
}

TEST_F(EnvelopePost, BrokenAnswersLeaveTheOutputUnwritten) {
    const std::string good = key->signAnswer("<Root><rtnCode>0</rtnCode></Root>");
    struct Case {
        std::string name;
        std::string body;
    };
    const std::vector<Case> cases{
        {"empty answer", ""},
        {"trailing line break", good + "\n"},
        {"not base64", "<html>error</html>"},
        {"truncated", good.substr(0, 100)},
        {"signed by another key", util.base64Encode(Bytes(256, 0x42))},
    };
    for (const auto& c : cases) {
        answerWith(c.body);
        std::optional<std::string> answer;
        EXPECT_EQ(rsa.httpPubKeyEncPost(server->url("/PLOVR_STK/api/getSysCfg"), {}, answer), 0)
            << c.name;
        EXPECT_FALSE(answer.has_value()) << c.name;
    }
    std::optional<std::string> answer;
    EXPECT_EQ(rsa.httpPubKeyEncPost("https://127.0.0.1:9/PLOVR_STK/api/getSysCfg", {}, answer), 0);
    EXPECT_FALSE(answer.has_value());
}

}  // namespace
