#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "util/CommonUtility.h"
#include "util/TextCodec.h"

namespace {

class Encoders : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
};

TEST_F(Encoders, FormEncodingKeepsOnlyUnreservedCharactersAndLeavesEmptyValuesBare) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a b+c/d=", "a%20b%2Bc%2Fd%3D"},
        {"%41", "%2541"},  // an escape already in the text is escaped again
        {"AZaz09-._~", "AZaz09-._~"},
        {"!*'();:@&=+$,/?%#[]", "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
        {"憑", "%E6%86%91"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(util.urlEncode(text), expected) << text;
    EXPECT_EQ(util.getHttpSendData({}), "");
    EXPECT_EQ(util.getHttpSendData({{"a", "1"}, {"b", ""}, {"csr", "AB+/="}}),
              "a=1&b=&csr=AB%2B%2F%3D");
}

TEST_F(Encoders, HexIsUpperCaseAndBase64IsPaddedOneLineAndStrict) {
    EXPECT_EQ(util.hexEncode(Bytes{0x0a, 0xff}), "0AFF");
    EXPECT_EQ(util.base64Encode(std::string_view("f")), "Zg==");
    EXPECT_EQ(util.base64Encode(std::string_view("fo")), "Zm8=");
    EXPECT_EQ(util.base64Encode(std::string_view("foo")), "Zm9v");
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    const std::string text = util.base64Encode(all);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(util.base64Decode(text), all);
    EXPECT_EQ(util.base64Decode(""), Bytes{});
    for (const char* bad : {"Zm8=\n", "Zm\n8=", "Zm8", "Zm=8", "Z===", "Zm 8=", "Zm8-", "=Zm8"}) {
        EXPECT_FALSE(util.base64Decode(bad).has_value()) << bad;
    }
}

TEST(Big5, RoundTripsTraditionalChineseAndStopsAtWhatItCannotCarry) {
    const std::string text = "憑證申請成功 ABC 123";
    auto big5 = TextCodec::utf8ToBig5(text);
    ASSERT_TRUE(big5.has_value());
    EXPECT_EQ(big5->size(), 20u);  // six two-byte characters and eight ASCII bytes
    EXPECT_EQ(TextCodec::big5ToUtf8(*big5), text);
    EXPECT_FALSE(TextCodec::utf8ToBig5("證書 😀").has_value());
    EXPECT_FALSE(TextCodec::utf8ToBig5("\xff\xfe").has_value());                // not UTF-8 at all
    EXPECT_FALSE(TextCodec::big5ToUtf8(std::string_view("\xa4")).has_value());  // cut in half
    EXPECT_EQ(TextCodec::big5ToUtf8(std::string_view("")), "");
}

}  // namespace
