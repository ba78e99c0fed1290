#include "util/XmlDocument.h"

#include <climits>
#include <mutex>

#include "util/xmlptr.h"

void XmlDocument::Deleter::operator()(_xmlDoc* doc) const {
    XmlDocDeleter{}(doc);
}

namespace {

// Called by the parser for any document type declaration, before a single entity of it is
// declared: an answer with one is refused outright. Its entities could turn a small answer
// into gigabytes of text (one entity referenced a million times), and the service never
// sends one.
void refuseDoctype(void* userData, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    context->_private = context;  // the mark that the parse was refused
    xmlStopParser(context);
}

}  // namespace

std::optional<XmlDocument> XmlDocument::parse(std::string_view utf8) {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (utf8.empty() || utf8.size() > INT_MAX) return std::nullopt;
    XmlParserCtxtPtr context(xmlNewParserCtxt());
    if (!context || context->sax == nullptr) return std::nullopt;
    context->sax->internalSubset = refuseDoctype;
    context->_private = nullptr;
    // NOBLANKS | NOCDATA; NONET and NOERROR keep a hostile answer from reaching out or
    // writing to standard error. Entities are never substituted (no NOENT, no DTDLOAD).
    const int options = XML_PARSE_NOBLANKS | XML_PARSE_NOCDATA | XML_PARSE_NONET |
                        XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    XmlDocPtr doc(xmlCtxtReadMemory(context.get(), utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, "UTF-8", options));
    if (!doc || context->_private != nullptr || doc->intSubset != nullptr ||
        doc->extSubset != nullptr) {
        return std::nullopt;
    }
    XmlDocument document;
    document.doc_.reset(doc.release());
    return document;
}

// No exception leaves these readers: running out of memory on a large answer gives nothing.
std::vector<XmlNode> XmlDocument::nodes(const std::string& xpath) const try {
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
} catch (...) {
    return {};
}

XmlNode XmlDocument::firstNode(const std::string& xpath) const {
    auto all = nodes(xpath);
    return all.empty() ? XmlNode{} : all.front();
}

std::string XmlNode::stringValue() const try {
    if (node_ == nullptr) return {};
    XmlCharPtr content(xmlNodeGetContent(node_));
    return content ? std::string(reinterpret_cast<const char*>(content.get())) : std::string{};
} catch (...) {
    return {};
}

std::vector<XmlNode> XmlNode::children() const try {
    std::vector<XmlNode> list;
    if (node_ == nullptr) return list;
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) {
        list.emplace_back(child);
    }
    return list;
} catch (...) {
    return {};
}

std::size_t XmlNode::childCount() const {
    std::size_t count = 0;
    if (node_ == nullptr) return count;
    for (xmlNode* child = node_->children; child != nullptr; child = child->next) ++count;
    return count;
}

std::string XmlNode::name() const try {
    if (node_ == nullptr || node_->name == nullptr) return {};
    std::string name(reinterpret_cast<const char*>(node_->name));
    if (node_->ns != nullptr && node_->ns->prefix != nullptr) {
        return reinterpret_cast<const char*>(node_->ns->prefix) + (":" + name);
    }
    return name;
} catch (...) {
    return {};
}
