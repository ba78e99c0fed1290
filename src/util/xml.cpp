#include "util/CommonUtility.h"

std::optional<XmlDocument> CommonUtility::getXmlDoc(const std::optional<std::string>& text) const {
    if (!text || text->empty()) return std::nullopt;
    return XmlDocument::parse(*text);
}

std::optional<XmlDocument> CommonUtility::getXmlDoc(const std::optional<std::string>& text,
                                                    std::optional<std::string>& rtnCode,
                                                    std::optional<std::string>& rtnMsg) const {
    auto doc = getXmlDoc(text);
    if (!doc) return std::nullopt;
    rtnCode = getXPathValue(doc, "//Root/rtnCode");
    rtnMsg = getXPathValue(doc, "//Root/rtnMsg");
    return doc;
}

std::string CommonUtility::getXPathValue(const std::optional<XmlDocument>& doc,
                                         const std::string& xPath) const {
    if (!doc) return "";
    return doc->firstNode(xPath).stringValue();
}

std::optional<StringMap> CommonUtility::xmlNodeToMap(const XmlNode& node) const {
    if (!node) return std::nullopt;
    auto children = node.children();
    if (children.empty()) return std::nullopt;
    StringMap map;
    for (const auto& child : children) {
        if (child.childCount() >= 2) continue;  // nested structures are read on their own
        map[child.name()] = child.stringValue();
    }
    return map;
}
