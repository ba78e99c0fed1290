#include <gtest/gtest.h>

#include "crypto/RSAUtility.h"
#include "support/FakeDesktop.h"
#include "support/OpensslTool.h"
#include "support/TestRsaKey.h"

namespace {

const std::string kIvHex = "35383230393331373436303238353331";  // "5820931746028531"

class EnvelopeCipher : public testing::Test {
  protected:
    static void SetUpTestSuite() { key = new TestRsaKey(); }
    static void TearDownTestSuite() {
        delete key;
        key = nullptr;
    }

    std::string opensslAes(const std::string& keyText, const std::string& plain, bool decrypt) {
        const std::string in = key->scratch("aes.in");
        OpensslTool::writeFile(in, plain);
        Bytes keyBytes(keyText.begin(), keyText.begin() + 16);
        std::vector<std::string> args{"enc", "-aes-128-cbc", "-K",  util.hexEncode(keyBytes),
                                      "-iv", kIvHex,         "-in", in};
        if (decrypt) args.push_back("-d");
        return OpensslTool::run(args).value_or("<failed>");
    }

    static TestRsaKey* key;
    FakeDesktop desktop;
    CommonUtility util{desktop};
    RSAUtility rsa{util, key->publicKeyPem()};
};

TestRsaKey* EnvelopeCipher::key = nullptr;

TEST_F(EnvelopeCipher, PublicKeyValuesOpenWithTheServicePrivateKey) {
    for (const std::string& value :
         std::vector<std::string>{"A123456789", "密碼 with spaces", std::string(245, 'x')}) {
        const std::string enveloped = rsa.encryptAndB64WithPublicKey(value);
        ASSERT_EQ(util.base64Decode(enveloped)->size(), 256u);
        EXPECT_EQ(key->decryptRequestValue(enveloped), value);
    }
}

TEST_F(EnvelopeCipher, PublicKeyEnvelopeLimitsAndRandomPadding) {
    EXPECT_EQ(rsa.encryptAndB64WithPublicKey(""), "");
    EXPECT_EQ(rsa.encryptAndB64WithPublicKey(std::string(246, 'x')), "");
    EXPECT_NE(rsa.encryptAndB64WithPublicKey("same"), rsa.encryptAndB64WithPublicKey("same"));
    RSAUtility noKey(util, "not a key");
    EXPECT_EQ(noKey.encryptAndB64WithPublicKey("value"), "");
}

TEST_F(EnvelopeCipher, AnswersAreReadBlockByBlock) {
    const std::string first(245, 'a');
    const std::string second = "<Root><rtnCode>0</rtnCode></Root>";
    auto twoBlocks = *util.base64Decode(key->signAnswer(first + second));
    ASSERT_EQ(twoBlocks.size(), 512u);
    auto plain = rsa.decryptWithPublicKey(twoBlocks);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(std::string(plain->begin(), plain->end()), first + second);

    // 300 bytes walk as 256 + 44; the short block cannot open and is left out.
    Bytes ragged(twoBlocks.begin(), twoBlocks.begin() + 300);
    plain = rsa.decryptWithPublicKey(ragged);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(std::string(plain->begin(), plain->end()), first);

    // A damaged first block is skipped, the second still reads.
    Bytes damaged = twoBlocks;
    damaged[10] ^= 0xff;
    plain = rsa.decryptWithPublicKey(damaged);
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(std::string(plain->begin(), plain->end()), second);

    EXPECT_FALSE(rsa.decryptWithPublicKey(Bytes{}).has_value());
    EXPECT_FALSE(rsa.decryptWithPublicKey(Bytes(256, 7)).has_value());
}

TEST_F(EnvelopeCipher, SessionValuesMatchTheOpensslTool) {
    const std::string sessionKey = "0123456789abcdefEXTRA";  // only the first 16 bytes count
    const Bytes keyBytes(sessionKey.begin(), sessionKey.end());
    struct Case {
        std::string value;
        std::size_t base64Length;
    };
    for (const auto& c :
         {Case{"13 bytes long", 24}, Case{"sixteen bytes!!!", 44}, Case{"申請憑證", 24}}) {
        const std::string enveloped = rsa.encryptAndB64WithAes(keyBytes, c.value);
        EXPECT_EQ(enveloped.size(), c.base64Length) << c.value;
        auto raw = opensslAes(sessionKey, c.value, false);
        EXPECT_EQ(enveloped, util.base64Encode(raw)) << c.value;
        auto opened = rsa.decryptWithAes(keyBytes, *util.base64Decode(enveloped));
        EXPECT_EQ(std::string(opened->begin(), opened->end()), c.value);
    }
    EXPECT_EQ(rsa.encryptAndB64WithAes(keyBytes, "x"), rsa.encryptAndB64WithAes(keyBytes, "x"));
}

TEST_F(EnvelopeCipher, SessionAnswersWithBadPaddingOrKeysYieldNothing) {
    const Bytes keyBytes{'0', '1', '2', '3', '4', '5', '6', '7',
                         '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    Bytes cipherText = *util.base64Decode(rsa.encryptAndB64WithAes(keyBytes, "payload"));
    EXPECT_TRUE(rsa.decryptWithAes(keyBytes, cipherText).has_value());
    Bytes wrongKey = keyBytes;
    wrongKey[0] = 'X';
    EXPECT_FALSE(rsa.decryptWithAes(wrongKey, cipherText).has_value());
    EXPECT_FALSE(rsa.decryptWithAes(keyBytes, Bytes{}).has_value());
    EXPECT_FALSE(rsa.decryptWithAes(keyBytes, Bytes(15, 1)).has_value());
    const Bytes shortKey(keyBytes.begin(), keyBytes.begin() + 15);
    EXPECT_EQ(rsa.encryptAndB64WithAes(shortKey, "payload"), "");
    EXPECT_EQ(rsa.encryptAndB64WithAes(keyBytes, ""), "");
}

}  // namespace
