#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "util/CommonUtility.h"
#include "util/TextCodec.h"

namespace {

// Encoders, regular expressions and the XML reader of service answers.
class Text : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
};

// Escaping is libcurl's; what is ours is the length it is given and the bare empty value.
TEST_F(Text, FormEncodingEscapesAllButUnreservedCharactersAndLeavesEmptyValuesBare) {
    EXPECT_EQ(util.getHttpSendData({}), "");
    EXPECT_EQ(util.getHttpSendData({{"a", "AZaz09-._~ +/=%憑"}, {"b", ""}, {"c", {"x\0y", 3}}}),
              "a=AZaz09-._~%20%2B%2F%3D%25%E6%86%91&b=&c=x%00y");
}

TEST_F(Text, HexIsUpperCaseAndBase64IsPaddedOneLineAndStrict) {
    EXPECT_EQ(util.hexEncode(Bytes{0x0a, 0xff}), "0AFF");
    EXPECT_EQ(util.base64Encode(std::string_view("f")) + util.base64Encode(std::string_view("fo")),
              "Zg==Zm8=");
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    const std::string text = util.base64Encode(all);
    EXPECT_EQ(util.base64Decode(text), all);
    EXPECT_EQ(util.base64Decode(""), Bytes{});
    for (const char* bad : {"Zm8=\n", "Zm\n8=", "Zm8", "Zm=8", "Z===", "Zm 8=", "Zm8-", "=Zm8"}) {
        EXPECT_FALSE(util.base64Decode(bad).has_value()) << bad;
    }
}

TEST_F(Text, Big5RoundTripsTraditionalChineseAndStopsAtWhatItCannotCarry) {
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

TEST_F(Text, PathsSplitAtTheLastSlashOrNotAtAll) {
    const std::string cases[][3] = {
        {"/x", "", "x"},                          // only the leading slash
        {"/a/b/", "/a/b/", "/a/b/"},              // trailing slash: no split
        {"plain.pfx", "plain.pfx", "plain.pfx"},  // no slash: no split
        {"/家/憑證.pfx", "/家", "憑證.pfx"},
    };
    for (const auto& [path, folder, file] : cases) {
        EXPECT_EQ(util.getFolderNameFromFullPath(path) + "|" + util.getFileNameFromFullPath(path),
                  folder + "|" + file);
    }
}

// "." takes line ends in a replacement; a match is of the whole text; a pattern or a
// replacement that does not compile gives "" and no match.
TEST_F(Text, RegularExpressions) {
    const struct {
        std::string text, pattern, replacement, replaced;
        bool matches;
    } cases[] = {
        {"a1b22c", "[0-9]+", "#", "a#b#c", false},
        {"20240101120000123.p8", "[0-9]{17}\\.p8", "x", "x", true},
        {"x20240101120000123.p8", "^[0-9]{17}\\.p8$", "x", "x20240101120000123.p8", false},
        {"ab", "(a)|(x)", "[$2]", "[]b", false},  // a group that took no part is empty
        {"-----BEGIN X-----\nAB\nCD\n-----END X-----\n",
         "-----BEGIN X-----\\n(.*)\\n-----END X-----\\n", "$1", "AB\nCD", false},
        {"text", "([", "x", "", false},
        {"text", "t", "$9", "", false},  // a replacement naming a missing group
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util.regexReplace(c.text, c.pattern, c.replacement), c.replaced) << c.pattern;
        EXPECT_EQ(util.regexMatch(c.text, c.pattern), c.matches) << c.pattern;
    }
}

TEST_F(Text, XmlReadsResultCodeAndMessageFromCdataAndValuesByXPath) {
    std::optional<std::string> code, message;
    ASSERT_TRUE(util.getXmlDoc("<Root><rtnMsg>查無資料</rtnMsg></Root>", code, message));
    EXPECT_EQ(code, "");
    EXPECT_EQ(message, "查無資料");
    ASSERT_TRUE(util.getXmlDoc("<Root>\n <rtnCode><![CDATA[12]]></rtnCode><rtnMsg/></Root>", code,
                               message));
    EXPECT_EQ(*code + "|" + *message, "12|");
    auto doc = util.getXmlDoc(std::string(
        "<Root><cn>A123456789-00</cn><certInfo><certId>7</certId><serial>1F</serial></certInfo>"
        "<notes/><cn2>x</cn2><cn2>later</cn2><d.e>x<f>y</f></d.e></Root>"));
    EXPECT_EQ(util.getXPathValue(doc, "//Root/cn2"), "x");   // the first match
    EXPECT_EQ(util.getXPathValue(doc, "//Root/d.e"), "xy");  // descendants' text joined
    EXPECT_EQ(util.getXPathValue(doc, "//Root/missing") + util.getXPathValue(doc, "//Root/["), "");
    EXPECT_EQ(util.getXPathValue(std::nullopt, "//Root/cn"), "");
    // Nested structures are left out of a node's map.
    EXPECT_EQ(util.xmlNodeToMap(doc->firstNode("//Root")),
              (StringMap{{"cn", "A123456789-00"}, {"notes", ""}, {"cn2", "later"}}));
    EXPECT_EQ(util.xmlNodeToMap(doc->firstNode("//Root/certInfo")),
              (StringMap{{"certId", "7"}, {"serial", "1F"}}));
    EXPECT_FALSE(util.xmlNodeToMap(doc->firstNode("//Root/notes")).has_value());
    EXPECT_FALSE(util.xmlNodeToMap(XmlNode{}).has_value());
}

// A document type could expand entities or fetch files: such answers are refused whole.
TEST_F(Text, XmlUnparseableOrWithADocumentTypeLeavesOutputsUnwritten) {
    const std::optional<std::string> cases[] = {
        std::nullopt,
        "",
        "<Root><rtnCode>0</Root>",
        "<?xml version=\"1.0\"?><!DOCTYPE Root SYSTEM \"file:///etc/passwd\"><Root><rtnCode>0"
        "</rtnCode></Root>",
    };
    for (const auto& text : cases) {
        std::optional<std::string> code, message;
        EXPECT_FALSE(util.getXmlDoc(text, code, message).has_value())
            << text.value_or("").substr(0, 80);
        EXPECT_FALSE(code || message);
    }
    // The words alone, in a comment or a text, are no declaration.
    auto doc = util.getXmlDoc(
        std::string("<!-- <!DOCTYPE Root> --><Root><rtnMsg>&lt;!DOCTYPE x&gt;</rtnMsg></Root>"));
    EXPECT_EQ(util.getXPathValue(doc, "//Root/rtnMsg"), "<!DOCTYPE x>");
}

}  // namespace
