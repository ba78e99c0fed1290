#include <gtest/gtest.h>

#include "support/FakeDesktop.h"
#include "util/CommonUtility.h"

namespace {

class Xml : public testing::Test {
  protected:
    FakeDesktop desktop;
    CommonUtility util{desktop};
};

TEST_F(Xml, ReadsResultCodeAndMessage) {
    const struct {
        std::string text, code, message;
    } cases[] = {
        {"<Root><rtnCode>0</rtnCode><rtnMsg/></Root>", "0", ""},
        {"<Root><rtnMsg>查無資料</rtnMsg></Root>", "", "查無資料"},
        // The declared encoding is overridden: the text is already UTF-8.
        {"<?xml version=\"1.0\" encoding=\"Big5\"?><Root><rtnCode>997</rtnCode>"
         "<rtnMsg>請改用期貨</rtnMsg></Root>",
         "997", "請改用期貨"},
        {"<Root>\n  <rtnCode><![CDATA[12]]></rtnCode>\n</Root>", "12", ""},
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
TEST_F(Xml, UnparseableTextsAndAnswersWithADocumentTypeLeaveOutputsUnwritten) {
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
        "<!DOCTYPE Root [<!ENTITY m \"refused\">]><Root><rtnCode>0</rtnCode><rtnMsg>&m;</rtnMsg>"
        "</Root>",
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

TEST_F(Xml, XPathValueIsTheFirstMatchOrEmpty) {
    auto doc = util.getXmlDoc(std::string("<Root><a>1</a><a>2</a><d.e>x<f>y</f></d.e></Root>"));
    EXPECT_EQ(util.getXPathValue(doc, "//Root/a"), "1");
    EXPECT_EQ(util.getXPathValue(doc, "//Root/d.e"), "xy");  // descendants' text joined
    EXPECT_EQ(util.getXPathValue(doc, "//Root/missing"), "");
    EXPECT_EQ(util.getXPathValue(doc, "//Root/["), "");  // not an XPath
    EXPECT_EQ(util.getXPathValue(std::nullopt, "//Root/a"), "");
}

TEST_F(Xml, NodeToMapSkipsNestedStructures) {
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
