#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

// A node of an XmlDocument; valid while its document lives. A default node is "nothing".
class XmlNode {
  public:
    XmlNode() = default;
    explicit XmlNode(_xmlNode* node) : node_(node) {}

    explicit operator bool() const { return node_ != nullptr; }
    // The concatenated text of the node and all its descendants.
    std::string stringValue() const;
    // All child nodes in order, elements and other nodes alike.
    std::vector<XmlNode> children() const;
    std::size_t childCount() const;
    std::string name() const;

  private:
    _xmlNode* node_ = nullptr;
};

// A parsed service answer with XPath 1.0 queries.
class XmlDocument {
  public:
    // Parses UTF-8 text whatever its declaration says, dropping whitespace-only text nodes
    // and merging CDATA into text. Nothing when the text is not well-formed or carries a
    // document type declaration (entities). No exception leaves this class.
    static std::optional<XmlDocument> parse(std::string_view utf8);

    std::vector<XmlNode> nodes(const std::string& xpath) const;
    XmlNode firstNode(const std::string& xpath) const;

  private:
    struct Deleter {
        void operator()(_xmlDoc* doc) const;
    };
    std::unique_ptr<_xmlDoc, Deleter> doc_;
};
