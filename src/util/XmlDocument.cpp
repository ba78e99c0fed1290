#include "util/XmlDocument.h"

#include <climits>
#include <mutex>

#include "util/xmlptr.h"

void XmlDocument::Deleter::operator()(_xmlDoc* doc) const {
    XmlDocDeleter{}(doc);
}

std::optional<XmlDocument> XmlDocument::parse(std::string_view utf8) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (utf8.empty() || utf8.size() > INT_MAX) return std::nullopt;
    // NOBLANKS | NOCDATA; NONET and NOERROR keep a hostile answer from reaching out or
    // writing to standard error.
    const int options = XML_PARSE_NOBLANKS | XML_PARSE_NOCDATA | XML_PARSE_NONET |
                        XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDoc* doc =
        xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, "UTF-8", options);
    if (doc == nullptr) return std::nullopt;
    XmlDocument document;
    document.doc_.reset(doc);
    return document;
}

std::vector<XmlNode> XmlDocument::nodes(const std::string& xpath) const {
    std::vector<XmlNode> found;
    XmlXPathContextPtr context(xmlXPathNewContext(doc_.get()));
    if (!context) return found;
    XmlXPathObjectPtr result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), context.get()));
    if (!result || result->type != XPATH_NODESET || result->nodesetval == nullptr) return found;
    for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
        found.emplace_back(result->nodesetval->nodeTab[i]);
    }
    return found;
}

XmlNode XmlDocument::firstNode(const std::string& xpath) const {
    auto all = nodes(xpath);
    return all.empty() ? XmlNode{} : all.front();
}

std::string XmlNode::stringValue() const {
    if (node_ == nullptr) return {};
    XmlCharPtr content(xmlNodeGetContent(node_));
    return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string{};
}

std::vector<XmlNode> XmlNode::children() const {
    std::vector<XmlNode> list;
    if (node_ == nullptr) return list;
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        list.emplace_back(child);
    }
    return list;
}

std::size_t XmlNode::childCount() const {
    return children().size();
}

std::string XmlNode::name() const {
    if (node_ == nullptr || node_->name == nullptr) return {};
    std::string name(reinterpret_cast<const char*>(node_->name));
    if (node_->ns != nullptr && node_->ns->prefix != nullptr) {
        return reinterpret_cast<const char*>(node_->ns->prefix) + (":" + name);
    }
    return name;
}
