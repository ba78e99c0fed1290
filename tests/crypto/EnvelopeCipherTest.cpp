#include "crypto/CryptoTest.h"
#include "support/TempDir.h"

namespace {

const std::string kIvHex = "35383230393331373436303238353331";  // "5820931746028531"

// The service's side of both envelopes, done by the openssl tool with a key pair it made.
class EnvelopeCipher : public CryptoTest {
  protected:
    static void SetUpTestSuite() {
        dir = new TempDir();
        OpensslTool::run({"genpkey", "-algorithm", "RSA", "-out", dir->file("service.key")});
        publicKeyPem = OpensslTool::run({"pkey", "-in", dir->file("service.key"), "-pubout"})
                           .value_or("<no key>");
    }
    static void TearDownTestSuite() { delete dir; }
    // The tool's output for `args` with `input` in a file put after "-in".
    static std::string withInput(std::vector<std::string> args, const std::string& input) {
        OpensslTool::writeFile(dir->file("in"), input);
        args.insert(args.end(), {"-in", dir->file("in")});
        return OpensslTool::run(args).value_or("<failed>");
    }
    // An answer: 245-byte pieces, each signed with type-1 padding into a 256-byte block.
    // rsautl, not pkeyutl: OpenSSL 3's pkeyutl will not sign raw input over 64 bytes.
    static Bytes signAnswer(const std::string& plain) {
        std::string blocks;
        for (std::size_t at = 0; at < plain.size(); at += 245) {
            blocks += withInput({"rsautl", "-sign", "-pkcs", "-inkey", dir->file("service.key")},
                                plain.substr(at, 245));
        }
        return Bytes(blocks.begin(), blocks.end());
    }
    static std::string text(const std::optional<Bytes>& bytes) {
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<nothing>";
    }

    static inline TempDir* dir = nullptr;
    static inline std::string publicKeyPem;
    RSAUtility sealer{util, publicKeyPem};
};

TEST_F(EnvelopeCipher, PublicKeyValuesOpenWithTheServicePrivateKeyAndPadAtRandom) {
    for (const std::string& value :
         {std::string("A123456789"), std::string("密碼 with spaces"), std::string(245, 'x')}) {
        const Bytes sealed = util.base64Decode(sealer.encryptAndB64WithPublicKey(value)).value();
        EXPECT_EQ(withInput({"pkeyutl", "-decrypt", "-inkey", dir->file("service.key"), "-pkeyopt",
                             "rsa_padding_mode:pkcs1"},
                            std::string(sealed.begin(), sealed.end())),
                  value);
    }
    EXPECT_EQ(sealer.encryptAndB64WithPublicKey("") +
                  sealer.encryptAndB64WithPublicKey(std::string(246, 'x')),
              "");
    EXPECT_NE(sealer.encryptAndB64WithPublicKey("same"), sealer.encryptAndB64WithPublicKey("same"));
    EXPECT_EQ(RSAUtility(util, "not a key").encryptAndB64WithPublicKey("value"), "");
}

TEST_F(EnvelopeCipher, AnswersAreReadBlockByBlockSkippingBlocksThatDoNotOpen) {
    const std::string first(245, 'a'), second = "<Root><rtnCode>0</rtnCode></Root>";
    const Bytes twoBlocks = signAnswer(first + second);
    ASSERT_EQ(twoBlocks.size(), 512u);
    EXPECT_EQ(text(sealer.decryptWithPublicKey(twoBlocks)), first + second);
    // 300 bytes walk as 256 + 44; the short block cannot open and is left out.
    EXPECT_EQ(text(sealer.decryptWithPublicKey(Bytes(twoBlocks.begin(), twoBlocks.begin() + 300))),
              first);
    Bytes damaged = twoBlocks;
    damaged[10] ^= 0xff;
    EXPECT_EQ(text(sealer.decryptWithPublicKey(damaged)), second);
    EXPECT_FALSE(sealer.decryptWithPublicKey(Bytes{}) ||
                 sealer.decryptWithPublicKey(Bytes(256, 7)));
}

TEST_F(EnvelopeCipher, SessionValuesMatchTheOpensslToolAndBadOnesYieldNothing) {
    const std::string sessionKey = "0123456789abcdefEXTRA";  // only the first 16 bytes count
    const Bytes key(sessionKey.begin(), sessionKey.end());
    const std::string keyHex = util.hexEncode(Bytes(key.begin(), key.begin() + 16));
    // Sixteen bytes take a whole block of padding.
    for (const std::string value : {"13 bytes long", "sixteen bytes!!!", "申請憑證"}) {
        const std::string enveloped = rsa.encryptAndB64WithAes(key, value);
        EXPECT_EQ(enveloped, util.base64Encode(withInput(
                                 {"enc", "-aes-128-cbc", "-K", keyHex, "-iv", kIvHex}, value)));
        EXPECT_EQ(text(rsa.decryptWithAes(key, *util.base64Decode(enveloped))), value);
    }
    const Bytes cipherText = *util.base64Decode(rsa.encryptAndB64WithAes(key, "payload"));
    Bytes wrongKey = key;
    wrongKey[0] = 'X';
    for (const auto& [k, data] :
         {std::pair{wrongKey, cipherText}, std::pair{key, Bytes{}}, std::pair{key, Bytes(15, 1)}}) {
        EXPECT_FALSE(rsa.decryptWithAes(k, data).has_value()) << data.size();
    }
    EXPECT_EQ(rsa.encryptAndB64WithAes(Bytes(key.begin(), key.begin() + 15), "payload"), "");
    EXPECT_EQ(rsa.encryptAndB64WithAes(key, ""), "");
}

}  // namespace
