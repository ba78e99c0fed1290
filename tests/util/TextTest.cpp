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

TEST_F(Text, FormEncodingKeepsOnlyUnreservedCharactersAndLeavesEmptyValuesBare) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"a b+c/d=", "a%20b%2Bc%2Fd%3D"},
        {"%41", "%2541"},  // an escape already in the text is escaped again
        {"AZaz09-._~", "AZaz09-._~"},
        {"!*'();:@&=+$,/?%#[]", "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
        {"憑", "%E6%86%91"},
        {std::string("a\0b", 3), "a%00b"},  // the length given, not up to a NUL
        {"", ""},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(util.urlEncode(text), expected) << text;
    EXPECT_EQ(util.getHttpSendData({}), "");
    EXPECT_EQ(util.getHttpSendData({{"a", "1"}, {"b", ""}, {"csr", "AB+/="}}),
              "a=1&b=&csr=AB%2B%2F%3D");
}

TEST_F(Text, HexIsUpperCaseAndBase64IsPaddedOneLineAndStrict) {
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
    const struct {
        std::string path, folder, file;
    } cases[] = {
        {"/x", "", "x"},                          // only the leading slash
        {"/a/b/", "/a/b/", "/a/b/"},              // trailing slash: no match
        {"plain.pfx", "plain.pfx", "plain.pfx"},  // no slash: no match
        {"/家/憑證.pfx", "/家", "憑證.pfx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util.getFolderNameFromFullPath(c.path), c.folder) << c.path;
        EXPECT_EQ(util.getFileNameFromFullPath(c.path), c.file) << c.path;
    }
}

TEST_F(Text, RegexReplaceChangesEveryMatchAndGivesNothingForABadPattern) {
    const struct {
        std::string text, pattern, replacement, expected;
    } cases[] = {
        {"a1b22c", "[0-9]+", "#", "a#b#c"},
        {"no digits", "[0-9]+", "#", "no digits"},
        {"ab", "(a)|(x)", "[$2]", "[]b"},  // a group that took no part is empty
        {"-----BEGIN X-----\nAB\nCD\n-----END X-----\n",
         "-----BEGIN X-----\\n(.*)\\n-----END X-----\\n", "$1", "AB\nCD"},
        {"text", "([", "x", ""},  // a pattern that does not compile
        {"text", "t", "$9", ""},  // a replacement naming a missing group
    };
    for (const auto& c : cases) {
        EXPECT_EQ(util.regexReplace(c.text, c.pattern, c.replacement), c.expected) << c.pattern;
    }
}

TEST_F(Text, RegexMatchTakesOnlyTheWholeText) {
    const struct {
        std::string text, pattern;
        bool matches;
    } cases[] = {
        {"20240101120000123.p8", "^[0-9]{17}\\.p8$", true},
        {"x20240101120000123.p8", "^[0-9]{17}\\.p8$", false},
        {"A123456789", "[A-Z][0-9]{9}", true},
        {"A1234567890", "[A-Z][0-9]{9}", false},
        {"anything", "([", false},
    };
    for (const auto& c : cases) EXPECT_EQ(util.regexMatch(c.text, c.pattern), c.matches) << c.text;
}

TEST_F(Text, XmlReadsResultCodeAndMessageFromCdataOrNothing) {
    const struct {
        std::string text, code, message;
    } cases[] = {
        {"<Root><rtnMsg>查無資料</rtnMsg></Root>", "", "查無資料"},
        {"<Root>\n  <rtnCode><![CDATA[12]]></rtnCode><rtnMsg/>\n</Root>", "12", ""},
    };
    for (const auto& c : cases) {
        std::optional<std::string> code, message;
        auto doc = util.getXmlDoc(c.text, code, message);
        ASSERT_TRUE(doc.has_value()) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(message, c.message) << c.text;
    }
}

// A document type could expand entities or fetch files: such answers are refused whole.
TEST_F(Text, XmlUnparseableOrWithADocumentTypeLeavesOutputsUnwritten) {
    // One internal entity referenced many times: read, it would be hundreds of megabytes.
    std::string laughs = "<!DOCTYPE Root [<!ENTITY a \"" + std::string(1000, 'x') + "\">]><Root>";
    laughs += "<rtnCode>0</rtnCode><rtnMsg>";
    for (int i = 0; i < 200000; ++i) laughs += "&a;";
    laughs += "</rtnMsg></Root>";
    const std::vector<std::optional<std::string>> cases{
        std::nullopt,
        "",
        "<Root><rtnCode>0</Root>",
        "not xml",
        "<!DOCTYPE Root><Root><rtnCode>0</rtnCode></Root>",
        "<?xml version=\"1.0\"?><!DOCTYPE Root SYSTEM \"file:///etc/passwd\"><Root><rtnCode>0"
        "</rtnCode></Root>",
        "<!DOCTYPE Root PUBLIC \"-//x//y\" \"http://127.0.0.1:9/x.dtd\"><Root/>",
        laughs,
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

TEST_F(Text, XPathValueIsTheFirstMatchOrEmpty) {
    auto doc = util.getXmlDoc(std::string("<Root><a>1</a><a>2</a><d.e>x<f>y</f></d.e></Root>"));
    EXPECT_EQ(util.getXPathValue(doc, "//Root/a"), "1");
    EXPECT_EQ(util.getXPathValue(doc, "//Root/d.e"), "xy");  // descendants' text joined
    EXPECT_EQ(util.getXPathValue(doc, "//Root/missing"), "");
    EXPECT_EQ(util.getXPathValue(doc, "//Root/["), "");  // not an XPath
    EXPECT_EQ(util.getXPathValue(std::nullopt, "//Root/a"), "");
}

TEST_F(Text, XmlNodeToMapSkipsNestedStructures) {
    auto doc = util.getXmlDoc(std::string(
        "<Root><cn>A123456789-00</cn><certInfo><certId>7</certId><serial>1F</serial></certInfo>"
        "<notes/><cn2>x</cn2><cn2>later</cn2></Root>"));
    auto map = util.xmlNodeToMap(doc->firstNode("//Root"));
    ASSERT_TRUE(map.has_value());
    EXPECT_EQ(*map, (StringMap{{"cn", "A123456789-00"}, {"notes", ""}, {"cn2", "later"}}));
    EXPECT_EQ(util.xmlNodeToMap(doc->firstNode("//Root/certInfo")),
              (StringMap{{"certId", "7"}, {"serial", "1F"}}));
    EXPECT_FALSE(util.xmlNodeToMap(doc->firstNode("//Root/notes")).has_value());
    EXPECT_FALSE(util.xmlNodeToMap(XmlNode{}).has_value());
}

}  // namespace
